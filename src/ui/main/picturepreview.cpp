#include "ui/main/picturepreview.h"

#include "core/pictures/pictureloader.h"
#include "core/state/browserstate.h"
#include "core/state/gridcells.h"
#include "ui/main/imagebox.h"
#include "ui/main/thumbnailgrid.h"
#include "ui/main/thumbnailview.h"

#include <QFutureWatcher>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QtConcurrent>

#include <algorithm>

PicturePreview::PicturePreview(
    const PictureLoader &loader, const BrowserState &state, QWidget &client)
    : QObject(&client)
    , m_loader(loader)
    , m_state(state)
{
    Image4 = new ImageBox(&client);
    Image4->setObjectName(QStringLiteral("Image4"));
    Image4->setGeometry(192, 8, 577, 505);
    Image4->hide();
    connect(Image4, &ImageBox::clicked, this, &PicturePreview::Image4_Click);
    Image4->installEventFilter(this);
}

void PicturePreview::showFrom(ThumbnailGrid &grid)
{
    m_grid = &grid;
    connect(&grid, &ThumbnailGrid::opened, this, &PicturePreview::Image1_DblClick);
}

void PicturePreview::Image1_DblClick(int Index)
{
    if (Index < 0 || Index >= m_grid->cells().count())
        return;
    // Opened by the keys, the preview takes them over: Enter or Esc closes it.
    const bool keys = Image4->window()->focusWidget() == &m_grid->view();
    m_grid->setShown(false);
    m_wheel = 0;
    m_grid->view().setFocusCell(Index);
    showPicture(Index);
    Image4->show();
    Image4->raise();
    if (keys)
        Image4->setFocus(Qt::OtherFocusReason);
}

void PicturePreview::showPicture(int index)
{
    const GridCells &cells = m_grid->cells();
    // The grid keeps only small thumbnails: the file is read again at the preview's size on a
    // thread of its own, the thumbnail standing in meanwhile and staying when the file can no
    // longer be read. Sharp on a dense screen: read at the screen's own pixel size.
    const qreal ratio = std::max<qreal>(1, Image4->devicePixelRatioF());
    const QImage &thumbnail = cells.cell(index).image;
    const bool keep = m_state.settings().keepProportions;
    Image4->setKeepProportions(keep);
    Image4->setBroken(false);
    if (!thumbnail.isNull())
        Image4->setPicture(QPixmap::fromImage(thumbnail));
    else
        Image4->clearPicture();
    const quint64 generation = ++m_generation;
    auto *reading = new QFutureWatcher<LoadedPicture>(this);
    connect(reading, &QFutureWatcherBase::finished, this, [this, reading, generation, ratio] {
        reading->deleteLater();
        // Closed, or another picture asked for, meanwhile.
        if (generation != m_generation || !isShown())
            return;
        const LoadedPicture picture = reading->result();
        if (picture.ok()) {
            QPixmap large = QPixmap::fromImage(picture.image);
            large.setDevicePixelRatio(ratio);
            Image4->setPicture(large);
        } else if (Image4->picture().isNull()) {
            Image4->setBroken(true);
        }
    });
    // Stepping quickly asks for pictures faster than they are read: those passed are skipped.
    reading->setFuture(QtConcurrent::run(&m_reader,
        [this, generation, keep, loader = &m_loader, path = cells.path(index),
            size = Image4->size() * ratio] {
            if (generation != m_generation)
                return LoadedPicture();
            // In its own proportions as large as the box is wide; the box fits it in.
            return keep ? loader->loadFitted(path, std::max(size.width(), size.height()))
                        : loader->load(path, size);
        }));
    Q_EMIT pictureShown(cells.names()[index]);
}

int PicturePreview::stepTarget(int key) const
{
    const int last = m_grid->cells().count() - 1;
    const int at = std::min(m_grid->view().focusCell(), last);
    switch (key) {
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        return std::min(at + 1, last);
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        return std::max(at - 1, 0);
    case Qt::Key_Home:
        return 0;
    case Qt::Key_End:
        return last;
    default:
        return -1;
    }
}

void PicturePreview::stepTo(int index)
{
    // No further at either end, and nothing to step through in an empty grid.
    if (index < 0 || index >= m_grid->cells().count() || index == m_grid->view().focusCell())
        return;
    // Esc lands on the picture last seen, in view.
    m_grid->view().setFocusCell(index);
    m_grid->scrollToCell(index);
    showPicture(index);
}

void PicturePreview::Image4_Click()
{
    const bool keys = Image4->window()->focusWidget() == Image4;
    m_grid->setShown(true);
    Image4->hide();
    if (keys)
        m_grid->view().setFocus(Qt::OtherFocusReason);
    Q_EMIT pictureShown(QString());
}

bool PicturePreview::isShown() const
{
    return Image4->isVisibleTo(Image4->parentWidget());
}

bool PicturePreview::eventFilter(QObject *watched, QEvent *event)
{
    // Enter or Esc closes the large preview, as Enter on a thumbnail opened it.
    if (watched == Image4 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
            Image4_Click();
            return true;
        }
        const int target = stepTarget(key);
        if (target >= 0) {
            stepTo(target);
            return true;
        }
    }
    // The wheel turned towards the user goes on, as it scrolls the grid on; a notch a picture.
    if (watched == Image4 && event->type() == QEvent::Wheel) {
        m_wheel += static_cast<QWheelEvent *>(event)->angleDelta().y();
        const int notches = m_wheel / QWheelEvent::DefaultDeltasPerStep;
        m_wheel -= notches * QWheelEvent::DefaultDeltasPerStep;
        if (notches != 0 && m_grid->cells().count() > 0) {
            const int at = std::min(m_grid->view().focusCell(), m_grid->cells().count() - 1);
            stepTo(std::clamp(at - notches, 0, m_grid->cells().count() - 1));
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

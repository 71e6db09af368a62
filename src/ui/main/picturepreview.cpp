#include "ui/main/picturepreview.h"

#include "core/pictures/pictureloader.h"
#include "core/state/gridcells.h"
#include "ui/main/imagebox.h"
#include "ui/main/thumbnailgrid.h"
#include "ui/main/thumbnailview.h"

#include <QFutureWatcher>
#include <QKeyEvent>
#include <QtConcurrent>

#include <algorithm>

PicturePreview::PicturePreview(const PictureLoader &loader, QWidget &client)
    : QObject(&client)
    , m_loader(loader)
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
    const GridCells &cells = m_grid->cells();
    if (Index < 0 || Index >= cells.count())
        return;
    // Opened by the keys, the preview takes them over: Enter or Esc closes it.
    const bool keys = Image4->window()->focusWidget() == &m_grid->view();
    m_grid->setShown(false);
    // The grid keeps only small thumbnails: the file is read again at the preview's size on a
    // thread of its own, the thumbnail standing in meanwhile and staying when the file can no
    // longer be read. Sharp on a dense screen: read at the screen's own pixel size.
    const qreal ratio = std::max<qreal>(1, Image4->devicePixelRatioF());
    const QImage &thumbnail = cells.cell(Index).image;
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
    reading->setFuture(QtConcurrent::run(
        &m_reader, [loader = &m_loader, path = cells.path(Index), size = Image4->size() * ratio] {
            return loader->load(path, size);
        }));
    Image4->show();
    Image4->raise();
    if (keys)
        Image4->setFocus(Qt::OtherFocusReason);
}

void PicturePreview::Image4_Click()
{
    const bool keys = Image4->window()->focusWidget() == Image4;
    m_grid->setShown(true);
    Image4->hide();
    if (keys)
        m_grid->view().setFocus(Qt::OtherFocusReason);
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
    }
    return QObject::eventFilter(watched, event);
}

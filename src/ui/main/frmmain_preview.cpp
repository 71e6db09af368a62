#include "ui/main/frmmain.h"

#include "core/pictures/pictureloader.h"
#include "core/state/gridcells.h"
#include "ui/main/imagebox.h"

#include <QFutureWatcher>
#include <QPushButton>
#include <QScrollBar>
#include <QtConcurrent>

#include <algorithm>

void frmMain::Image1_DblClick(int Index)
{
    if (Index < 0 || Index >= m_cells->count())
        return;
    // Opened by the keys, the preview takes them over: Enter or Esc closes it.
    const bool keys = focusWidget() == picInner;
    picInner->hide();
    picOuter->hide();
    VBar->hide();
    ButtonLoadThumbs->hide();
    // The grid keeps only small thumbnails: the file is read again at the preview's size on a
    // thread of its own, the thumbnail standing in meanwhile and staying when the file can no
    // longer be read. Sharp on a dense screen: read at the screen's own pixel size.
    const qreal ratio = std::max<qreal>(1, devicePixelRatioF());
    const QImage &thumbnail = m_cells->cell(Index).image;
    Image4->setBroken(false);
    if (!thumbnail.isNull())
        Image4->setPicture(QPixmap::fromImage(thumbnail));
    else
        Image4->clearPicture();
    const quint64 generation = ++m_previewGeneration;
    auto *reading = new QFutureWatcher<LoadedPicture>(this);
    connect(reading, &QFutureWatcherBase::finished, this, [this, reading, generation, ratio] {
        reading->deleteLater();
        // Closed, or another picture asked for, meanwhile.
        if (generation != m_previewGeneration || !isPreviewShown())
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
    reading->setFuture(QtConcurrent::run(&m_previewReader,
        [loader = &m_loader, path = m_cells->path(Index), size = Image4->size() * ratio] {
            return loader->load(path, size);
        }));
    Image4->show();
    Image4->raise();
    if (keys)
        Image4->setFocus(Qt::OtherFocusReason);
}

void frmMain::Image4_Click()
{
    const bool keys = focusWidget() == Image4;
    picInner->show();
    picOuter->show();
    VBar->show();
    ButtonLoadThumbs->setVisible(ThumbManual);
    Image4->hide();
    if (keys)
        picInner->setFocus(Qt::OtherFocusReason);
}

bool frmMain::isPreviewShown() const
{
    return Image4->isVisibleTo(Image4->parentWidget());
}

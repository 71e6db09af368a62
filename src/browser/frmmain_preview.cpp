#include "browser/frmmain.h"

#include "browser/gridcells.h"
#include "browser/imagebox.h"
#include "browser/pictureloader.h"
#include "widgets/waitcursor.h"

#include <QPushButton>
#include <QScrollBar>

#include <algorithm>

void frmMain::Image1_DblClick(int Index)
{
    if (Index < 0 || Index >= m_cells->count())
        return;
    const WaitCursor busy(m_services.mouse());
    // Opened by the keys, the preview takes them over: Enter or Esc closes it.
    const bool keys = focusWidget() == picInner;
    picInner->hide();
    picOuter->hide();
    VBar->hide();
    ButtonLoadThumbs->hide();
    // The grid keeps only small thumbnails: read the file again at the preview's size, and
    // fall back to the thumbnail when it can no longer be read.
    // Sharp on a dense screen: read at the screen's own pixel size.
    const qreal ratio = std::max<qreal>(1, devicePixelRatioF());
    const LoadedPicture picture = m_loader.load(m_cells->path(Index), Image4->size() * ratio);
    const QImage &thumbnail = m_cells->cell(Index).image;
    if (picture.ok()) {
        QPixmap large = QPixmap::fromImage(picture.image);
        large.setDevicePixelRatio(ratio);
        Image4->setPicture(large);
    } else if (!thumbnail.isNull()) {
        Image4->setPicture(QPixmap::fromImage(thumbnail));
    } else {
        Image4->setBroken(true);
    }
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

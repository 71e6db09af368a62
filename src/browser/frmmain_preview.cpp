#include "browser/frmmain.h"

#include "browser/gridcells.h"
#include "browser/imagebox.h"
#include "browser/pictureloader.h"
#include "widgets/waitcursor.h"

#include <QPushButton>
#include <QScrollBar>

void frmMain::Image1_DblClick(int Index)
{
    if (Index < 0 || Index >= m_cells->count())
        return;
    const WaitCursor busy(m_services.mouse());
    picInner->hide();
    picOuter->hide();
    VBar->hide();
    ButtonLoadThumbs->hide();
    // The grid keeps only small thumbnails: read the file again at the preview's size, and
    // fall back to the thumbnail when it can no longer be read.
    const LoadedPicture picture = m_loader.load(m_cells->path(Index), Image4->size());
    const QImage &thumbnail = m_cells->cell(Index).image;
    if (picture.ok())
        Image4->setPicture(QPixmap::fromImage(picture.image));
    else if (!thumbnail.isNull())
        Image4->setPicture(QPixmap::fromImage(thumbnail));
    else
        Image4->setBroken(true);
    Image4->show();
    Image4->raise();
}

void frmMain::Image4_Click()
{
    picInner->show();
    picOuter->show();
    VBar->show();
    ButtonLoadThumbs->setVisible(ThumbManual);
    Image4->hide();
}

bool frmMain::isPreviewShown() const
{
    return Image4->isVisibleTo(Image4->parentWidget());
}

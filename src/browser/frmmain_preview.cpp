#include "browser/frmmain.h"

#include "browser/imagebox.h"
#include "browser/pictureloader.h"
#include "widgets/waitcursor.h"

#include <QPushButton>
#include <QScrollBar>

void frmMain::Image1_DblClick(int Index)
{
    if (Index < 0 || Index >= m_gridNames.size())
        return;
    const WaitCursor busy(m_services.mouse());
    picInner->hide();
    picOuter->hide();
    VBar->hide();
    ButtonLoadThumbs->hide();
    // The grid keeps only small thumbnails: read the file again at the preview's size, and
    // fall back to the thumbnail when it can no longer be read.
    const LoadedPicture picture
        = m_loader.load(PathString(m_gridFolder, m_gridNames[Index]), Image4->size());
    if (picture.ok())
        Image4->setPicture(QPixmap::fromImage(picture.image));
    else if (!Image1(Index)->picture().isNull())
        Image4->setPicture(Image1(Index)->picture());
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

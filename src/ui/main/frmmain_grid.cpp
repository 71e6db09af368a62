#include "ui/main/frmmain.h"

#include "core/pictures/picturecache.h"
#include "core/state/gridcells.h"
#include "ui/main/thumbnailview.h"

#include <QProgressBar>
#include <QScrollBar>

#include <algorithm>

namespace
{
// The canvas sits at (10, 10) in the viewport; it grows 30 pixels a cell (150 a row of five).
constexpr int canvasMargin = 10;
constexpr int canvasWidth = 545;
constexpr int scrollPerCell = ThumbnailView::pitchY / ThumbnailView::columns;
constexpr int canvasExtra = 110;
} // namespace

void frmMain::LoadThumbnails()
{
    // Sharp on a dense screen: the pictures are read at the screen's own pixel size.
    const qreal ratio = std::max<qreal>(1, devicePixelRatioF());
    m_cache->setThumbnailSize(ThumbnailView::pictureSize * ratio);
    m_cells->build(m_state.folder(), m_state.fileNames());
    picInner->resetFocus();
    const int count = m_cells->count();
    const int canvasHeight = scrollPerCell * count + canvasExtra;
    // Scrolled to the end, the canvas's foot meets the viewport's: never into blank space.
    VBar->setMaximum(std::max(0, canvasHeight - picOuter->height()));
    // A new grid starts at its top, with the scroll bar there too.
    VBar->setValue(0);
    picInner->setGeometry(canvasMargin, canvasMargin - VBar->value(), canvasWidth, canvasHeight);
    showOnScreen();
    picInner->update();
    if (m_cells->isBuilding())
        picOuter->setCursor(Qt::BusyCursor);
}

void frmMain::showOnScreen()
{
    // The part of the canvas the viewport lets through.
    const QRect seen(-picInner->pos(), picOuter->size());
    const auto [first, last] = picInner->cellsIn(seen);
    m_cells->setOnScreen(first, last);
}

void frmMain::showProgress(int done, int total)
{
    ProgressBar1->setValue(total == 0 ? ProgressBar1->maximum() : 100 * done / total);
    if (done == total)
        picOuter->unsetCursor();
}

void frmMain::showCell(int index)
{
    if (index >= m_cells->firstOnScreen() && index <= m_cells->lastOnScreen())
        picInner->repaintCell(index);
}

void frmMain::scrollToCell(int index)
{
    const QRect cell = ThumbnailView::pictureRect(index).united(ThumbnailView::captionRect(index));
    const int top = cell.top() + canvasMargin;
    const int bottom = cell.bottom() + canvasMargin;
    if (top < VBar->value())
        VBar->setValue(top);
    else if (bottom >= VBar->value() + picOuter->height())
        VBar->setValue(bottom - picOuter->height() + 1);
}

void frmMain::UnloadThumbnails()
{
    if (m_cells->count() == 0)
        return;
    m_cells->clear();
    m_cache->trim();
    picOuter->unsetCursor();
    picInner->update();
}

void frmMain::VBar_Change(int value)
{
    picInner->move(canvasMargin, canvasMargin - value);
    showOnScreen();
}

QStringList frmMain::gridNames() const
{
    return m_cells->names();
}

#include "ui/main/frmmain.h"

#include "core/state/gridcells.h"
#include "ui/main/thumbnailview.h"

#include <QAction>
#include <QListWidget>

#include <algorithm>

// A thumbnail stands for the file it shows: the grid's own folder and names, which may
// differ from the file list after a folder change in manual mode. Its mark shows whether its
// file is selected, so changing the selection repaints the grid once.

void frmMain::Image1_Click(int Index)
{
    if (Index < 0 || Index >= m_cells->count())
        return;
    // An entry matches only the file's own full path.
    m_state.toggle(m_cells->path(Index));
}

void frmMain::Image1_RangeClick(int from, int to)
{
    const int first = std::max(0, std::min(from, to));
    const int last = std::min(m_cells->count() - 1, std::max(from, to));
    // Added in grid order whichever end was clicked first, as one change of the selection.
    QStringList paths;
    for (int i = first; i <= last; ++i)
        paths.append(m_cells->path(i));
    m_state.select(paths);
}

void frmMain::mnuEditSelectAll_Click()
{
    if (m_cells->count() == 0)
        return;
    QStringList paths;
    paths.reserve(m_cells->count());
    for (int i = 0; i < m_cells->count(); ++i)
        paths.append(m_cells->path(i));
    m_state.select(paths);
}

void frmMain::mnuEditSelectNone_Click()
{
    m_state.clearSelection();
}

void frmMain::showSelection()
{
    List1->clear();
    List1->addItems(m_state.selection());
    updateActions();
    picInner->update();
}

void frmMain::updateActions()
{
    const bool selected = !m_state.selection().isEmpty();
    mnuEditSelectNone->setEnabled(selected);
    mnuEditDelete->setEnabled(selected);
    mnuMovePictures->setEnabled(selected);
    mnuRename->setEnabled(selected);
}

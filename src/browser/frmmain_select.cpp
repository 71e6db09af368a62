#include "browser/frmmain.h"

#include "browser/imagebox.h"

#include <QAction>
#include <QListWidget>
#include <QSet>

// A thumbnail stands for the file it shows: the grid's own folder and names, which may
// differ from the file list after a folder change in manual mode.

void frmMain::Image1_Click(int Index)
{
    if (Index < 0 || Index >= m_gridNames.size())
        return;
    // An entry matches only the file's own full path.
    setMark(Index, m_state.toggle(PathString(m_gridFolder, m_gridNames[Index])));
}

void frmMain::mnuEditSelectAll_Click()
{
    if (Label1(0)->caption().isEmpty())
        return;
    QStringList paths;
    for (int i = 0; i < m_gridNames.size(); ++i) {
        paths.append(PathString(m_gridFolder, m_gridNames[i]));
        setMark(i, true);
    }
    m_state.select(paths);
}

void frmMain::mnuEditSelectNone_Click()
{
    m_state.clearSelection();
    for (int i = 0; i < m_gridNames.size(); ++i)
        setMark(i, false);
}

void frmMain::RestoreSelectionMarks()
{
    const QStringList selection = m_state.selection();
    const QSet<QString> selected(selection.begin(), selection.end());
    for (int x = 0; x < m_gridNames.size(); ++x) {
        if (selected.contains(PathString(m_gridFolder, m_gridNames[x])))
            setMark(x, true);
    }
}

void frmMain::showSelection()
{
    List1->clear();
    List1->addItems(m_state.selection());
    updateActions();
}

void frmMain::updateActions()
{
    const bool selected = !m_state.selection().isEmpty();
    mnuEditSelectNone->setEnabled(selected);
    mnuEditDelete->setEnabled(selected);
    mnuMovePictures->setEnabled(selected);
    mnuRename->setEnabled(selected);
}

void frmMain::setMark(int index, bool marked)
{
    ImageBox *image = Image1(index);
    CellLabel *label = Label1(index);
    if (image == nullptr || label == nullptr)
        return;
    label->setOpaque(marked);
    label->setBorder(marked);
    image->setBorder(marked);
}

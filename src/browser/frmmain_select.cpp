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
    const QString path = PathString(m_gridFolder, m_gridNames[Index]);
    // An entry matches only the file's own full path.
    const QList<QListWidgetItem *> found
        = List1->findItems(path, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (!found.isEmpty()) {
        delete List1->takeItem(List1->row(found.first()));
        setMark(Index, false);
        if (List1->count() == 0)
            DisableSelectionCommands();
        return;
    }
    EnableSelectionCommands();
    List1->addItem(path);
    setMark(Index, true);
}

void frmMain::mnuEditSelectAll_Click()
{
    if (Label1(0)->caption().isEmpty())
        return;
    for (int i = 0; i < m_gridNames.size(); ++i) {
        if (!isMarked(i))
            List1->addItem(PathString(m_gridFolder, m_gridNames[i]));
        setMark(i, true);
    }
    EnableSelectionCommands();
    if (List1->count() == 0)
        DisableSelectionCommands();
}

void frmMain::mnuEditSelectNone_Click()
{
    List1->clear();
    for (int i = 0; i < m_gridNames.size(); ++i)
        setMark(i, false);
    DisableSelectionCommands();
}

void frmMain::RestoreSelectionMarks()
{
    QSet<QString> selected;
    for (int i = 0; i < List1->count(); ++i)
        selected.insert(List1->item(i)->text());
    if (!selected.isEmpty()) {
        for (int x = 0; x < m_gridNames.size(); ++x) {
            if (selected.contains(PathString(m_gridFolder, m_gridNames[x])))
                setMark(x, true);
        }
    }
    if (List1->count() == 0)
        DisableSelectionCommands();
}

void frmMain::DisableSelectionCommands()
{
    mnuEditSelectNone->setEnabled(false);
    mnuEditDelete->setEnabled(false);
    mnuMovePictures->setEnabled(false);
    mnuRename->setEnabled(false);
}

void frmMain::EnableSelectionCommands()
{
    mnuEditSelectNone->setEnabled(true);
    mnuEditDelete->setEnabled(true);
    mnuMovePictures->setEnabled(true);
    mnuRename->setEnabled(true);
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

bool frmMain::isMarked(int index) const
{
    const CellLabel *label = Label1(index);
    return label != nullptr && label->isOpaque();
}

#pragma once

#include <QObject>
#include <QStringList>

class BrowserState;
class QAction;
namespace flows
{
struct Recovery;
}
namespace journal
{
struct Batch;
}
namespace platform
{
class Services;
}

// The main window's commands on files, with their questions and reports: Delete, Undo (whose
// menu entry names the last batch while it can be undone), the recovery of a batch a run did
// not finish, and the files dropped onto a folder. The flows do the work; this says it.
class FileCommands : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileCommands)
public:
    // Edit > Undo is the entry it keeps up to date.
    FileCommands(platform::Services &services, BrowserState &state, QAction &undo, QObject *parent);

    // Tells the user of a batch that did not finish, offers to undo what it did, and clears up
    // what it left; a damaged record of it is set aside.
    void recoverUnfinishedBatch();
    // What it tells of the batch found, its question included when it offers the undo.
    static QString recoveryMessage(const flows::Recovery &found);
    // The dropped files move to the folder as the Move window would move them.
    void moveDroppedFiles(const QStringList &files, const QString &folder);

public Q_SLOTS:
    void mnuEditDelete_Click();
    void mnuEditUndo_Click();
    void updateUndo();

private:
    void runUndo(const journal::Batch &batch);

    platform::Services &m_services;
    BrowserState &m_state;
    QAction &mnuEditUndo;
};

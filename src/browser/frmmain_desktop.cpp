#include "browser/frmmain.h"

#include "browser/gridcells.h"

#include "core/jobs.h"
#include "core/journal.h"
#include "move/moverules.h"
#include "widgets/folderlistbox.h"
#include "widgets/waitcursor.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QUrl>

// What a desktop user expects of the browser beyond its menus: a context menu on the grid,
// and files dropped from a file manager onto a folder.

void frmMain::connectDesktop()
{
    // Thumbnails pass the request on to the grid's area, wherever the click was.
    picOuter->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(picOuter, &QWidget::customContextMenuRequested, this,
        [this](const QPoint &position) { gridMenu()->popup(picOuter->mapToGlobal(position)); });

    Dir1->acceptFileDrops();
    // After the drop has ended, so that the file manager is not kept waiting by the question.
    connect(
        Dir1, &FolderListBox::filesDropped, this, &frmMain::moveDroppedFiles, Qt::QueuedConnection);
}

QMenu *frmMain::gridMenu()
{
    if (m_gridMenu != nullptr)
        return m_gridMenu;
    // The menu bar's own actions, so their keys and enabled states are the same here.
    m_gridMenu = new QMenu(this);
    m_gridMenu->addAction(mnuEditSelectAll);
    m_gridMenu->addAction(mnuEditSelectNone);
    m_gridMenu->addSeparator();
    m_gridMenu->addAction(mnuEditDelete);
    m_gridMenu->addSeparator();
    m_gridMenu->addAction(mnuRename);
    m_gridMenu->addAction(mnuMovePictures);
    m_gridMenu->addSeparator();
    QAction *showFolder = m_gridMenu->addAction(tr("Show in file manager"));
    connect(showFolder, &QAction::triggered, this, &frmMain::showFolderInFileManager);
    return m_gridMenu;
}

void frmMain::showFolderInFileManager()
{
    // The folder the thumbnails come from, which in manual mode may not be the one listed.
    const QString folder = m_cells->folder().isEmpty() ? m_state.folder() : m_cells->folder();
    if (folder.isEmpty())
        return;
    if (!m_services.program().openExternal(
            QUrl::fromLocalFile(QDir::fromNativeSeparators(folder)))) {
        m_services.boxes().MsgBox(
            tr("No file manager could be started to show the folder %1.").arg(folder),
            platform::box::Exclamation, platform::programTitle);
    }
}

void frmMain::moveDroppedFiles(const QStringList &files, const QString &folder)
{
    QList<jobs::Target> targets;
    for (const QString &file : files) {
        const QString target = rules::destinationPath(folder, file);
        // A file dropped onto its own folder stays where it is.
        if (QDir::cleanPath(target) != QDir::cleanPath(file))
            targets.append({ file, target });
    }
    if (targets.isEmpty())
        return;
    // The move window's question and report, and its job, which never replaces a file.
    if (m_services.boxes().MsgBox(tr("Are you sure you want to MOVE these files ?"),
            platform::box::OkCancel | platform::box::Question, QStringLiteral("Tessary"))
        != platform::Answer::Ok)
        return;
    jobs::JobReport report;
    {
        const WaitCursor busy(m_services.mouse());
        journal::Recorder journal(m_services.fs());
        report = jobs::moveFiles(targets, m_services.fs(), jobs::Pairs::Apart, &journal);
    }
    m_services.boxes().MsgBox(QString::number(report.done.size()) + tr(" Files moved!"),
        platform::box::OkOnly, platform::programTitle);
    if (!report.failed.isEmpty()) {
        m_services.boxes().MsgBox(jobs::failureList(tr("These files were not moved:"), report),
            platform::box::Exclamation, platform::programTitle);
    }
    m_state.afterJob(BrowserState::ManualGrid::Keep);
}

void frmMain::thumbnailsDraggedOut(Qt::DropAction action)
{
    // A copy leaves everything as it was; after a move the grid and the selection must not
    // show files that are no longer there.
    if (action == Qt::MoveAction)
        m_state.afterJob(BrowserState::ManualGrid::Keep);
}

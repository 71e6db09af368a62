#include "ui/main/frmmain.h"

#include "core/state/gridcells.h"

#include "core/flows/moveflow.h"
#include "ui/move/movefilewindow.h"
#include "ui/widgets/folderlistbox.h"

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
    // The move window's plan, question and report: a pair moves whole, as it would there.
    const flows::MovePlan plan = flows::movePlan(files, folder, m_state.pairs());
    if (plan.problem != flows::MovePlan::Problem::None)
        return;
    if (MoveFileWindow::askAndMove(m_services, plan))
        m_state.afterJob(BrowserState::ManualGrid::Keep);
}

void frmMain::thumbnailsDraggedOut(Qt::DropAction action)
{
    // A copy leaves everything as it was; after a move the grid and the selection must not
    // show files that are no longer there.
    if (action == Qt::MoveAction)
        m_state.afterJob(BrowserState::ManualGrid::Keep);
}

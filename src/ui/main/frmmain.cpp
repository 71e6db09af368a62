#include "ui/main/frmmain.h"

#include "core/buildinfo.h"
#include "core/names/rules.h"
#include "core/state/gridcells.h"
#include "ui/info/about.h"
#include "ui/info/help.h"
#include "ui/main/filecommands.h"
#include "ui/main/imagebox.h"
#include "ui/main/picturepreview.h"
#include "ui/main/thumbnailgrid.h"
#include "ui/main/thumbnailview.h"
#include "ui/move/movefilewindow.h"
#include "ui/options/frmoptions.h"
#include "ui/rename/rename.h"
#include "ui/widgets/colours.h"
#include "ui/widgets/drivelistbox.h"
#include "ui/widgets/filelistbox.h"
#include "ui/widgets/folderlistbox.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/waitcursor.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QScreen>

namespace
{
// The window's client area.
constexpr QSize clientSize(771, 533);
constexpr double listFontPoints = 8.25;

QFont listFont()
{
    QFont font(QStringLiteral("Comic Sans MS"));
    font.setPointSizeF(listFontPoints);
    return font;
}
} // namespace

frmMain::frmMain(platform::Services &services, const PictureLoader &loader, QWidget *parent)
    : QMainWindow(parent)
    , m_services(services)
{
    installFontSubstitutes();
    buildControls(loader);
    buildMenus();
    m_commands = std::make_unique<FileCommands>(m_services, m_state, *mnuEditUndo, this);
    m_grid->setMenu({ mnuEditSelectAll, mnuEditSelectNone, nullptr, mnuEditDelete, nullptr,
        mnuRename, mnuMovePictures });
    nameControls();
    fixSize();
    connectEvents();
}

void frmMain::buildControls(const PictureLoader &loader)
{
    setWindowTitle(platform::programTitle);
    setWindowIcon(QIcon(QStringLiteral(":/icons/camera.svg")));
    auto *client = new QWidget(this);
    client->setFixedSize(clientSize);
    setCentralWidget(client);
    // The preview lies under the other controls until it is shown.
    m_preview = std::make_unique<PicturePreview>(loader, m_state, *client);

    Image5 = new ImageBox(client);
    Image5->setGeometry(8, 8, 32, 32);
    Image5->setPicture(QIcon(QStringLiteral(":/icons/camera.svg")).pixmap(QSize(32, 32)));

    Label3 = new QLabel(platform::programTitle, client);
    Label3->setGeometry(56, 8, 121, 25);
    QFont title(QStringLiteral("Trebuchet MS"));
    title.setPointSize(14);
    title.setBold(true);
    Label3->setFont(title);
    colours::setNavyText(Label3);

    Label4 = new QLabel(tr("Version %1").arg(QStringLiteral(RAVELIN_VERSION)), client);
    Label4->setGeometry(72, 32, 73, 17);
    growToText(Label4);

    Drive1 = new DriveListBox(m_services.drives(), client);
    Drive1->setGeometry(8, 64, 177, 23);
    Drive1->setFont(listFont());
    Drive1->setToolTip(tr("Select Drive or Device"));
    Drive1->setAccessibleName(tr("Drive"));

    Dir1 = new FolderListBox(client);
    Dir1->setGeometry(8, 96, 175, 210);
    Dir1->setFont(listFont());
    Dir1->setToolTip(tr("Select Folder"));
    Dir1->setAccessibleName(tr("Folders"));

    List1 = new QListWidget(client);
    List1->setGeometry(8, 312, 174, 212);
    List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    List1->setAccessibleName(tr("Selected pictures"));
    // A long selection is laid out a batch at a time, so that Select All in a large folder
    // does not hold the window up.
    List1->setLayoutMode(QListView::Batched);

    File1 = new FileListBox(client);
    File1->setGeometry(712, 0, 165, 201);
    File1->setFont(listFont());
    File1->setToolTip(tr("Select files"));
    File1->setAccessibleName(tr("Picture files"));
    File1->hide();

    m_grid = std::make_unique<ThumbnailGrid>(m_services, loader, m_state, *client);
    m_preview->showFrom(*m_grid);
    // The picture shown large is named in the title, as long as it is shown.
    connect(m_preview.get(), &PicturePreview::pictureShown, this, [this](const QString &name) {
        setWindowTitle(name.isEmpty()
                ? platform::programTitle
                : QStringLiteral("%1 - %2").arg(platform::programTitle, name));
    });
    // The keys go from the folder list to the grid, then to the selection list.
    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, &m_grid->view());
    setTabOrder(&m_grid->view(), List1);
    // The folder list has the keys at start: the drive list would change the drive on them.
    Dir1->setFocus();
}

void frmMain::fixSize()
{
    // Measured with the menu bar in place, which the window's height includes.
    adjustSize();
    setFixedSize(size());
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void frmMain::buildMenus()
{
    mnuFile = menuBar()->addMenu(tr("&File"));
    mnuFileExit = mnuFile->addAction(tr("E&xit"));
    // Ctrl+Q as well, the desktop's usual key for quitting; the menu shows Ctrl+X.
    mnuFileExit->setShortcuts(
        { QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::CTRL | Qt::Key_Q) });

    mnuEdit = menuBar()->addMenu(tr("&Edit"));
    mnuEditSelectAll = mnuEdit->addAction(tr("Select All"));
    mnuEditSelectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    mnuEditSelectNone = mnuEdit->addAction(tr("Select None"));
    mnuEditSelectNone->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuEdit->addSeparator();
    mnuEditDelete = mnuEdit->addAction(tr("Delete"));
    mnuEditDelete->setShortcut(QKeySequence(Qt::Key_Delete));
    mnuEdit->addSeparator();
    mnuRename = mnuEdit->addAction(tr("Rename"));
    mnuRename->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    mnuMovePictures = mnuEdit->addAction(tr("Move"));
    mnuMovePictures->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    mnuEdit->addSeparator();
    mnuEditUndo = mnuEdit->addAction(tr("Undo"));
    mnuEditUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));

    mnuTools = menuBar()->addMenu(tr("&Tools"));
    mnuToolsOptions = mnuTools->addAction(tr("&Options..."));
    mnuToolsOptions->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));

    mnuHelp = menuBar()->addMenu(tr("&Help"));
    mnuHelpContents = mnuHelp->addAction(tr("&Contents"));
    mnuHelp->addSeparator();
    mnuHelpAbout = mnuHelp->addAction(tr("&About "));

    updateActions();
}

void frmMain::connectEvents()
{
    connect(Drive1, &DriveListBox::changed, this, &frmMain::Drive1_Change);
    connect(Dir1, &FolderListBox::changed, this, &frmMain::Dir1_Change);
    connect(Dir1, &FolderListBox::openFailed, this, &frmMain::openFailed);
    Dir1->acceptFileDrops();
    // After the drop has ended, so that the file manager is not kept waiting by the question.
    connect(Dir1, &FolderListBox::filesDropped, m_commands.get(), &FileCommands::moveDroppedFiles,
        Qt::QueuedConnection);

    connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);
    connect(mnuEditSelectAll, &QAction::triggered, this, &frmMain::mnuEditSelectAll_Click);
    connect(mnuEditSelectNone, &QAction::triggered, this, &frmMain::mnuEditSelectNone_Click);
    connect(
        mnuEditDelete, &QAction::triggered, m_commands.get(), &FileCommands::mnuEditDelete_Click);
    connect(mnuRename, &QAction::triggered, this, &frmMain::mnuRename_Click);
    connect(mnuMovePictures, &QAction::triggered, this, &frmMain::mnuMovePictures_Click);
    connect(mnuEditUndo, &QAction::triggered, m_commands.get(), &FileCommands::mnuEditUndo_Click);
    connect(mnuEdit, &QMenu::aboutToShow, m_commands.get(), &FileCommands::updateUndo);
    connect(mnuToolsOptions, &QAction::triggered, this, &frmMain::mnuToolsOptions_Click);
    connect(mnuHelpContents, &QAction::triggered, this, &frmMain::mnuHelpContents_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);

    // The selection list, the commands that need a selection and the file list follow the
    // state, whichever window changed it.
    connect(&m_state, &BrowserState::selectionChanged, this, &frmMain::showSelection);
    connect(&m_state, &BrowserState::filesChanged, this,
        [this] { File1->showFiles(m_state.folder(), m_state.fileNames()); });
    connect(&m_state, &BrowserState::foldersChanged, Dir1, &FolderListBox::refresh);
    connect(&m_state, &BrowserState::usableChanged, this, &QWidget::setEnabled);
}

void frmMain::nameControls()
{
    // The names the controls have always had, by which tests and tools find them.
    const std::pair<QObject *, const char *> named[] = { { Image5, "Image5" }, { Label3, "Label3" },
        { Label4, "Label4" }, { Drive1, "Drive1" }, { Dir1, "Dir1" }, { List1, "List1" },
        { File1, "File1" }, { mnuFile, "mnuFile" }, { mnuFileExit, "mnuFileExit" },
        { mnuEdit, "mnuEdit" }, { mnuEditSelectAll, "mnuEditSelectAll" },
        { mnuEditSelectNone, "mnuEditSelectNone" }, { mnuEditDelete, "mnuEditDelete" },
        { mnuRename, "mnuRename" }, { mnuMovePictures, "mnuMovePictures" },
        { mnuEditUndo, "mnuEditUndo" }, { mnuTools, "mnuTools" },
        { mnuToolsOptions, "mnuToolsOptions" }, { mnuHelp, "mnuHelp" },
        { mnuHelpContents, "mnuHelpContents" }, { mnuHelpAbout, "mnuHelpAbout" } };
    for (const auto &[control, name] : named)
        control->setObjectName(QLatin1String(name));
}

bool frmMain::Form_Load()
{
    const platform::InstanceClaim claim = m_services.instance().claim();
    if (claim.outcome == platform::InstanceClaim::AnotherRunning) {
        m_services.boxes().MsgBox(
            tr("Ravelin is already running!"), platform::box::Exclamation, platform::programTitle);
        m_services.program().end();
        return false;
    }
    m_alone = claim.outcome != platform::InstanceClaim::Failed;
    // Not knowing is no reason to keep the user out.
    if (claim.outcome == platform::InstanceClaim::Failed) {
        m_services.boxes().MsgBox(tr("Ravelin cannot tell whether another copy of "
                                     "it is running, and starts anyway.\n\n%1")
                                      .arg(claim.error),
            platform::box::Exclamation, platform::programTitle);
    }
    // The lists start at the folder that is current when the program starts.
    const QString start = m_services.fs().currentFolder();
    {
        // No thumbnails are built before the user's first folder change.
        const QSignalBlocker blocker(Dir1);
        if (Dir1->setPath(start))
            m_state.showFolder(Dir1->path());
    }
    Drive1->showDriveOf(Dir1->path());
    return true;
}

void frmMain::openFolder(const QString &path)
{
    const QString before = Dir1->path();
    Drive1->showDriveOf(path);
    if (!Dir1->setPath(path)) {
        Drive1->showDriveOf(before);
        openFailed(path);
        return;
    }
    // Asked for by name, the folder is shown even when it is the current one already.
    if (Dir1->path() == before)
        Dir1_Change();
}

void frmMain::Drive1_Change()
{
    // Setting the folder list's path raises Dir1_Change, which follows the new folder.
    if (!Dir1->setPath(Drive1->root())) {
        m_services.boxes().MsgBox(
            tr("Drive Can not be found."), platform::box::Critical, platform::programTitle);
    }
}

void frmMain::Dir1_Change()
{
    const WaitCursor busy(m_services.mouse());
    m_state.showFolder(Dir1->path());
    // The grid opens files by full path and no window reads the current folder, but it
    // follows the one shown, as users of the program's file commands expect.
    const platform::FsResult moved = m_services.fs().setCurrentFolder(Dir1->path());
    Q_UNUSED(moved);
    Drive1->showDriveOf(Dir1->path());
    if (!m_state.settings().thumbManual)
        m_grid->rebuild();
}

void frmMain::openFailed(const QString &path)
{
    m_services.boxes().MsgBox(
        FolderListBox::cannotOpenText(path), platform::box::Critical, platform::programTitle);
}

PictureCache &frmMain::pictureCache()
{
    return m_grid->cache();
}

void frmMain::recoverUnfinishedBatch()
{
    // The journal may be that of a batch another copy is running now.
    if (m_alone)
        m_commands->recoverUnfinishedBatch();
}

void frmMain::mnuFileExit_Click()
{
    hide();
    m_services.program().end();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // Held out of use by the options window, the window cannot be closed either, as no
    // disabled window can. Otherwise closing is not intercepted: the program ends once no
    // other window is open.
    if (m_state.heldOutOfUse())
        event->ignore();
    else
        event->accept();
}

void frmMain::mnuEditSelectAll_Click()
{
    if (m_grid->cells().count() == 0)
        return;
    QStringList paths;
    paths.reserve(m_grid->cells().count());
    for (int i = 0; i < m_grid->cells().count(); ++i)
        paths.append(m_grid->cells().path(i));
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
}

void frmMain::updateActions()
{
    const bool selected = !m_state.selection().isEmpty();
    mnuEditSelectNone->setEnabled(selected);
    mnuEditDelete->setEnabled(selected);
    mnuMovePictures->setEnabled(selected);
    mnuRename->setEnabled(selected);
}

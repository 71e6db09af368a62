#include "ui/main/frmmain.h"

#include "core/buildinfo.h"
#include "core/names/rules.h"
#include "core/pictures/picturecache.h"
#include "core/state/gridcells.h"
#include "ui/info/about.h"
#include "ui/info/help.h"
#include "ui/main/imagebox.h"
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
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>

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
    , m_loader(loader)
    , m_cache(std::make_unique<PictureCache>(loader, ThumbnailView::pictureSize))
    , m_cells(std::make_unique<GridCells>(*m_cache))
{
    installFontSubstitutes();
    buildControls();
    buildMenus();
    fixSize();
    connectEvents();
    connectState();
}

void frmMain::buildControls()
{
    setWindowTitle(platform::programTitle);
    setWindowIcon(QIcon(QStringLiteral(":/icons/camera.svg")));
    auto *client = new QWidget(this);
    client->setFixedSize(clientSize);
    setCentralWidget(client);

    Image4 = new ImageBox(client);
    Image4->setGeometry(192, 8, 577, 505);
    Image4->hide();

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

    picOuter = new QWidget(client);
    picOuter->setGeometry(192, 8, 561, 505);
    picOuter->setAccessibleName(tr("Thumbnails"));
    picInner = new ThumbnailView(*m_cells, m_state, picOuter);
    picInner->setGeometry(10, 10, 545, 110);
    // The grid takes the keys, so a screen reader names it when it gets them.
    picInner->setAccessibleName(tr("Thumbnails"));
    Image1 = GridCellArray(picInner, m_cells.get(), false);
    Label1 = GridCellArray(picInner, m_cells.get(), true);

    VBar = new QScrollBar(Qt::Vertical, client);
    VBar->setGeometry(752, 8, 17, 505);
    VBar->setRange(0, 0);
    VBar->setSingleStep(30);
    VBar->setPageStep(450);
    VBar->setAccessibleName(tr("Scroll thumbnails"));

    ButtonLoadThumbs = new QPushButton(client);
    ButtonLoadThumbs->setGeometry(704, 464, 41, 41);
    ButtonLoadThumbs->setIcon(QIcon(QStringLiteral(":/icons/thumbnails.svg")));
    ButtonLoadThumbs->setIconSize(QSize(32, 32));
    ButtonLoadThumbs->setToolTip(tr("View Thumbnails"));
    ButtonLoadThumbs->setAccessibleName(ButtonLoadThumbs->toolTip());
    ButtonLoadThumbs->hide();

    ProgressBar1 = new QProgressBar(client);
    ProgressBar1->setGeometry(192, 515, 577, 9);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setAccessibleName(tr("Loading thumbnails"));

    // The keys go from the folder list to the grid, then to the selection list.
    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, picInner);
    setTabOrder(picInner, List1);
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
    connect(ButtonLoadThumbs, &QPushButton::clicked, this, &frmMain::ButtonLoadThumbs_Click);
    connect(VBar, &QScrollBar::valueChanged, this, &frmMain::VBar_Change);
    connect(Image4, &ImageBox::clicked, this, &frmMain::Image4_Click);
    connect(picInner, &ThumbnailView::clicked, this, &frmMain::Image1_Click);
    connect(picInner, &ThumbnailView::doubleClicked, this, &frmMain::Image1_DblClick);
    connect(picInner, &ThumbnailView::rangeClicked, this, &frmMain::Image1_RangeClick);
    connect(picInner, &ThumbnailView::activated, this, &frmMain::Image1_DblClick);
    connect(picInner, &ThumbnailView::focusCellMoved, this, &frmMain::scrollToCell);
    connect(picInner, &ThumbnailView::draggedOut, this, &frmMain::thumbnailsDraggedOut);
    Image4->installEventFilter(this);
    connect(m_cells.get(), &GridCells::progress, this, &frmMain::showProgress);
    connect(m_cells.get(), &GridCells::cellChanged, this, &frmMain::showCell);
    picOuter->installEventFilter(this);

    connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);
    connect(mnuEditSelectAll, &QAction::triggered, this, &frmMain::mnuEditSelectAll_Click);
    connect(mnuEditSelectNone, &QAction::triggered, this, &frmMain::mnuEditSelectNone_Click);
    connect(mnuEditDelete, &QAction::triggered, this, &frmMain::mnuEditDelete_Click);
    connect(mnuRename, &QAction::triggered, this, &frmMain::mnuRename_Click);
    connect(mnuMovePictures, &QAction::triggered, this, &frmMain::mnuMovePictures_Click);
    connect(mnuEditUndo, &QAction::triggered, this, &frmMain::mnuEditUndo_Click);
    connect(mnuEdit, &QMenu::aboutToShow, this, &frmMain::updateUndo);
    connect(mnuToolsOptions, &QAction::triggered, this, &frmMain::mnuToolsOptions_Click);
    connect(mnuHelpContents, &QAction::triggered, this, &frmMain::mnuHelpContents_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);
    connectDesktop();
}

void frmMain::connectState()
{
    // The selection list, the commands that need a selection, the file list and the grid
    // follow the state, whichever window changed it.
    connect(&m_state, &BrowserState::selectionChanged, this, &frmMain::showSelection);
    connect(&m_state, &BrowserState::filesChanged, this,
        [this] { File1->showFiles(m_state.folder(), m_state.fileNames()); });
    connect(&m_state, &BrowserState::thumbManualChanged, this,
        [this](bool manual) { ButtonLoadThumbs->setVisible(manual && !isPreviewShown()); });
    connect(&m_state, &BrowserState::rebuildRequested, this, &frmMain::rebuildGrid);
    connect(&m_state, &BrowserState::unloadRequested, this, &frmMain::UnloadThumbnails);
    connect(&m_state, &BrowserState::foldersChanged, Dir1, &FolderListBox::refresh);
    connect(&m_state, &BrowserState::usableChanged, this, &QWidget::setEnabled);
    connect(&m_state, &BrowserState::lastBatchChanged, this, &frmMain::updateUndo);
    updateUndo();
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
    if (!ThumbManual)
        rebuildGrid();
}

void frmMain::openFailed(const QString &path)
{
    m_services.boxes().MsgBox(
        FolderListBox::cannotOpenText(path), platform::box::Critical, platform::programTitle);
}

void frmMain::ButtonLoadThumbs_Click()
{
    rebuildGrid();
}

void frmMain::rebuildGrid()
{
    const WaitCursor busy(m_services.mouse());
    UnloadThumbnails();
    LoadThumbnails();
    PreviousFileCount = static_cast<int>(m_state.fileNames().size());
}

void frmMain::setThumbnailsManual(bool manual)
{
    m_state.setThumbManual(manual);
}

QString frmMain::PathString(const QString &folder, const QString &name) const
{
    return rules::joinPath(folder, name);
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

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    // The mouse wheel over the grid scrolls it, as users expect of a scrolled view.
    if (watched == picOuter && event->type() == QEvent::Wheel) {
        const auto *wheel = static_cast<QWheelEvent *>(event);
        const int notches = wheel->angleDelta().y() / 120;
        VBar->setValue(VBar->value() - notches * 3 * VBar->singleStep());
        return true;
    }
    // Enter or Esc closes the large preview, as Enter on a thumbnail opened it.
    if (watched == Image4 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
            Image4_Click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

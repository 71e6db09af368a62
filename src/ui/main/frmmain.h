#pragma once

#include "core/files/platform.h"
#include "core/state/browserstate.h"
#include "ui/main/thumbnailview.h"

#include <QMainWindow>
#include <QStringList>
#include <QThreadPool>
#include <memory>

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QScrollBar;
class DriveListBox;
class FolderListBox;
class FileListBox;
class ImageBox;
class GridCells;
class PictureCache;
class PictureLoader;
class Rename;
class MoveFileWindow;
class frmOptions;
class Help;
class About;
namespace journal
{
struct Batch;
}

// The main window: drive, folder and file lists, the thumbnail grid with its picture
// cache, the selection list, the large preview and the menu bar that starts every command.
class frmMain : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmMain)
    // First, so that the settings below can name its fields.
    BrowserState m_state;

public:
    explicit frmMain(
        platform::Services &services, const PictureLoader &loader, QWidget *parent = nullptr);
    ~frmMain() override;

    // Runs the window's load step: the settings' start values, the single-instance guard and
    // the file list's pattern. False when another copy is running and this one must end.
    bool Form_Load();
    // Opens a folder as the user would from the folder list, building its grid in automatic
    // mode: the folder the program was started with.
    void openFolder(const QString &path);
    // At start: tells the user of a batch that did not finish, offers to undo what it did,
    // and clears up what it left; a damaged record of it is set aside.
    void recoverUnfinishedBatch();

    // The settings, the folder shown and the selection, which the windows show and change.
    BrowserState &state() { return m_state; }
    // The settings by their old names, to read; they change through the state.
    const QString &ImageFormat = m_state.settings().imageFormat;
    const bool &DeleteRecycle = m_state.settings().deleteRecycle;
    const bool &ThumbManual = m_state.settings().thumbManual;
    int PreviousFileCount = 0;

    // Controls.
    ImageBox *Image5 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    DriveListBox *Drive1 = nullptr;
    FolderListBox *Dir1 = nullptr;
    QListWidget *List1 = nullptr;
    FileListBox *File1 = nullptr;
    QWidget *picOuter = nullptr;
    ThumbnailView *picInner = nullptr;
    QScrollBar *VBar = nullptr;
    QPushButton *ButtonLoadThumbs = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    ImageBox *Image4 = nullptr;
    // Thumbnail i: its picture and its caption.
    GridCellArray Image1;
    GridCellArray Label1;

    // Menu bar.
    QMenu *mnuFile = nullptr;
    QAction *mnuFileExit = nullptr;
    QMenu *mnuEdit = nullptr;
    QAction *mnuEditSelectAll = nullptr;
    QAction *mnuEditSelectNone = nullptr;
    QAction *mnuEditDelete = nullptr;
    QAction *mnuRename = nullptr;
    QAction *mnuMovePictures = nullptr;
    QAction *mnuEditUndo = nullptr;
    QMenu *mnuTools = nullptr;
    QAction *mnuToolsOptions = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuHelpContents = nullptr;
    QAction *mnuHelpAbout = nullptr;

    // The grid.
    void LoadThumbnails();
    void UnloadThumbnails();
    // UnloadThumbnails, LoadThumbnails and PreviousFileCount, with the hourglass shown.
    void rebuildGrid();
    // Switches between automatic loading on every folder change and loading by the View
    // Thumbnails button, which shows in manual mode.
    void setThumbnailsManual(bool manual);
    // The file names the grid shown now was built from.
    QStringList gridNames() const;
    GridCells &gridCells() { return *m_cells; }
    // Scrolls the grid just far enough to show a cell whole.
    void scrollToCell(int index);
    bool isPreviewShown() const;
    PictureCache &pictureCache() { return *m_cache; }

    // The menu of the grid's background and its thumbnails: the selection commands of the
    // Edit menu, with their keys and enabled states, and the folder in the file manager.
    QMenu *gridMenu();

    // The full path of a file of the folder shown.
    QString PathString(const QString &folder, const QString &name) const;

    // Secondary windows, made on first use.
    Rename *renameWindow();
    MoveFileWindow *moveWindow();
    frmOptions *optionsWindow();
    Help *helpWindow();
    About *aboutWindow();

public Q_SLOTS:
    void Drive1_Change();
    void Dir1_Change();
    void ButtonLoadThumbs_Click();
    void Image1_Click(int Index);
    void Image1_DblClick(int Index);
    // Shift with a click or the arrow keys: marks the thumbnails from one to the other.
    void Image1_RangeClick(int from, int to);
    // Files the drop target moved away are gone from the folder: it is read again.
    void thumbnailsDraggedOut(Qt::DropAction action);
    void Image4_Click();
    void VBar_Change(int value);
    void mnuFileExit_Click();
    void mnuEditSelectAll_Click();
    void mnuEditSelectNone_Click();
    void mnuEditDelete_Click();
    void mnuRename_Click();
    void mnuMovePictures_Click();
    void mnuEditUndo_Click();
    void mnuToolsOptions_Click();
    void mnuHelpContents_Click();
    void mnuHelpAbout_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void fixSize();
    void connectEvents();
    void openFailed(const QString &path);
    // The grid reads the pictures of the cells in view first.
    void showOnScreen();
    void showProgress(int done, int total);
    void showCell(int index);
    void connectState();
    // The selection list shows the selection, and the commands that need one follow it.
    void showSelection();
    void updateActions();
    void DeleteSelectedPictures();
    // The context menu and the files dropped onto the folder list.
    void connectDesktop();
    void showFolderInFileManager();
    void moveDroppedFiles(const QStringList &files, const QString &folder);
    // Edit > Undo names the last batch while it can be undone.
    void updateUndo();
    void runUndo(const journal::Batch &batch);
    // A secondary window that holds this one out of use stays in front of it, centred on it.
    void keepInFront(QWidget &window);

    platform::Services &m_services;
    const PictureLoader &m_loader;
    std::unique_ptr<PictureCache> m_cache;
    QMenu *m_gridMenu = nullptr;
    // False when it is not known whether another copy is running, and so running a batch.
    bool m_alone = true;
    // After the cache: its reads under way use the cache.
    std::unique_ptr<GridCells> m_cells;
    // The large preview's picture is read here, never on the window's thread; a result that
    // comes after another picture was asked for is dropped.
    QThreadPool m_previewReader;
    quint64 m_previewGeneration = 0;

    std::unique_ptr<Rename> m_rename;
    std::unique_ptr<MoveFileWindow> m_move;
    std::unique_ptr<frmOptions> m_options;
    std::unique_ptr<Help> m_help;
    std::unique_ptr<About> m_about;
};

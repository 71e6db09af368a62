#pragma once

#include "core/files/platform.h"
#include "core/state/browserstate.h"

#include <QMainWindow>
#include <memory>

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class DriveListBox;
class FolderListBox;
class FileListBox;
class ImageBox;
class PictureCache;
class PictureLoader;
class ThumbnailGrid;
class PicturePreview;
class FileCommands;
class Rename;
class MoveFileWindow;
class frmOptions;
class Help;
class About;

// The main window: its layout and menus, the drive, folder and file lists that choose the
// folder shown, the selection list, and the other windows, which it makes. The thumbnail grid,
// the large preview and the commands on files are parts of it with classes of their own. Its
// controls carry their names as object names.
class frmMain : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmMain)
    // First, so that the parts below can use it.
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
    // At start: what is left of a batch the last run did not finish, unless another copy may
    // be running it now.
    void recoverUnfinishedBatch();

    // The settings, the folder shown and the selection, which the windows show and change.
    BrowserState &state() { return m_state; }
    // The grid's cache of pictures, which may share the desktop's thumbnails.
    PictureCache &pictureCache();

    // Secondary windows, made on first use.
    Rename *renameWindow();
    MoveFileWindow *moveWindow();
    frmOptions *optionsWindow();
    Help *helpWindow();
    About *aboutWindow();

protected:
    void closeEvent(QCloseEvent *event) override;

private Q_SLOTS:
    void Drive1_Change();
    void Dir1_Change();
    void mnuFileExit_Click();
    void mnuEditSelectAll_Click();
    void mnuEditSelectNone_Click();
    void mnuRename_Click();
    void mnuMovePictures_Click();
    void mnuToolsOptions_Click();
    void mnuHelpContents_Click();
    void mnuHelpAbout_Click();

private:
    void buildControls(const PictureLoader &loader);
    void nameControls();
    void buildMenus();
    void fixSize();
    void connectEvents();
    void openFailed(const QString &path);
    // The selection list shows the selection, and the commands that need one follow it.
    void showSelection();
    void updateActions();
    // A secondary window that holds this one out of use stays in front of it, centred on it.
    void keepInFront(QWidget &window);

    platform::Services &m_services;
    // False when it is not known whether another copy is running, and so running a batch.
    bool m_alone = true;

    ImageBox *Image5 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    DriveListBox *Drive1 = nullptr;
    FolderListBox *Dir1 = nullptr;
    QListWidget *List1 = nullptr;
    FileListBox *File1 = nullptr;

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

    // The parts own their controls' logic; the controls belong to the window's client area.
    std::unique_ptr<PicturePreview> m_preview;
    std::unique_ptr<ThumbnailGrid> m_grid;
    std::unique_ptr<FileCommands> m_commands;

    std::unique_ptr<Rename> m_rename;
    std::unique_ptr<MoveFileWindow> m_move;
    std::unique_ptr<frmOptions> m_options;
    std::unique_ptr<Help> m_help;
    std::unique_ptr<About> m_about;
};

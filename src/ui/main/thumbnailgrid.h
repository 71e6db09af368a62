#pragma once

#include <QObject>
#include <QStringList>
#include <memory>

class BrowserState;
class QAction;
class GridCells;
class PictureCache;
class PictureLoader;
class QMenu;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QWidget;
class ThumbnailView;
namespace platform
{
class Services;
}

// The main window's thumbnail grid: its viewport (picOuter) round the canvas that paints the
// cells (picInner), its scroll bar (VBar), the View Thumbnails button (ButtonLoadThumbs) and
// the bar that shows the loading (ProgressBar1); the cells with their picture cache, which it
// builds from the folder shown and clears; the mouse wheel, and the menu of its background.
// A click on a thumbnail marks or unmarks its file.
class ThumbnailGrid : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ThumbnailGrid)
public:
    // Its controls are made on the window's client area, in their places there.
    ThumbnailGrid(platform::Services &services, const PictureLoader &loader, BrowserState &state,
        QWidget &client);
    ~ThumbnailGrid() override;

    void LoadThumbnails();
    void UnloadThumbnails();
    // UnloadThumbnails and LoadThumbnails, with the hourglass shown.
    void rebuild();
    GridCells &cells() { return *m_cells; }
    PictureCache &cache() { return *m_cache; }
    ThumbnailView &view() { return *picInner; }
    // Scrolls just far enough to show a cell whole.
    void scrollToCell(int index);
    // The grid gives way to the large preview, and comes back after it.
    void setShown(bool shown);
    // The menu of its background and its thumbnails: the given commands of the window's menus,
    // with their keys and enabled states, and the folder in the file manager.
    void setMenu(const QList<QAction *> &actions);

Q_SIGNALS:
    // A double click, or Enter on the focus cell: the thumbnail is to be seen large.
    void opened(int index);

public Q_SLOTS:
    void ButtonLoadThumbs_Click();
    void Image1_Click(int Index);
    // Shift with a click or the arrow keys: marks the thumbnails from one to the other.
    void Image1_RangeClick(int from, int to);
    void VBar_Change(int value);
    // Files the drop target moved away are gone from the folder: it is read again.
    void thumbnailsDraggedOut(Qt::DropAction action);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build(const QString &folder, const QStringList &names);
    // The order by the time taken was turned on or off.
    void followOrder();
    // The cells in view are read first.
    void showOnScreen();
    void showProgress(int done, int total);
    void showCell(int index);
    void showFolderInFileManager();
    // Thumbnails stretched to their boxes or in their own proportions, as the settings say.
    void followProportions();

    platform::Services &m_services;
    BrowserState &m_state;
    std::unique_ptr<PictureCache> m_cache;
    // After the cache: its reads under way use the cache.
    std::unique_ptr<GridCells> m_cells;
    QWidget *picOuter = nullptr;
    ThumbnailView *picInner = nullptr;
    QScrollBar *VBar = nullptr;
    QPushButton *ButtonLoadThumbs = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QMenu *m_menu = nullptr;
};

#include "ui/main/thumbnailgrid.h"

#include "core/files/platform.h"
#include "core/pictures/picturecache.h"
#include "core/state/browserstate.h"
#include "core/state/gridcells.h"
#include "ui/main/thumbnailview.h"
#include "ui/widgets/waitcursor.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>

namespace
{
// The canvas sits at (10, 10) in the viewport; it grows 30 pixels a cell (150 a row of five).
constexpr int canvasMargin = 10;
constexpr int canvasWidth = 545;
constexpr int scrollPerCell = ThumbnailView::pitchY / ThumbnailView::columns;
constexpr int canvasExtra = 110;
} // namespace

ThumbnailGrid::ThumbnailGrid(
    platform::Services &services, const PictureLoader &loader, BrowserState &state, QWidget &client)
    : QObject(&client)
    , m_services(services)
    , m_state(state)
    , m_cache(std::make_unique<PictureCache>(loader, ThumbnailView::pictureSize))
    , m_cells(std::make_unique<GridCells>(*m_cache))
{
    picOuter = new QWidget(&client);
    picOuter->setObjectName(QStringLiteral("picOuter"));
    picOuter->setGeometry(192, 8, 561, 505);
    picOuter->setAccessibleName(tr("Thumbnails"));
    picInner = new ThumbnailView(*m_cells, m_state, picOuter);
    picInner->setObjectName(QStringLiteral("picInner"));
    picInner->setGeometry(10, 10, 545, 110);
    // The grid takes the keys, so a screen reader names it when it gets them.
    picInner->setAccessibleName(tr("Thumbnails"));

    VBar = new QScrollBar(Qt::Vertical, &client);
    VBar->setObjectName(QStringLiteral("VBar"));
    VBar->setGeometry(752, 8, 17, 505);
    VBar->setRange(0, 0);
    VBar->setSingleStep(30);
    VBar->setPageStep(450);
    VBar->setAccessibleName(tr("Scroll thumbnails"));

    ButtonLoadThumbs = new QPushButton(&client);
    ButtonLoadThumbs->setObjectName(QStringLiteral("ButtonLoadThumbs"));
    ButtonLoadThumbs->setGeometry(704, 464, 41, 41);
    ButtonLoadThumbs->setIcon(QIcon(QStringLiteral(":/icons/thumbnails.svg")));
    ButtonLoadThumbs->setIconSize(QSize(32, 32));
    ButtonLoadThumbs->setToolTip(tr("View Thumbnails"));
    ButtonLoadThumbs->setAccessibleName(ButtonLoadThumbs->toolTip());
    ButtonLoadThumbs->hide();

    ProgressBar1 = new QProgressBar(&client);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(192, 515, 577, 9);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setAccessibleName(tr("Loading thumbnails"));

    connect(ButtonLoadThumbs, &QPushButton::clicked, this, &ThumbnailGrid::ButtonLoadThumbs_Click);
    connect(VBar, &QScrollBar::valueChanged, this, &ThumbnailGrid::VBar_Change);
    connect(picInner, &ThumbnailView::clicked, this, &ThumbnailGrid::Image1_Click);
    connect(picInner, &ThumbnailView::doubleClicked, this, &ThumbnailGrid::opened);
    connect(picInner, &ThumbnailView::rangeClicked, this, &ThumbnailGrid::Image1_RangeClick);
    connect(picInner, &ThumbnailView::activated, this, &ThumbnailGrid::opened);
    connect(picInner, &ThumbnailView::focusCellMoved, this, &ThumbnailGrid::scrollToCell);
    connect(picInner, &ThumbnailView::draggedOut, this, &ThumbnailGrid::thumbnailsDraggedOut);
    connect(m_cells.get(), &GridCells::progress, this, &ThumbnailGrid::showProgress);
    connect(m_cells.get(), &GridCells::cellChanged, this, &ThumbnailGrid::showCell);
    // Put in the order the pictures were taken: the focus and the last click meant other cells.
    connect(m_cells.get(), &GridCells::reordered, this, [this] {
        picInner->resetFocus();
        picInner->update();
    });
    connect(&m_state, &BrowserState::settingsChanged, this, &ThumbnailGrid::followOrder);
    picOuter->installEventFilter(this);
    connect(&m_state, &BrowserState::rebuildRequested, this, &ThumbnailGrid::rebuild);
    connect(&m_state, &BrowserState::unloadRequested, this, &ThumbnailGrid::UnloadThumbnails);
    // A thumbnail's mark shows whether its file is selected.
    connect(&m_state, &BrowserState::selectionChanged, picInner, qOverload<>(&QWidget::update));
    connect(&m_state, &BrowserState::settingsChanged, this, &ThumbnailGrid::followProportions);
    connect(&m_state, &BrowserState::thumbManualChanged, this, [this](bool manual) {
        ButtonLoadThumbs->setVisible(manual && picOuter->isVisibleTo(picOuter->parentWidget()));
    });
}

ThumbnailGrid::~ThumbnailGrid() = default;

void ThumbnailGrid::setMenu(const QList<QAction *> &actions)
{
    // Thumbnails pass the request on to the grid's area, wherever the click was.
    m_menu = new QMenu(picOuter);
    m_menu->setObjectName(QStringLiteral("gridMenu"));
    for (QAction *action : actions) {
        if (action == nullptr)
            m_menu->addSeparator();
        else
            m_menu->addAction(action);
    }
    m_menu->addSeparator();
    QAction *showFolder = m_menu->addAction(tr("Show in file manager"));
    connect(showFolder, &QAction::triggered, this, &ThumbnailGrid::showFolderInFileManager);
    picOuter->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(picOuter, &QWidget::customContextMenuRequested, this,
        [this](const QPoint &position) { m_menu->popup(picOuter->mapToGlobal(position)); });
}

void ThumbnailGrid::ButtonLoadThumbs_Click()
{
    rebuild();
}

void ThumbnailGrid::rebuild()
{
    const WaitCursor busy(m_services.mouse());
    UnloadThumbnails();
    LoadThumbnails();
}

void ThumbnailGrid::followOrder()
{
    const bool byTaken = m_state.settings().orderByTaken;
    if (byTaken == m_cells->ordersByTaken())
        return;
    // The grid shown is built again in its new order, from the cache.
    if (m_cells->count() > 0) {
        const WaitCursor busy(m_services.mouse());
        const QString folder = m_cells->folder();
        const QStringList names = m_cells->listedNames();
        UnloadThumbnails();
        build(folder, names);
    } else {
        m_cells->setOrderByTaken(byTaken);
    }
}

void ThumbnailGrid::LoadThumbnails()
{
    build(m_state.folder(), m_state.fileNames());
}

void ThumbnailGrid::build(const QString &folder, const QStringList &names)
{
    // Sharp on a dense screen: the pictures are read at the screen's own pixel size.
    const qreal ratio = std::max<qreal>(1, picOuter->devicePixelRatioF());
    m_cache->setThumbnailSize(ThumbnailView::pictureSize * ratio);
    m_cache->setKeepProportions(m_state.settings().keepProportions);
    const bool byTaken = m_state.settings().orderByTaken;
    m_cache->setWithTaken(byTaken);
    m_cells->setOrderByTaken(byTaken);
    m_cells->build(folder, names);
    picInner->resetFocus();
    const int count = m_cells->count();
    const int canvasHeight = scrollPerCell * count + canvasExtra;
    // Scrolled to the end, the canvas's foot meets the viewport's: never into blank space.
    VBar->setMaximum(std::max(0, canvasHeight - picOuter->height()));
    // A new grid starts at its top, with the scroll bar there too.
    VBar->setValue(0);
    picInner->setGeometry(canvasMargin, canvasMargin - VBar->value(), canvasWidth, canvasHeight);
    showOnScreen();
    picInner->update();
    if (m_cells->isBuilding())
        picOuter->setCursor(Qt::BusyCursor);
}

void ThumbnailGrid::UnloadThumbnails()
{
    if (m_cells->count() == 0)
        return;
    m_cells->clear();
    m_cache->trim();
    picOuter->unsetCursor();
    picInner->update();
}

void ThumbnailGrid::followProportions()
{
    const bool keep = m_state.settings().keepProportions;
    if (keep == m_cache->keepsProportions())
        return;
    m_cache->setKeepProportions(keep);
    // The thumbnails shown are read again in their new shape, the grid staying where it is.
    if (m_cells->count() == 0)
        return;
    const QString folder = m_cells->folder();
    const QStringList names = m_cells->names();
    const QStringList listed = m_cells->listedNames();
    m_cells->build(folder, names, listed);
    showOnScreen();
    picInner->update();
}

void ThumbnailGrid::showOnScreen()
{
    // The part of the canvas the viewport lets through.
    const QRect seen(-picInner->pos(), picOuter->size());
    const auto [first, last] = picInner->cellsIn(seen);
    m_cells->setOnScreen(first, last);
}

void ThumbnailGrid::showProgress(int done, int total)
{
    ProgressBar1->setValue(total == 0 ? ProgressBar1->maximum() : 100 * done / total);
    if (done == total)
        picOuter->unsetCursor();
}

void ThumbnailGrid::showCell(int index)
{
    if (index >= m_cells->firstOnScreen() && index <= m_cells->lastOnScreen())
        picInner->repaintCell(index);
}

void ThumbnailGrid::scrollToCell(int index)
{
    const QRect cell = ThumbnailView::pictureRect(index).united(ThumbnailView::captionRect(index));
    const int top = cell.top() + canvasMargin;
    const int bottom = cell.bottom() + canvasMargin;
    if (top < VBar->value())
        VBar->setValue(top);
    else if (bottom >= VBar->value() + picOuter->height())
        VBar->setValue(bottom - picOuter->height() + 1);
}

void ThumbnailGrid::VBar_Change(int value)
{
    picInner->move(canvasMargin, canvasMargin - value);
    showOnScreen();
}

void ThumbnailGrid::setShown(bool shown)
{
    picInner->setVisible(shown);
    picOuter->setVisible(shown);
    VBar->setVisible(shown);
    ButtonLoadThumbs->setVisible(shown && m_state.settings().thumbManual);
}

// A thumbnail stands for the file it shows: the grid's own folder and names, which may
// differ from the file list after a folder change in manual mode.

void ThumbnailGrid::Image1_Click(int Index)
{
    if (Index < 0 || Index >= m_cells->count())
        return;
    // An entry matches only the file's own full path.
    m_state.toggle(m_cells->path(Index));
}

void ThumbnailGrid::Image1_RangeClick(int from, int to)
{
    const int first = std::max(0, std::min(from, to));
    const int last = std::min(m_cells->count() - 1, std::max(from, to));
    // Added in grid order whichever end was clicked first, as one change of the selection.
    QStringList paths;
    for (int i = first; i <= last; ++i)
        paths.append(m_cells->path(i));
    m_state.select(paths);
}

void ThumbnailGrid::thumbnailsDraggedOut(Qt::DropAction action)
{
    // A copy leaves everything as it was; after a move the grid and the selection must not
    // show files that are no longer there.
    if (action == Qt::MoveAction)
        m_state.afterJob(BrowserState::ManualGrid::Keep);
}

void ThumbnailGrid::showFolderInFileManager()
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

bool ThumbnailGrid::eventFilter(QObject *watched, QEvent *event)
{
    // The mouse wheel over the grid scrolls it, as users expect of a scrolled view.
    if (watched == picOuter && event->type() == QEvent::Wheel) {
        const auto *wheel = static_cast<QWheelEvent *>(event);
        const int notches = wheel->angleDelta().y() / 120;
        VBar->setValue(VBar->value() - notches * 3 * VBar->singleStep());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

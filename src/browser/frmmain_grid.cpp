#include "browser/frmmain.h"

#include "browser/imagebox.h"
#include "browser/picturecache.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QScrollBar>

#include <algorithm>

namespace
{
// Cells are 110 apart across and 150 down, five to a row, whatever the window's size.
constexpr int columns = 5;
constexpr int cellPitchX = 110;
constexpr int cellPitchY = 150;
constexpr int captionTop = 100;
// The canvas sits at (10, 10) in the viewport; it grows 30 pixels a cell (150 a row of five).
constexpr int canvasMargin = 10;
constexpr int canvasWidth = 545;
constexpr int scrollPerCell = cellPitchY / columns;
constexpr int canvasExtra = 110;
// The progress bar is painted at most this often during a build: each paint of the window
// costs about half a millisecond, which a hundred steps would add to every build.
constexpr qint64 progressPaintIntervalMs = 40;
} // namespace

void frmMain::LoadThumbnails()
{
    m_gridFolder = m_state.folder();
    m_gridNames = m_state.fileNames();
    const int count = static_cast<int>(m_gridNames.size());
    const int canvasHeight = scrollPerCell * count + canvasExtra;
    // Scrolled to the end, the canvas's foot meets the viewport's: never into blank space.
    VBar->setMaximum(std::max(0, canvasHeight - picOuter->height()));
    // A new grid starts at its top, with the scroll bar there too.
    VBar->setValue(0);

    const std::vector<LoadedPicture> pictures = RefreshPictureCache(m_gridNames);

    if (count == 0) {
        Image1(0)->clearPicture();
        Label1(0)->setCaption(QString());
    }
    Image1.reserve(count);
    Label1.reserve(count);
    for (int i = 0; i < count; ++i)
        showCell(i, pictures[static_cast<size_t>(i)]);
    paintCanvasOnce();
    if (count > 0)
        picInner->setGeometry(
            canvasMargin, canvasMargin - VBar->value(), canvasWidth, canvasHeight);
    ProgressBar1->setValue(ProgressBar1->maximum());
    RestoreSelectionMarks();
}

std::vector<LoadedPicture> frmMain::RefreshPictureCache(const QStringList &names)
{
    QStringList paths;
    paths.reserve(names.size());
    for (const QString &name : names)
        paths.append(PathString(m_gridFolder, name));
    QElapsedTimer sincePaint;
    sincePaint.start();
    return m_cache->thumbnails(paths, [this, &sincePaint](int done, int total) {
        const int percent = static_cast<int>(100.0 * done / total);
        if (percent != ProgressBar1->value()) {
            ProgressBar1->setValue(percent);
            // Paint now: the build runs to its end before any event is handled.
            if (sincePaint.elapsed() >= progressPaintIntervalMs || done == total) {
                ProgressBar1->repaint();
                sincePaint.restart();
            }
        }
    });
}

void frmMain::showCell(int index, const LoadedPicture &picture)
{
    ImageBox *image = index == 0 ? Image1(0) : Image1.load(index);
    CellLabel *label = index == 0 ? Label1(0) : Label1.load(index);
    if (index > 0) {
        connect(image, &ImageBox::clicked, this, [this, index] { Image1_Click(index); });
        connect(image, &ImageBox::doubleClicked, this, [this, index] { Image1_DblClick(index); });
    }
    setMark(index, false);
    if (picture.ok())
        image->setPicture(QPixmap::fromImage(picture.image));
    else
        image->setBroken(true);
    image->setToolTip(picture.ok() ? QString() : picture.error);
    label->setCaption(m_gridNames[index]);
    const int left = cellPitchX * (index % columns);
    const int top = cellPitchY * (index / columns);
    image->move(left, top);
    label->move(left, top + captionTop);
    image->show();
    label->show();
}

// Every cell shown queues a request to be painted later, and the window's painter compares
// each queued cell with all the cells after it: for a large folder that takes seconds, where
// painting the windows once as a whole takes a millisecond. The requests are swapped for that.
void frmMain::paintCanvasOnce()
{
    QCoreApplication::removePostedEvents(nullptr, QEvent::UpdateLater);
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->isVisible())
            window->update();
    }
}

void frmMain::UnloadThumbnails()
{
    if (Label1(0)->caption().isEmpty())
        return;
    Image1(0)->clearPicture();
    Image1(0)->setToolTip(QString());
    Label1(0)->setCaption(QString());
    setMark(0, false);
    for (int i = Image1.ubound() - 1; i >= 1; --i) {
        Image1.unload(i);
        Label1.unload(i);
    }
    m_gridNames.clear();
}

void frmMain::VBar_Change(int value)
{
    picInner->move(canvasMargin, canvasMargin - value);
}

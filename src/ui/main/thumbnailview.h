#pragma once

#include "ui/widgets/colours.h"

#include <QColor>
#include <QPixmap>
#include <QRect>
#include <QStringList>
#include <QWidget>

class BrowserState;
class GridCells;
class QMimeData;

// The canvas of the thumbnail grid: one widget that paints the cells it shows, five to a row
// at a pitch of 110 by 150, each a 100 by 100 picture stretched to its box with the file's
// name under it. A cell is marked (a border round the picture, the caption opaque light yellow
// with a border) exactly when its file is selected. It is moved inside its viewport to scroll,
// and paints only what the viewport lets through.
class ThumbnailView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int columns = 5;
    static constexpr int pitchX = 110;
    static constexpr int pitchY = 150;
    static constexpr QSize pictureSize { 100, 100 };
    static constexpr QRect captionBox { 0, 100, 101, 33 };

    ThumbnailView(const GridCells &cells, const BrowserState &state, QWidget *parent = nullptr);

    // The cell whose picture is at a point, or -1.
    int cellAt(QPoint point) const;
    // A cell's picture and caption, in the canvas's coordinates.
    static QRect pictureRect(int index);
    static QRect captionRect(int index);
    // The cells a rectangle of the canvas touches, first to last (last < first when none).
    std::pair<int, int> cellsIn(const QRect &area) const;
    void repaintCell(int index);

    int cellCount() const;
    bool isMarked(int index) const;
    // The file name a cell shows, empty past the grid's end.
    QString name(int index) const;

    // The cell the keys work on: framed while the view has the focus. Moving it marks nothing.
    int focusCell() const { return m_focus; }
    void setFocusCell(int index);
    // A new grid: the focus goes back to its first cell and no cell was clicked last.
    void resetFocus();
    // What dragging the marked thumbnails out carries: their files, in grid order.
    QMimeData *dragData() const;
    // The lines a caption shows of a name, from the top: it wraps between words onto the lines
    // that fit; the last of them, or a word too wide for a line, ends in "…".
    QStringList captionLines(const QString &name) const;

Q_SIGNALS:
    // A click, or Space on the focus cell: toggles the mark.
    void clicked(int index);
    void doubleClicked(int index);
    // Shift with a click or a move of the focus: every cell from one to the other is marked.
    void rangeClicked(int from, int to);
    // Enter on the focus cell.
    void activated(int index);
    // The keys moved the focus cell, which should be in view.
    void focusCellMoved(int index);
    // A drag of marked thumbnails ended with what the drop target did with their files.
    void draggedOut(Qt::DropAction action);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool event(QEvent *event) override;

private:
    void paintCell(QPainter &painter, int index) const;
    // The cell with its caption, and the frame the focus draws round it.
    static QRect cellRect(int index);
    QRect focusRect(int index) const;
    // The focus cell a key moves to, or -1 for a key that does not move it.
    int keyTarget(int key) const;
    void startDrag(int pressed);

    const GridCells &m_cells;
    const BrowserState &m_state;
    bool m_doubleClicking = false;
    int m_focus = 0;
    // The cell clicked last, where a Shift range starts; -1 when none was.
    int m_anchor = -1;
    // The marked cell a press of the left button was on, which may start a drag.
    int m_pressed = -1;
    QPoint m_pressPoint;
};

// Screen readers see each cell of the grid as an item of a list.
void installThumbnailAccessibility();

// Thumbnail i as the window's code names it, Image1(i) and Label1(i): a view of one cell.
class GridCell
{
public:
    // The caption's side answers for the tip with the name, the picture's with the reason
    // it could not be read.
    GridCell(const ThumbnailView &view, const GridCells &cells, int index, bool caption = false)
        : m_view(view)
        , m_cells(cells)
        , m_index(index)
        , m_caption(caption)
    {
    }
    // The picture, null while it is not read or not held.
    QPixmap picture() const;
    bool isBroken() const;
    bool isPending() const;
    QString caption() const;
    QString toolTip() const { return m_caption ? captionTip() : pictureTip(); }
    QString pictureTip() const;
    QString captionTip() const;
    QStringList shownLines() const;
    bool isMarked() const;
    bool isOpaque() const { return isMarked(); }
    bool hasBorder() const { return isMarked(); }
    QColor backColor() const { return colours::markBack; }
    QRect geometry() const { return ThumbnailView::pictureRect(m_index); }
    QPoint pos() const { return geometry().topLeft(); }

private:
    const ThumbnailView &m_view;
    const GridCells &m_cells;
    int m_index;
    bool m_caption;
};

// Image1 and Label1: thumbnail i, or nothing (== nullptr) past the grid's end. Thumbnail 0
// is always there, with an empty caption when the grid is empty.
class GridCellArray
{
public:
    class Ref
    {
    public:
        Ref(const ThumbnailView *view, const GridCells *cells, int index, bool caption);
        const GridCell *operator->() const { return &m_cell; }
        bool operator==(std::nullptr_t) const { return !m_valid; }

    private:
        GridCell m_cell;
        bool m_valid;
    };

    GridCellArray() = default;
    GridCellArray(const ThumbnailView *view, const GridCells *cells, bool captions)
        : m_view(view)
        , m_cells(cells)
        , m_captions(captions)
    {
    }
    Ref operator()(int index) const { return Ref(m_view, m_cells, index, m_captions); }
    // One past the last thumbnail.
    int ubound() const;

private:
    const ThumbnailView *m_view = nullptr;
    const GridCells *m_cells = nullptr;
    bool m_captions = false;
};

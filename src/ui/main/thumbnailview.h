#pragma once

#include <QRect>
#include <QStringList>
#include <QWidget>

class BrowserState;
class GridCells;
class QMimeData;

// The canvas of the thumbnail grid: one widget that paints the cells it shows, five to a row
// at a pitch of 110 by 150, each a 100 by 100 picture stretched to its box (or, as the
// settings say, fitted inside it in its own proportions) with the file's name under it. A cell is
// marked (a border round the picture, the caption opaque light yellow with a border) exactly when
// its file is selected. It is moved inside its viewport to scroll, and paints only what the
// viewport lets through.
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
    // The tips over a cell's picture (why it could not be read) and its caption (the name),
    // as rich text; empty for none.
    QString pictureTip(int index) const;
    QString captionTip(int index) const;

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

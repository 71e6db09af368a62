#include "browser/thumbnailview.h"

#include "browser/browserstate.h"
#include "browser/gridcells.h"
#include "browser/imagebox.h"
#include "widgets/colours.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolTip>

#include <algorithm>

namespace
{
// The caption's text keeps off its edges.
QRectF textBox(const QRect &caption)
{
    return QRectF(caption.adjusted(2, 1, -2, -1));
}

QString withoutTrailingBlanks(QString text)
{
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}
} // namespace

ThumbnailView::ThumbnailView(const GridCells &cells, const BrowserState &state, QWidget *parent)
    : QWidget(parent)
    , m_cells(cells)
    , m_state(state)
{
}

QRect ThumbnailView::pictureRect(int index)
{
    return QRect(QPoint(pitchX * (index % columns), pitchY * (index / columns)), pictureSize);
}

QRect ThumbnailView::captionRect(int index)
{
    return captionBox.translated(pictureRect(index).topLeft());
}

int ThumbnailView::cellAt(QPoint point) const
{
    if (point.x() < 0 || point.y() < 0)
        return -1;
    const int column = point.x() / pitchX;
    const int index = point.y() / pitchY * columns + column;
    if (column >= columns || index >= m_cells.count() || !pictureRect(index).contains(point))
        return -1;
    return index;
}

std::pair<int, int> ThumbnailView::cellsIn(const QRect &area) const
{
    const int firstRow = std::max(0, area.top() / pitchY);
    const int lastRow = std::max(0, area.bottom()) / pitchY;
    return { firstRow * columns, std::min(m_cells.count() - 1, lastRow * columns + columns - 1) };
}

void ThumbnailView::repaintCell(int index)
{
    update(pictureRect(index).united(captionRect(index)));
}

bool ThumbnailView::isMarked(int index) const
{
    return index >= 0 && index < m_cells.count() && m_state.isSelected(m_cells.path(index));
}

QStringList ThumbnailView::captionLines(const QString &name) const
{
    const QRectF box = textBox(captionBox);
    const QFontMetricsF metrics(font());
    const int fitting = std::max(1, static_cast<int>(box.height() / metrics.lineSpacing()));
    QTextLayout layout(name, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width());
        if (lines.size() == fitting - 1) {
            // The last line that fits takes the rest of the name, cut short when it is longer.
            lines.append(metrics.elidedText(
                withoutTrailingBlanks(name.mid(line.textStart())), Qt::ElideRight, box.width()));
            break;
        }
        // A word wider than a line is cut short rather than broken inside.
        lines.append(
            metrics.elidedText(withoutTrailingBlanks(name.mid(line.textStart(), line.textLength())),
                Qt::ElideRight, box.width()));
    }
    layout.endLayout();
    return lines;
}

void ThumbnailView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const auto [first, last] = cellsIn(event->rect());
    for (int i = first; i <= last; ++i)
        paintCell(painter, i);
}

void ThumbnailView::paintCell(QPainter &painter, int index) const
{
    const GridCells::Cell &cell = m_cells.cell(index);
    const bool marked = isMarked(index);
    const QColor text = palette().color(QPalette::WindowText);

    const QRect picture = pictureRect(index);
    if (!cell.image.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(picture, cell.image);
    } else if (cell.shown == GridCells::Shown::Broken) {
        ImageBox::paintNoPicture(painter, picture);
    } else if (!marked) {
        // Not read yet: an empty frame.
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(picture.adjusted(0, 0, -1, -1));
    }
    if (marked) {
        painter.setPen(QPen(text, 1));
        painter.drawRect(picture.adjusted(0, 0, -1, -1));
    }

    const QRect caption = captionRect(index);
    if (marked)
        painter.fillRect(caption, colours::markBack);
    // Dark on the yellow of a mark, and readable on a dark palette too.
    painter.setPen(colours::captionText(palette(), marked));
    const QRectF box = textBox(caption);
    const qreal lineSpacing = QFontMetricsF(font()).lineSpacing();
    qreal top = box.top();
    for (const QString &line : captionLines(m_cells.names()[index])) {
        painter.drawText(QRectF(box.left(), top, box.width(), lineSpacing),
            Qt::AlignHCenter | Qt::AlignTop, line);
        top += lineSpacing;
    }
    if (marked)
        painter.drawRect(caption.adjusted(0, 0, -1, -1));
}

void ThumbnailView::mouseReleaseEvent(QMouseEvent *event)
{
    // The release that ends a double-click is part of it, not a second click.
    const bool endsDoubleClick = m_doubleClicking;
    m_doubleClicking = false;
    const int index = cellAt(event->position().toPoint());
    if (!endsDoubleClick && event->button() == Qt::LeftButton && index >= 0)
        Q_EMIT clicked(index);
}

void ThumbnailView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const int index = cellAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || index < 0)
        return;
    m_doubleClicking = true;
    Q_EMIT doubleClicked(index);
}

bool ThumbnailView::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QPoint point = help->pos();
    const int index = cellAt(point);
    const auto [first, last] = cellsIn(QRect(point, QSize(1, 1)));
    QString tip;
    if (index >= 0) {
        tip = GridCell(*this, m_cells, index).pictureTip();
    } else {
        for (int i = first; i <= last; ++i) {
            if (captionRect(i).contains(point))
                tip = GridCell(*this, m_cells, i).captionTip();
        }
    }
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, this);
    return true;
}

QPixmap GridCell::picture() const
{
    return QPixmap::fromImage(m_cells.cell(m_index).image);
}

bool GridCell::isBroken() const
{
    return m_cells.cell(m_index).shown == GridCells::Shown::Broken;
}

bool GridCell::isPending() const
{
    return m_cells.cell(m_index).shown == GridCells::Shown::Pending;
}

QString GridCell::caption() const
{
    return m_index < m_cells.count() ? m_cells.names()[m_index] : QString();
}

QString GridCell::pictureTip() const
{
    return isBroken() ? m_cells.cell(m_index).error : QString();
}

QString GridCell::captionTip() const
{
    // A name is shown as it is: a tooltip that looks like markup would be drawn as markup.
    const QString name = caption();
    return name.isEmpty() ? QString() : Qt::convertFromPlainText(name, Qt::WhiteSpaceNoWrap);
}

QStringList GridCell::shownLines() const
{
    return m_view.captionLines(caption());
}

bool GridCell::isMarked() const
{
    return m_view.isMarked(m_index);
}

GridCellArray::Ref::Ref(const ThumbnailView *view, const GridCells *cells, int index, bool caption)
    : m_cell(*view, *cells, index, caption)
    , m_valid(index == 0 || (index > 0 && index < cells->count()))
{
}

int GridCellArray::ubound() const
{
    return std::max(1, m_cells->count());
}

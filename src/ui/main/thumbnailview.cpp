#include "ui/main/thumbnailview.h"

#include "core/state/browserstate.h"
#include "core/state/gridcells.h"
#include "ui/main/imagebox.h"
#include "ui/widgets/colours.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QFontMetricsF>
#include <QHash>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionFocusRect>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolTip>
#include <QUrl>

#include <algorithm>
#include <memory>

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
    setFocusPolicy(Qt::StrongFocus);
    installThumbnailAccessibility();
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
    update(focusRect(index));
}

QRect ThumbnailView::cellRect(int index)
{
    return pictureRect(index).united(captionRect(index));
}

QRect ThumbnailView::focusRect(int index) const
{
    // Round the cell, in the gap between cells, and inside the canvas for the first column.
    return cellRect(index).adjusted(-2, -2, 2, 2).intersected(rect());
}

int ThumbnailView::cellCount() const
{
    return m_cells.count();
}

QString ThumbnailView::name(int index) const
{
    return index >= 0 && index < m_cells.count() ? m_cells.names()[index] : QString();
}

void ThumbnailView::setFocusCell(int index)
{
    if (m_cells.count() == 0)
        return;
    index = std::clamp(index, 0, m_cells.count() - 1);
    if (index != m_focus) {
        repaintCell(m_focus);
        m_focus = index;
        repaintCell(m_focus);
    }
    if (QAccessible::isActive() && hasFocus()) {
        QAccessibleEvent focused(this, QAccessible::Focus);
        focused.setChild(m_focus);
        QAccessible::updateAccessibility(&focused);
    }
}

void ThumbnailView::resetFocus()
{
    m_focus = 0;
    m_anchor = -1;
    m_pressed = -1;
}

QMimeData *ThumbnailView::dragData() const
{
    QList<QUrl> urls;
    for (int i = 0; i < m_cells.count(); ++i) {
        if (isMarked(i))
            urls.append(QUrl::fromLocalFile(QDir::fromNativeSeparators(m_cells.path(i))));
    }
    auto *mime = new QMimeData;
    mime->setUrls(urls);
    return mime;
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
        painter.drawImage(m_state.settings().keepProportions
                ? ImageBox::fitIn(picture, cell.image.size())
                : picture,
            cell.image);
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

    if (index == m_focus && hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        // Shown whenever the grid has the keys, also after a click: it is the cell they move.
        option.state |= QStyle::State_KeyboardFocusChange;
        option.rect = focusRect(index);
        option.backgroundColor = palette().color(QPalette::Window);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void ThumbnailView::mousePressEvent(QMouseEvent *event)
{
    // A press begins a new click. The release that ended a double-click may never have come
    // here: the preview it opened hides the grid, and the window sends that release elsewhere.
    m_doubleClicking = false;
    const int index = cellAt(event->position().toPoint());
    m_pressed = event->button() == Qt::LeftButton && isMarked(index) ? index : -1;
    m_pressPoint = event->position().toPoint();
    QWidget::mousePressEvent(event);
}

void ThumbnailView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressed < 0 || !(event->buttons() & Qt::LeftButton)
        || (event->position().toPoint() - m_pressPoint).manhattanLength()
            < QApplication::startDragDistance())
        return;
    const int pressed = m_pressed;
    m_pressed = -1;
    startDrag(pressed);
}

void ThumbnailView::startDrag(int pressed)
{
    std::unique_ptr<QMimeData> files(dragData());
    if (files->urls().isEmpty())
        return;
    auto *drag = new QDrag(this);
    // The thumbnail pressed goes along under the pointer.
    const QImage &image = m_cells.cell(pressed).image;
    if (!image.isNull()) {
        QPixmap small = QPixmap::fromImage(image.scaled(
            QSize(48, 48) * devicePixelRatioF(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
        small.setDevicePixelRatio(devicePixelRatioF());
        drag->setPixmap(small);
    }
    drag->setMimeData(files.release());
    // The target chooses: a file manager copies, or moves with Shift.
    const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    Q_EMIT draggedOut(done);
}

void ThumbnailView::mouseReleaseEvent(QMouseEvent *event)
{
    // The release that ends a double-click is part of it, not a second click.
    const bool endsDoubleClick = m_doubleClicking;
    m_doubleClicking = false;
    m_pressed = -1;
    const int index = cellAt(event->position().toPoint());
    if (endsDoubleClick || event->button() != Qt::LeftButton || index < 0)
        return;
    setFocusCell(index);
    if (event->modifiers().testFlag(Qt::ShiftModifier) && m_anchor >= 0) {
        Q_EMIT rangeClicked(m_anchor, index);
        return;
    }
    // Ctrl, as on other desktops, adds or takes away one picture: what a plain click does.
    m_anchor = index;
    Q_EMIT clicked(index);
}

int ThumbnailView::keyTarget(int key) const
{
    const int rowsPerPage
        = std::max(1, (parentWidget() != nullptr ? parentWidget()->height() : height()) / pitchY);
    switch (key) {
    case Qt::Key_Left:
        return std::max(0, m_focus - 1);
    case Qt::Key_Right:
        return m_focus + 1;
    case Qt::Key_Up:
        return m_focus >= columns ? m_focus - columns : m_focus;
    case Qt::Key_Down:
        return m_focus + columns < m_cells.count() ? m_focus + columns : m_focus;
    case Qt::Key_Home:
        return 0;
    case Qt::Key_End:
        return m_cells.count() - 1;
    case Qt::Key_PageUp:
        return std::max(m_focus % columns, m_focus - rowsPerPage * columns);
    case Qt::Key_PageDown: {
        // To the last row when there is less than a page below.
        const int below = m_focus + rowsPerPage * columns;
        const int lastRowStart = (m_cells.count() - 1) / columns * columns;
        return below < m_cells.count() ? below
                                       : std::max(m_focus, lastRowStart + m_focus % columns);
    }
    default:
        return -1;
    }
}

void ThumbnailView::keyPressEvent(QKeyEvent *event)
{
    if (m_cells.count() == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    m_focus = std::min(m_focus, m_cells.count() - 1);
    const int key = event->key();
    if (key == Qt::Key_Space) {
        m_anchor = m_focus;
        Q_EMIT clicked(m_focus);
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        Q_EMIT activated(m_focus);
        return;
    }
    const int target = keyTarget(key);
    if (target < 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int from = m_focus;
    setFocusCell(target);
    // A click leaves the grid where it is; the keys bring their cell into view.
    Q_EMIT focusCellMoved(m_focus);
    if (event->modifiers().testFlag(Qt::ShiftModifier)) {
        if (m_anchor < 0)
            m_anchor = from;
        Q_EMIT rangeClicked(m_anchor, m_focus);
    }
}

void ThumbnailView::focusInEvent(QFocusEvent *event)
{
    repaintCell(m_focus);
    QWidget::focusInEvent(event);
}

void ThumbnailView::focusOutEvent(QFocusEvent *event)
{
    repaintCell(m_focus);
    QWidget::focusOutEvent(event);
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
        tip = pictureTip(index);
    } else {
        for (int i = first; i <= last; ++i) {
            if (captionRect(i).contains(point))
                tip = captionTip(i);
        }
    }
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, this);
    return true;
}

QString ThumbnailView::pictureTip(int index) const
{
    // Why a picture could not be read may come from another program's cache: shown as text.
    const GridCells::Cell &cell = m_cells.cell(index);
    const QString error = cell.shown == GridCells::Shown::Broken ? cell.error : QString();
    return error.isEmpty() ? QString() : Qt::convertFromPlainText(error);
}

QString ThumbnailView::captionTip(int index) const
{
    // A name is shown as it is: a tooltip that looks like markup would be drawn as markup.
    const QString shown = name(index);
    return shown.isEmpty() ? QString() : Qt::convertFromPlainText(shown, Qt::WhiteSpaceNoWrap);
}

namespace
{
// One cell of the grid to a screen reader: an item of the list with the file's name, which
// says whether it is marked.
class CellAccessible : public QAccessibleInterface
{
public:
    CellAccessible(ThumbnailView *view, int index)
        : m_view(view)
        , m_index(index)
    {
    }
    bool isValid() const override { return m_view != nullptr && !name().isEmpty(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override
    {
        return m_view != nullptr ? m_view->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_view);
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text kind) const override
    {
        if (!isValid())
            return {};
        if (kind == QAccessible::Name)
            return name();
        if (kind == QAccessible::Description)
            return m_view->isMarked(m_index) ? ThumbnailView::tr("marked")
                                             : ThumbnailView::tr("not marked");
        return {};
    }
    void setText(QAccessible::Text, const QString &) override { }
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect cell
            = ThumbnailView::pictureRect(m_index).united(ThumbnailView::captionRect(m_index));
        return QRect(m_view->mapToGlobal(cell.topLeft()), cell.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override
    {
        QAccessible::State result;
        if (!isValid()) {
            result.invalid = true;
            return result;
        }
        result.selectable = true;
        result.selected = m_view->isMarked(m_index);
        result.focusable = true;
        result.focused = m_view->hasFocus() && m_view->focusCell() == m_index;
        // Only the rows the viewport lets through are on the screen.
        const QWidget *viewport = m_view->parentWidget();
        if (viewport != nullptr
            && !QRect(QPoint(), viewport->size())
                    .intersects(rect().translated(-viewport->mapToGlobal(QPoint()))))
            result.offscreen = true;
        return result;
    }

private:
    QString name() const { return m_view != nullptr ? m_view->name(m_index) : QString(); }

    QPointer<ThumbnailView> m_view;
    int m_index;
};

// The grid to a screen reader: a list whose items are its cells.
class ThumbnailViewAccessible : public QAccessibleWidget
{
public:
    explicit ThumbnailViewAccessible(ThumbnailView *view)
        : QAccessibleWidget(view, QAccessible::List)
    {
    }
    ~ThumbnailViewAccessible() override
    {
        for (const QAccessible::Id id : std::as_const(m_children))
            QAccessible::deleteAccessibleInterface(id);
    }
    int childCount() const override { return view()->cellCount(); }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        // Made on first asking and kept; the accessibility cache owns them.
        auto found = m_children.constFind(index);
        if (found != m_children.constEnd())
            return QAccessible::accessibleInterface(*found);
        auto *cell = new CellAccessible(view(), index);
        m_children.insert(index, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (auto it = m_children.constBegin(); it != m_children.constEnd(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) == child)
                return it.key();
        }
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const int index = view()->cellAt(view()->mapFromGlobal(QPoint(x, y)));
        return index >= 0 ? child(index) : nullptr;
    }

private:
    ThumbnailView *view() const { return static_cast<ThumbnailView *>(widget()); }

    mutable QHash<int, QAccessible::Id> m_children;
};

QAccessibleInterface *thumbnailAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("ThumbnailView") && object != nullptr && object->isWidgetType())
        return new ThumbnailViewAccessible(static_cast<ThumbnailView *>(object));
    return nullptr;
}
} // namespace

void installThumbnailAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(thumbnailAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

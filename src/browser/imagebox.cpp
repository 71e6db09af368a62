#include "browser/imagebox.h"

#include "widgets/colours.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>

ImageBox::ImageBox(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ImageBox::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    m_broken = false;
    update();
}

void ImageBox::clearPicture()
{
    m_picture = QPixmap();
    m_broken = false;
    update();
}

void ImageBox::setBroken(bool broken)
{
    if (broken)
        m_picture = QPixmap();
    m_broken = broken;
    update();
}

void ImageBox::setBorder(bool border)
{
    if (border == m_border)
        return;
    m_border = border;
    update();
}

void ImageBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect box = rect();
    if (!m_picture.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(box, m_picture);
    } else if (m_broken) {
        painter.fillRect(box.adjusted(4, 4, -4, -4), QColor(236, 236, 236));
        painter.setPen(QPen(QColor(190, 60, 60), 2));
        const QRect mark
            = box.adjusted(box.width() / 3, box.height() / 5, -box.width() / 3, -box.height() / 2);
        painter.drawEllipse(mark);
        painter.drawLine(mark.topRight(), mark.bottomLeft());
        painter.setPen(QColor(90, 90, 90));
        painter.drawText(box.adjusted(2, box.height() / 2, -2, -2),
            Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, tr("no picture"));
    }
    if (m_border) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
    }
}

void ImageBox::mouseReleaseEvent(QMouseEvent *event)
{
    // The release that ends a double-click is part of it, not a second click.
    const bool endsDoubleClick = m_doubleClicking;
    m_doubleClicking = false;
    if (!endsDoubleClick && event->button() == Qt::LeftButton
        && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

void ImageBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_doubleClicking = true;
    Q_EMIT doubleClicked();
}

CellLabel::CellLabel(QWidget *parent)
    : QWidget(parent)
    , m_back(Qt::white)
{
}

void CellLabel::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    // A name is shown as it is: a tooltip that looks like markup would be drawn as markup.
    setToolTip(
        caption.isEmpty() ? QString() : Qt::convertFromPlainText(caption, Qt::WhiteSpaceNoWrap));
    update();
}

void CellLabel::setOpaque(bool opaque)
{
    if (opaque == m_opaque)
        return;
    m_opaque = opaque;
    update();
}

void CellLabel::setBorder(bool border)
{
    if (border == m_border)
        return;
    m_border = border;
    update();
}

void CellLabel::setBackColor(const QColor &color)
{
    m_back = color;
    update();
}

QRectF CellLabel::textBox() const
{
    return QRectF(rect().adjusted(2, 1, -2, -1));
}

QStringList CellLabel::shownLines() const
{
    const QRectF box = textBox();
    const QFontMetricsF metrics(font());
    const int fitting = std::max(1, static_cast<int>(box.height() / metrics.lineSpacing()));
    const auto withoutTrailingBlanks = [](QString text) {
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
        return text;
    };
    QTextLayout layout(m_caption, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width());
        if (lines.size() == fitting - 1) {
            // The last line that fits takes the rest of the name, cut short when it is longer.
            lines.append(metrics.elidedText(withoutTrailingBlanks(m_caption.mid(line.textStart())),
                Qt::ElideRight, box.width()));
            break;
        }
        // A word wider than a line is cut short rather than broken inside.
        lines.append(metrics.elidedText(
            withoutTrailingBlanks(m_caption.mid(line.textStart(), line.textLength())),
            Qt::ElideRight, box.width()));
    }
    layout.endLayout();
    return lines;
}

void CellLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect box = rect();
    if (m_opaque)
        painter.fillRect(box, m_back);
    painter.setPen(colours::captionText(palette(), m_opaque));
    const QRectF text = textBox();
    const qreal lineSpacing = QFontMetricsF(font()).lineSpacing();
    qreal top = text.top();
    for (const QString &line : shownLines()) {
        painter.drawText(QRectF(text.left(), top, text.width(), lineSpacing),
            Qt::AlignHCenter | Qt::AlignTop, line);
        top += lineSpacing;
    }
    if (m_border)
        painter.drawRect(box.adjusted(0, 0, -1, -1));
}

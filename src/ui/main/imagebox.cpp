#include "ui/main/imagebox.h"

#include <QMouseEvent>
#include <QPainter>

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

void ImageBox::setKeepProportions(bool keep)
{
    if (keep == m_keepProportions)
        return;
    m_keepProportions = keep;
    update();
}

QRect ImageBox::fitIn(const QRect &box, QSize shape)
{
    if (shape.isEmpty())
        return box;
    QRect fitted(QPoint(), shape.scaled(box.size(), Qt::KeepAspectRatio));
    fitted.moveCenter(box.center());
    return fitted;
}

void ImageBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect box = rect();
    if (!m_picture.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(m_keepProportions ? fitIn(box, m_picture.size()) : box, m_picture);
    } else if (m_broken) {
        paintNoPicture(painter, box);
    }
    if (m_border) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
    }
}

void ImageBox::paintNoPicture(QPainter &painter, const QRect &box)
{
    painter.save();
    painter.fillRect(box.adjusted(4, 4, -4, -4), QColor(236, 236, 236));
    painter.setPen(QPen(QColor(190, 60, 60), 2));
    const QRect mark
        = box.adjusted(box.width() / 3, box.height() / 5, -box.width() / 3, -box.height() / 2);
    painter.drawEllipse(mark);
    painter.drawLine(mark.topRight(), mark.bottomLeft());
    painter.setPen(QColor(90, 90, 90));
    painter.drawText(box.adjusted(2, box.height() / 2, -2, -2),
        Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, tr("no picture"));
    painter.restore();
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

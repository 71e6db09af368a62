#include "ui/info/logo.h"

#include <QPainter>
#include <QSvgRenderer>

QPixmap logoPicture()
{
    QPixmap picture(logoSize);
    picture.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/icons/camera.svg"));
    QPainter painter(&picture);
    renderer.render(&painter);
    return picture;
}

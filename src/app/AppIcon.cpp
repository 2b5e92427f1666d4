#include "AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QImage appIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    // Shaft.
    p.setPen(QPen(QColor(40, 60, 90), 1.5));
    p.setBrush(QColor(70, 110, 160));
    p.drawRoundedRect(QRectF(2, 1, 28, 30), 3, 3);

    // Car with its two doors.
    p.setPen(QPen(QColor(30, 40, 50), 1));
    p.setBrush(QColor(235, 240, 245));
    p.drawRect(QRectF(6, 7, 13, 19));
    p.setBrush(QColor(185, 195, 205));
    p.drawRect(QRectF(7.5, 9, 4.5, 15.5));
    p.drawRect(QRectF(13, 9, 4.5, 15.5));

    // Up and down arrows.
    p.setPen(Qt::NoPen);
    QPainterPath up;
    up.moveTo(25, 5);
    up.lineTo(29, 12);
    up.lineTo(21, 12);
    up.closeSubpath();
    p.setBrush(QColor(90, 210, 110));
    p.drawPath(up);
    QPainterPath down;
    down.moveTo(25, 27);
    down.lineTo(29, 20);
    down.lineTo(21, 20);
    down.closeSubpath();
    p.setBrush(QColor(240, 170, 60));
    p.drawPath(down);
    p.end();
    return image;
}

QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(QPixmap::fromImage(appIconImage(size)));
    return icon;
}

#include "reminders/ReminderIcons.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace ReminderIcons {

QPixmap taskIcon()
{
    QPixmap pixmap(12, 14);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(96, 72, 32));
    p.setBrush(QColor(250, 246, 232));
    p.drawRect(0, 1, 11, 12);                      // the board
    p.fillRect(3, 0, 6, 3, QColor(128, 128, 128)); // the clip
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(220, 0, 0), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(2.5, 7.5), QPointF(5, 10.5), QPointF(9.5, 4)}));
    return pixmap;
}

QPixmap appointmentIcon()
{
    QPixmap pixmap(17, 14);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QColor blue(49, 106, 197);
    p.setPen(blue);
    p.setBrush(Qt::white);
    p.drawRect(2, 1, 13, 12);
    p.fillRect(2, 1, 14, 4, blue); // the title band
    p.setPen(QColor(140, 160, 200));
    for (int x = 5; x < 15; x += 3) // the day grid
        p.drawLine(x, 6, x, 12);
    p.drawLine(3, 9, 14, 9);
    return pixmap;
}

QIcon windowIcon()
{
    QSvgRenderer renderer(QStringLiteral(":/icons/reminders.svg"));
    QIcon icon;
    if (!renderer.isValid())
        return icon;
    for (int side : {16, 24, 32, 48}) {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace ReminderIcons

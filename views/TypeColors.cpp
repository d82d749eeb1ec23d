#include "views/TypeColors.h"

#include <QPainter>

#include <array>

namespace TypeColors {

QColor color(int type)
{
    static const std::array<QColor, typeCount> colors = {
        QColor(255, 255, 255), // Standard
        QColor(255, 153, 153), // Important
        QColor(153, 204, 255), // Business
        QColor(153, 255, 204), // Personal
        QColor(215, 215, 215), // Vacation
        QColor(255, 204, 102), // Must Attend
        QColor(153, 255, 255), // Travel Required
        QColor(204, 204, 102), // Needs Preparation
        QColor(255, 204, 255), // Birthday
        QColor(102, 204, 153), // Anniversary
        QColor(255, 255, 153), // Phone Call
    };
    if (type < 0 || type >= typeCount)
        type = 0;
    return colors[type];
}

QPixmap swatch(int type)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    // White on white would vanish; the standard type gets an off-white fill.
    const QColor fill = (type == 0) ? QColor(245, 245, 245) : color(type);
    painter.fillRect(QRect(0, 0, 15, 15), fill);
    painter.setPen(QPen(Qt::black, 0));
    painter.drawRect(QRect(0, 0, 14, 14));
    return pixmap;
}

QIcon swatchIcon(int type)
{
    return QIcon(swatch(type));
}

} // namespace TypeColors

#include "app/AppIcons.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace AppIcons {

QIcon icon(const QString &name)
{
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(name));
    QIcon result;
    if (renderer.isValid()) {
        for (int side : {8, 16, 22, 24, 32, 44, 48, 64, 96}) {
            QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            renderer.render(&painter);
            painter.end();
            result.addPixmap(QPixmap::fromImage(image));
        }
    }
    return result;
}

} // namespace AppIcons

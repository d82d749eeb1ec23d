#include "options/SwatchStrip.h"

#include "views/TypeColors.h"

#include <QPainter>

namespace {
constexpr int swatchSize = 16;
} // namespace

SwatchStrip::SwatchStrip(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(left + swatchSize, pitch * (TypeColors::typeCount - 1) + swatchSize);
}

void SwatchStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor face = palette().color(QPalette::Button);
    painter.fillRect(rect(), face);
    for (int type = 0; type < TypeColors::typeCount; ++type) {
        const QPoint at(left, pitch * type);
        painter.drawPixmap(at, TypeColors::swatch(type));
        painter.fillRect(QRect(at, QSize(swatchSize, 1)), face);
        painter.fillRect(QRect(at, QSize(1, swatchSize)), face);
    }
}

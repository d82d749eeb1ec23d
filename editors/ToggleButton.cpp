#include "editors/ToggleButton.h"

#include <QPainter>
#include <QStyleOptionButton>

namespace {
constexpr int boxSize = 13;
constexpr int boxLeft = 4;
constexpr int captionGap = 5;
} // namespace

ToggleButton::ToggleButton(const QString &caption, QWidget *parent)
    : QAbstractButton(parent)
{
    setText(caption);
    setCheckable(true);
    setFocusPolicy(Qt::TabFocus);
}

QColor ToggleButton::onFace()
{
    return QColor(223, 233, 247);
}

QColor ToggleButton::onFrame()
{
    return QColor(49, 106, 197);
}

QSize ToggleButton::sizeHint() const
{
    const int textWidth = fontMetrics().horizontalAdvance(text());
    return QSize(boxLeft + boxSize + captionGap + textWidth + 6, 22);
}

void ToggleButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor face = isChecked() ? onFace() : palette().color(QPalette::Button);
    const QColor frame = isChecked() ? onFrame() : face;
    painter.fillRect(rect(), face);
    painter.setPen(frame);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    QStyleOptionButton box;
    box.initFrom(this);
    box.rect = QRect(boxLeft, (height() - boxSize) / 2, boxSize, boxSize);
    box.state = (isChecked() ? QStyle::State_On : QStyle::State_Off) | QStyle::State_Enabled;
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, &painter, this);

    const QRect captionRect(box.rect.right() + 1 + captionGap, 0, width(), height());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(captionRect, Qt::AlignLeft | Qt::AlignVCenter, text());
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::ButtonText), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

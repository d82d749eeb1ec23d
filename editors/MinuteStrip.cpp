#include "editors/MinuteStrip.h"

#include <QMouseEvent>
#include <QPainter>

MinuteStrip::MinuteStrip(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setFixedSize(5 * labelWidth + 6 * gap, labelHeight + 2 * gap);
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSize(8);
    setFont(arial);
    hide();
}

QColor MinuteStrip::hoverColor()
{
    return QColor(166, 202, 240);
}

void MinuteStrip::setEntryIndex(int index)
{
    m_entryIndex = index;
    update();
}

int MinuteStrip::minuteAt(int label) const
{
    // A full hour offers 05..25, a half hour 35..55; the rightmost label,
    // next to the list, is the smallest.
    const int first = m_entryIndex % 2 == 0 ? 5 : 35;
    return first + 5 * (4 - label);
}

QRect MinuteStrip::labelRect(int label) const
{
    return QRect(gap + label * (labelWidth + gap), gap, labelWidth, labelHeight);
}

int MinuteStrip::labelAt(const QPoint &pos) const
{
    for (int label = 0; label < 5; ++label) {
        if (labelRect(label).contains(pos))
            return label;
    }
    return -1;
}

void MinuteStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(49, 106, 197));
    painter.setPen(Qt::black);
    for (int label = 0; label < 5; ++label) {
        const QRect r = labelRect(label);
        painter.fillRect(r, label == m_hovered ? hoverColor() : QColor(Qt::white));
        painter.drawText(r, Qt::AlignCenter, QStringLiteral("%1").arg(minuteAt(label), 2, 10, QLatin1Char('0')));
    }
}

void MinuteStrip::mouseMoveEvent(QMouseEvent *event)
{
    const int label = labelAt(event->position().toPoint());
    if (label != m_hovered) {
        m_hovered = label;
        update();
    }
}

void MinuteStrip::leaveEvent(QEvent *)
{
    m_hovered = -1;
    update();
}

void MinuteStrip::mousePressEvent(QMouseEvent *event)
{
    const int label = labelAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && label >= 0)
        emit minuteClicked(minuteAt(label));
}

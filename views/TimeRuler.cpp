#include "views/TimeRuler.h"

#include "views/DayGeometry.h"
#include "views/ViewFonts.h"

#include <QFontMetrics>
#include <QPainter>

TimeRuler::TimeRuler(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TimeRuler::setUse24Hour(bool on)
{
    if (m_use24Hour == on)
        return;
    m_use24Hour = on;
    update();
}

void TimeRuler::setVisibleTop(int y)
{
    if (m_visibleTop == y)
        return;
    m_visibleTop = y;
    update();
}

TimeRuler::HourLabel TimeRuler::hourLabel(int hour, bool use24Hour)
{
    if (use24Hour)
        return {QStringLiteral("%1").arg(hour, 2, 10, QLatin1Char('0')), QStringLiteral("00")};
    // Noon is marked by "pm" in place of the minutes.
    const int hour12 = (hour % 12 == 0) ? 12 : hour % 12;
    return {QString::number(hour12), hour == 12 ? QStringLiteral("pm") : QStringLiteral("00")};
}

void TimeRuler::paintEvent(QPaintEvent *)
{
    using namespace DayGeometry;
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    const QColor shadow = palette().color(QPalette::Dark);
    const QFont hourFont = ViewFonts::rulerHourFont();
    const QFont smallFont = ViewFonts::rulerSmallFont();
    const int numberRight = 33;
    for (int row = 1; row <= rowCount; ++row)
        painter.fillRect(QRect(0, rowTop(row), width(), 1), shadow);
    painter.setPen(Qt::black);
    for (int hour = 0; hour < 24; ++hour) {
        const HourLabel label = hourLabel(hour, m_use24Hour);
        const int top = hour * hourHeight;
        if (top + 1 < m_visibleTop)
            continue;
        painter.setFont(hourFont);
        painter.drawText(QRect(0, top + 1, numberRight, 24), Qt::AlignRight | Qt::AlignTop, label.hour);
        painter.setFont(smallFont);
        painter.drawText(QRect(numberRight + 2, top + 3, width() - numberRight - 2, 14), Qt::AlignLeft | Qt::AlignTop,
                         label.minutes);
    }
}

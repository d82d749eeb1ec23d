#include "app/ViewDates.h"

#include <QLocale>

namespace ViewDates {

QDate weekFirstDate(const QDate &date)
{
    return date.addDays(1 - date.dayOfWeek()); // Qt counts Monday as 1
}

QDate stepped(View view, const QDate &date, int direction)
{
    switch (view) {
    case View::Day:
        return date.addDays(direction);
    case View::Week:
        return date.addDays(7 * direction);
    case View::Month:
        return date.addMonths(direction);
    case View::None:
        break;
    }
    return date;
}

QString caption(View view, const QDate &date)
{
    const QLocale locale;
    switch (view) {
    case View::Day:
        return locale.toString(date, QLocale::LongFormat);
    case View::Week: {
        const QDate monday = weekFirstDate(date);
        return locale.toString(monday, QStringLiteral("MMMM dd")) + QStringLiteral(" - ")
            + locale.toString(monday.addDays(6), QStringLiteral("MMMM dd"));
    }
    case View::Month:
        return locale.toString(date, QStringLiteral("MMMM yyyy"));
    case View::None:
        break;
    }
    return QString();
}

} // namespace ViewDates

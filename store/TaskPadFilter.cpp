#include "store/TaskPadFilter.h"

#include "store/FilterLiterals.h"

namespace TaskPadFilter {

namespace {

QString literal(const QDate &date)
{
    // The program reads its own filters back: ISO dates, whatever the locale.
    return QLatin1Char('\'') + FilterLiterals::date(date) + QLatin1Char('\'');
}

// Every view but "All Tasks" also lists the tasks without a due date and,
// except "Overdue Tasks", those without a start date.
const QString withoutDue = QStringLiteral(" or E=Null and Ta='True'");
const QString withoutStart = QStringLiteral(" or S=Null and Ta='True'");

QString startingBetween(const QDate &from, int days)
{
    return QStringLiteral("Ta='True' and S>=") + literal(from) + QStringLiteral(" and S<=")
        + literal(from.addDays(days)) + withoutDue + withoutStart;
}

} // namespace

QString text(int view, DataModuleHost::View shown, const Dates &dates)
{
    using View = DataModuleHost::View;
    switch (view) {
    case 2:
        return QStringLiteral("Ta='True' and E=") + literal(dates.today) + withoutDue + withoutStart;
    case 3:
        if (shown == View::Week)
            return startingBetween(dates.weekFirstDate, 7);
        if (shown == View::Month)
            return startingBetween(dates.monthFirstDate, 42);
        return QStringLiteral("Ta='True' and S<=") + literal(dates.navigatorDate) + withoutDue + withoutStart;
    case 4:
        return startingBetween(dates.navigatorDate, 7);
    case 5:
        return QStringLiteral("Ta='True' and E<") + literal(dates.today) + withoutDue;
    default:
        return QStringLiteral("Ta='True'");
    }
}

} // namespace TaskPadFilter

#include "store/TaskPadFilter.h"

#include "store/FilterLiterals.h"

namespace TaskPadFilter {

namespace {

// Every view but "All Tasks" also lists the tasks without a due date and,
// except "Overdue Tasks", those without a start date.
const QString withoutDue = QStringLiteral(" or E=Null and Ta='True'");
const QString withoutStart = QStringLiteral(" or S=Null and Ta='True'");

QString startingBetween(const QDate &from, int days)
{
    return QStringLiteral("Ta='True' and S>=") + FilterLiterals::quoted(from) + QStringLiteral(" and S<=")
        + FilterLiterals::quoted(from.addDays(days)) + withoutDue + withoutStart;
}

} // namespace

int clampView(int view)
{
    return view >= firstView && view <= lastView ? view : firstView;
}

QString text(int view, const Dates &dates)
{
    using View = DataModuleHost::View;
    switch (clampView(view)) {
    case 2:
        return QStringLiteral("Ta='True' and E=") + FilterLiterals::quoted(dates.today) + withoutDue + withoutStart;
    case 3:
        if (dates.current == View::Week)
            return startingBetween(dates.weekFirstDate, 7);
        if (dates.current == View::Month)
            return startingBetween(dates.monthFirstDate, 42);
        return QStringLiteral("Ta='True' and S<=") + FilterLiterals::quoted(dates.navigator) + withoutDue
            + withoutStart;
    case 4:
        return startingBetween(dates.navigator, 7);
    case 5:
        return QStringLiteral("Ta='True' and E<") + FilterLiterals::quoted(dates.today) + withoutDue;
    default:
        return QStringLiteral("Ta='True'");
    }
}

} // namespace TaskPadFilter

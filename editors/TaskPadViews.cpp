#include "TaskPadViews.h"

#include "LocaleFormats.h"

namespace TaskPadViews {

namespace {

QString d(const QDate &date)
{
    return LocaleFormats::formatDate(date);
}

// Every view but the overdue one also lists tasks without a due date and
// tasks without a start date.
const QString undated = QStringLiteral(" or E=Null and Ta='True' or S=Null and Ta='True'");

QString startingBetween(const QDate &first, const QDate &last)
{
    return "Ta='True' and S>='" + d(first) + "' and S<='" + d(last) + "'" + undated;
}

} // namespace

const QStringList &names()
{
    static const QStringList list = {QStringLiteral("All Tasks"), QStringLiteral("Today's Tasks"),
                                     QStringLiteral("Active Tasks for Selected Days"),
                                     QStringLiteral("Tasks for Next Seven Days"), QStringLiteral("Overdue Tasks")};
    return list;
}

int clampView(int view)
{
    return view >= 1 && view <= count ? view : 1;
}

QString filter(int view, const Dates &dates)
{
    using View = DataModuleHost::View;
    switch (clampView(view)) {
    case 2:
        return "Ta='True' and E='" + d(dates.today) + "'" + undated;
    case 3:
        if (dates.current == View::Week)
            return startingBetween(dates.weekFirstDate, dates.weekFirstDate.addDays(7));
        if (dates.current == View::Month)
            return startingBetween(dates.monthFirstDate, dates.monthFirstDate.addDays(42));
        return "Ta='True' and S<='" + d(dates.navigator) + "'" + undated;
    case 4:
        return startingBetween(dates.navigator, dates.navigator.addDays(7));
    case 5:
        return "Ta='True' and E<'" + d(dates.today) + "' or E=Null and Ta='True'";
    default:
        return QStringLiteral("Ta='True'");
    }
}

} // namespace TaskPadViews

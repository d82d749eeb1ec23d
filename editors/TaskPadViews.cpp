#include "editors/TaskPadViews.h"

#include "store/TaskPadFilter.h"

namespace TaskPadViews {

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
    return TaskPadFilter::text(clampView(view), dates.current,
                               {dates.today, dates.navigator, dates.weekFirstDate, dates.monthFirstDate});
}

} // namespace TaskPadViews

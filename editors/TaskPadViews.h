#pragma once

#include "store/Unit2.h"

#include <QDate>
#include <QString>
#include <QStringList>

// The five task pad views: each is a filter text on the task cursor. The
// dates are those of the moment the view is applied; a view is not
// recomputed when the day or the navigator moves on.
namespace TaskPadViews {

constexpr int count = 5;

// What view 3 ("Active Tasks for Selected Days") and view 4 depend on.
struct Dates
{
    DataModuleHost::View current = DataModuleHost::View::None;
    QDate today;
    QDate navigator;      // the month navigator's date
    QDate weekFirstDate;  // first date the week view shows
    QDate monthFirstDate; // first date the month view shows
};

// "All Tasks", "Today's Tasks", ... in menu order.
const QStringList &names();

// The filter text of view n (1..5); views out of range read as view 1.
QString filter(int view, const Dates &dates);

// A stored view number ("1".."5") read back; anything else is view 1.
int clampView(int view);

} // namespace TaskPadViews

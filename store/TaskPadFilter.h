#pragma once

#include "store/Unit2.h"

#include <QDate>
#include <QString>

// The five task pad views as filter texts for the task cursor (Table47).
// The task pad applies them; printing applies the folder's view itself
// when nothing has filtered the cursor yet (a page printed from the
// command line). The dates are those of the moment the view is applied; a
// view is not recomputed when the day or the navigator moves on.
namespace TaskPadFilter {

constexpr int firstView = 1; // "All Tasks"
constexpr int lastView = 5;  // "Overdue Tasks"

// What view 3 ("Active Tasks for Selected Days") and view 4 depend on.
struct Dates
{
    DataModuleHost::View current = DataModuleHost::View::None; // the view shown
    QDate today;
    QDate navigator;      // the month navigator's date
    QDate weekFirstDate;  // first date the week view shows
    QDate monthFirstDate; // first date the month view shows
};

// A stored view number ("1".."5") read back; anything else is view 1,
// which the program never writes.
int clampView(int view);

// Filter text of view n (1..5, clamped as above); view 3 depends on the
// view shown.
QString text(int view, const Dates &dates);

} // namespace TaskPadFilter

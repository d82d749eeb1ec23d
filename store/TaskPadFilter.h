#pragma once

#include "store/Unit2.h"

#include <QDate>
#include <QString>

// The five task pad views as filter texts for the task cursor (Table47).
// The task pad applies them; printing applies the folder's view itself
// when nothing has filtered the cursor yet (a page printed from the
// command line).
namespace TaskPadFilter {

// The dates a view may depend on, taken when the view is applied.
struct Dates
{
    QDate today;
    QDate navigatorDate;
    QDate weekFirstDate;  // the week view's Monday
    QDate monthFirstDate; // the month view's first cell
};

constexpr int firstView = 1; // "All Tasks"
constexpr int lastView = 5;  // "Overdue Tasks"

// Filter text of view n (1..5); view 3 depends on the view shown. A number
// outside 1..5 (never written by the program) reads as view 1.
QString text(int view, DataModuleHost::View shown, const Dates &dates);

} // namespace TaskPadFilter

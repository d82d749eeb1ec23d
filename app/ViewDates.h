#pragma once

#include "store/Unit2.h"

#include <QDate>
#include <QString>

// Dates and captions of the three views, as the main window's title strip
// and its back and forward buttons need them.
namespace ViewDates {

using View = DataModuleHost::View;

// The Monday on or before the date: weeks in the views always start on Monday.
QDate weekFirstDate(const QDate &date);

// The date one step back (direction -1) or forward (+1) in the view: a day,
// seven days, or the same day of the neighbouring month (clamped to its end).
QDate stepped(View view, const QDate &date, int direction);

// The text at the right of the title strip: the long date for the day view,
// "March 03 - March 09" for the week, "March 2025" for the month, nothing
// when no view is shown.
QString caption(View view, const QDate &date);

} // namespace ViewDates

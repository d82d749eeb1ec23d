#pragma once

#include "editors/EventSave.h"

#include <QDate>
#include <QTime>

// The first values of a new appointment, all-day event or recurring
// appointment: the shown date and the day view's selected half hours.
namespace NewEvent {

enum class Kind { Appointment, AllDayEvent, RecurringAppointment };

// Start of half-hour row r (0..47).
QTime rowStart(int row);
// End of a selection whose last row is r: the start of the next row, and
// 23:55 for the last row of the day.
QTime selectionEnd(int endRow);

// The fields of the new row, selection rows as the day view holds them (an
// end row before the start row is raised to it).
FieldChanges fields(Kind kind, const QDate &date, int startRow, int endRow, bool defaultReminder);

} // namespace NewEvent

#pragma once

#include <QDate>
#include <QString>
#include <QTime>

// The filter texts of the reminder cursor Table48. Dates and times are
// written in one locale-free form (ISO dates, HH:MM:SS), which the store's
// filter parser reads back whatever the user's locale.
namespace DuePredicate {

// The five clauses for "now": today's one-off reminders, daily and weekly
// series through today's weekday flag, monthly and yearly series by the
// reminder's day (and month), and snoozed reminders whose time has come.
QString dueFilter(const QDate &today, const QTime &now);

// Clauses 1 to 4 as they stood on `day`, each narrowed to reminder times
// `from` up to and including `until` (whole days pass 00:00 and 23:59:59).
QString regularOn(const QDate &day, const QTime &from, const QTime &until);
// Clause 5 on `day`, narrowed the same way on the snooze time.
QString snoozedOn(const QDate &day, const QTime &from, const QTime &until);

// An item whose reminder was missed: listed while its reminder is on and
// until it is dismissed or snoozed today.
QString missedClause(qint64 no, const QDate &today);

// The weekday flag field of a date: "Sun" .. "Sat".
QString weekdayField(const QDate &date);

QString dateLiteral(const QDate &date); // "2026-12-10"
QString timeLiteral(const QTime &time); // "14:30:00"

} // namespace DuePredicate

#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include <vector>

// The filter texts of the reminder cursor Table48. Their literals are
// FilterLiterals' locale-free forms (ISO dates, HH:MM:SS), which the
// store's filter parser reads back whatever the user's locale.
namespace DuePredicate {

// The five clauses for "now": today's one-off reminders, daily and weekly
// series through today's weekday flag, monthly and yearly series by the
// reminder's day (and month), and snoozed reminders whose time has come;
// then the extended series (`Rr` set) one of whose occurrences reminds
// today, which the pattern clauses never list.
QString dueFilter(const QDate &today, const QTime &now);

// The candidates of a catch-up over the days `first` to `last`: clause 1's
// one-off reminders dated in them, every recurring item with its reminder
// on (clauses 2 to 4 and the extended series, which the catch-up tests day
// by day itself), and
// clause 5's snoozed reminders dated in them. The reminder times are the
// catch-up's to test.
QString oneOffBetween(const QDate &first, const QDate &last);
QString recurringWithReminder();
QString snoozedBetween(const QDate &first, const QDate &last);

// The items whose reminders were missed, in one clause however many: each
// listed while its reminder is on and until it is dismissed or snoozed
// today. Blank for none.
QString missedClause(const std::vector<qint64> &nos, const QDate &today);

} // namespace DuePredicate

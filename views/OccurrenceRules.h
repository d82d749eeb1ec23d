#pragma once

#include <QDate>
#include <QString>
#include <QTime>

class Cursor;

// Which calendar items lie on a date. Each rule is a filter text for a
// calendar cursor; setting it switches filtering on, and the cursor then
// yields exactly the rows of the rule in its index order. Recurring items
// are single rows that pass on every date of their pattern; an extended
// series on every date of its rule but its removed ones.
namespace OccurrenceRules {

// Text of each rule for date d (slot rules: the half hour starting at t1,
// t2 = t1 + 29 minutes).
QString generalFilter(const QDate &d);
QString timedFilter(const QDate &d);
QString allDayFilter(const QDate &d);
QString slotStartFilter(const QDate &d, const QTime &t1);
QString runningFilter(const QDate &d, const QTime &t1);

// Start of half-hour slot 0..47.
QTime slotStart(int slot);

// Set the rule as the cursor's filter and switch filtering on.
void occursOn(Cursor &cursor, const QDate &d);
void timedOn(Cursor &cursor, const QDate &d);
void allDayOn(Cursor &cursor, const QDate &d);
void startingInSlot(Cursor &cursor, const QDate &d, int slot);
// The slot-start rule stretched over the whole day (00:00 to 23:59): every
// item that starts in one of the 48 slots, and items starting in the last
// minute of a half hour, which belong to no slot.
void startingOnDay(Cursor &cursor, const QDate &d);
void runningAtSlot(Cursor &cursor, const QDate &d, int slot);

} // namespace OccurrenceRules

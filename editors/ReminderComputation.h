#pragma once

#include "editors/RecurrencePattern.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

// When an event's reminder is due, from its start and its lead. Runs on
// every save, reminder on or off, so that switching the reminder on later
// finds the fields filled.
namespace ReminderComputation {

struct Input
{
    QDate startDate;       // the start date box, already read
    QString startTimeText; // the start time box text (hidden but kept for all-day items)
    QString leadText;      // the lead box: a whole number
    QString unitText;      // "minute(s)", "hour(s)" or "day(s)"
    bool allDay = false;
    RecurrencePattern::Kind pattern = RecurrencePattern::Kind::None; // the selected choice
};

// The reminder fields to write; a field left empty keeps the row's value.
struct Fields
{
    std::optional<QDate> rs;
    std::optional<QTime> rt;
    std::optional<QString> rd;
    std::optional<QString> rm;
};

// Nothing when the lead cannot be applied: a lead that is no whole number,
// minutes outside 0..59, hours outside 0..23, or a minute lead on a timed
// item without a start time.
std::optional<Fields> compute(const Input &input);

} // namespace ReminderComputation

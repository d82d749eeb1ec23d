#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// The snooze box of the reminders window: an amount and the unit label
// ("minutes", "hour(s)", "day(s)") that the last lead list choice set.
namespace SnoozePeriod {

// The unit label of lead list entry `index` (0..16), and its amount text.
QString unitLabel(int index);
QString amountText(int index);

struct Outcome
{
    QString message; // why the amount cannot be used; empty when it can
    QTime sn;        // the snooze time, whole minutes
    QDate sns;       // the snooze date
    bool ok() const { return message.isEmpty(); }
};

// The moment `now` plus the amount in the unit, cut to the minute.
// Minutes are 0 to 59 and hours 0 to 23, as in a time of day; days 0 to
// 365, so that a snooze never lands in the past.
Outcome apply(const QString &amountText, const QString &unitLabel, const QDateTime &now);

} // namespace SnoozePeriod

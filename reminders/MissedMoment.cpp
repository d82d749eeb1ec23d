#include "reminders/MissedMoment.h"

#include "store/ItemFields.h"

namespace MissedMoment {

namespace {

// Within 16 days before any day, every weekday comes at least twice: one
// may be the dismissed date, and the last day of the span may lie past the
// reminder time, so the latest matching day is among them.
constexpr int weekdayReach = 16;
// Day 31 is missing in five months of twelve, and a day can be lost to the
// dismissed date and to the span's end: 16 months back reach every match.
constexpr int monthReach = 16;
// 29 February comes back within eight years (none in 2100); two more years
// cover the dismissed date and the span's end.
constexpr int yearReach = 10;

// A series' dates are worked out for the last weeks of a span first: most
// series remind in them, and a long span then costs a few dates, not all.
constexpr int seriesNearReach = 32;

// Rd and Rm are compared as text with the date's own numbers, so only their
// plain decimal form matches any day.
int plainNumber(const QString &text)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok && QString::number(number) == text ? number : 0;
}

// The conditions every recurring clause shares on day d, and the reminder
// time on d lying in the span.
bool listedOn(const Recurring &item, const QDate &d, const QDateTime &from, const QDateTime &until)
{
    if (item.dismissed == d)
        return false;
    const QDateTime moment(d, item.reminder);
    return moment >= from && moment <= until;
}

QDateTime momentOn(const Recurring &item, const QDate &d)
{
    return d.isValid() ? QDateTime(d, item.reminder) : QDateTime();
}

// Clause 2: the day's weekday flag; the series started before that day.
QDate lastWeekly(const Recurring &item, const QDateTime &from, const QDateTime &until)
{
    QDate d = until.date();
    for (int step = 0; step < weekdayReach && d >= from.date() && item.start < d; ++step, d = d.addDays(-1)) {
        if (item.weekdays[d.dayOfWeek() - 1] && listedOn(item, d, from, until))
            return d;
    }
    return {};
}

// Clause 3: kind "3" on the day of month Rd; the series starts less than 32 days later.
QDate lastMonthly(const Recurring &item, const QDateTime &from, const QDateTime &until)
{
    const int day = plainNumber(item.day);
    if (item.kind != RecurrenceKind::Monthly || day < 1 || day > 31)
        return {};
    const QDate end = until.date();
    for (int back = 0; back < monthReach; ++back) {
        const QDate month = QDate(end.year(), end.month(), 1).addMonths(-back);
        if (month.addMonths(1) <= from.date())
            break;
        const QDate d(month.year(), month.month(), day);
        if (d.isValid() && d <= end && item.start < d.addDays(32) && listedOn(item, d, from, until))
            return d;
    }
    return {};
}

// Clause 4: the day Rd of month Rm; the series starts less than 365 days later.
QDate lastYearly(const Recurring &item, const QDateTime &from, const QDateTime &until)
{
    const int day = plainNumber(item.day);
    const int month = plainNumber(item.month);
    if (day < 1 || day > 31 || month < 1 || month > 12)
        return {};
    const QDate end = until.date();
    for (int back = 0; back < yearReach && end.year() - back >= from.date().year(); ++back) {
        const QDate d(end.year() - back, month, day);
        if (d.isValid() && d <= end && item.start < d.addDays(365) && listedOn(item, d, from, until))
            return d;
    }
    return {};
}

} // namespace

QDateTime lastRecurring(const Recurring &item, const QDateTime &from, const QDateTime &until)
{
    // A blank start fails every "<", a blank reminder time every range test.
    if (!item.start.isValid() || !item.reminder.isValid() || from > until)
        return {};
    QDateTime latest;
    for (const QDate &d :
         {lastWeekly(item, from, until), lastMonthly(item, from, until), lastYearly(item, from, until)}) {
        const QDateTime moment = momentOn(item, d);
        if (moment.isValid() && (!latest.isValid() || latest < moment))
            latest = moment;
    }
    return latest;
}

QDateTime lastOfSeries(const Recurring &item, const SeriesOccurrences &series, int leadDays, const QDateTime &from,
                       const QDateTime &until)
{
    if (!item.reminder.isValid() || !series.start().isValid() || from > until)
        return {};
    const QDate first = from.date().addDays(-leadDays);
    const QDate last = until.date().addDays(-leadDays);
    const auto latestIn = [&](const QDate &begin) -> QDateTime {
        const SeriesDates dates = series.occurrences(begin, last);
        for (auto it = dates.rbegin(); it != dates.rend(); ++it) {
            const QDate reminderDay = it->addDays(leadDays);
            if (listedOn(item, reminderDay, from, until))
                return QDateTime(reminderDay, item.reminder);
        }
        return {};
    };
    const QDate near = last.addDays(-seriesNearReach);
    if (near > first) {
        if (const QDateTime moment = latestIn(near); moment.isValid())
            return moment;
    }
    return latestIn(first);
}

} // namespace MissedMoment

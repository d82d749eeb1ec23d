#include "editors/ReminderComputation.h"

#include "editors/BoxText.h"

#include <QDateTime>

namespace ReminderComputation {

namespace {

const QString minutesUnit = QStringLiteral("minute(s)");
const QString hoursUnit = QStringLiteral("hour(s)");
const QString daysUnit = QStringLiteral("day(s)");

// A monthly or yearly series is reminded on the day (and month) of the
// reminder date, which a long lead moves away from the occurrence.
void derivePatternDay(Fields &fields, RecurrencePattern::Kind pattern)
{
    using RecurrencePattern::Kind;
    if (pattern == Kind::Monthly) {
        fields.rd = QString::number(fields.rs->day());
    } else if (pattern == Kind::Yearly) {
        fields.rm = QString::number(fields.rs->month());
        fields.rd = QString::number(fields.rs->day());
    }
}

QDateTime at(const QDate &date, const QTime &time)
{
    return QDateTime(date, time, Qt::UTC); // plain arithmetic, no daylight-saving gaps
}

} // namespace

std::optional<Fields> compute(const Input &input)
{
    bool ok = false;
    const int lead = input.leadText.trimmed().toInt(&ok);
    if (!ok || !input.startDate.isValid())
        return std::nullopt;

    // An all-day item's time boxes are hidden; text there that is no time
    // counts as no start time rather than stopping a save the user cannot mend.
    const QTime startTime = BoxText::readTime(input.startTimeText);
    const bool hasText = !input.startTimeText.trimmed().isEmpty();
    if (hasText && !startTime.isValid() && !input.allDay)
        return std::nullopt;
    const bool hasStartTime = startTime.isValid();

    Fields fields;
    if (input.unitText == minutesUnit) {
        if (lead < 0 || lead > 59 || (!hasStartTime && !input.allDay))
            return std::nullopt;
        // An all-day item reopened from the table has empty hidden time
        // boxes. Its reminder is at 00:00 anyway, so the empty time counts
        // as that 00:00 on the start date; taking the lead off it as well
        // would move the reminder a whole day early.
        const QDateTime due =
            hasStartTime ? at(input.startDate, startTime).addSecs(-60 * lead) : at(input.startDate, QTime(0, 0));
        fields.rt = input.allDay ? QTime(0, 0) : due.time();
        fields.rs = due.date();
        derivePatternDay(fields, input.pattern);
    } else if (input.unitText == hoursUnit) {
        if (lead < 0 || lead > 23)
            return std::nullopt;
        if (input.allDay)
            fields.rt = QTime(0, 0);
        if (hasStartTime) {
            const QDateTime due = at(input.startDate, startTime).addSecs(-3600 * lead);
            fields.rt = due.time();
            fields.rs = due.date();
            derivePatternDay(fields, input.pattern);
        }
    } else if (input.unitText == daysUnit) {
        if (input.allDay)
            fields.rt = QTime(0, 0);
        if (hasStartTime)
            fields.rt = startTime;
        fields.rs = input.startDate.addDays(-lead);
        derivePatternDay(fields, input.pattern);
    }
    return fields;
}

} // namespace ReminderComputation

#include "reminders/DueText.h"

#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/LocaleFormats.h"

#include <QLocale>

ReminderRow ReminderRow::fromCursor(const Cursor &c)
{
    ReminderRow row;
    row.no = c.currentId();
    row.subject = c.asText(ItemField::Subject);
    row.location = c.asText(ItemField::Loc);
    row.task = c.asBool(ItemField::Ta);
    row.allDay = c.asBool(ItemField::A);
    row.recurring = c.asBool(ItemField::Re);
    row.ret = c.asText(ItemField::Ret);
    row.extended = !c.asText(ItemField::Rr).isEmpty();
    row.start = c.asDate(ItemField::S);
    row.startTime = c.asTime(ItemField::St);
    row.reminderDate = c.asDate(ItemField::Rs);
    row.reminderTime = c.asTime(ItemField::Rt);
    row.leadAmount = c.asText(ItemField::Tr);
    row.leadUnit = c.asText(ItemField::Tm);
    return row;
}

namespace DueText {

namespace {

// Whole minutes of a time of day (seconds dropped).
int minutesOf(const QTime &time)
{
    return time.hour() * 60 + time.minute();
}

// Hours when there are any, else minutes; never both and never a singular.
QString span(int minutes, const char *suffix)
{
    const int h = minutes / 60;
    const int n = minutes % 60;
    if (h != 0)
        return QString::number(h) + QStringLiteral(" hours") + QLatin1String(suffix);
    return QString::number(n) + QStringLiteral(" minutes") + QLatin1String(suffix);
}

QString countdown(const QTime &target, const QTime &now)
{
    if (!target.isValid())
        return QString();
    // Seconds of the target count, as they do in the stored time: a target
    // of 9:59:30 is past at 10:00 and shows no minutes at all.
    const int diffSecs = now.secsTo(target);
    if (diffSecs >= 0)
        return span(diffSecs / 60, "");
    const int over = -diffSecs / 60;
    if (over == 0)
        return QString();
    return span(over, " overdue");
}

} // namespace

QString dueIn(const ReminderRow &row, const QDate &today, const QTime &now)
{
    const QTime t(now.hour(), now.minute());
    if (row.task)
        return countdown(row.reminderTime, t);
    if (row.allDay) {
        const int since = minutesOf(t);
        return since == 0 ? QString() : span(since, " overdue");
    }
    if (row.recurring) {
        // Only monthly and yearly patterns remind days ahead; an extended
        // series of any kind does, and its occurrence is not today then.
        const bool dayLead = (row.extended || row.ret == RecurrenceKind::Monthly || row.ret == RecurrenceKind::Yearly)
            && row.leadUnit == QLatin1String("day(s)");
        return dayLead ? row.leadAmount + QStringLiteral(" days") : countdown(row.startTime, t);
    }
    if (row.start.isValid() && row.start != today)
        return QString::number(today.daysTo(row.start)) + QStringLiteral(" days");
    return countdown(row.startTime, t);
}

QString missedSince(const QDate &day)
{
    return QStringLiteral("overdue since ") + LocaleFormats::formatDate(day);
}

QString clockText(const QTime &time, bool use24Hour)
{
    if (!time.isValid())
        return QString();
    return QLocale().toString(time, use24Hour ? QStringLiteral("HH:mm") : QStringLiteral("h:mm AP"));
}

QString headerTime(const ReminderRow &row, bool use24Hour)
{
    const QLocale locale;
    const QString longDate = locale.dateFormat(QLocale::LongFormat);
    if (row.task)
        return QStringLiteral("Due: ") + locale.toString(row.reminderDate, longDate) + QLatin1Char(' ')
            + clockText(row.reminderTime, use24Hour);
    const QTime time = row.allDay ? QTime(0, 0) : row.startTime;
    return QStringLiteral("Start time: ") + locale.toString(row.start, longDate) + QLatin1Char(' ')
        + clockText(time, use24Hour);
}

} // namespace DueText

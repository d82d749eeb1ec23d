#include "ical/IcsExporter.h"

#include "ical/IcsImporter.h"
#include "ical/IcsZone.h"

#include "store/Clock.h"
#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/SeriesRule.h"

#include <QSet>
#include <QUuid>

#include <libical/ical.h>

namespace {

const char *const weekdayCodes[7] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

void addText(icalcomponent *component, icalproperty *(*make)(const char *), const QString &text)
{
    if (!text.isEmpty())
        icalcomponent_add_property(component, make(text.toUtf8().constData()));
}

// A day or month code of a pattern (`D`, `M`) as a number from 1 to max;
// 0 when another program left it blank or wrote something else.
int patternNumber(const Cursor &item, const QString &name, int max)
{
    bool ok = false;
    const int n = item.asText(name).trimmed().toInt(&ok);
    return ok && n >= 1 && n <= max ? n : 0;
}

// The RRULE of a recurring item, or empty when the item occurs on its
// first date only (a weekly pattern without weekdays). *problem says why
// a pattern cannot be written at all.
QString recurrenceRule(const Cursor &item, QString *problem)
{
    const QString kind = item.asText(ItemField::Ret);
    QStringList days;
    for (int d = 0; d < 7; ++d) {
        if (item.asBool(ItemField::weekdayFlags()[d]))
            days << QString::fromLatin1(weekdayCodes[d]);
    }
    if (kind == RecurrenceKind::Daily || kind == RecurrenceKind::Weekly) {
        if (days.isEmpty())
            return QString();
        if (kind == RecurrenceKind::Daily && days.size() == 7)
            return QStringLiteral("FREQ=DAILY");
        return QStringLiteral("FREQ=%1;BYDAY=%2")
            .arg(kind == RecurrenceKind::Daily ? "DAILY" : "WEEKLY", days.join(QLatin1Char(',')));
    }
    const int day = patternNumber(item, ItemField::D, 31);
    if (kind == RecurrenceKind::Monthly) {
        if (!day)
            *problem = QStringLiteral("its monthly pattern has no usable day (D)");
        return day ? QStringLiteral("FREQ=MONTHLY;BYMONTHDAY=%1").arg(day) : QString();
    }
    if (kind == RecurrenceKind::Yearly) {
        const int month = patternNumber(item, ItemField::M, 12);
        if (!day || !month)
            *problem = QStringLiteral("its yearly pattern has no usable day and month (D, M)");
        return day && month ? QStringLiteral("FREQ=YEARLY;BYMONTH=%1;BYMONTHDAY=%2").arg(month).arg(day) : QString();
    }
    return QString();
}

// The lead of an event's reminder as a trigger before its start, from the
// lead fields; false when they hold no usable lead. The amount goes into
// the duration as it stands: multiplied out it may not fit an int.
bool leadTrigger(const Cursor &item, icaltriggertype *trigger)
{
    bool ok = false;
    const int amount = item.asText(ItemField::Tr).trimmed().toInt(&ok);
    if (!ok || amount < 0)
        return false;
    const QString unit = item.asText(ItemField::Tm);
    icaldurationtype before = icaldurationtype_null_duration();
    before.is_neg = amount > 0 ? 1 : 0;
    if (unit == QLatin1String("minute(s)"))
        before.minutes = unsigned(amount);
    else if (unit == QLatin1String("hour(s)"))
        before.hours = unsigned(amount);
    else if (unit == QLatin1String("day(s)"))
        before.days = unsigned(amount);
    else
        return false;
    *trigger = icaltriggertype_from_int(0);
    trigger->duration = before;
    return true;
}

// A time property. libical's value constructors write a year after 3000
// as 00000000 (its parser reads such years well), so a time that late
// goes in as the text of its line.
icalproperty *timeProperty(icalproperty_kind kind, const icaltimetype &t, const QString &tzid = QString())
{
    if (t.year <= 3000) {
        icalproperty *p = kind == ICAL_DTSTART_PROPERTY ? icalproperty_new_dtstart(t)
            : kind == ICAL_DTEND_PROPERTY               ? icalproperty_new_dtend(t)
            : kind == ICAL_DUE_PROPERTY                 ? icalproperty_new_due(t)
                                                        : icalproperty_new_completed(t);
        if (!tzid.isEmpty())
            icalproperty_add_parameter(p, icalparameter_new_tzid(tzid.toUtf8().constData()));
        return p;
    }
    QString value = QString::asprintf("%04d%02d%02d", t.year, t.month, t.day);
    if (!t.is_date)
        value += QString::asprintf("T%02d%02d%02d", t.hour, t.minute, t.second)
            + (icaltime_is_utc(t) ? QStringLiteral("Z") : QString());
    const QString line = QStringLiteral("%1%2%3:%4")
                             .arg(QString::fromLatin1(icalproperty_kind_to_string(kind)),
                                  t.is_date ? QStringLiteral(";VALUE=DATE") : QString(),
                                  tzid.isEmpty() ? QString() : QStringLiteral(";TZID=") + tzid, value);
    return icalproperty_new_from_string(line.toUtf8().constData());
}

icalcomponent *newAlarm(const QString &subject, const icaltriggertype &trigger)
{
    icalcomponent *alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icalcomponent_add_property(
        alarm, icalproperty_new_description(subject.isEmpty() ? "Reminder" : subject.toUtf8().constData()));
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    return alarm;
}

// A reminder as the planner keeps it for tasks: a moment, Rs at Rt.
bool absoluteTrigger(const Cursor &item, icaltriggertype *trigger)
{
    const QDate date = item.asDate(ItemField::Rs);
    if (!date.isValid())
        return false;
    QTime time = item.asTime(ItemField::Rt);
    if (!time.isValid())
        time = QTime(0, 0);
    *trigger = icaltriggertype_from_int(0);
    trigger->time = IcsZone::utcValue(QDateTime(date, time, Qt::LocalTime));
    return true;
}

void addCommon(icalcomponent *component, const Cursor &item, const QString &uid, const icaltimetype &stamp)
{
    icalcomponent_add_property(component, icalproperty_new_uid(uid.toUtf8().constData()));
    icalcomponent_add_property(component, icalproperty_new_dtstamp(stamp));
    addText(component, icalproperty_new_summary, item.asText(ItemField::Subject));
    addText(component, icalproperty_new_description, item.asText(ItemField::N));
}

// The RRULE of an extended series (`Rr`). RFC 5545 wants the UNTIL of a
// timed series as a UTC time: the end of its last day in local time.
icalproperty *extendedRule(const SeriesRule &rule, bool allDay)
{
    icalrecurrencetype r = icalrecurrencetype_from_string(rule.text().toLatin1().constData());
    if (rule.until.isValid() && !allDay)
        r.until = IcsZone::utcValue(QDateTime(rule.until, QTime(23, 59, 59), Qt::LocalTime));
    return icalproperty_new_rrule(r);
}

// A date of the series (EXDATE, RECURRENCE-ID) in the form of its start.
icalproperty *seriesDateProperty(icalproperty *(*make)(struct icaltimetype), const QDate &date, bool allDay,
                                 const QTime &startTime, const IcsZone &zone)
{
    if (allDay)
        return make(IcsZone::dateValue(date));
    icalproperty *p = make(zone.localTime(date, startTime));
    if (!zone.tzid().isEmpty())
        icalproperty_add_parameter(p, icalparameter_new_tzid(zone.tzid().toUtf8().constData()));
    return p;
}

// Null, with *problem saying why, for an item iCalendar cannot express.
// overridden: the dates of the series whose moved occurrence goes out with
// it under a RECURRENCE-ID. They get no EXDATE: an instance excluded from
// the set has nothing left for the override to replace, and some programs
// then hide the moved occurrence too.
icalcomponent *eventComponent(const Cursor &item, const IcsZone &zone, const QStringList &typeNames,
                              const QSet<QDate> &overridden, QString *problem)
{
    const QDate start = item.asDate(ItemField::S);
    QDate end = item.asDate(ItemField::E);
    if (!end.isValid() || end < start)
        end = start;
    const bool recurring = item.asBool(ItemField::Re);
    const QString extendedText = recurring ? item.asText(ItemField::Rr).trimmed() : QString();
    Result<SeriesRule> extended = Result<SeriesRule>::failed(QString());
    Result<SeriesDates> removed = SeriesDates();
    if (!extendedText.isEmpty()) {
        extended = SeriesRule::parse(extendedText);
        removed = parseRemovedDates(item.asText(ItemField::Rx));
        if (!extended)
            *problem = QStringLiteral("its series rule (Rr) is not one the planner reads: %1").arg(extended.error());
        else if (!removed)
            *problem = QStringLiteral("its removed dates (Rx) are not readable: %1").arg(removed.error());
    }
    const QString rule = recurring && extendedText.isEmpty() ? recurrenceRule(item, problem) : QString();
    if (!problem->isEmpty())
        return nullptr;
    if (recurring)
        end = start; // a series is one date long
    const QTime startTime = item.asTime(ItemField::St);
    const bool allDay = item.asBool(ItemField::A) || !startTime.isValid();

    icalcomponent *event = icalcomponent_new(ICAL_VEVENT_COMPONENT);
    if (allDay) {
        icalcomponent_add_property(event, timeProperty(ICAL_DTSTART_PROPERTY, IcsZone::dateValue(start)));
        // The day after 9999-12-31 has no iCalendar date; a length does.
        if (end.addDays(1).year() > 9999) {
            icaldurationtype length = icaldurationtype_null_duration();
            length.days = unsigned(start.daysTo(end) + 1);
            icalcomponent_add_property(event, icalproperty_new_duration(length));
        } else {
            icalcomponent_add_property(event, timeProperty(ICAL_DTEND_PROPERTY, IcsZone::dateValue(end.addDays(1))));
        }
    } else {
        QTime endTime = item.asTime(ItemField::Et);
        if (!endTime.isValid() || (end == start && endTime < startTime))
            endTime = startTime;
        const icaltimetype s = zone.localTime(start, startTime);
        const icaltimetype e = zone.localTime(end, endTime);
        icalcomponent_add_property(event, timeProperty(ICAL_DTSTART_PROPERTY, s, zone.tzid()));
        icalcomponent_add_property(event, timeProperty(ICAL_DTEND_PROPERTY, e, zone.tzid()));
    }
    if (!rule.isEmpty())
        icalcomponent_add_property(event,
                                   icalproperty_new_rrule(icalrecurrencetype_from_string(rule.toLatin1().constData())));
    if (extended) {
        icalcomponent_add_property(event, extendedRule(extended.value(), allDay));
        for (const QDate &date : removed.value())
            if (!overridden.contains(date))
                icalcomponent_add_property(event,
                                           seriesDateProperty(icalproperty_new_exdate, date, allDay, startTime, zone));
    }
    addText(event, icalproperty_new_location, item.asText(ItemField::Loc));
    const int type = item.isBlank(ItemField::T) ? 0 : item.asInt(ItemField::T);
    if (type >= 0 && type < typeNames.size())
        addText(event, icalproperty_new_categories, typeNames.at(type));
    icaltriggertype trigger;
    if (item.asBool(ItemField::R) && (leadTrigger(item, &trigger) || absoluteTrigger(item, &trigger)))
        icalcomponent_add_component(event, newAlarm(item.asText(ItemField::Subject), trigger));
    return event;
}

icalcomponent *taskComponent(const Cursor &item)
{
    icalcomponent *todo = icalcomponent_new(ICAL_VTODO_COMPONENT);
    const QDate start = item.asDate(ItemField::S);
    const QDate due = item.asDate(ItemField::E);
    if (start.isValid())
        icalcomponent_add_property(todo, timeProperty(ICAL_DTSTART_PROPERTY, IcsZone::dateValue(start)));
    if (due.isValid())
        icalcomponent_add_property(
            todo,
            timeProperty(ICAL_DUE_PROPERTY,
                         IcsZone::dateValue(due.isValid() && start.isValid() && due < start ? start : due)));
    const QString priority = item.asText(ItemField::P);
    icalcomponent_add_property(todo,
                               icalproperty_new_priority(priority == TaskPriority::High      ? 1
                                                             : priority == TaskPriority::Low ? 9
                                                                                             : 5));
    if (item.asBool(ItemField::C)) {
        icalcomponent_add_property(todo, icalproperty_new_status(ICAL_STATUS_COMPLETED));
        // The planner keeps no moment of completion; the due (or start) date
        // stands for it, so that exporting twice writes the same value.
        const QDate done = due.isValid() ? due : start.isValid() ? start : Clock::today();
        icalcomponent_add_property(
            todo,
            timeProperty(ICAL_COMPLETED_PROPERTY, IcsZone::utcValue(QDateTime(done, QTime(0, 0), Qt::LocalTime))));
    } else {
        icalcomponent_add_property(todo, icalproperty_new_status(ICAL_STATUS_NEEDSACTION));
    }
    icaltriggertype trigger;
    if (item.asBool(ItemField::R) && absoluteTrigger(item, &trigger))
        icalcomponent_add_component(todo, newAlarm(item.asText(ItemField::Subject), trigger));
    return todo;
}

} // namespace

IcsExporter::IcsExporter(QStringList typeNames)
    : m_typeNames(std::move(typeNames))
{ }

void IcsExporter::setRange(const QDate &from, const QDate &to)
{
    m_from = from;
    m_to = to;
}

bool IcsExporter::inRange(const Cursor &item) const
{
    if (!m_from.isValid())
        return true;
    const QDate start = item.asDate(ItemField::S);
    const QDate end = item.asDate(ItemField::E);
    if (item.asBool(ItemField::Ta)) {
        const QDate when = end.isValid() ? end : start;
        return when.isValid() && when >= m_from && when <= m_to;
    }
    if (!start.isValid() || start > m_to)
        return false;
    if (item.asBool(ItemField::Re))
        return true; // a series has no end
    return (end.isValid() ? end : start) >= m_from;
}

Result<QByteArray> IcsExporter::exportItems(Cursor &items, const QHash<qint64, QString> &uids,
                                            QHash<qint64, QString> *newUids, Counts *counts,
                                            const std::function<bool(int, int)> &progress)
{
    const IcsZone zone;
    icalcomponent *calendar = icalcomponent_new(ICAL_VCALENDAR_COMPONENT);
    icalcomponent_add_property(calendar, icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar, icalproperty_new_prodid("-//Daybrook//Daybrook Planner//EN"));
    icalcomponent_add_property(calendar, icalproperty_new_calscale("GREGORIAN"));
    if (icalcomponent *definition = zone.newTimezoneComponent())
        icalcomponent_add_component(calendar, definition);

    const icaltimetype stamp = IcsZone::utcValue(Clock::now());
    const int total = items.recordCount();
    int done = 0;
    *counts = Counts();
    const auto uidOf = [&uids, newUids](qint64 no) {
        QString uid = uids.value(no, newUids->value(no));
        if (uid.isEmpty()) {
            uid = QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral("@daybrook");
            newUids->insert(no, uid);
        }
        return uid;
    };
    // A moved occurrence goes out under its series' UID, so the series
    // exported are known first.
    struct SeriesStart
    {
        bool allDay = false;
        QTime time;
    };
    QHash<qint64, SeriesStart> series;
    for (items.first(); !items.eof(); items.next()) {
        if (items.asBool(ItemField::Re) && !items.asBool(ItemField::Ta) && items.asDate(ItemField::S).isValid()
            && inRange(items)) {
            const QTime time = items.asTime(ItemField::St);
            series.insert(items.currentId(), {items.asBool(ItemField::A) || !time.isValid(), time});
        }
    }
    QHash<qint64, QSet<QDate>> overridden;
    for (items.first(); !items.eof(); items.next()) {
        const qint64 seriesNo = items.isBlank(ItemField::Rp) ? 0 : items.asInt(ItemField::Rp);
        const QDate replaced = items.asDate(ItemField::Ro);
        if (series.contains(seriesNo) && replaced.isValid() && !items.asBool(ItemField::Re)
            && !items.asBool(ItemField::Ta) && items.asDate(ItemField::S).isValid() && inRange(items))
            overridden[seriesNo].insert(replaced);
    }
    for (items.first(); !items.eof(); items.next(), ++done) {
        if (progress && done % 256 == 0 && !progress(done, total)) {
            icalcomponent_free(calendar);
            return Result<QByteArray>::cancelled();
        }
        const bool task = items.asBool(ItemField::Ta);
        if (!inRange(items) || (!task && !items.asDate(ItemField::S).isValid()))
            continue;
        QString problem;
        icalcomponent *component = task
            ? taskComponent(items)
            : eventComponent(items, zone, m_typeNames, overridden.value(items.currentId()), &problem);
        if (!component) {
            counts->leftOut << QStringLiteral("%1 (%2)").arg(IcsImporter::quoted(items.asText(ItemField::Subject)),
                                                             problem);
            continue;
        }
        const qint64 no = items.currentId();
        const qint64 seriesNo = items.isBlank(ItemField::Rp) ? 0 : items.asInt(ItemField::Rp);
        const QDate replaced = items.asDate(ItemField::Ro);
        const auto of = series.constFind(seriesNo);
        const bool moved = !task && !items.asBool(ItemField::Re) && replaced.isValid() && of != series.constEnd();
        addCommon(component, items, uidOf(moved ? seriesNo : no), stamp);
        if (moved)
            icalcomponent_add_property(
                component, seriesDateProperty(icalproperty_new_recurrenceid, replaced, of->allDay, of->time, zone));
        icalcomponent_add_component(calendar, component);
        ++(task ? counts->tasks : counts->events);
    }
    char *text = icalcomponent_as_ical_string_r(calendar);
    QByteArray result(text);
    free(text);
    icalcomponent_free(calendar);
    return result;
}

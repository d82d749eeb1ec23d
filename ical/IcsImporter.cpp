#include "ical/IcsImporter.h"

#include "ical/IcsLines.h"
#include "ical/IcsZone.h"

#include "store/ItemFields.h"
#include "store/OptionLists.h"
#include "store/SeriesRow.h"
#include "store/SeriesRule.h"
#include "store/TableSchema.h"

#include <QCryptographicHash>
#include <QHash>
#include <QList>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>

#include <libical/ical.h>

#include <cmath>
#include <memory>

namespace {

// A row being filled by field name.
class Row
{
public:
    Row()
        : m_values(calendarSchema().fields.size())
    { }
    void set(const QString &name, const QVariant &value) { m_values[calendarSchema().fieldIndex(name)] = value; }
    QVariant get(const QString &name) const { return m_values[calendarSchema().fieldIndex(name)]; }
    std::vector<QVariant> take() { return std::move(m_values); }

private:
    std::vector<QVariant> m_values;
};

QString text(const char *value)
{
    return value ? QString::fromUtf8(value) : QString();
}

QString textProperty(icalcomponent *component, icalproperty_kind kind)
{
    icalproperty *p = icalcomponent_get_first_property(component, kind);
    icalvalue *value = p ? icalproperty_get_value(p) : nullptr;
    return value && icalvalue_isa(value) == ICAL_TEXT_VALUE ? text(icalvalue_get_text(value)) : QString();
}

const char *tzidOf(icalproperty *p)
{
    icalparameter *tz = p ? icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER) : nullptr;
    return tz ? icalparameter_get_tzid(tz) : nullptr;
}

// A time property as a local wall time (a date keeps an invalid time).
struct When
{
    QDate date;
    QTime time;         // invalid for a date
    bool inGap = false; // its zone skips this wall time on this day
    bool valid() const { return date.isValid(); }
    QDateTime moment() const { return QDateTime(date, time.isValid() ? time : QTime(0, 0)); }
    // The wall time for arithmetic on it: local time would move a time
    // inside a gap before the sum is made.
    QDateTime wall() const { return QDateTime(date, time.isValid() ? time : QTime(0, 0), Qt::UTC); }
};

int typeFromCategories(icalcomponent *component, const QStringList &typeNames)
{
    for (icalproperty *p = icalcomponent_get_first_property(component, ICAL_CATEGORIES_PROPERTY); p;
         p = icalcomponent_get_next_property(component, ICAL_CATEGORIES_PROPERTY)) {
        for (const QString &category : text(icalproperty_get_categories(p)).split(QLatin1Char(','))) {
            const int type = typeNames.indexOf(category.trimmed());
            if (type >= 0)
                return type;
            for (int t = 0; t < typeNames.size(); ++t) {
                if (typeNames.at(t).compare(category.trimmed(), Qt::CaseInsensitive) == 0)
                    return t;
            }
        }
    }
    return 0;
}

// libical's own conversion passes through an int, which a lead of 68
// years overflows.
qint64 durationSeconds(const icaldurationtype &d)
{
    const qint64 seconds = ((qint64(d.weeks) * 7 + d.days) * 24 + d.hours) * 3600 + qint64(d.minutes) * 60 + d.seconds;
    return d.is_neg ? -seconds : seconds;
}

// The first alarm's trigger as seconds before the start (events) or as a
// moment (tasks). Returns false when the item has no usable alarm.
struct Alarm
{
    bool relative = true;
    qint64 secondsBefore = 0; // relative: positive = before
    bool relatedToEnd = false;
    QDateTime moment; // absolute, local
};

bool firstAlarm(icalcomponent *component, Alarm *alarm)
{
    for (icalcomponent *a = icalcomponent_get_first_component(component, ICAL_VALARM_COMPONENT); a;
         a = icalcomponent_get_next_component(component, ICAL_VALARM_COMPONENT)) {
        icalproperty *p = icalcomponent_get_first_property(a, ICAL_TRIGGER_PROPERTY);
        if (!p)
            continue;
        const icaltriggertype trigger = icalproperty_get_trigger(p);
        if (!icaltime_is_null_time(trigger.time)) {
            alarm->relative = false;
            alarm->moment = IcsZone::toLocal(trigger.time, tzidOf(p));
        } else {
            alarm->relative = true;
            alarm->secondsBefore = -durationSeconds(trigger.duration);
            icalparameter *related = icalproperty_get_first_parameter(p, ICAL_RELATED_PARAMETER);
            alarm->relatedToEnd = related && icalparameter_get_related(related) == ICAL_RELATED_END;
        }
        return true;
    }
    return false;
}

QString stableUid(icalcomponent *component)
{
    char *raw = icalcomponent_as_ical_string_r(component);
    const QByteArray hash = QCryptographicHash::hash(QByteArray(raw), QCryptographicHash::Sha1).toHex();
    free(raw);
    return QStringLiteral("daybrook-import-") + QString::fromLatin1(hash);
}

QString uidOf(icalcomponent *component)
{
    const QString uid = text(icalcomponent_get_uid(component));
    return uid.isEmpty() ? stableUid(component) : uid;
}

bool arrayEmpty(const short *values)
{
    return values[0] == ICAL_RECURRENCE_ARRAY_MAX;
}

int arrayCount(const short *values, int max)
{
    int n = 0;
    while (n < max && values[n] != ICAL_RECURRENCE_ARRAY_MAX)
        ++n;
    return n;
}

// The planner's pattern for a rule, when it expresses the rule exactly.
struct Pattern
{
    QString kind; // a RecurrenceKind code
    bool days[7] = {};
    QString day, month;
};

bool exactPattern(const icalrecurrencetype &r, const QDate &start, Pattern *pattern)
{
    if (r.interval > 1 || r.count > 0 || !icaltime_is_null_time(r.until) || !arrayEmpty(r.by_set_pos)
        || !arrayEmpty(r.by_second) || !arrayEmpty(r.by_minute) || !arrayEmpty(r.by_hour) || !arrayEmpty(r.by_year_day)
        || !arrayEmpty(r.by_week_no))
        return false;
    const int dayCount = arrayCount(r.by_day, ICAL_BY_DAY_SIZE);
    for (int i = 0; i < dayCount; ++i) {
        if (icalrecurrencetype_day_position(r.by_day[i]) != 0)
            return false;
        const int weekday = int(icalrecurrencetype_day_day_of_week(r.by_day[i])); // 1 = Sunday
        if (weekday < 1 || weekday > 7)
            return false;
        pattern->days[weekday - 1] = true;
    }
    const int monthDays = arrayCount(r.by_month_day, ICAL_BY_MONTHDAY_SIZE);
    const int months = arrayCount(r.by_month, ICAL_BY_MONTH_SIZE);
    switch (r.freq) {
    case ICAL_DAILY_RECURRENCE:
    case ICAL_WEEKLY_RECURRENCE: {
        if (monthDays || months)
            return false;
        if (dayCount == 0) {
            if (r.freq == ICAL_DAILY_RECURRENCE) {
                std::fill(std::begin(pattern->days), std::end(pattern->days), true);
                pattern->kind = RecurrenceKind::Daily;
                return true;
            }
            pattern->days[ItemField::weekdayFlagIndex(start)] = true;
        }
        const bool weekdays = !pattern->days[0] && !pattern->days[6]
            && std::all_of(pattern->days + 1, pattern->days + 6, [](bool b) { return b; });
        const bool everyDay = std::all_of(std::begin(pattern->days), std::end(pattern->days), [](bool b) { return b; });
        pattern->kind = (weekdays || everyDay) ? RecurrenceKind::Daily : RecurrenceKind::Weekly;
        return true;
    }
    case ICAL_MONTHLY_RECURRENCE:
        if (dayCount || months || monthDays > 1 || (monthDays == 1 && r.by_month_day[0] < 1))
            return false;
        pattern->kind = RecurrenceKind::Monthly;
        pattern->day = QString::number(monthDays ? r.by_month_day[0] : start.day());
        return true;
    case ICAL_YEARLY_RECURRENCE:
        if (dayCount || months > 1 || monthDays > 1 || (monthDays == 1 && r.by_month_day[0] < 1))
            return false;
        pattern->kind = RecurrenceKind::Yearly;
        pattern->day = QString::number(monthDays ? r.by_month_day[0] : start.day());
        pattern->month = QString::number(months ? r.by_month[0] : start.month());
        return true;
    default:
        return false;
    }
}

void setReminderFromLead(Row &row, const When &start, int amount, const QString &unit)
{
    row.set(ItemField::R, true);
    row.set(ItemField::Tr, QString::number(amount));
    row.set(ItemField::Tm, unit);
    const bool allDay = !start.time.isValid();
    const qint64 seconds = qint64(amount)
        * (unit == QLatin1String("minute(s)")     ? 60
               : unit == QLatin1String("hour(s)") ? 3600
                                                  : 86400);
    QDate date;
    QTime time;
    if (allDay) {
        date = start.date.addDays(-(seconds / 86400));
        time = QTime(0, 0);
    } else {
        // Plain arithmetic on the wall time, as the event editor does.
        const QDateTime due = QDateTime(start.date, start.time, Qt::UTC).addSecs(-seconds);
        date = due.date();
        time = due.time();
    }
    row.set(ItemField::Rs, date);
    row.set(ItemField::Rt, time);
    const QString kind = row.get(ItemField::Ret).toString();
    if (kind == RecurrenceKind::Monthly || kind == RecurrenceKind::Yearly)
        row.set(ItemField::Rd, QString::number(date.day()));
    if (kind == RecurrenceKind::Yearly)
        row.set(ItemField::Rm, QString::number(date.month()));
}

struct EventTimes
{
    When start;
    When end; // inclusive last date for all-day items
};

void fillEventTimes(Row &row, const EventTimes &t)
{
    const bool allDay = !t.start.time.isValid();
    row.set(ItemField::S, t.start.date);
    row.set(ItemField::E, t.end.date);
    row.set(ItemField::Md, t.start.date == t.end.date ? QVariant(QStringLiteral("0")) : QVariant());
    row.set(ItemField::A, allDay);
    if (!allDay) {
        row.set(ItemField::St, t.start.time);
        row.set(ItemField::Et, t.end.time);
    }
}

// An occurrence as libical's expansion counts it: a date or a floating
// time as if in UTC, a time with a zone as its moment.
qint64 instantSeconds(const icaltimetype &t)
{
    const bool real = !t.is_date && (icaltime_is_utc(t) || t.zone);
    return qint64(real ? icaltime_as_timet_with_zone(t, t.zone ? t.zone : icaltimezone_get_utc_timezone())
                       : icaltime_as_timet(t));
}

// The name of one occurrence inside its series' UID, in the form of the
// series' own start: a date, a UTC time, or a floating wall time.
QString instanceId(qint64 seconds, const icaltimetype &like)
{
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    if (like.is_date)
        return utc.toString(QStringLiteral("yyyyMMdd"));
    const bool real = icaltime_is_utc(like) || like.zone;
    return utc.toString(QStringLiteral("yyyyMMdd'T'HHmmss")) + (real ? QStringLiteral("Z") : QString());
}

class Reader
{
public:
    Reader(const QStringList &typeNames, const QDate &today, const QTimeZone &localZone, IcsImporter::Plan &plan,
           const std::function<bool(int, int)> &progress)
        : m_typeNames(typeNames)
        , m_today(today)
        , m_localZone(localZone)
        , m_plan(plan)
        , m_progress(progress)
    { }

    // Components read so far against all there are, for the progress.
    void setTotal(int components) { m_total = components; }
    bool stopped() const { return m_cancelled; }

    void readCalendar(icalcomponent *calendar)
    {
        collectOverrides(calendar);
        for (icalcomponent *c = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); c && !stopped();
             c = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT))
            readComponent(c);
    }

    void readComponent(icalcomponent *c)
    {
        ++m_done;
        if (!tick())
            return;
        if (icalcomponent_isa(c) == ICAL_VEVENT_COMPONENT)
            readEvent(c);
        else if (icalcomponent_isa(c) == ICAL_VTODO_COMPONENT)
            readTask(c);
    }

    void collectOverrides(icalcomponent *calendar)
    {
        for (icalcomponent *c = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); c;
             c = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
            const QString uid = text(icalcomponent_get_uid(c));
            icalproperty *id = icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY);
            if (id) {
                m_overridden[uid].insert(instantSeconds(icalcomponent_get_recurrenceid(c)));
                m_overriddenDates[uid].insert(whenOfTime(icalcomponent_get_recurrenceid(c), tzidOf(id)).date);
            } else {
                m_masters.insert(uid);
            }
        }
    }

    // An override is linked to its series only when the series is kept
    // whole; next to single dates it is one item more, and without its
    // series in the file it says so.
    void linkOverrides()
    {
        for (IcsImporter::Item &item : m_plan.items) {
            if (item.seriesUid.isEmpty() || m_keptSeries.contains(item.seriesUid))
                continue;
            if (!m_masters.contains(item.seriesUid))
                m_plan.changed << QStringLiteral("%1: the series it changes is not in the file; it was imported as a "
                                                 "single item")
                                      .arg(IcsImporter::quoted(item.name));
            item.seriesUid.clear();
            item.row[calendarSchema().fieldIndex(ItemField::Ro)] = QVariant();
        }
    }

private:
    // Keeps the window painting; false once the user asked to stop.
    bool tick()
    {
        if (m_progress && ++m_ticks % 256 == 0 && !m_cancelled && !m_progress(m_done, std::max(m_total, m_done)))
            m_cancelled = true;
        return !m_cancelled;
    }

    void note(QStringList &list, icalcomponent *component, const QString &what)
    {
        const QString line =
            QStringLiteral("%1: %2").arg(IcsImporter::quoted(textProperty(component, ICAL_SUMMARY_PROPERTY)), what);
        if (m_noted.contains(line))
            return;
        m_noted.insert(line);
        list << line;
    }

    IcsZone::Wall wallOf(const icaltimetype &t, const char *tzid)
    {
        const IcsZone::Wall wall = IcsZone::localWall(t, tzid, &m_localZone);
        if (wall.unknownZone && !m_plan.unknownZones.contains(QString::fromUtf8(tzid)))
            m_plan.unknownZones << QString::fromUtf8(tzid);
        return wall;
    }

    // shiftDays moves the wall time to another day before it is read and
    // back after: a series whose first date falls into a gap takes the
    // time it has on the days after.
    When whenOf(icalcomponent *component, icalproperty_kind kind, int shiftDays = 0)
    {
        icalproperty *p = icalcomponent_get_first_property(component, kind);
        if (!p)
            return {};
        icaltimetype t = kind == ICAL_DUE_PROPERTY ? icalcomponent_get_due(component)
            : kind == ICAL_DTEND_PROPERTY          ? icalcomponent_get_dtend(component)
                                                   : icalcomponent_get_dtstart(component);
        return whenOfTime(t, tzidOf(p), shiftDays);
    }

    When whenOfTime(icaltimetype t, const char *tzid, int shiftDays = 0)
    {
        if (icaltime_is_null_time(t))
            return {};
        if (t.is_date)
            return {IcsZone::toDate(t), QTime()};
        if (shiftDays) {
            t.day += shiftDays;
            t = icaltime_normalize(t);
        }
        const IcsZone::Wall wall = wallOf(t, tzid);
        return {wall.date.addDays(-shiftDays), wall.time, wall.inGap};
    }

    EventTimes eventTimes(icalcomponent *event, int shiftDays = 0)
    {
        EventTimes t;
        t.start = whenOf(event, ICAL_DTSTART_PROPERTY, shiftDays);
        const bool hasEnd = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY)
            || icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY);
        When end = hasEnd ? whenOf(event, ICAL_DTEND_PROPERTY, shiftDays) : When {};
        if (!end.valid() && hasEnd) // DURATION only: libical gives DTEND from it.
            end = whenOfTime(icalcomponent_get_dtend(event),
                             tzidOf(icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY)), shiftDays);
        if (!t.start.time.isValid()) {
            // An all-day end is exclusive; none at all means one day.
            t.end = {end.valid() ? end.date.addDays(-1) : t.start.date, QTime()};
            if (t.end.date < t.start.date)
                t.end.date = t.start.date;
        } else {
            t.end = end.valid() ? end : t.start;
            if (!t.end.time.isValid())
                t.end.time = QTime(0, 0);
            if (t.end.wall() < t.start.wall())
                t.end = t.start;
        }
        return t;
    }

    Row baseEvent(icalcomponent *event)
    {
        Row row;
        row.set(ItemField::Subject, textProperty(event, ICAL_SUMMARY_PROPERTY));
        row.set(ItemField::Loc, textProperty(event, ICAL_LOCATION_PROPERTY));
        row.set(ItemField::N, textProperty(event, ICAL_DESCRIPTION_PROPERTY));
        row.set(ItemField::T, typeFromCategories(event, m_typeNames));
        row.set(ItemField::Ta, false);
        row.set(ItemField::Re, false);
        return row;
    }

    void addEventAlarm(icalcomponent *event, Row &row, const EventTimes &t)
    {
        Alarm alarm;
        if (!firstAlarm(event, &alarm))
            return;
        qint64 before;
        if (alarm.relative)
            before = alarm.secondsBefore - (alarm.relatedToEnd ? t.start.wall().secsTo(t.end.wall()) : 0);
        else
            before = alarm.moment.secsTo(t.start.moment());
        bool exact = true;
        const auto lead = IcsImporter::holdableLead(before, &exact);
        if (!lead) {
            note(m_plan.changed, event,
                 QStringLiteral(
                     "its reminder comes more than 14 days before it, earlier than any lead the planner offers; "
                     "it was imported without a reminder"));
            return;
        }
        m_rounded = !exact;
        setReminderFromLead(row, t.start, lead->first, lead->second);
    }

    void push(Row &row, const QString &uid, bool task, const QString &series = QString())
    {
        IcsImporter::Item item;
        item.name = row.get(ItemField::Subject).toString();
        item.row = row.take();
        item.uid = uid;
        item.task = task;
        item.series = series;
        item.roundedLead = m_rounded;
        m_rounded = false;
        m_plan.items.push_back(std::move(item));
    }

    void readEvent(icalcomponent *event)
    {
        if (!icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY)) {
            note(m_plan.leftOut, event, QStringLiteral("it has no start (DTSTART)"));
            return;
        }
        EventTimes t = eventTimes(event);
        if (!t.start.valid()) {
            note(m_plan.leftOut, event, QStringLiteral("its start (DTSTART) is not a date"));
            return;
        }
        const QString uid = uidOf(event);
        icalproperty *recurrenceId = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
        ++m_plan.events;
        if (recurrenceId) {
            // One changed occurrence of a series: a single item of its own.
            Row row = baseEvent(event);
            fillEventTimes(row, t);
            addEventAlarm(event, row, t);
            const icaltimetype id = icalcomponent_get_recurrenceid(event);
            row.set(ItemField::Ro, whenOfTime(id, tzidOf(recurrenceId)).date);
            push(row, uid + QLatin1Char('/') + instanceId(instantSeconds(id), id), false);
            m_plan.items.back().seriesUid = uid;
            return;
        }
        icalproperty *rrule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
        if (!rrule && !icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY)) {
            Row row = baseEvent(event);
            fillEventTimes(row, t);
            addEventAlarm(event, row, t);
            push(row, uid, false);
            return;
        }
        // A gap is the problem of the day it falls on; the series keeps
        // the wall time of its other days.
        if (t.start.inGap)
            t = eventTimes(event, 1);
        Pattern pattern;
        const bool oneDate = t.start.date == t.end.date;
        const bool exact = rrule && oneDate && !icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY)
            && !icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY)
            && icalcomponent_count_properties(event, ICAL_RRULE_PROPERTY) == 1 && !m_overridden.contains(uid)
            && exactPattern(icalproperty_get_rrule(rrule), t.start.date, &pattern);
        if (exact) {
            Row row = baseEvent(event);
            fillEventTimes(row, t);
            row.set(ItemField::Re, true);
            row.set(ItemField::Ret, pattern.kind);
            for (int d = 0; d < 7; ++d)
                row.set(ItemField::weekdayFlags()[d], pattern.days[d]);
            if (!pattern.day.isEmpty())
                row.set(ItemField::D, pattern.day);
            if (!pattern.month.isEmpty())
                row.set(ItemField::M, pattern.month);
            addEventAlarm(event, row, t);
            push(row, uid, false);
            return;
        }
        if (const std::optional<SeriesRule> rule = keptRule(event, rrule, t)) {
            keepSeries(event, uid, t, *rule);
            return;
        }
        expand(event, uid, t);
    }

    // The rule of a series the planner keeps whole: one RRULE of the set
    // SeriesRule holds, no RDATE or EXRULE, and one date long. An UNTIL
    // with a time ends on its date in local time, the zone every time of
    // the file is read into (the day before when it lies before the
    // series' time of day).
    std::optional<SeriesRule> keptRule(icalcomponent *event, icalproperty *rrule, const EventTimes &t)
    {
        if (!rrule || t.start.date != t.end.date || icalcomponent_count_properties(event, ICAL_RRULE_PROPERTY) != 1
            || icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY)
            || icalcomponent_get_first_property(event, ICAL_EXRULE_PROPERTY))
            return std::nullopt;
        icalrecurrencetype r = icalproperty_get_rrule(rrule);
        if (!icaltime_is_null_time(r.until) && !r.until.is_date) {
            const When end = whenOfTime(r.until, tzidOf(rrule));
            // An UNTIL before the series' time of day excludes that day.
            const QDate until = t.start.time.isValid() && end.time < t.start.time ? end.date.addDays(-1) : end.date;
            r.until = icaltime_null_date();
            r.until.year = until.year();
            r.until.month = until.month();
            r.until.day = until.day();
            r.until.is_date = 1;
        }
        char *raw = icalrecurrencetype_as_string_r(&r);
        const QString ruleText = text(raw);
        free(raw);
        const Result<SeriesRule> rule = SeriesRule::parse(ruleText);
        if (!rule || (rule.value().until.isValid() && rule.value().until < t.start.date))
            return std::nullopt;
        // A rule that gives no date after its start, or whose COUNT the
        // calendar's last day cuts, is left to the expansion, which says so.
        const QDate start = t.start.date;
        const QDate last = rule.value().lastDate(start);
        const QDate horizon = last.isValid() ? last : std::min(start.addYears(9), QDate(9999, 12, 31));
        if (horizon <= start || rule.value().occurrences(start, last, start.addDays(1), horizon, {}).empty())
            return std::nullopt;
        if (rule.value().count > 0
            && int(rule.value().occurrences(start, last, start, last, {}).size()) < rule.value().count)
            return std::nullopt;
        return rule.value();
    }

    // One row for the whole series, its EXDATEs and overridden dates removed.
    void keepSeries(icalcomponent *event, const QString &uid, const EventTimes &t, const SeriesRule &rule)
    {
        SeriesDates removed;
        for (icalproperty *p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
            const When ex = whenOfTime(icalproperty_get_datetime_with_component(p, event), tzidOf(p));
            if (ex.valid())
                removed.push_back(ex.date);
        }
        for (const QDate &date : m_overriddenDates.value(text(icalcomponent_get_uid(event))))
            removed.push_back(date);
        Row row = baseEvent(event);
        fillEventTimes(row, t);
        row.set(ItemField::Re, true);
        addEventAlarm(event, row, t);
        const Result<SeriesRow::FieldValues> values =
            SeriesRow::extendedSeriesValues(rule, t.start.date, removed, row.get(ItemField::Rs).toDate());
        if (!values) {
            note(m_plan.leftOut, event, QStringLiteral("every date of its series is excluded"));
            return;
        }
        for (const auto &[field, value] : values.value())
            row.set(field, value);
        push(row, uid, false);
        m_keptSeries.insert(uid);
    }

    // One date of a series, in the zone of its start.
    struct Occurrence
    {
        icaltimetype time;
        bool explicitDate = false; // an RDATE, which no window cuts
    };

    // What the expansion of one series met.
    struct Expansion
    {
        std::vector<Occurrence> dates;
        bool ruleGaveDates = false;
        bool endsBeforeStart = false;
        bool beyondLastYear = false; // dates after 9999-12-31, or after what libical computes
        bool cut = false;
        QDate lastDate; // the last date imported
    };

    // The dates of one rule from the series' start (or, for an endless
    // series, from the window's first day), until `last` or `room` dates.
    //
    // libical's iterator has two habits worked around here: it moves a
    // zoned start that falls into a gap to after the gap on every date, so
    // it iterates wall times and the zone is put back on each date; and it
    // computes no date after 2582, so a later series is iterated 400 years
    // (one whole cycle of the calendar, weekdays included) earlier.
    void ruleDates(icalrecurrencetype rule, const icaltimetype &dtstart, const char *tzid, const QDate &first,
                   const QDate &last, bool endless, int room, Expansion &out, bool exclusion = false)
    {
        constexpr int lastComputedYear = 2582;
        const int shift =
            dtstart.year > lastComputedYear - 213 ? 400 * ((dtstart.year - (lastComputedYear - 213) + 399) / 400) : 0;
        const bool zoned = dtstart.zone && !icaltime_is_utc(dtstart);
        icaltimetype start = dtstart;
        start.year -= shift;
        if (zoned)
            start.zone = nullptr;
        if (!icaltime_is_null_time(rule.until)) {
            if (zoned && !rule.until.is_date)
                rule.until = icaltime_convert_to_zone(rule.until, const_cast<icaltimezone *>(dtstart.zone));
            rule.until.year -= shift;
            if (zoned)
                rule.until.zone = nullptr;
        }
        icalrecur_iterator *it = icalrecur_iterator_new(rule, start);
        if (!it)
            return;
        if (endless && first > IcsZone::toDate(dtstart)) {
            icaltimetype from = start;
            const QDate day = first.addDays(-1);
            from.year = day.year() - shift;
            from.month = day.month();
            from.day = day.day();
            icalrecur_iterator_set_start(it, from);
        }
        int taken = 0;
        qint64 steps = 0;
        const qint64 maxSteps = 4 * qint64(room) + 200000; // dates before `first` cost steps too
        icaltimetype previous = icaltime_null_time();
        while (tick()) {
            icaltimetype next = icalrecur_iterator_next(it);
            if (icaltime_is_null_time(next)) {
                // libical stops at its last year without a word.
                if (!icaltime_is_null_time(previous) && previous.year >= lastComputedYear)
                    out.beyondLastYear = true;
                break;
            }
            previous = next;
            if (icaltime_compare(next, start) == 0)
                continue; // the start is a date of the series already
            next.year += shift;
            if (zoned)
                next.zone = dtstart.zone;
            if (next.year > 9999) {
                out.beyondLastYear = true;
                break;
            }
            if (++steps > maxSteps) {
                out.cut = true;
                break;
            }
            const When when = whenOfTime(next, tzid);
            if (when.date > last) {
                out.beyondLastYear |= !endless;
                break;
            }
            if (when.date < first)
                continue;
            if (taken >= room) {
                out.cut = true;
                break;
            }
            ++taken;
            out.dates.push_back({next, false});
            out.ruleGaveDates |= !exclusion;
        }
        icalrecur_iterator_free(it);
    }

    // The single occurrences of a series the planner cannot express: over
    // the series' own span, or from its start to endlessYears after today
    // (or after its start, when that is later) when it has no end. RFC 5545: the start is the
    // first date of a series, whatever its rule says.
    void expand(icalcomponent *event, const QString &uid, const EventTimes &t)
    {
        QString name = textProperty(event, ICAL_SUMMARY_PROPERTY);
        m_plan.expanded << (name.isEmpty() ? QStringLiteral("(no subject)") : name);

        const icaltimetype dtstart = icalcomponent_get_dtstart(event);
        const char *tzid = tzidOf(icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY));
        bool endless = false;
        for (icalproperty *p = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY); p;
             p = icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) {
            const icalrecurrencetype r = icalproperty_get_rrule(p);
            endless |= r.count == 0 && icaltime_is_null_time(r.until);
        }
        const QDate first = t.start.date;
        const QDate last = endless ? std::max(m_today, first).addYears(IcsImporter::endlessYears) : QDate(9999, 12, 31);
        const int room = std::min(IcsImporter::maxDatesPerSeries, m_expandRoom);

        Expansion found;
        found.dates.push_back({dtstart, false});
        for (icalproperty *p = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY); p && !stopped();
             p = icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) {
            const icalrecurrencetype r = icalproperty_get_rrule(p);
            found.endsBeforeStart |= !icaltime_is_null_time(r.until) && icaltime_compare(r.until, dtstart) < 0;
            ruleDates(r, dtstart, tzid, first, last, endless, room, found);
        }
        for (icalproperty *p = icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(event, ICAL_RDATE_PROPERTY)) {
            const icaldatetimeperiodtype value = icalproperty_get_rdate(p);
            icaltimetype at = !icaltime_is_null_time(value.time) ? icalproperty_get_datetime_with_component(p, event)
                                                                 : value.period.start;
            if (icaltime_is_null_time(at))
                continue;
            if (at.is_date && !dtstart.is_date) { // a date alone takes the series' time
                at.is_date = 0;
                at.hour = dtstart.hour;
                at.minute = dtstart.minute;
                at.second = dtstart.second;
                at.zone = dtstart.zone;
            }
            found.dates.push_back({at, true});
        }
        if (stopped())
            return;

        // EXDATE by moment (or by date for a date), EXRULE by its dates.
        QSet<qint64> excluded = m_overridden.value(text(icalcomponent_get_uid(event)));
        QSet<QDate> excludedDays;
        for (icalproperty *p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
            const icaltimetype ex = icalproperty_get_datetime_with_component(p, event);
            if (ex.is_date)
                excludedDays.insert(IcsZone::toDate(ex));
            else if (!icaltime_is_null_time(ex))
                excluded.insert(instantSeconds(ex));
        }
        for (icalproperty *p = icalcomponent_get_first_property(event, ICAL_EXRULE_PROPERTY); p && !stopped();
             p = icalcomponent_get_next_property(event, ICAL_EXRULE_PROPERTY)) {
            Expansion exclusions;
            exclusions.dates.push_back({dtstart, false});
            ruleDates(icalproperty_get_exrule(p), dtstart, tzid, first, last, endless,
                      2 * IcsImporter::maxDatesPerSeries, exclusions, true);
            for (const Occurrence &o : exclusions.dates)
                excluded.insert(instantSeconds(o.time));
        }

        std::vector<std::pair<qint64, Occurrence>> ordered;
        QSet<qint64> taken;
        for (const Occurrence &o : found.dates) {
            const qint64 key = instantSeconds(o.time);
            if (excluded.contains(key) || excludedDays.contains(IcsZone::toDate(o.time)) || taken.contains(key))
                continue;
            taken.insert(key);
            ordered.push_back({key, o});
        }
        std::stable_sort(ordered.begin(), ordered.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });

        const qint64 length = t.start.wall().secsTo(t.end.wall());
        const qint64 spanDays = t.start.date.daysTo(t.end.date);
        int stored = 0;
        for (const auto &[seconds, o] : ordered) {
            if (stored >= room) {
                found.cut = true;
                break;
            }
            const When when = whenOfTime(o.time, tzid);
            if (!when.valid() || when.date > last || (!o.explicitDate && when.date < first))
                continue;
            EventTimes one;
            if (!when.time.isValid()) {
                one.start = {when.date, QTime()};
                one.end = {when.date.addDays(spanDays), QTime()};
            } else {
                const QDateTime end = when.wall().addSecs(length);
                one.start = {when.date, when.time};
                one.end = {end.date(), end.time()};
            }
            Row row = baseEvent(event);
            fillEventTimes(row, one);
            addEventAlarm(event, row, one);
            push(row, uid + QLatin1Char('/') + instanceId(seconds, dtstart), false, uid);
            ++stored;
            found.lastDate = std::max(found.lastDate, one.end.date);
        }
        m_expandRoom -= stored;
        reportExpansion(event, found, stored, endless, first, last);
    }

    void reportExpansion(icalcomponent *event, const Expansion &found, int stored, bool endless, const QDate &first,
                         const QDate &last)
    {
        if (stored == 0 && found.cut) {
            note(m_plan.leftOut, event,
                 QStringLiteral("the file's series reached %1 single dates in all before it")
                     .arg(QLocale().toString(IcsImporter::maxExpandedDates)));
            return;
        }
        if (stored == 0) {
            note(m_plan.leftOut, event,
                 endless ? QStringLiteral("its series has no date from %1 to %2")
                               .arg(first.toString(Qt::ISODate), last.toString(Qt::ISODate))
                         : QStringLiteral("every date of its series is excluded"));
            return;
        }
        if (found.cut) {
            note(m_plan.changed, event,
                 m_expandRoom <= 0
                     ? QStringLiteral("the file's series reached %1 single dates in all; its later dates were left out")
                           .arg(QLocale().toString(IcsImporter::maxExpandedDates))
                     : QStringLiteral("only its first %1 dates were imported")
                           .arg(QLocale().toString(IcsImporter::maxDatesPerSeries)));
        }
        if (found.beyondLastYear)
            note(m_plan.changed, event,
                 QStringLiteral("its dates after %1 were left out").arg(found.lastDate.toString(Qt::ISODate)));
        if (!found.ruleGaveDates && icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY)
            && !icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY) && !found.beyondLastYear) {
            note(m_plan.changed, event,
                 found.endsBeforeStart
                     ? QStringLiteral("its rule ends (UNTIL) before it starts; it was imported on its start date alone")
                     : QStringLiteral(
                         "its rule gives no date after its start; it was imported on its start date alone"));
        }
    }

    void readTask(icalcomponent *todo)
    {
        ++m_plan.tasks;
        Row row;
        row.set(ItemField::Ta, true);
        row.set(ItemField::Subject, textProperty(todo, ICAL_SUMMARY_PROPERTY));
        row.set(ItemField::N, textProperty(todo, ICAL_DESCRIPTION_PROPERTY));
        const When start = whenOf(todo, ICAL_DTSTART_PROPERTY);
        const When due = whenOf(todo, ICAL_DUE_PROPERTY);
        if (start.valid())
            row.set(ItemField::S, start.date);
        if (due.valid())
            row.set(ItemField::E, due.date);
        icalproperty *priority = icalcomponent_get_first_property(todo, ICAL_PRIORITY_PROPERTY);
        const int level = priority ? icalproperty_get_priority(priority) : 0;
        row.set(ItemField::P,
                level >= 1 && level <= 4 ? TaskPriority::High
                    : level >= 6         ? TaskPriority::Low
                                         : TaskPriority::Normal);
        icalproperty *status = icalcomponent_get_first_property(todo, ICAL_STATUS_PROPERTY);
        row.set(ItemField::C,
                (status && icalproperty_get_status(status) == ICAL_STATUS_COMPLETED)
                    || icalcomponent_get_first_property(todo, ICAL_COMPLETED_PROPERTY));
        Alarm alarm;
        if (firstAlarm(todo, &alarm)) {
            QDateTime moment = alarm.moment;
            if (alarm.relative) {
                // RFC 5545: relative to the start, or to the due date when asked or when there is no start.
                const When anchor = (alarm.relatedToEnd || !start.valid()) ? due : start;
                moment = anchor.valid() ? anchor.wall().addSecs(-alarm.secondsBefore) : QDateTime();
            }
            if (moment.isValid() && moment.date().year() >= 1 && moment.date().year() <= 9999) {
                row.set(ItemField::R, true);
                row.set(ItemField::Rs, moment.date());
                row.set(ItemField::Rt, QTime(moment.time().hour(), moment.time().minute()));
            } else if (moment.isValid()) {
                note(m_plan.changed, todo,
                     QStringLiteral(
                         "its reminder falls outside the years 1 to 9999; it was imported without a reminder"));
            }
        }
        push(row, uidOf(todo), true);
    }

    const QStringList &m_typeNames;
    QDate m_today;
    const QTimeZone &m_localZone;
    IcsImporter::Plan &m_plan;
    const std::function<bool(int, int)> &m_progress;
    int m_total = 0, m_done = 0;
    unsigned m_ticks = 0;
    bool m_cancelled = false;                         // progress asked to stop
    int m_expandRoom = IcsImporter::maxExpandedDates; // single dates the file's series may still give
    bool m_rounded = false;                           // the row being read had its lead rounded
    QHash<QString, QSet<qint64>> m_overridden;        // UID -> the occurrences that were changed, as instantSeconds()
    QHash<QString, QSet<QDate>> m_overriddenDates;    // UID -> the same as local dates
    QSet<QString> m_masters;                          // UIDs of the series the file holds
    QSet<QString> m_keptSeries;                       // UIDs of the series imported as one row
    QSet<QString> m_noted;
};

} // namespace

IcsImporter::IcsImporter(QStringList typeNames, const QDate &today)
    : m_typeNames(std::move(typeNames))
    , m_today(today)
    , m_localZone(QTimeZone::systemTimeZone())
{ }

std::optional<std::pair<int, QString>> IcsImporter::holdableLead(qint64 seconds, bool *exact)
{
    // A reminder after the start comes at the start.
    *exact = seconds >= 0;
    const qint64 wanted = std::max<qint64>(seconds, 0);
    const QList<Lead> &leads = LeadList::entries();
    if (wanted > qint64(leads.last().minutes()) * 60) {
        *exact = false;
        return std::nullopt;
    }
    const Lead *best = &leads.first();
    for (const Lead &lead : leads) {
        const qint64 distance = std::llabs(qint64(lead.minutes()) * 60 - wanted);
        const qint64 bestDistance = std::llabs(qint64(best->minutes()) * 60 - wanted);
        if (distance < bestDistance || (distance == bestDistance && lead.minutes() > best->minutes()))
            best = &lead;
    }
    *exact = *exact && qint64(best->minutes()) * 60 == wanted;
    return std::make_pair(best->amount, best->unitText());
}

QString IcsImporter::quoted(const QString &subject)
{
    if (subject.isEmpty())
        return QStringLiteral("(no subject)");
    return QStringLiteral("\"%1\"").arg(subject.size() > 60 ? subject.left(57) + QStringLiteral("...") : subject);
}

Result<IcsImporter::Plan> IcsImporter::read(const QByteArray &text, const std::function<bool(int, int)> &progress) const
{
    const QList<IcsLines::Line> lines = IcsLines::unfold(text);
    if (const QString problem = IcsLines::firstProblem(lines); !problem.isEmpty())
        return Result<Plan>::failed(problem);
    // Reading the lines is the first half of the work, the items the second.
    const auto firstHalf = [&progress](int done, int all) { return progress(done, 2 * all); };
    const Result<icalcomponent *> parsed =
        IcsLines::parse(lines, progress ? IcsLines::Progress(firstHalf) : IcsLines::Progress());
    if (parsed.isCancelled())
        return Result<Plan>::cancelled();
    if (!parsed)
        return Result<Plan>::failed(parsed.error());
    const std::unique_ptr<icalcomponent, void (*)(icalcomponent *)> root(parsed.value(), icalcomponent_free);
    if (const QString marked = IcsLines::markedError(root.get(), lines); !marked.isEmpty())
        return Result<Plan>::failed(marked);

    Plan plan;
    // Components at the top: one calendar, several, or items that stand
    // outside any calendar (read as if inside one).
    std::vector<icalcomponent *> top;
    if (icalcomponent_isa(root.get()) == ICAL_XROOT_COMPONENT) {
        for (icalcomponent *c = icalcomponent_get_first_component(root.get(), ICAL_ANY_COMPONENT); c;
             c = icalcomponent_get_next_component(root.get(), ICAL_ANY_COMPONENT))
            top.push_back(c);
    } else {
        top.push_back(root.get());
    }
    int components = 0;
    for (icalcomponent *c : top)
        components += icalcomponent_isa(c) == ICAL_VCALENDAR_COMPONENT
            ? icalcomponent_count_components(c, ICAL_ANY_COMPONENT)
            : 1;
    const auto secondHalf = [&progress, components](int done, int) {
        return progress(components + done, 2 * components);
    };
    const std::function<bool(int, int)> readProgress =
        progress ? std::function<bool(int, int)>(secondHalf) : std::function<bool(int, int)>();
    Reader reader(m_typeNames, m_today, m_localZone, plan, readProgress);
    reader.setTotal(components);
    for (icalcomponent *c : top) {
        if (reader.stopped())
            break;
        if (icalcomponent_isa(c) == ICAL_VCALENDAR_COMPONENT) {
            reader.readCalendar(c);
        } else {
            reader.collectOverrides(root.get());
            reader.readComponent(c);
        }
    }
    if (reader.stopped())
        return Result<Plan>::cancelled();
    reader.linkOverrides();
    return plan;
}

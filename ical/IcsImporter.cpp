#include "IcsImporter.h"

#include "IcsZone.h"

#include "store/TableSchema.h"

#include <QCryptographicHash>
#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QSet>

#include <libical/ical.h>

#include <cmath>
#include <memory>

namespace {

const char *const weekdayFields[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

// A row being filled by field name.
class Row
{
public:
    Row() : m_values(calendarSchema().fields.size()) {}
    void set(const char *name, const QVariant &value) { m_values[calendarSchema().fieldIndex(QLatin1String(name))] = value; }
    QVariant get(const char *name) const { return m_values[calendarSchema().fieldIndex(QLatin1String(name))]; }
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
    QTime time; // invalid for a date
    bool valid() const { return date.isValid(); }
    QDateTime moment() const { return QDateTime(date, time.isValid() ? time : QTime(0, 0)); }
};

When whenOf(icalcomponent *component, icalproperty_kind kind)
{
    icalproperty *p = icalcomponent_get_first_property(component, kind);
    if (!p)
        return {};
    icaltimetype t = kind == ICAL_DUE_PROPERTY ? icalcomponent_get_due(component)
                   : kind == ICAL_DTEND_PROPERTY ? icalcomponent_get_dtend(component)
                                                 : icalcomponent_get_dtstart(component);
    if (icaltime_is_null_time(t))
        return {};
    if (t.is_date)
        return {IcsZone::toDate(t), QTime()};
    const QDateTime local = IcsZone::toLocal(t, tzidOf(p));
    return {local.date(), QTime(local.time().hour(), local.time().minute(), local.time().second())};
}

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

// The first alarm's trigger as seconds before the start (events) or as a
// moment (tasks). Returns false when the item has no usable alarm.
struct Alarm
{
    bool relative = true;
    qint64 secondsBefore = 0;   // relative: positive = before
    bool relatedToEnd = false;
    QDateTime moment;           // absolute, local
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
            alarm->secondsBefore = -qint64(icaldurationtype_as_int(trigger.duration));
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
    QString kind; // "1".."4"
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
                pattern->kind = QStringLiteral("1");
                return true;
            }
            pattern->days[start.dayOfWeek() % 7] = true;
        }
        const bool weekdays = !pattern->days[0] && !pattern->days[6] && std::all_of(pattern->days + 1, pattern->days + 6, [](bool b) { return b; });
        const bool everyDay = std::all_of(std::begin(pattern->days), std::end(pattern->days), [](bool b) { return b; });
        pattern->kind = (weekdays || everyDay) ? QStringLiteral("1") : QStringLiteral("2");
        return true;
    }
    case ICAL_MONTHLY_RECURRENCE:
        if (dayCount || months || monthDays > 1 || (monthDays == 1 && r.by_month_day[0] < 1))
            return false;
        pattern->kind = QStringLiteral("3");
        pattern->day = QString::number(monthDays ? r.by_month_day[0] : start.day());
        return true;
    case ICAL_YEARLY_RECURRENCE:
        if (dayCount || months > 1 || monthDays > 1 || (monthDays == 1 && r.by_month_day[0] < 1))
            return false;
        pattern->kind = QStringLiteral("4");
        pattern->day = QString::number(monthDays ? r.by_month_day[0] : start.day());
        pattern->month = QString::number(months ? r.by_month[0] : start.month());
        return true;
    default:
        return false;
    }
}

void setReminderFromLead(Row &row, const When &start, int amount, const QString &unit)
{
    row.set("R", true);
    row.set("Tr", QString::number(amount));
    row.set("Tm", unit);
    const bool allDay = !start.time.isValid();
    const qint64 seconds = qint64(amount) * (unit == QLatin1String("minute(s)") ? 60 : unit == QLatin1String("hour(s)") ? 3600 : 86400);
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
    row.set("Rs", date);
    row.set("Rt", time);
    const QString kind = row.get("Ret").toString();
    if (kind == QLatin1String("3") || kind == QLatin1String("4"))
        row.set("Rd", QString::number(date.day()));
    if (kind == QLatin1String("4"))
        row.set("Rm", QString::number(date.month()));
}

struct EventTimes
{
    When start;
    When end; // inclusive last date for all-day items
};

EventTimes eventTimes(icalcomponent *event)
{
    EventTimes t;
    t.start = whenOf(event, ICAL_DTSTART_PROPERTY);
    const bool hasEnd = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY)
                        || icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY);
    When end = hasEnd ? whenOf(event, ICAL_DTEND_PROPERTY) : When{};
    if (!end.valid() && hasEnd) {
        // DURATION only: libical gives DTEND from it.
        const icaltimetype e = icalcomponent_get_dtend(event);
        if (!icaltime_is_null_time(e)) {
            if (e.is_date) {
                end = {IcsZone::toDate(e), QTime()};
            } else {
                const QDateTime local = IcsZone::toLocal(e, tzidOf(icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY)));
                end = {local.date(), local.time()};
            }
        }
    }
    if (!t.start.time.isValid()) {
        // An all-day end is exclusive; none at all means one day.
        t.end = {end.valid() ? end.date.addDays(-1) : t.start.date, QTime()};
        if (t.end.date < t.start.date)
            t.end.date = t.start.date;
    } else {
        t.end = end.valid() ? end : t.start;
        if (!t.end.time.isValid())
            t.end.time = QTime(0, 0);
        if (t.end.moment() < t.start.moment())
            t.end = t.start;
    }
    return t;
}

void fillEventTimes(Row &row, const EventTimes &t)
{
    const bool allDay = !t.start.time.isValid();
    row.set("S", t.start.date);
    row.set("E", t.end.date);
    row.set("Md", t.start.date == t.end.date ? QVariant(QStringLiteral("0")) : QVariant());
    row.set("A", allDay);
    if (!allDay) {
        row.set("St", t.start.time);
        row.set("Et", t.end.time);
    }
}

// An occurrence as libical's expansion counts it: a date or a floating
// time as if in UTC, a time with a zone as its moment.
qint64 instantSeconds(const icaltimetype &t)
{
    const bool real = !t.is_date && (icaltime_is_utc(t) || t.zone);
    return qint64(real ? icaltime_as_timet_with_zone(t, t.zone ? t.zone : icaltimezone_get_utc_timezone()) : icaltime_as_timet(t));
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
    Reader(const QStringList &typeNames, const QDate &today, IcsImporter::Plan &plan)
        : m_typeNames(typeNames), m_today(today), m_plan(plan)
    {
    }

    void readCalendar(icalcomponent *calendar)
    {
        collectOverrides(calendar);
        for (icalcomponent *c = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); c;
             c = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
            if (icalcomponent_isa(c) == ICAL_VEVENT_COMPONENT)
                readEvent(c);
            else if (icalcomponent_isa(c) == ICAL_VTODO_COMPONENT)
                readTask(c);
        }
    }

private:
    void collectOverrides(icalcomponent *calendar)
    {
        for (icalcomponent *c = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); c;
             c = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
            if (icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY))
                m_overridden[text(icalcomponent_get_uid(c))].insert(instantSeconds(icalcomponent_get_recurrenceid(c)));
        }
    }

    Row baseEvent(icalcomponent *event)
    {
        Row row;
        row.set("Subject", textProperty(event, ICAL_SUMMARY_PROPERTY));
        row.set("Loc", textProperty(event, ICAL_LOCATION_PROPERTY));
        row.set("N", textProperty(event, ICAL_DESCRIPTION_PROPERTY));
        row.set("T", typeFromCategories(event, m_typeNames));
        row.set("Ta", false);
        row.set("Re", false);
        return row;
    }

    void addEventAlarm(icalcomponent *event, Row &row, const EventTimes &t)
    {
        Alarm alarm;
        if (!firstAlarm(event, &alarm))
            return;
        qint64 before;
        if (alarm.relative)
            before = alarm.secondsBefore - (alarm.relatedToEnd ? t.start.moment().secsTo(t.end.moment()) : 0);
        else
            before = alarm.moment.secsTo(t.start.moment());
        bool exact = true;
        const auto [amount, unit] = IcsImporter::holdableLead(before, &exact);
        m_rounded = !exact;
        setReminderFromLead(row, t.start, amount, unit);
    }

    void push(Row &row, const QString &uid, bool task, const QString &series = QString())
    {
        IcsImporter::Item item;
        item.name = row.get("Subject").toString();
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
        const EventTimes t = eventTimes(event);
        if (!t.start.valid())
            return;
        const QString uid = uidOf(event);
        icalproperty *recurrenceId = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
        ++m_plan.events;
        if (recurrenceId) {
            // One changed occurrence of a series: a single item of its own.
            Row row = baseEvent(event);
            fillEventTimes(row, t);
            addEventAlarm(event, row, t);
            const icaltimetype id = icalcomponent_get_recurrenceid(event);
            push(row, uid + QLatin1Char('/') + instanceId(instantSeconds(id), id), false);
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
        Pattern pattern;
        const bool oneDate = t.start.date == t.end.date;
        const bool exact = rrule && oneDate && !icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY)
                           && !icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY)
                           && icalcomponent_count_properties(event, ICAL_RRULE_PROPERTY) == 1 && !m_overridden.contains(uid)
                           && exactPattern(icalproperty_get_rrule(rrule), t.start.date, &pattern);
        if (exact) {
            Row row = baseEvent(event);
            fillEventTimes(row, t);
            row.set("Re", true);
            row.set("Ret", pattern.kind);
            for (int d = 0; d < 7; ++d)
                row.set(weekdayFields[d], pattern.days[d]);
            if (!pattern.day.isEmpty())
                row.set("D", pattern.day);
            if (!pattern.month.isEmpty())
                row.set("M", pattern.month);
            addEventAlarm(event, row, t);
            push(row, uid, false);
            return;
        }
        expand(event, uid, t);
    }

    // The single occurrences of a series the planner cannot express: over
    // the series' own span, or from today for two years when it has no end.
    void expand(icalcomponent *event, const QString &uid, const EventTimes &t)
    {
        QString name = textProperty(event, ICAL_SUMMARY_PROPERTY);
        m_plan.expanded << (name.isEmpty() ? QStringLiteral("(no subject)") : name);

        icalproperty *rrule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
        bool endless = false;
        if (rrule) {
            const icalrecurrencetype r = icalproperty_get_rrule(rrule);
            endless = r.count == 0 && icaltime_is_null_time(r.until);
        }
        const icaltimetype dtstart = icalcomponent_get_dtstart(event);
        icaltimetype from = dtstart;
        icaltimetype to = dtstart;
        const QDate first = endless ? std::max(m_today, t.start.date) : t.start.date;
        from = IcsZone::dateValue(first.addDays(-1));
        to = IcsZone::dateValue(endless ? m_today.addYears(2) : first.addYears(200));
        from.is_date = to.is_date = 0;

        struct Context
        {
            QList<time_t> starts;
        } context;
        icalcomponent_foreach_recurrence(
            event, from, to,
            [](icalcomponent *, icaltime_span *span, void *data) { static_cast<Context *>(data)->starts.append(span->start); },
            &context);

        const qint64 length = t.start.moment().secsTo(t.end.moment());
        const bool zoned = !dtstart.is_date && dtstart.zone && !icaltime_is_utc(dtstart);
        const QSet<qint64> overridden = m_overridden.value(text(icalcomponent_get_uid(event)));
        const QDate last = endless ? m_today.addYears(2) : QDate(9999, 12, 31);
        for (time_t seconds : context.starts) {
            // Dates and floating times come back as if in UTC.
            const QDateTime at = (dtstart.is_date || !(zoned || icaltime_is_utc(dtstart)))
                                     ? QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC)
                                     : QDateTime::fromSecsSinceEpoch(seconds, Qt::LocalTime);
            const QDateTime wall(at.date(), at.time());
            if (wall.date() < first || wall.date() > last)
                continue;
            if (overridden.contains(qint64(seconds)))
                continue;
            const QString instance = instanceId(seconds, dtstart);
            EventTimes one;
            if (dtstart.is_date) {
                one.start = {wall.date(), QTime()};
                one.end = {wall.date().addDays(t.start.date.daysTo(t.end.date)), QTime()};
            } else {
                const QDateTime end = wall.addSecs(length);
                one.start = {wall.date(), wall.time()};
                one.end = {end.date(), end.time()};
            }
            Row row = baseEvent(event);
            fillEventTimes(row, one);
            addEventAlarm(event, row, one);
            push(row, uid + QLatin1Char('/') + instance, false, uid);
        }
    }

    void readTask(icalcomponent *todo)
    {
        ++m_plan.tasks;
        Row row;
        row.set("Ta", true);
        row.set("Subject", textProperty(todo, ICAL_SUMMARY_PROPERTY));
        row.set("N", textProperty(todo, ICAL_DESCRIPTION_PROPERTY));
        const When start = whenOf(todo, ICAL_DTSTART_PROPERTY);
        const When due = whenOf(todo, ICAL_DUE_PROPERTY);
        if (start.valid())
            row.set("S", start.date);
        if (due.valid())
            row.set("E", due.date);
        icalproperty *priority = icalcomponent_get_first_property(todo, ICAL_PRIORITY_PROPERTY);
        const int level = priority ? icalproperty_get_priority(priority) : 0;
        row.set("P", level >= 1 && level <= 4 ? QStringLiteral("High") : level >= 6 ? QStringLiteral("Low") : QStringLiteral("Normal"));
        icalproperty *status = icalcomponent_get_first_property(todo, ICAL_STATUS_PROPERTY);
        row.set("C", (status && icalproperty_get_status(status) == ICAL_STATUS_COMPLETED)
                         || icalcomponent_get_first_property(todo, ICAL_COMPLETED_PROPERTY));
        Alarm alarm;
        if (firstAlarm(todo, &alarm)) {
            QDateTime moment = alarm.moment;
            if (alarm.relative) {
                // RFC 5545: relative to the start, or to the due date when asked or when there is no start.
                const When anchor = (alarm.relatedToEnd || !start.valid()) ? due : start;
                moment = anchor.valid() ? anchor.moment().addSecs(-alarm.secondsBefore) : QDateTime();
            }
            if (moment.isValid()) {
                row.set("R", true);
                row.set("Rs", moment.date());
                row.set("Rt", QTime(moment.time().hour(), moment.time().minute()));
            }
        }
        push(row, uidOf(todo), true);
    }

    const QStringList &m_typeNames;
    QDate m_today;
    IcsImporter::Plan &m_plan;
    bool m_rounded = false; // the row being read had its lead rounded
    QHash<QString, QSet<qint64>> m_overridden; // UID -> the occurrences that were changed, as instantSeconds()
};

// Lines as read, folded lines joined, each with the number of its first physical line.
struct Line
{
    int number;
    QString text;
};

QList<Line> unfoldedLines(const QByteArray &text)
{
    QList<Line> lines;
    int number = 0;
    for (const QByteArray &raw : text.split('\n')) {
        ++number;
        QString line = QString::fromUtf8(raw);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!lines.isEmpty() && (line.startsWith(QLatin1Char(' ')) || line.startsWith(QLatin1Char('\t'))))
            lines.last().text += line.mid(1);
        else if (!line.isEmpty())
            lines.append({number, line});
    }
    return lines;
}

// The structure libical forgives: every BEGIN has its END, in order.
QString structureError(const QList<Line> &lines)
{
    QStringList open;
    QList<int> openedAt;
    bool sawCalendar = false;
    for (const Line &line : lines) {
        const QString upper = line.text.toUpper();
        if (upper.startsWith(QLatin1String("BEGIN:"))) {
            open << upper.mid(6).trimmed();
            openedAt << line.number;
            sawCalendar |= open.last() == QLatin1String("VCALENDAR");
        } else if (upper.startsWith(QLatin1String("END:"))) {
            const QString name = upper.mid(4).trimmed();
            if (open.isEmpty() || open.last() != name)
                return QStringLiteral("line %1: END:%2 without its BEGIN").arg(line.number).arg(name);
            open.removeLast();
            openedAt.removeLast();
        } else if (open.isEmpty()) {
            return QStringLiteral("line %1: text outside BEGIN:VCALENDAR and END:VCALENDAR").arg(line.number);
        } else if (!line.text.contains(QLatin1Char(':'))) {
            return QStringLiteral("line %1: a line without a colon").arg(line.number);
        }
    }
    if (!open.isEmpty())
        return QStringLiteral("line %1: BEGIN:%2 is never ended").arg(openedAt.last()).arg(open.last());
    if (!sawCalendar)
        return QStringLiteral("line 1: not an iCalendar file (no BEGIN:VCALENDAR)");
    return QString();
}

// libical takes a malformed date or time as no value at all; an item
// without its start would then vanish without a word, so such a line
// stops the import.
QString badTimeValue(const QList<Line> &lines)
{
    static const QRegularExpression property(QStringLiteral("^(DTSTART|DTEND|DUE|RECURRENCE-ID|EXDATE|RDATE)[;:]"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression value(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})(T(\\d{2})(\\d{2})(\\d{2})Z?)?$"));
    for (const Line &line : lines) {
        const QRegularExpressionMatch name = property.match(line.text);
        if (!name.hasMatch())
            continue;
        const QString params = line.text.left(line.text.indexOf(QLatin1Char(':')));
        if (params.contains(QLatin1String("VALUE=PERIOD"), Qt::CaseInsensitive))
            continue;
        for (const QString &one : line.text.mid(params.size() + 1).split(QLatin1Char(','))) {
            const QRegularExpressionMatch m = value.match(one.trimmed());
            const bool valid = m.hasMatch() && QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()).isValid()
                               && (m.captured(4).isEmpty() || QTime(m.captured(5).toInt(), m.captured(6).toInt(), std::min(59, m.captured(7).toInt())).isValid());
            if (!valid)
                return QStringLiteral("line %1: %2 is not a date or time: %3").arg(line.number).arg(name.captured(1).toUpper(), one.trimmed());
        }
    }
    return QString();
}

// The first error libical marked in the tree that spoils a value we read.
QString markedError(icalcomponent *root, const QList<Line> &lines)
{
    QList<icalcomponent *> pending{root};
    while (!pending.isEmpty()) {
        icalcomponent *c = pending.takeFirst();
        for (icalproperty *p = icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY); p;
             p = icalcomponent_get_next_property(c, ICAL_XLICERROR_PROPERTY)) {
            icalparameter *type = icalproperty_get_first_parameter(p, ICAL_XLICERRORTYPE_PARAMETER);
            const icalparameter_xlicerrortype kind = type ? icalparameter_get_xlicerrortype(type) : ICAL_XLICERRORTYPE_NONE;
            if (kind == ICAL_XLICERRORTYPE_PARAMETERNAMEPARSEERROR || kind == ICAL_XLICERRORTYPE_PARAMETERVALUEPARSEERROR)
                continue; // an unknown parameter changes nothing we read
            const QString reason = text(icalproperty_get_xlicerror(p));
            // Find the line that carries the faulty text the message quotes.
            const QString quoted = reason.section(QLatin1String(": "), -1).trimmed();
            int number = 0;
            for (const Line &line : lines) {
                if (!quoted.isEmpty() && line.text.contains(quoted)) {
                    number = line.number;
                    break;
                }
            }
            return number ? QStringLiteral("line %1: %2").arg(number).arg(reason) : reason;
        }
        for (icalcomponent *child = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); child;
             child = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT))
            pending.append(child);
    }
    return QString();
}

} // namespace

IcsImporter::IcsImporter(QStringList typeNames, const QDate &today) : m_typeNames(std::move(typeNames)), m_today(today) {}

std::pair<int, QString> IcsImporter::holdableLead(qint64 seconds, bool *exact)
{
    *exact = true;
    if (seconds < 0) {
        *exact = false;
        return {0, QStringLiteral("minute(s)")};
    }
    if (seconds % 86400 == 0 && seconds > 0)
        return {int(std::min<qint64>(seconds / 86400, 36500)), QStringLiteral("day(s)")};
    if (seconds % 3600 == 0 && seconds < 86400)
        return {int(seconds / 3600), seconds == 0 ? QStringLiteral("minute(s)") : QStringLiteral("hour(s)")};
    if (seconds % 60 == 0 && seconds < 3600)
        return {int(seconds / 60), QStringLiteral("minute(s)")};

    // The leads the planner holds near this one: minutes below an hour,
    // whole hours below a day, whole days. The nearest wins; on a tie the
    // longer lead, so that the reminder never comes later than asked.
    *exact = false;
    std::vector<std::pair<qint64, std::pair<int, QString>>> candidates;
    auto add = [&candidates](qint64 at, int amount, const QString &unit) { candidates.push_back({at, {amount, unit}}); };
    const qint64 minutes = std::llround(double(seconds) / 60.0);
    if (minutes <= 59)
        add(minutes * 60, int(minutes), QStringLiteral("minute(s)"));
    else
        add(59 * 60, 59, QStringLiteral("minute(s)"));
    const qint64 hoursDown = seconds / 3600, hoursUp = hoursDown + 1;
    if (hoursDown >= 1 && hoursDown <= 23)
        add(hoursDown * 3600, int(hoursDown), QStringLiteral("hour(s)"));
    if (hoursUp <= 23)
        add(hoursUp * 3600, int(hoursUp), QStringLiteral("hour(s)"));
    const qint64 daysDown = seconds / 86400, daysUp = daysDown + 1;
    if (daysDown >= 1)
        add(daysDown * 86400, int(std::min<qint64>(daysDown, 36500)), QStringLiteral("day(s)"));
    add(daysUp * 86400, int(std::min<qint64>(daysUp, 36500)), QStringLiteral("day(s)"));
    auto best = candidates.front();
    for (const auto &c : candidates) {
        const qint64 distance = std::llabs(c.first - seconds), bestDistance = std::llabs(best.first - seconds);
        if (distance < bestDistance || (distance == bestDistance && c.first > best.first))
            best = c;
    }
    return best.second;
}

IcsImporter::Plan IcsImporter::read(const QByteArray &text) const
{
    Plan plan;
    const QList<Line> lines = unfoldedLines(text);
    plan.parseError = structureError(lines);
    if (plan.parseError.isEmpty())
        plan.parseError = badTimeValue(lines);
    if (!plan.parseError.isEmpty())
        return plan;
    std::unique_ptr<icalcomponent, void (*)(icalcomponent *)> root(icalparser_parse_string(text.constData()), icalcomponent_free);
    if (!root) {
        plan.parseError = QStringLiteral("line 1: not an iCalendar file");
        return plan;
    }
    plan.parseError = markedError(root.get(), lines);
    if (!plan.parseError.isEmpty())
        return plan;
    Reader reader(m_typeNames, m_today, plan);
    if (icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
        reader.readCalendar(root.get());
    } else {
        for (icalcomponent *c = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT); c;
             c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
            reader.readCalendar(c);
    }
    return plan;
}

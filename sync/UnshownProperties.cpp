#include "sync/UnshownProperties.h"

#include "ical/IcsZone.h"

#include <QDateTime>
#include <QString>

#include <libical/ical.h>

#include <vector>

namespace UnshownProperties {

namespace {

// Every property but those the planner writes from its own fields, where
// the fresh version's word is final, present or absent.
bool copiedWhole(icalproperty_kind kind)
{
    switch (kind) {
    case ICAL_UID_PROPERTY:
    case ICAL_DTSTAMP_PROPERTY:
    case ICAL_SUMMARY_PROPERTY:
    case ICAL_DESCRIPTION_PROPERTY:
    case ICAL_LOCATION_PROPERTY:
    case ICAL_DTSTART_PROPERTY:
    case ICAL_DTEND_PROPERTY:
    case ICAL_DUE_PROPERTY:
    case ICAL_DURATION_PROPERTY:
    case ICAL_RRULE_PROPERTY:
    case ICAL_EXDATE_PROPERTY:
    case ICAL_RECURRENCEID_PROPERTY:
    case ICAL_PRIORITY_PROPERTY:
    case ICAL_STATUS_PROPERTY:
    case ICAL_COMPLETED_PROPERTY:
    case ICAL_PERCENTCOMPLETE_PROPERTY:
    case ICAL_LASTMODIFIED_PROPERTY:
    case ICAL_CATEGORIES_PROPERTY: // merged value by value below
    case ICAL_SEQUENCE_PROPERTY:   // counted up below
        return false;
    default:
        return true;
    }
}

QString recurrenceKey(icalcomponent *component)
{
    if (!icalcomponent_get_first_property(component, ICAL_RECURRENCEID_PROPERTY))
        return QString();
    const icaltimetype t = icalcomponent_get_recurrenceid(component);
    // As an instant when it has a zone, so a TZID spelt otherwise matches.
    if (!icaltime_is_date(t) && t.zone)
        return QString::number(qint64(icaltime_as_timet_with_zone(t, t.zone)));
    return QString::fromLatin1(icaltime_as_ical_string(t));
}

icalcomponent *counterpart(icalcomponent *rawCalendar, icalcomponent *fresh)
{
    const icalcomponent_kind kind = icalcomponent_isa(fresh);
    const QString key = recurrenceKey(fresh);
    for (icalcomponent *c = icalcomponent_get_first_component(rawCalendar, kind); c;
         c = icalcomponent_get_next_component(rawCalendar, kind)) {
        if (recurrenceKey(c) == key)
            return c;
    }
    return nullptr;
}

QStringList categoriesOf(icalcomponent *component)
{
    QStringList values;
    for (icalproperty *p = icalcomponent_get_first_property(component, ICAL_CATEGORIES_PROPERTY); p;
         p = icalcomponent_get_next_property(component, ICAL_CATEGORIES_PROPERTY))
        values << QString::fromUtf8(icalproperty_get_categories(p));
    return values;
}

// The moment a start, end or due time stands for, comparable across the
// zones it may be written in; a date stays a date.
QString momentOf(icalcomponent *component, icalproperty_kind kind)
{
    if (!icalcomponent_get_first_property(component, kind))
        return QString();
    const icaltimetype t = kind == ICAL_DTSTART_PROPERTY ? icalcomponent_get_dtstart(component)
        : kind == ICAL_DTEND_PROPERTY                    ? icalcomponent_get_dtend(component)
                                                         : icalcomponent_get_due(component);
    if (icaltime_is_null_time(t))
        return QString();
    if (icaltime_is_date(t))
        return QString::fromLatin1(icaltime_as_ical_string(t));
    if (t.zone)
        return QString::number(qint64(icaltime_as_timet_with_zone(t, t.zone)));
    return QString::number(IcsZone::toLocal(t).toSecsSinceEpoch());
}

// A time the planner left as it was goes back in the zone it came in, so
// that another device shows it in its own zone as before.
void keepOriginalZones(icalcomponent *fresh, icalcomponent *raw, icalcomponent *freshCalendar,
                       icalcomponent *rawCalendar)
{
    for (icalproperty_kind kind : {ICAL_DTSTART_PROPERTY, ICAL_DTEND_PROPERTY, ICAL_DUE_PROPERTY}) {
        icalproperty *mine = icalcomponent_get_first_property(fresh, kind);
        icalproperty *theirs = icalcomponent_get_first_property(raw, kind);
        if (!mine || !theirs || momentOf(fresh, kind) != momentOf(raw, kind))
            continue;
        icalcomponent_remove_property(fresh, mine);
        icalproperty_free(mine);
        icalcomponent_add_property(fresh, icalproperty_new_clone(theirs));
        icalparameter *tzid = icalproperty_get_first_parameter(theirs, ICAL_TZID_PARAMETER);
        if (!tzid || icalcomponent_get_timezone(freshCalendar, icalparameter_get_tzid(tzid)))
            continue;
        for (icalcomponent *zone = icalcomponent_get_first_component(rawCalendar, ICAL_VTIMEZONE_COMPONENT); zone;
             zone = icalcomponent_get_next_component(rawCalendar, ICAL_VTIMEZONE_COMPONENT)) {
            icalproperty *id = icalcomponent_get_first_property(zone, ICAL_TZID_PROPERTY);
            if (id && qstrcmp(icalproperty_get_tzid(id), icalparameter_get_tzid(tzid)) == 0) {
                icalcomponent_add_component(freshCalendar, icalcomponent_new_clone(zone));
                break;
            }
        }
    }
}

void mergeComponent(icalcomponent *fresh, icalcomponent *raw, const QStringList &typeNames)
{
    std::vector<icalproperty *> copies;
    for (icalproperty *p = icalcomponent_get_first_property(raw, ICAL_ANY_PROPERTY); p;
         p = icalcomponent_get_next_property(raw, ICAL_ANY_PROPERTY)) {
        if (copiedWhole(icalproperty_isa(p)))
            copies.push_back(icalproperty_new_clone(p));
    }
    const QStringList freshCategories = categoriesOf(fresh);
    for (const QString &category : categoriesOf(raw)) {
        if (!typeNames.contains(category) && !freshCategories.contains(category))
            copies.push_back(icalproperty_new_categories(category.toUtf8().constData()));
    }
    if (icalproperty *sequence = icalcomponent_get_first_property(raw, ICAL_SEQUENCE_PROPERTY))
        copies.push_back(icalproperty_new_sequence(icalproperty_get_sequence(sequence) + 1));
    for (icalproperty *p : copies)
        icalcomponent_add_property(fresh, p);

    // The first alarm is the planner's reminder; the others it never showed.
    std::vector<icalcomponent *> alarms;
    bool first = true;
    for (icalcomponent *alarm = icalcomponent_get_first_component(raw, ICAL_VALARM_COMPONENT); alarm;
         alarm = icalcomponent_get_next_component(raw, ICAL_VALARM_COMPONENT)) {
        if (!first)
            alarms.push_back(icalcomponent_new_clone(alarm));
        first = false;
    }
    for (icalcomponent *alarm : alarms)
        icalcomponent_add_component(fresh, alarm);
}

} // namespace

QByteArray merged(const QByteArray &fresh, const QByteArray &raw, const QStringList &typeNames)
{
    if (raw.isEmpty())
        return fresh;
    icalcomponent *rawCalendar = icalparser_parse_string(raw.constData());
    if (!rawCalendar)
        return fresh;
    icalcomponent *freshCalendar = icalparser_parse_string(fresh.constData());
    if (!freshCalendar) {
        icalcomponent_free(rawCalendar);
        return fresh;
    }
    for (icalcomponent_kind kind : {ICAL_VEVENT_COMPONENT, ICAL_VTODO_COMPONENT}) {
        std::vector<icalcomponent *> components;
        for (icalcomponent *c = icalcomponent_get_first_component(freshCalendar, kind); c;
             c = icalcomponent_get_next_component(freshCalendar, kind))
            components.push_back(c);
        for (icalcomponent *c : components) {
            if (icalcomponent *old = counterpart(rawCalendar, c)) {
                keepOriginalZones(c, old, freshCalendar, rawCalendar);
                mergeComponent(c, old, typeNames);
            }
        }
    }
    char *text = icalcomponent_as_ical_string_r(freshCalendar);
    QByteArray result(text);
    free(text);
    icalcomponent_free(freshCalendar);
    icalcomponent_free(rawCalendar);
    return result;
}

} // namespace UnshownProperties

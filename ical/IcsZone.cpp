#include "ical/IcsZone.h"

#include <QTimeZone>

#include <algorithm>
#include <functional>

IcsZone::IcsZone()
{
    const QByteArray id = QTimeZone::systemTimeZoneId();
    if (id.isEmpty() || id == "UTC" || id == "Etc/UTC")
        return;
    icaltimezone *builtin = icaltimezone_get_builtin_timezone(id.constData());
    if (!builtin)
        return;
    // libical names its zones with a prefix of its own; other programs look
    // zones up by the plain name, so the copy we write carries that.
    icalcomponent *definition = icalcomponent_new_clone(icaltimezone_get_component(builtin));
    if (!definition)
        return;
    icalproperty *tzidProperty = icalcomponent_get_first_property(definition, ICAL_TZID_PROPERTY);
    if (tzidProperty)
        icalproperty_set_tzid(tzidProperty, id.constData());
    m_zone = icaltimezone_new();
    if (!icaltimezone_set_component(m_zone, definition)) {
        icaltimezone_free(m_zone, 1);
        icalcomponent_free(definition);
        m_zone = nullptr;
        return;
    }
    m_tzid = QString::fromLatin1(id);
}

IcsZone::~IcsZone()
{
    if (m_zone)
        icaltimezone_free(m_zone, 1);
}

icalcomponent *IcsZone::newTimezoneComponent() const
{
    return m_zone ? icalcomponent_new_clone(icaltimezone_get_component(m_zone)) : nullptr;
}

icaltimetype IcsZone::dateValue(const QDate &date)
{
    icaltimetype t = icaltime_null_date();
    t.year = date.year();
    t.month = date.month();
    t.day = date.day();
    return t;
}

icaltimetype IcsZone::utcValue(const QDateTime &moment)
{
    return icaltime_from_timet_with_zone(moment.toSecsSinceEpoch(), 0, icaltimezone_get_utc_timezone());
}

icaltimetype IcsZone::localTime(const QDate &date, const QTime &time) const
{
    if (!m_zone)
        return utcValue(QDateTime(date, time, Qt::LocalTime));
    icaltimetype t = icaltime_null_time();
    t.year = date.year();
    t.month = date.month();
    t.day = date.day();
    t.hour = time.hour();
    t.minute = time.minute();
    t.second = time.second();
    t.zone = m_zone;
    return t;
}

namespace {

// The moment of a wall time (given as if it were UTC) in a zone known by
// its offset at each moment. Of two moments (a time the zone repeats) the
// first; of none (a time the zone skips) the one the offset before the
// change gives.
qint64 momentOfWall(qint64 wallAsUtc, const std::function<int(qint64)> &offsetAt, bool *inGap)
{
    const int before = offsetAt(wallAsUtc - 86400);
    const int after = offsetAt(wallAsUtc + 86400);
    *inGap = false;
    for (const int offset : {before, after}) {
        if (offsetAt(wallAsUtc - offset) == offset)
            return wallAsUtc - offset;
    }
    *inGap = true;
    return wallAsUtc - before;
}

} // namespace

QDateTime IcsZone::toLocal(const icaltimetype &value, const char *tzidParameter)
{
    const Wall wall = localWall(value, tzidParameter);
    return QDateTime(wall.date, wall.time.isValid() ? wall.time : QTime(0, 0));
}

IcsZone::Wall IcsZone::localWall(const icaltimetype &value, const char *tzidParameter, const QTimeZone *local)
{
    Wall result;
    const QDate date(value.year, value.month, value.day);
    if (value.is_date) {
        result.date = date;
        return result;
    }
    // A leap second belongs to the minute it ends, not to the next day.
    const QTime wall(value.hour, value.minute, std::min(value.second, 59));
    const qint64 wallAsUtc = QDateTime(date, wall, Qt::UTC).toSecsSinceEpoch();
    std::function<int(qint64)> offsetAt;
    if (icaltime_is_utc(value)) {
        offsetAt = [](qint64) { return 0; };
    } else if (value.zone) {
        icaltimezone *zone = const_cast<icaltimezone *>(value.zone);
        offsetAt = [zone](qint64 utc) {
            icaltimetype t = icaltime_from_timet_with_zone(time_t(utc), 0, icaltimezone_get_utc_timezone());
            int daylight = 0;
            return icaltimezone_get_utc_offset_of_utc_time(zone, &t, &daylight);
        };
    } else if (tzidParameter && *tzidParameter) {
        QTimeZone zone {QByteArray(tzidParameter)};
        // An empty IANA id would give a valid zone of its own choosing.
        const QByteArray iana = QTimeZone::windowsIdToDefaultIanaId(QByteArray(tzidParameter));
        if (!zone.isValid() && !iana.isEmpty())
            zone = QTimeZone(iana);
        if (zone.isValid())
            offsetAt = [zone](qint64 utc) { return zone.offsetFromUtc(QDateTime::fromSecsSinceEpoch(utc, Qt::UTC)); };
        else
            result.unknownZone = true;
    }
    if (!offsetAt) {
        result.date = date;
        result.time = wall;
        return result;
    }
    const qint64 moment = momentOfWall(wallAsUtc, offsetAt, &result.inGap);
    const QDateTime here = local && local->isValid() ? QDateTime::fromSecsSinceEpoch(moment, *local)
                                                     : QDateTime::fromSecsSinceEpoch(moment, Qt::LocalTime);
    result.date = here.date();
    result.time = QTime(here.time().hour(), here.time().minute(), here.time().second());
    return result;
}

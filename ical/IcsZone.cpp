#include "IcsZone.h"

#include <QTimeZone>

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

QDateTime IcsZone::toLocal(const icaltimetype &value, const char *tzidParameter)
{
    const QDate date(value.year, value.month, value.day);
    if (value.is_date)
        return QDateTime(date, QTime(0, 0));
    const QTime wall(value.hour, value.minute, value.second);
    if (icaltime_is_utc(value))
        return QDateTime(date, wall, Qt::UTC).toLocalTime();
    if (value.zone) {
        const time_t seconds = icaltime_as_timet_with_zone(value, value.zone);
        return QDateTime::fromSecsSinceEpoch(seconds, Qt::LocalTime);
    }
    if (tzidParameter && *tzidParameter) {
        QTimeZone zone{QByteArray(tzidParameter)};
        if (!zone.isValid())
            zone = QTimeZone(QTimeZone::windowsIdToDefaultIanaId(QByteArray(tzidParameter)));
        if (zone.isValid())
            return QDateTime(date, wall, zone).toLocalTime();
    }
    return QDateTime(date, wall, Qt::LocalTime);
}

#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <libical/ical.h>

class QTimeZone;

// The planner keeps local wall times. This is the bridge to iCalendar
// times: the system's zone as a TZID with its VTIMEZONE for writing, and
// any iCalendar time (a date, floating, UTC or with a TZID) turned into a
// local wall time for reading.
class IcsZone
{
public:
    // The system zone as libical knows it; UTC when libical has no rules
    // for it, so that every written time still means one moment.
    IcsZone();
    ~IcsZone();
    IcsZone(const IcsZone &) = delete;
    IcsZone &operator=(const IcsZone &) = delete;

    // The TZID written beside local times; empty when times go out in UTC.
    QString tzid() const { return m_tzid; }
    // A copy of the VTIMEZONE to put into the calendar; null for UTC.
    icalcomponent *newTimezoneComponent() const;

    // A local wall time as it is written: with the TZID, or in UTC.
    icaltimetype localTime(const QDate &date, const QTime &time) const;
    static icaltimetype dateValue(const QDate &date);
    static icaltimetype utcValue(const QDateTime &moment);

    // The local wall time of an iCalendar time. A date stays a date (time
    // invalid); a floating time is taken as it stands; a TZID that neither
    // the file nor libical defines is looked up by its IANA or Windows
    // name before it is taken as floating.
    static QDateTime toLocal(const icaltimetype &value, const char *tzidParameter = nullptr);

    // The same as a wall time, with what the reading met on the way. A
    // wall time that its zone skips (a daylight-saving gap) takes the
    // offset in force before the gap, as RFC 5545 says; a floating time
    // stays as it stands even where the local zone skips it.
    struct Wall
    {
        QDate date;
        QTime time;               // invalid for a date
        bool inGap = false;       // the time does not exist in its zone on that day
        bool unknownZone = false; // its TZID names no zone anyone knows; read as local time
    };
    // local: the system zone looked up once by a caller that reads many
    // times (each lookup of the local time asks the system again); null
    // for the local time as the system gives it at this call.
    static Wall localWall(const icaltimetype &value, const char *tzidParameter = nullptr,
                          const QTimeZone *local = nullptr);
    static QDate toDate(const icaltimetype &value) { return QDate(value.year, value.month, value.day); }

private:
    icaltimezone *m_zone = nullptr; // owned copy whose TZID is the plain zone name
    QString m_tzid;
};

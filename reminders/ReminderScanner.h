#pragma once

#include "reminders/MissedMoment.h"
#include "store/OptionFields.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <set>

class Cursor;
class TDataModule2;
struct CalendarChange;

// The reminder scanner: keeps the reminder cursor Table48 filtered to the
// items due today and decides, tick by tick, when an alarm is raised. It
// knows no widget: the reminders window tells it whether it is shown and
// active, and listens for the header refresh and the alarm.
//
// Beyond the minute-exact alarm it catches up on reminders whose minute
// passed unseen (the planner was not running, the computer slept): the
// moment of the last scan is kept in options field 56, and a start-up or a
// tick that follows a gap of more than a minute lists the missed items and
// raises one alarm for them.
class ReminderScanner : public QObject
{
    Q_OBJECT
public:
    // Options field holding the moment of the last scan, "yyyy-MM-ddTHH:mm:ss"
    // in local time; blank before the first scan.
    static constexpr int lastScanField = OptionField::LastReminderScan;
    // A gap longer than this is searched from its end backwards only: every
    // daily, weekly, monthly and yearly pattern has a date in any such span.
    static constexpr int catchUpDays = 400;

    explicit ReminderScanner(TDataModule2 &data, QObject *parent = nullptr);

    // How the window looks to the scanner. Without them it counts as hidden.
    void setWindowState(std::function<bool()> shown, std::function<bool()> active);

    // At creation: catches up on reminders missed since the remembered last
    // scan (up to and including the present minute, which the first tick
    // may never see), then re-queries. True when the alarm is due for
    // missed reminders; the last alarm minute is then the present one.
    bool start();

    // The filter of Table48 for the present moment; the first row becomes current.
    void requery();

    // The 10-second tick; emits headerRefreshNeeded() when it scans and
    // alarmRaised() when a reminder falls due in this minute.
    void tick();

    // After a change to the calendar's rows (the planner's own or another
    // program's): re-queries, and raises the alarm for a changed row whose
    // reminder fell due since the last tick scanned, which that tick could
    // not see; an alarm already raised in the present minute is not raised
    // again. While the user works in the window nothing is re-queried.
    void followCalendarChange(const CalendarChange &change);

    // Minute of the last alarm (seconds zero); invalid before the first.
    QDateTime lastAlarmMinute() const { return m_lastAlarmMinute; }

    // When the missed reminder of item `no` was due; invalid for an item
    // that was not missed (or was dismissed or snoozed since).
    QDateTime missedMoment(qint64 no) const;
    // Drops item `no` from the missed reminders (after Dismiss and Snooze).
    void forget(qint64 no);

signals:
    void headerRefreshNeeded();
    void alarmRaised();

private:
    Cursor &table() const;
    QString filterFor(const QDateTime &now, bool withMissed) const;
    bool applyFilter(const QString &text);
    qint64 matchingRow(const QTime &minute) const;
    bool catchUp(const QDateTime &from, const QDateTime &lastMinute);
    int collectDated(const QString &filter, const QString &dateField, const QString &timeField, const QDateTime &from,
                     const QDateTime &until);
    int collectRecurring(const QDateTime &from, const QDateTime &until);
    QDateTime lastReminderOf(const MissedMoment::Recurring &item, const QDateTime &from, const QDateTime &until) const;
    void noteMissed(qint64 no, const QDateTime &moment);
    bool userInWindow() const;
    bool catchUpRows(const QDateTime &from, const QDateTime &until, const std::set<qint64> *rows);
    void rememberScan(const QDateTime &now);
    void forgetMissedOfOtherCalendar();

    TDataModule2 &m_data;
    std::function<bool()> m_shown;
    std::function<bool()> m_active;
    QDateTime m_lastAlarmMinute;
    QDateTime m_previousTick;
    QDateTime m_storedScanMinute;
    const std::set<qint64> *m_onlyRows = nullptr; // the rows a catch-up looks at; all for null
    std::map<qint64, QDateTime> m_missed;         // item -> the moment its reminder was due
    QString m_missedCalendar;                     // the calendar file the missed items belong to
};

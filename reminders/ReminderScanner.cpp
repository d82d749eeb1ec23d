#include "reminders/ReminderScanner.h"

#include "reminders/DuePredicate.h"
#include "reminders/MissedMoment.h"

#include "store/Clock.h"
#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/SeriesRow.h"
#include "store/Unit2.h"

namespace {

const QString lastScanFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

QDateTime minuteOf(const QDateTime &moment)
{
    const QTime t = moment.time();
    return QDateTime(moment.date(), QTime(t.hour(), t.minute()));
}

} // namespace

ReminderScanner::ReminderScanner(TDataModule2 &data, QObject *parent)
    : QObject(parent)
    , m_data(data)
{ }

void ReminderScanner::setWindowState(std::function<bool()> shown, std::function<bool()> active)
{
    m_shown = std::move(shown);
    m_active = std::move(active);
}

Cursor &ReminderScanner::table() const
{
    return m_data.Table48();
}

// Item numbers mean nothing in another calendar: after a folder switch the
// missed items of the old one are dropped.
void ReminderScanner::forgetMissedOfOtherCalendar()
{
    if (table().filePath() != m_missedCalendar) {
        m_missed.clear();
        m_missedCalendar = table().filePath();
    }
}

QString ReminderScanner::filterFor(const QDateTime &now, bool withMissed) const
{
    QString text = DuePredicate::dueFilter(now.date(), now.time());
    if (withMissed && !m_missed.empty()) {
        std::vector<qint64> nos;
        nos.reserve(m_missed.size());
        for (const auto &entry : m_missed)
            nos.push_back(entry.first);
        text += " or " + DuePredicate::missedClause(nos, now.date());
    }
    return text;
}

bool ReminderScanner::applyFilter(const QString &text)
{
    Cursor &cursor = table();
    if (!cursor.setFilter(text)) {
        qWarning("ReminderScanner: %s", qPrintable(cursor.lastError()));
        return false;
    }
    cursor.setFiltered(true);
    cursor.first();
    return true;
}

void ReminderScanner::requery()
{
    if (!table().isOpen())
        return;
    forgetMissedOfOtherCalendar();
    applyFilter(filterFor(Clock::now(), true));
}

bool ReminderScanner::start()
{
    const QDateTime now = Clock::now();
    const QDateTime last = QDateTime::fromString(m_data.options().lastReminderScan(), lastScanFormat);
    bool missed = false;
    if (last.isValid() && last < now && table().isOpen())
        missed = catchUp(last, minuteOf(now));
    m_previousTick = now;
    rememberScan(now);
    requery();
    if (missed)
        m_lastAlarmMinute = minuteOf(now);
    return missed;
}

void ReminderScanner::tick()
{
    const QDateTime now = Clock::now();
    const QDateTime minute = minuteOf(now);

    // A gap since the previous tick (sleep, a blocked loop): the minutes in
    // between were never scanned. The present minute is this tick's own.
    bool caughtUp = false;
    if (m_previousTick.isValid() && m_previousTick.secsTo(now) > 60 && table().isOpen())
        caughtUp = catchUp(m_previousTick, minute.addSecs(-60));
    // Step 4 re-queries, except while the user works in the window.
    if (caughtUp && userInWindow())
        requery();
    m_previousTick = now;
    rememberScan(now);

    if (minute == m_lastAlarmMinute && !caughtUp) // 1
        return;
    if (!table().isOpen()) // 2
        return;
    qint64 matched = 0;
    if (!userInWindow()) { // 3
        // Matches look at the due items only; missed ones already had their alarm.
        if (applyFilter(filterFor(now, false))) // 4
            matched = matchingRow(minute.time());
        requery();
        if (matched != 0)
            table().locate(ItemField::No, matched);
    }
    emit headerRefreshNeeded();     // 5
    if (matched != 0 || caughtUp) { // 6
        m_lastAlarmMinute = minute;
        emit alarmRaised();
    }
}

// Match A (reminder time) and then match B (snooze time) on the current
// minute; the later match wins, each taking the lowest `No` that fits.
qint64 ReminderScanner::matchingRow(const QTime &minute) const
{
    Cursor &cursor = table();
    qint64 reminderMatch = 0;
    qint64 snoozeMatch = 0;
    for (cursor.first(); !cursor.eof() && snoozeMatch == 0; cursor.next()) {
        if (reminderMatch == 0 && cursor.asTime(ItemField::Rt) == minute)
            reminderMatch = cursor.currentId();
        if (cursor.asBool(ItemField::Sno) && cursor.asTime(ItemField::Sn) == minute)
            snoozeMatch = cursor.currentId();
    }
    return snoozeMatch != 0 ? snoozeMatch : reminderMatch;
}

// Lists every reminder due in the minutes after `from` up to and including
// `lastMinute`, as the due-item predicate would have found it on each day:
// three filters over the whole span, whatever its length, and the recurring
// items' days worked out item by item.
bool ReminderScanner::catchUp(const QDateTime &from, const QDateTime &lastMinute)
{
    QDateTime first = minuteOf(from).addSecs(60);
    const QDateTime earliest(lastMinute.date().addDays(1 - catchUpDays), QTime(0, 0));
    if (first < earliest)
        first = earliest;
    if (first > lastMinute)
        return false;
    const QDateTime until = lastMinute.addSecs(59);

    return catchUpRows(first, until, nullptr);
}

bool ReminderScanner::catchUpRows(const QDateTime &from, const QDateTime &until, const std::set<qint64> *rows)
{
    forgetMissedOfOtherCalendar();
    m_onlyRows = rows;
    int found =
        collectDated(DuePredicate::oneOffBetween(from.date(), until.date()), ItemField::Rs, ItemField::Rt, from, until);
    found += collectRecurring(from, until);
    found += collectDated(DuePredicate::snoozedBetween(from.date(), until.date()), ItemField::Sns, ItemField::Sn, from,
                          until);
    m_onlyRows = nullptr;
    // The caller re-queries: with many missed items that costs as much as
    // the search, so it runs once.
    return found > 0;
}

bool ReminderScanner::userInWindow() const
{
    return m_shown && m_active && m_shown() && m_active();
}

void ReminderScanner::followCalendarChange(const CalendarChange &change)
{
    if (!table().isOpen() || userInWindow())
        return;
    const QDateTime now = Clock::now();
    const QDateTime minute = minuteOf(now);
    // The last tick scanned its minute on the rows as they were then; a
    // changed row due from that minute on was not there to be matched. The
    // minute of the last alarm has had its one alarm.
    QDateTime from = minuteOf(m_previousTick);
    if (m_lastAlarmMinute.isValid() && m_lastAlarmMinute >= from)
        from = m_lastAlarmMinute.addSecs(60);
    bool missed = false;
    if (m_previousTick.isValid() && !change.wholeCalendar && from <= now) {
        const std::set<qint64> rows(change.rows.begin(), change.rows.end());
        missed = catchUpRows(from, now, &rows);
    }
    requery();
    emit headerRefreshNeeded();
    if (missed && minute != m_lastAlarmMinute) {
        m_lastAlarmMinute = minute;
        emit alarmRaised();
    }
}

void ReminderScanner::noteMissed(qint64 no, const QDateTime &moment)
{
    QDateTime &known = m_missed[no];
    if (!known.isValid() || known < moment)
        known = moment;
}

int ReminderScanner::collectDated(const QString &filter, const QString &dateField, const QString &timeField,
                                  const QDateTime &from, const QDateTime &until)
{
    if (!applyFilter(filter))
        return 0;
    Cursor &cursor = table();
    const Cursor::Field date = cursor.field(dateField);
    const Cursor::Field time = cursor.field(timeField);
    int found = 0;
    for (; !cursor.eof(); cursor.next()) {
        if (m_onlyRows && !m_onlyRows->count(cursor.currentId()))
            continue;
        const QTime at = cursor.asTime(time);
        const QDateTime moment(cursor.asDate(date), at);
        if (!at.isValid() || moment < from || moment > until)
            continue;
        noteMissed(cursor.currentId(), moment);
        ++found;
    }
    return found;
}

// An extended row's flags, D and M are blank: its rule says when it
// reminds. A rule the store cannot read makes no series there either, so
// the row then answers by its pattern fields, as the due filter sees it.
QDateTime ReminderScanner::lastReminderOf(const MissedMoment::Recurring &item, const QDateTime &from,
                                          const QDateTime &until) const
{
    const Cursor &cursor = table();
    if (!cursor.asText(ItemField::Rr).isEmpty()) {
        const Result<SeriesOccurrences> series = SeriesRow::seriesOf(cursor);
        if (series) {
            const QDate reminderDate = cursor.asDate(ItemField::Rs);
            if (!reminderDate.isValid())
                return {};
            return MissedMoment::lastOfSeries(item, series.value(), int(series->start().daysTo(reminderDate)), from,
                                              until);
        }
    }
    return MissedMoment::lastRecurring(item, from, until);
}

int ReminderScanner::collectRecurring(const QDateTime &from, const QDateTime &until)
{
    if (!applyFilter(DuePredicate::recurringWithReminder()))
        return 0;
    Cursor &cursor = table();
    const Cursor::Field start = cursor.field(ItemField::S), dismissed = cursor.field(ItemField::Di),
                        reminder = cursor.field(ItemField::Rt), kind = cursor.field(ItemField::Ret),
                        day = cursor.field(ItemField::Rd), month = cursor.field(ItemField::Rm);
    Cursor::Field weekdays[7];
    for (int i = 0; i < 7; ++i)
        weekdays[i] = cursor.field(ItemField::weekdayFlags()[(i + 1) % 7]); // Mon .. Sun, as MissedMoment holds them
    int found = 0;
    for (; !cursor.eof(); cursor.next()) {
        if (m_onlyRows && !m_onlyRows->count(cursor.currentId()))
            continue;
        MissedMoment::Recurring item;
        item.start = cursor.asDate(start);
        item.dismissed = cursor.asDate(dismissed);
        item.reminder = cursor.asTime(reminder);
        item.kind = cursor.asText(kind);
        item.day = cursor.asText(day);
        item.month = cursor.asText(month);
        for (int i = 0; i < 7; ++i)
            item.weekdays[i] = cursor.asBool(weekdays[i]);
        const QDateTime moment = lastReminderOf(item, from, until);
        if (!moment.isValid())
            continue;
        noteMissed(cursor.currentId(), moment);
        ++found;
    }
    return found;
}

QDateTime ReminderScanner::missedMoment(qint64 no) const
{
    const auto it = m_missed.find(no);
    return it == m_missed.end() ? QDateTime() : it->second;
}

void ReminderScanner::forget(qint64 no)
{
    m_missed.erase(no);
}

// Written once a minute: the catch-up works in minutes. The options dialog
// keeps the row in edit mode while it is open, and a post now would commit
// its unfinished changes, so the moment waits for the next minute then.
void ReminderScanner::rememberScan(const QDateTime &now)
{
    const QDateTime minute = minuteOf(now);
    Cursor &options = m_data.Table60();
    if (minute == m_storedScanMinute || !options.isOpen() || options.state() != Cursor::State::Browse)
        return;
    if (m_data.options().change({{lastScanField, now.toString(lastScanFormat)}}))
        m_storedScanMinute = minute;
}

#pragma once

#include "store/Result.h"

#include <QDate>
#include <QString>

#include <vector>

// Dates of a series, ascending, each once (the removed dates of `Rx`, or
// the occurrences in a range).
using SeriesDates = std::vector<QDate>;

// The rule of an "extended" series (`Rr`): the part of the iCalendar RRULE
// value (RFC 5545 3.3.10) that other calendar programs write for the series
// people make, and nothing more:
//
//   FREQ        DAILY, WEEKLY, MONTHLY or YEARLY
//   INTERVAL    1..999
//   COUNT       1.. (or UNTIL, a date YYYYMMDD; at most one of the two)
//   BYDAY       DAILY, WEEKLY: a list of weekdays (MO..SU);
//               MONTHLY, YEARLY with BYMONTH: one weekday with an ordinal 1..4 or -1 ("2WE", "-1FR")
//   BYMONTHDAY  MONTHLY, YEARLY with BYMONTH: one day, 1..31 or -1 (the last)
//   BYMONTH     YEARLY: one month 1..12
//   WKST        MO or SU
//
// What the rule leaves open is taken from the series' first date, as RFC
// 5545 does: WEEKLY falls on the first date's weekday, MONTHLY on its day,
// YEARLY on its month and day. A month without that day (the 31st, the
// 29th of February) has no occurrence. The first date is always an
// occurrence and counts toward COUNT, and a removed date still counts.
//
// A rule is a value: set its members and check() it, or parse() a text.
struct SeriesRule
{
    enum class Frequency { Daily, Weekly, Monthly, Yearly };

    Frequency frequency = Frequency::Weekly;
    int interval = 1;
    int count = 0;              // 0: no COUNT
    QDate until;                // invalid: no UNTIL
    int weekdays = 0;           // bit (Qt::DayOfWeek - 1): Monday bit 0 .. Sunday bit 6; 0: none given
    int ordinal = 0;            // with one weekday: 1..4, -1 the last; 0: none
    int monthDay = 0;           // 1..31, -1 the last day; 0: none
    int month = 0;              // 1..12; 0: none
    int weekStart = Qt::Monday; // Qt::Monday or Qt::Sunday

    static constexpr int kMaxInterval = 999;

    static int weekdayBit(int dayOfWeek) { return 1 << (dayOfWeek - 1); }

    // The rule of a text, or a message that names what lies outside the set.
    static Result<SeriesRule> parse(const QString &text);
    // Whether the members make a rule of the set; the message as parse's.
    Outcome check() const;
    // The text in one order (FREQ, INTERVAL, COUNT or UNTIL, BYMONTH,
    // BYMONTHDAY, BYDAY, WKST), leaving out INTERVAL=1 and a WKST that
    // cannot change a date, so that equal rules are equal texts.
    QString text() const;
    // The same dates with what the rule took from its first date written
    // out (BYDAY, BYMONTHDAY, BYMONTH), so that the first date may move to
    // a later occurrence without changing the series.
    SeriesRule explicitFor(const QDate &start) const;

    // Whether date matches the pattern of a series first dated start,
    // ignoring its end: the dates after start that it holds.
    bool matches(const QDate &start, const QDate &date) const;
    // The last date of a series first dated start: its COUNTth occurrence,
    // or its last on or before UNTIL (the first date at the earliest);
    // invalid for an endless series. COUNT walks the series from its start,
    // so a caller keeps the answer.
    QDate lastDate(const QDate &start) const;

    // Every date of the series in [from, to], the first date included,
    // removed dates left out; last is what lastDate() gave for start.
    SeriesDates occurrences(const QDate &start, const QDate &last, const QDate &from, const QDate &to,
                            const SeriesDates &removed) const;
    bool occursOn(const QDate &start, const QDate &last, const QDate &date, const SeriesDates &removed) const;

    bool operator==(const SeriesRule &other) const = default;

private:
    // The first occurrence after `after` by the pattern alone, not after
    // `limit`; invalid when there is none.
    QDate nextAfter(const QDate &start, const QDate &after, const QDate &limit) const;
    // The date of the pattern in one month, or invalid.
    QDate dayInMonth(int year, int month, const QDate &start) const;
    int patternWeekdays(const QDate &start) const;
    QDate lastUntil(const QDate &start) const;
};

// One extended series ready to be asked: its rule, first date and removed
// dates, and its last date worked out once when made.
class SeriesOccurrences
{
public:
    SeriesOccurrences() = default;
    SeriesOccurrences(const SeriesRule &rule, const QDate &start, SeriesDates removed);

    const SeriesRule &rule() const { return m_rule; }
    const QDate &start() const { return m_start; }
    const QDate &last() const { return m_last; } // invalid: endless
    const SeriesDates &removed() const { return m_removed; }

    bool occursOn(const QDate &date) const { return m_rule.occursOn(m_start, m_last, date, m_removed); }
    SeriesDates occurrences(const QDate &from, const QDate &to) const
    {
        return m_rule.occurrences(m_start, m_last, from, to, m_removed);
    }

private:
    SeriesRule m_rule;
    QDate m_start;
    QDate m_last;
    SeriesDates m_removed;
};

// `Rx`: ISO dates "YYYY-MM-DD" joined by commas. Reading accepts any order
// and blanks around the commas and gives them ascending, each once.
Result<SeriesDates> parseRemovedDates(const QString &text);
QString removedDatesText(const SeriesDates &dates);

#pragma once

#include "editors/RecurrencePattern.h"
#include "store/SeriesRule.h"

#include <QString>
#include <QVariant>

#include <optional>
#include <utility>
#include <vector>

// What the event editor shows when "OK" is pressed: the box texts and the
// states of its toggles and pattern controls.
struct EventEntry
{
    QString startDate;
    QString endDate;
    QString startTime;
    QString endTime;
    QString lead;
    QString unit;
    bool allDay = false;
    bool recurring = false;
    RecurrencePattern::Kind pattern = RecurrencePattern::Kind::None; // the selected choice
    QString monthlyDay;
    QString yearlyDay;
    int monthIndex = 0; // month list position, 0 = January

    // Beyond the four patterns; the defaults are what they say.
    enum class End { None, ByDate, AfterCount };
    bool everyDay = true;                      // Daily: every day, or Monday to Friday
    RecurrencePattern::WeekFlags weekFlags {}; // Weekly: the ticked days, `Sun` first
    QString interval = QStringLiteral("1");
    End end = End::None;
    QString untilDate;       // End::ByDate
    QString count;           // End::AfterCount
    bool monthlyNth = false; // Monthly: the nth weekday instead of day D
    bool yearlyNth = false;  // Yearly: the nth weekday of the month instead of its day
    int ordinalIndex = 0;    // first .. fourth, last
    int weekdayIndex = 0;    // Monday .. Sunday, 7 = "day"
    SeriesDates removed;     // the dates the row's series had removed
};

// Field values for the edited row, in the order they were decided. An
// invalid QVariant blanks the field.
class FieldChanges
{
public:
    void set(const QString &field, const QVariant &value);
    bool contains(const QString &field) const;
    QVariant value(const QString &field) const; // invalid when not set
    const std::vector<std::pair<QString, QVariant>> &list() const { return m_list; }

private:
    std::vector<std::pair<QString, QVariant>> m_list;
};

// The checks and derived fields of saving an event, before the row is
// posted. The stages run in order and the first failing one is reported;
// what the third stage decided before it failed still reaches the row and
// the boxes, as it does on success.
namespace EventSave {

inline const QString invalidDateMessage = QStringLiteral("You must specify a valid date and/or time.");
inline const QString invalidDurationMessage = QStringLiteral("The duration you entered is not valid.");
inline const QString invalidPatternMessage = QStringLiteral("The recurrence pattern is not valid.");
inline const QString endBeforeStartMessage = QStringLiteral("The End time you entered occurs before the Start time");
inline const QString intervalMessage = QStringLiteral("The interval must be a number from 1 to 999.");
inline const QString seriesEndMessage = QStringLiteral("The end date must not be before the start date.");
inline const QString countMessage = QStringLiteral("The number of occurrences must be at least 1.");

struct Outcome
{
    QString message;      // empty when the row may be posted
    FieldChanges changes; // to write into the row, also on failure
    // A series the four patterns cannot say: written after the changes
    // through the one writer of such rows, from `S` with these removed.
    std::optional<SeriesRule> rule;
    SeriesDates removed;
    bool ok() const { return message.isEmpty(); }
};

// Checks the entry and derives `S`, `E`, `St`, `Et`, `Md`, `D`, `M`, `Rs`,
// `Rt`, `Rd`, `Rm`, `Tr`, `Tm`. A recurring entry gets its date boxes
// rewritten to the series' first date. A series with an interval, an end,
// an nth weekday or removed dates still falling on it comes back as a rule.
Outcome run(EventEntry &entry);

} // namespace EventSave

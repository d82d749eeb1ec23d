#pragma once

#include "editors/RecurrencePattern.h"

#include <QString>
#include <QVariant>

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

struct Outcome
{
    QString message;      // empty when the row may be posted
    FieldChanges changes; // to write into the row, also on failure
    bool ok() const { return message.isEmpty(); }
};

// Checks the entry and derives `S`, `E`, `St`, `Et`, `Md`, `D`, `M`, `Rs`,
// `Rt`, `Rd`, `Rm`, `Tr`, `Tm`. A recurring entry gets its date boxes
// rewritten to the series' first date.
Outcome run(EventEntry &entry);

} // namespace EventSave

#include "editors/NewEvent.h"

#include "editors/RecurrencePattern.h"

#include <algorithm>

namespace NewEvent {

QTime rowStart(int row)
{
    row = std::clamp(row, 0, 47);
    return QTime(row / 2, (row % 2) * 30);
}

QTime selectionEnd(int endRow)
{
    if (endRow > 46)
        return QTime(23, 55);
    return rowStart(endRow + 1);
}

FieldChanges fields(Kind kind, const QDate &date, int startRow, int endRow, bool defaultReminder)
{
    endRow = std::max(endRow, startRow);
    FieldChanges row;
    row.set(QStringLiteral("Md"), QStringLiteral("0"));
    row.set(QStringLiteral("S"), date);
    row.set(QStringLiteral("E"), date);
    row.set(QStringLiteral("St"), rowStart(startRow));
    row.set(QStringLiteral("Et"), selectionEnd(endRow));
    row.set(QStringLiteral("T"), 0);
    const bool recurring = kind == Kind::RecurringAppointment;
    row.set(QStringLiteral("Re"), recurring);
    if (recurring) {
        const auto flags = RecurrencePattern::onlyWeekdayOf(date);
        for (int i = 0; i < 7; ++i)
            row.set(RecurrencePattern::weekdayFields().at(i), flags[i]);
        row.set(QStringLiteral("Ret"), RecurrencePattern::retCode(RecurrencePattern::Kind::Weekly));
    }
    row.set(QStringLiteral("R"), defaultReminder);
    row.set(QStringLiteral("A"), kind == Kind::AllDayEvent);
    return row;
}

} // namespace NewEvent

#include "editors/NewEvent.h"

#include "store/ItemFields.h"

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
    row.set(ItemField::Md, QStringLiteral("0"));
    row.set(ItemField::S, date);
    row.set(ItemField::E, date);
    row.set(ItemField::St, rowStart(startRow));
    row.set(ItemField::Et, selectionEnd(endRow));
    row.set(ItemField::T, 0);
    const bool recurring = kind == Kind::RecurringAppointment;
    row.set(ItemField::Re, recurring);
    if (recurring) {
        const auto flags = RecurrencePattern::onlyWeekdayOf(date);
        for (int i = 0; i < 7; ++i)
            row.set(ItemField::weekdayFlags().at(i), flags[i]);
        row.set(ItemField::Ret, RecurrenceKind::Weekly);
    }
    row.set(ItemField::R, defaultReminder);
    row.set(ItemField::A, kind == Kind::AllDayEvent);
    return row;
}

} // namespace NewEvent

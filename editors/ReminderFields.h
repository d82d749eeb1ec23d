#pragma once

#include "store/Cursor.h"
#include "store/ItemFields.h"

#include <QDate>
#include <QTime>

// An item's reminder as its row holds it. The editors take it when they
// open a row, so that a save that moves or switches the reminder ends a
// snooze set on the old one.
struct ReminderFields
{
    bool on = false;
    QDate date;
    QTime time;
    bool operator==(const ReminderFields &) const = default;

    static ReminderFields of(const Cursor &row)
    {
        return {row.asBool(ItemField::R), row.asDate(ItemField::Rs), row.asTime(ItemField::Rt)};
    }
};

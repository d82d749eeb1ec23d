#include "views/ItemRow.h"

ItemRow::Fields::Fields(const Cursor &cursor)
    : Subject(cursor.field(QStringLiteral("Subject")))
    , S(cursor.field(QStringLiteral("S")))
    , E(cursor.field(QStringLiteral("E")))
    , St(cursor.field(QStringLiteral("St")))
    , Et(cursor.field(QStringLiteral("Et")))
    , A(cursor.field(QStringLiteral("A")))
    , T(cursor.field(QStringLiteral("T")))
    , R(cursor.field(QStringLiteral("R")))
    , Re(cursor.field(QStringLiteral("Re")))
{ }

ItemRow ItemRow::fromCursor(const Cursor &cursor)
{
    return fromCursor(cursor, Fields(cursor));
}

ItemRow ItemRow::fromCursor(const Cursor &cursor, const Fields &fields)
{
    ItemRow row;
    row.No = cursor.currentId(); // `No` is the calendar's identity
    row.Subject = cursor.asText(fields.Subject);
    row.S = cursor.asDate(fields.S);
    row.E = cursor.asDate(fields.E);
    row.St = cursor.asTime(fields.St);
    row.Et = cursor.asTime(fields.Et);
    row.A = cursor.asBool(fields.A);
    row.T = cursor.asInt(fields.T);
    row.R = cursor.asBool(fields.R);
    row.Re = cursor.asBool(fields.Re);
    return row;
}

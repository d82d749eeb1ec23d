#include "views/ItemRow.h"

#include "store/ItemFields.h"

ItemRow::Fields::Fields(const Cursor &cursor)
    : Subject(cursor.field(ItemField::Subject))
    , S(cursor.field(ItemField::S))
    , E(cursor.field(ItemField::E))
    , St(cursor.field(ItemField::St))
    , Et(cursor.field(ItemField::Et))
    , A(cursor.field(ItemField::A))
    , T(cursor.field(ItemField::T))
    , R(cursor.field(ItemField::R))
    , Re(cursor.field(ItemField::Re))
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

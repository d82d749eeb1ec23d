#include "ItemRow.h"

#include "Cursor.h"

ItemRow ItemRow::fromCursor(const Cursor &cursor)
{
    ItemRow row;
    const QVariant no = cursor.value(QStringLiteral("No"));
    row.No = no.isValid() ? no.toLongLong() : 0;
    row.Subject = cursor.asText(QStringLiteral("Subject"));
    row.S = cursor.asDate(QStringLiteral("S"));
    row.E = cursor.asDate(QStringLiteral("E"));
    row.St = cursor.asTime(QStringLiteral("St"));
    row.Et = cursor.asTime(QStringLiteral("Et"));
    row.A = cursor.asBool(QStringLiteral("A"));
    row.T = cursor.asInt(QStringLiteral("T"));
    row.R = cursor.asBool(QStringLiteral("R"));
    row.Re = cursor.asBool(QStringLiteral("Re"));
    return row;
}

#include "ItemRow.h"

ItemRow::Fields::Fields(const Cursor &cursor)
    : Subject(cursor.field(QStringLiteral("Subject")))
    , numbers{cursor.field(QStringLiteral("S")), cursor.field(QStringLiteral("E")),  cursor.field(QStringLiteral("St")),
              cursor.field(QStringLiteral("Et")), cursor.field(QStringLiteral("A")), cursor.field(QStringLiteral("T")),
              cursor.field(QStringLiteral("R")), cursor.field(QStringLiteral("Re"))}
{
}

ItemRow ItemRow::fromCursor(const Cursor &cursor)
{
    return fromCursor(cursor, Fields(cursor));
}

namespace {

constexpr qint64 kBlank = Cursor::kBlankNumber;

QDate dateOf(qint64 julianDay)
{
    return julianDay == kBlank ? QDate() : QDate::fromJulianDay(julianDay);
}

QTime timeOf(qint64 ms)
{
    return ms == kBlank ? QTime() : QTime::fromMSecsSinceStartOfDay(int(ms));
}

bool isTrue(qint64 flag)
{
    return flag != kBlank && flag != 0;
}

} // namespace

ItemRow ItemRow::fromCursor(const Cursor &cursor, const Fields &fields)
{
    qint64 n[Fields::kNumbers];
    cursor.readNumbers(fields.numbers, Fields::kNumbers, n);
    ItemRow row;
    row.No = cursor.currentId(); // `No` is the calendar's identity
    row.Subject = cursor.asText(fields.Subject);
    row.S = dateOf(n[0]);
    row.E = dateOf(n[1]);
    row.St = timeOf(n[2]);
    row.Et = timeOf(n[3]);
    row.A = isTrue(n[4]);
    row.T = n[5] == kBlank ? 0 : int(n[5]);
    row.R = isTrue(n[6]);
    row.Re = isTrue(n[7]);
    return row;
}

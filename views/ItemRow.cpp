#include "views/ItemRow.h"

#include "store/ItemFields.h"

#include <algorithm>
#include <iterator>

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

QList<ItemRow> ItemRow::readRows(const Cursor &cursor, int from, int count)
{
    const Fields fields(cursor);
    const Cursor::Field numberFields[] = {fields.S,  fields.E,  fields.A, fields.T,
                                          fields.St, fields.Et, fields.R, fields.Re};
    constexpr int kNumbers = int(std::size(numberFields));
    constexpr int kChunk = 32;
    qint64 ids[kChunk], numbers[kChunk * kNumbers];
    QStringView subjects[kChunk];
    const Cursor::RowBlock block {numberFields, kNumbers, &fields.Subject, 1, ids, numbers, subjects};
    auto date = [](qint64 n) { return n == Cursor::kBlankNumber ? QDate() : QDate::fromJulianDay(n); };
    auto time = [](qint64 n) { return n == Cursor::kBlankNumber ? QTime() : QTime::fromMSecsSinceStartOfDay(int(n)); };
    auto flag = [](qint64 n) { return n != Cursor::kBlankNumber && n != 0; };
    QList<ItemRow> rows;
    while (count > 0) {
        const int read = cursor.readRows(from, std::min(count, kChunk), block);
        if (read == 0)
            break;
        for (int i = 0; i < read; ++i) {
            const qint64 *n = numbers + i * kNumbers;
            ItemRow &row = rows.emplace_back();
            row.No = ids[i];
            row.Subject = subjects[i].toString();
            row.S = date(n[0]);
            row.E = date(n[1]);
            row.A = flag(n[2]);
            row.T = n[3] == Cursor::kBlankNumber ? 0 : int(n[3]);
            row.St = time(n[4]);
            row.Et = time(n[5]);
            row.R = flag(n[6]);
            row.Re = flag(n[7]);
        }
        from += read;
        count -= read;
    }
    return rows;
}

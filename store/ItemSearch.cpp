#include "store/ItemSearch.h"

#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/SeriesRow.h"
#include "store/SeriesText.h"

#include <algorithm>
#include <limits>
#include <tuple>

namespace {

const QString sharpS = QStringLiteral("\u00df");

// The spellings of a text that mean the same German word: with every "ß"
// written "ss", and with every "ss" written "ß". Qt's case folding maps
// one letter to one letter, so it cannot see these alike by itself.
QStringList spellingsOf(const QString &text)
{
    QStringList spellings {text};
    const QString folded = text.toCaseFolded();
    if (folded.contains(sharpS))
        spellings << QString(folded).replace(sharpS, QStringLiteral("ss"));
    if (folded.contains(QStringLiteral("ss")))
        spellings << QString(folded).replace(QStringLiteral("ss"), sharpS);
    return spellings;
}

// The fields a search reads of every row, looked up once per scan.
struct SearchedFields
{
    explicit SearchedFields(const Cursor &c)
        : subject(c.field(ItemField::Subject))
        , location(c.field(ItemField::Loc))
        , notes(c.field(ItemField::N))
    { }
    Cursor::Field subject, location, notes;
};

} // namespace

ItemSearch::ItemSearch(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (!trimmed.isEmpty())
        m_spellings = spellingsOf(trimmed);
}

bool ItemSearch::matches(QStringView text) const
{
    if (text.isEmpty())
        return false;
    for (const QString &spelling : m_spellings)
        if (text.contains(spelling, Qt::CaseInsensitive))
            return true;
    return false;
}

bool ItemSearch::scan(Cursor &cursor, int maxRows, std::vector<FoundItem> &found) const
{
    if (isEmpty()) {
        while (!cursor.eof())
            cursor.next();
        return true;
    }
    const SearchedFields fields(cursor);
    for (int read = 0; read < maxRows && !cursor.eof(); ++read, cursor.next()) {
        if (matches(cursor.textView(fields.subject)) || matches(cursor.textView(fields.location))
            || matches(cursor.textView(fields.notes)))
            found.push_back(foundItem(cursor));
    }
    return cursor.eof();
}

std::vector<FoundItem> ItemSearch::findAll(Cursor &cursor) const
{
    std::vector<FoundItem> found;
    cursor.first();
    scan(cursor, std::numeric_limits<int>::max(), found);
    sortByDate(found);
    return found;
}

void ItemSearch::sortByDate(std::vector<FoundItem> &items)
{
    const auto key = [](const FoundItem &item) {
        const QDate date = item.date();
        // An invalid time (all day, or none) comes before every time of day.
        return std::make_tuple(!date.isValid(), date.isValid() ? date.toJulianDay() : 0,
                               item.startTime.isValid() ? item.startTime.msecsSinceStartOfDay() : -1);
    };
    std::stable_sort(items.begin(), items.end(), [&key](const FoundItem &a, const FoundItem &b) {
        const auto ka = key(a);
        const auto kb = key(b);
        if (ka != kb)
            return ka < kb;
        if (const int bySubject = a.subject.compare(b.subject, Qt::CaseInsensitive); bySubject != 0)
            return bySubject < 0;
        return a.no < b.no;
    });
}

FoundItem ItemSearch::foundItem(const Cursor &cursor)
{
    FoundItem item;
    item.calendar = cursor.filePath();
    item.no = cursor.currentId();
    item.start = cursor.asDate(ItemField::S);
    item.end = cursor.asDate(ItemField::E);
    item.startTime = cursor.asTime(ItemField::St);
    item.endTime = cursor.asTime(ItemField::Et);
    item.allDay = cursor.asBool(ItemField::A);
    item.task = cursor.asBool(ItemField::Ta);
    item.subject = cursor.asText(ItemField::Subject);
    if (!item.task && cursor.asBool(ItemField::Re)) {
        // A row that says it recurs but whose pattern cannot be read is
        // still one series, and still found.
        const Result<SeriesOccurrences> series = SeriesRow::seriesOf(cursor);
        item.pattern = series ? SeriesText::describe(series.value()) : QStringLiteral("Recurring");
    }
    return item;
}

#include "store/ItemSearch.h"

#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/SeriesRow.h"
#include "store/SeriesText.h"

#include <algorithm>
#include <limits>

namespace {

// More letters that fold alike than Unicode has (four at most) would be
// searched letter by letter.
constexpr size_t maxFirsts = 8;

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

// The fields a result shows, looked up once per scan.
struct ItemSearch::ShownFields
{
    explicit ShownFields(const Cursor &c)
        : S(c.field(ItemField::S))
        , E(c.field(ItemField::E))
        , St(c.field(ItemField::St))
        , Et(c.field(ItemField::Et))
        , A(c.field(ItemField::A))
        , Ta(c.field(ItemField::Ta))
        , Re(c.field(ItemField::Re))
        , Subject(c.field(ItemField::Subject))
    { }
    Cursor::Field S, E, St, Et, A, Ta, Re, Subject;
};

ItemSearch::Needle::Needle(const QString &text)
    : m_text(text)
{
    const QChar first = text.at(0);
    m_jumps = !first.isSurrogate();
    if (!m_jumps)
        return;
    // Qt compares letters by their simple case folding, which maps letters
    // of the BMP to letters of the BMP. The letters that fold alike are more
    // than the lower and upper case: "k", "K" and the Kelvin sign; "σ",
    // "ς" and "Σ". So the whole BMP is asked once per text.
    const char16_t folded = first.toCaseFolded().unicode();
    for (char32_t c = 0; c <= 0xffff; ++c) {
        if (c >= 0xd800 && c <= 0xdfff)
            continue;
        if (QChar::toCaseFolded(c) == folded)
            m_firsts.push_back(QChar(char16_t(c)));
    }
    m_jumps = m_firsts.size() <= maxFirsts;
}

bool ItemSearch::Needle::foundIn(QStringView text) const
{
    if (!m_jumps)
        return text.contains(m_text, Qt::CaseInsensitive);
    const qsizetype last = text.size() - m_text.size();
    if (last < 0)
        return false;
    // Where each first letter stands next, at or after `from`; -1 when nowhere.
    qsizetype next[maxFirsts];
    const size_t kinds = m_firsts.size();
    for (size_t k = 0; k < kinds; ++k)
        next[k] = -2; // not looked for yet
    for (qsizetype from = 0; from <= last;) {
        qsizetype at = -1;
        for (size_t k = 0; k < kinds; ++k) {
            if (next[k] == -1)
                continue;
            if (next[k] < from)
                next[k] = text.indexOf(m_firsts[k], from);
            if (next[k] != -1 && (at == -1 || next[k] < at))
                at = next[k];
        }
        if (at == -1 || at > last)
            return false;
        if (text.sliced(at, m_text.size()).compare(m_text, Qt::CaseInsensitive) == 0)
            return true;
        from = at + 1;
    }
    return false;
}

ItemSearch::ItemSearch(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return;
    m_spellings = spellingsOf(trimmed);
    for (const QString &spelling : std::as_const(m_spellings))
        m_needles.emplace_back(spelling);
}

bool ItemSearch::matches(QStringView text) const
{
    if (text.isEmpty())
        return false;
    for (const Needle &needle : m_needles)
        if (needle.foundIn(text))
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
    const ShownFields shown(cursor);
    const QString calendar = cursor.filePath();
    for (int read = 0; read < maxRows && !cursor.eof(); ++read, cursor.next()) {
        if (matches(cursor.textView(fields.subject)) || matches(cursor.textView(fields.location))
            || matches(cursor.textView(fields.notes)))
            found.push_back(foundItem(cursor, shown, calendar));
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
    // Date and time in one number, worked out once per item rather than at
    // every comparison: an undated task after every date, an invalid time
    // (all day, or none) before every time of day.
    struct Keyed
    {
        qint64 key;
        FoundItem *item;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(items.size());
    for (FoundItem &item : items) {
        const QDate date = item.date();
        const qint64 day = date.isValid() ? date.toJulianDay() : std::numeric_limits<qint32>::max();
        const qint64 time = item.startTime.isValid() ? item.startTime.msecsSinceStartOfDay() + 1 : 0;
        keyed.push_back({day * 100'000'000 + time, &item});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        if (a.key != b.key)
            return a.key < b.key;
        if (const int bySubject = a.item->subject.compare(b.item->subject, Qt::CaseInsensitive); bySubject != 0)
            return bySubject < 0;
        return a.item->no < b.item->no;
    });
    std::vector<FoundItem> sorted;
    sorted.reserve(items.size());
    for (const Keyed &k : keyed)
        sorted.push_back(std::move(*k.item));
    items = std::move(sorted);
}

FoundItem ItemSearch::foundItem(const Cursor &cursor)
{
    return foundItem(cursor, ShownFields(cursor), cursor.filePath());
}

FoundItem ItemSearch::foundItem(const Cursor &cursor, const ShownFields &f, const QString &calendar)
{
    FoundItem item;
    item.calendar = calendar;
    item.no = cursor.currentId();
    item.start = cursor.asDate(f.S);
    item.end = cursor.asDate(f.E);
    item.startTime = cursor.asTime(f.St);
    item.endTime = cursor.asTime(f.Et);
    item.allDay = cursor.asBool(f.A);
    item.task = cursor.asBool(f.Ta);
    item.subject = cursor.asText(f.Subject);
    if (!item.task && cursor.asBool(f.Re)) {
        // A row that says it recurs but whose pattern cannot be read is
        // still one series, and still found.
        const Result<SeriesOccurrences> series = SeriesRow::seriesOf(cursor);
        item.pattern = series ? SeriesText::describe(series.value()) : QStringLiteral("Recurring");
    }
    return item;
}

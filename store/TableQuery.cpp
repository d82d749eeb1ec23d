#include "TableQuery.h"

#include <algorithm>
#include <limits>

namespace {

const std::vector<int> kNoSlots;

} // namespace

TableQuery::TableQuery(const TableSchema &schema, const TablePicture &picture, TableIndexes &indexes)
    : m_schema(schema), m_picture(picture), m_indexes(indexes)
{
}

namespace {

// A text test bound to its column; a blank text is a null QString.
struct TextTest
{
    const QString *texts = nullptr;
    FilterExpression::Op op = FilterExpression::Op::Eq;
    bool isNull = false;
    const QString *text = nullptr;
};

constexpr qint64 kBlankNumber = std::numeric_limits<qint64>::min();

// A numeric test bound to its column as a range of stored values: it holds
// when the value lies in [low, low + span] (or outside it, for <>). Blanks
// hold the smallest value, so the ranges of <, <=, > and >= leave them out
// and that of "= Null" is the blank alone.
struct NumberTest
{
    const qint64 *numbers = nullptr;
    quint64 low = 0;
    quint64 span = 0;
    bool outside = false;

    bool holds(int slot) const { return (quint64(numbers[slot]) - low <= span) != outside; }
};

// Binds test to the numbers of its column; false when no value can pass it.
bool bindNumberTest(const FilterExpression::Test &test, const qint64 *numbers, NumberTest *bound)
{
    using Op = FilterExpression::Op;
    constexpr qint64 highest = std::numeric_limits<qint64>::max();
    qint64 low = test.number, high = test.number;
    bool outside = false;
    if (test.isNull) {
        low = high = kBlankNumber;
        outside = test.op == Op::Ne;
    } else {
        switch (test.op) {
        case Op::Eq:
            break;
        case Op::Ne:
            outside = true;
            break;
        case Op::Lt:
            if (test.number <= kBlankNumber + 1)
                return false;
            low = kBlankNumber + 1;
            high = test.number - 1;
            break;
        case Op::Le:
            low = kBlankNumber + 1;
            break;
        case Op::Gt:
            if (test.number == highest)
                return false;
            low = test.number + 1;
            high = highest;
            break;
        case Op::Ge:
            high = highest;
            break;
        }
    }
    bound->numbers = numbers;
    bound->low = quint64(low);
    bound->span = quint64(high) - quint64(low);
    bound->outside = outside;
    return true;
}

inline bool textHolds(const TextTest &test, int slot)
{
    using Op = FilterExpression::Op;
    const QString &value = test.texts[slot];
    if (test.isNull)
        return (test.op == Op::Eq) == value.isNull();
    if (value.isNull())
        return test.op == Op::Ne;
    const int order = value.compare(*test.text);
    switch (test.op) {
    case Op::Eq:
        return order == 0;
    case Op::Ne:
        return order != 0;
    case Op::Lt:
        return order < 0;
    case Op::Le:
        return order <= 0;
    case Op::Gt:
        return order > 0;
    case Op::Ge:
        return order >= 0;
    }
    return false;
}

// One clause bound to the columns: numeric tests first, as they are cheap.
struct BoundClause
{
    std::vector<NumberTest> numbers;
    std::vector<TextTest> texts;

    bool holds(int slot) const
    {
        for (const NumberTest &test : numbers) {
            if (!test.holds(slot))
                return false;
        }
        for (const TextTest &test : texts) {
            if (!textHolds(test, slot))
                return false;
        }
        return true;
    }
};

} // namespace

void TableQuery::candidatesFor(const FilterExpression::Clause &clause, std::vector<const std::vector<int> *> *lists, bool *scanAll,
                              int *impliedTest)
{
    size_t best = std::numeric_limits<size_t>::max();
    *impliedTest = -1;
    auto bucket = [](const std::unordered_map<qint64, std::vector<int>> &buckets, qint64 key) -> const std::vector<int> * {
        const auto it = buckets.find(key);
        return it == buckets.end() ? &kNoSlots : &it->second;
    };
    for (int t = 0; t < int(clause.size()); ++t) {
        const FilterExpression::Test &test = clause[t];
        if (test.op != FilterExpression::Op::Eq || test.isNull)
            continue;
        const bool numeric = m_picture.column(test.field).numeric;
        const qint64 key = numeric ? test.number : TableIndexes::textKey(test.text);
        const std::vector<int> *slotList = bucket(m_indexes.equalityIndex(test.field).buckets, key);
        if (slotList->size() < best) {
            best = slotList->size();
            lists->assign(1, slotList);
            // A number's bucket holds exactly the rows that pass its test;
            // a text's bucket is keyed by a hash and is only a superset.
            *impliedTest = numeric ? t : -1;
        }
    }
    // "start <= X and end >= X" on two date fields: the rows whose span covers X.
    for (const FilterExpression::Test &low : clause) {
        if (low.op != FilterExpression::Op::Le || low.isNull || m_schema.fields[low.field].type != FieldType::Date)
            continue;
        for (const FilterExpression::Test &high : clause) {
            if (high.op != FilterExpression::Op::Ge || high.isNull || high.field == low.field
                || m_schema.fields[high.field].type != FieldType::Date || high.number != low.number)
                continue;
            const TableIndexes::SpanIndex &spans = m_indexes.spanIndex(low.field, high.field);
            const std::vector<int> *sameDay = bucket(m_indexes.equalityIndex(low.field).buckets, low.number);
            const std::vector<int> *month = bucket(spans.months, TableIndexes::monthNumber(low.number));
            const std::vector<int> *longSpans = bucket(spans.months, TableIndexes::kLongSpanKey);
            const size_t size = sameDay->size() + month->size() + longSpans->size();
            if (size < best) {
                best = size;
                *lists = {sameDay, month, longSpans};
                *impliedTest = -1;
            }
        }
    }
    *scanAll = best == std::numeric_limits<size_t>::max();
}

std::shared_ptr<RowList> TableQuery::select(const FilterExpression *filter, const IndexDef *order)
{
    if (!filter || filter->clauses().empty()) {
        std::shared_ptr<RowList> &all = m_allRows[order];
        if (!all) {
            const std::vector<int> &slotList = m_indexes.orderedSlots(order);
            all = std::make_shared<RowList>(slotList.size());
            std::transform(slotList.begin(), slotList.end(), all->begin(),
                           [this](int slot) { return RowRef{m_picture.ids()[slot], slot}; });
        }
        return all;
    }
    auto result = std::make_shared<RowList>();
    RowList &ids = *result;
    if (m_marks.size() < m_picture.ids().size())
        m_marks.resize(m_picture.ids().size(), 0);
    if (++m_markStamp == 0) {
        std::fill(m_marks.begin(), m_marks.end(), 0);
        m_markStamp = 1;
    }
    std::vector<int> passed;
    BoundClause bound;
    auto consider = [&](int slot) {
        if (m_marks[slot] != m_markStamp && bound.holds(slot)) {
            m_marks[slot] = m_markStamp;
            passed.push_back(slot);
        }
    };
    for (const FilterExpression::Clause &clause : filter->clauses()) {
        std::vector<const std::vector<int> *> lists;
        bool scanAll = false;
        int impliedTest = -1;
        candidatesFor(clause, &lists, &scanAll, &impliedTest);
        bound.numbers.clear();
        bound.texts.clear();
        bool possible = true;
        for (int t = 0; t < int(clause.size()) && possible; ++t) {
            const FilterExpression::Test &test = clause[t];
            const TablePicture::Column &column = m_picture.column(test.field);
            if (t == impliedTest)
                continue;
            if (column.numeric) {
                NumberTest number;
                possible = bindNumberTest(test, column.numbers.data(), &number);
                bound.numbers.push_back(number);
            } else {
                bound.texts.push_back({column.texts.data(), test.op, test.isNull, &test.text});
            }
        }
        if (!possible)
            continue;
        if (scanAll) {
            for (int slot = 0; slot < int(m_picture.ids().size()); ++slot) {
                if (m_picture.ids()[slot] != 0)
                    consider(slot);
            }
        } else {
            for (const std::vector<int> *list : lists) {
                for (int slot : *list)
                    consider(slot);
            }
        }
    }
    // A large result reads faster from the cached full order than sorted anew.
    if (passed.size() * 8 > m_picture.rowCount()) {
        for (int slot : m_indexes.orderedSlots(order)) {
            if (m_marks[slot] == m_markStamp)
                ids.push_back({m_picture.ids()[slot], slot});
        }
        return result;
    }
    const std::vector<int> &rank = m_indexes.ranks(order);
    std::sort(passed.begin(), passed.end(), [&rank](int a, int b) { return rank[a] < rank[b]; });
    ids.reserve(passed.size());
    for (int slot : passed)
        ids.push_back({m_picture.ids()[slot], slot});
    return result;
}

TableQuery::ErasedAt TableQuery::eraseFromSharedLists(qint64 id)
{
    ErasedAt erasedAt;
    for (auto &[order, all] : m_allRows) {
        const auto at = std::find_if(all->begin(), all->end(), [id](const RowRef &row) { return row.id == id; });
        erasedAt[all.get()] = at == all->end() ? -1 : int(at - all->begin());
        if (at != all->end())
            all->erase(at);
    }
    return erasedAt;
}

void TableQuery::clear()
{
    m_allRows.clear();
    m_marks.clear();
    m_markStamp = 0;
}

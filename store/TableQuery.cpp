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

// Clears passes[i] where values[i] fails the test. One test at a time over
// packed values: a branch-free loop the compiler can turn into vector
// instructions.
void narrowPasses(quint8 *__restrict passes, const qint64 *__restrict values, size_t count, const NumberTest &test)
{
    const quint64 low = test.low, span = test.span;
    const quint8 outside = test.outside;
    for (size_t i = 0; i < count; ++i)
        passes[i] &= quint8(quint64(values[i]) - low <= span) ^ outside;
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
    // Each clause yields its rows in the order (a run); the result is the
    // merge of the runs, a row that passed several clauses kept once.
    std::vector<std::vector<RankedHit>> runs;
    for (const FilterExpression::Clause &clause : filter->clauses())
        runs.push_back(clauseRun(clause, order));
    const std::vector<RankedHit> merged = mergeRankedRuns(runs);
    auto result = std::make_shared<RowList>(merged.size());
    std::transform(merged.begin(), merged.end(), result->begin(),
                   [](const RankedHit &hit) { return RowRef{hit.id, hit.slot}; });
    return result;
}

std::vector<RankedHit> TableQuery::clauseRun(const FilterExpression::Clause &clause, const IndexDef *order)
{
    std::vector<const std::vector<int> *> lists;
    bool scanAll = false;
    int impliedTest = -1;
    candidatesFor(clause, &lists, &scanAll, &impliedTest);
    // The numeric tests read the values a ranked list carries; the text
    // tests read their columns by slot.
    std::vector<const FilterExpression::Test *> numberTests;
    std::vector<int> numberFields;
    std::vector<const qint64 *> numberColumns;
    std::vector<TextTest> textTests;
    for (int t = 0; t < int(clause.size()); ++t) {
        const FilterExpression::Test &test = clause[t];
        const TablePicture::Column &column = m_picture.column(test.field);
        if (t == impliedTest)
            continue;
        if (column.numeric) {
            numberTests.push_back(&test);
            numberFields.push_back(test.field);
            numberColumns.push_back(column.numbers.data());
        } else {
            textTests.push_back({column.texts.data(), test.op, test.isNull, &test.text});
        }
    }
    auto textsHold = [&textTests](int slot) {
        return std::all_of(textTests.begin(), textTests.end(), [slot](const TextTest &test) { return textHolds(test, slot); });
    };
    std::vector<NumberTest> bound(numberTests.size());
    auto bind = [&](const std::vector<const qint64 *> &numbers) {
        for (size_t k = 0; k < numberTests.size(); ++k) {
            if (!bindNumberTest(*numberTests[k], numbers[k], &bound[k]))
                return false;
        }
        return true;
    };
    auto numbersHold = [&bound](int i) {
        return std::all_of(bound.begin(), bound.end(), [i](const NumberTest &test) { return test.holds(i); });
    };

    std::vector<RankedHit> hits;
    if (!bind(numberColumns))
        return hits; // no value can pass one of the tests
    if (scanAll) {
        const std::vector<int> &sorted = m_indexes.orderedSlots(order);
        const std::vector<qint64> &ids = m_picture.ids();
        for (int position = 0; position < int(sorted.size()); ++position) {
            const int slot = sorted[position];
            if (numbersHold(slot) && textsHold(slot))
                hits.push_back({position, slot, ids[slot]});
        }
        return hits;
    }
    const std::vector<int> &rank = m_indexes.ranks(order);
    std::vector<std::vector<RankedHit>> listRuns;
    for (const std::vector<int> *list : lists) {
        const RankedCandidates::List &ranked = m_ranked.get(*list, order, rank, m_picture.ids(), numberFields, numberColumns);
        const size_t count = ranked.rowSlots.size();
        // One test at a time over its packed values: a loop the compiler
        // turns into vector instructions.
        m_passes.assign(count, 1);
        for (size_t k = 0; k < numberTests.size(); ++k)
            narrowPasses(m_passes.data(), ranked.values[k].data(), count, bound[k]);
        std::vector<RankedHit> &run = lists.size() == 1 ? hits : listRuns.emplace_back();
        for (size_t i = 0; i < count; ++i) {
            if (m_passes[i] && (textTests.empty() || textsHold(ranked.rowSlots[i])))
                run.push_back({ranked.ranks[i], ranked.rowSlots[i], ranked.ids[i]});
        }
    }
    return lists.size() == 1 ? hits : mergeRankedRuns(listRuns);
}

TableQuery::ErasedAt TableQuery::eraseFromSharedLists(qint64 id)
{
    m_ranked.forget();
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
    m_ranked.forget();
}

#include "store/TableQuery.h"

#include <algorithm>
#include <limits>

namespace {

const std::vector<int> kNoSlots;

} // namespace

TableQuery::TableQuery(const TableSchema &schema, const TablePicture &picture, TableIndexes &indexes)
    : m_schema(schema)
    , m_picture(picture)
    , m_indexes(indexes)
    , m_carried(schema, picture)
{ }

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

// A numeric test as a range of stored values: it holds when the value lies
// in [low, low + span] (or outside it, for <>). Blanks hold the smallest
// value, so the ranges of <, <=, > and >= leave them out and that of
// "= Null" is the blank alone.
struct NumberTest
{
    quint64 low = 0;
    quint64 span = 0;
    bool outside = false;
};

// The range of test; false when no value can pass it.
bool bindNumberTest(const FilterExpression::Test &test, NumberTest *bound)
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
        case Op::In: // a list, never a range (clauseRun tests it by itself)
        case Op::Occurs:
        case Op::Reminds:
            return false;
        }
    }
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
    case Op::In: // whole-number fields only
    case Op::Occurs:
    case Op::Reminds:
        return false;
    }
    return false;
}

} // namespace

void TableQuery::candidatesFor(const FilterExpression::Clause &clause, std::vector<const std::vector<int> *> *lists,
                               bool *scanAll, int *impliedTest, bool *bySeries)
{
    size_t best = std::numeric_limits<size_t>::max();
    *impliedTest = -1;
    *bySeries = false;
    auto bucket = [](const std::unordered_map<qint64, std::vector<int>> &buckets,
                     qint64 key) -> const std::vector<int> * {
        const auto it = buckets.find(key);
        return it == buckets.end() ? &kNoSlots : &it->second;
    };
    for (int t = 0; t < int(clause.size()); ++t) {
        const FilterExpression::Test &test = clause[t];
        if (test.op == FilterExpression::Op::Occurs) {
            // The series index answers it exactly, from the few series
            // that may fall on the date.
            const size_t size = m_indexes.seriesIndex().candidateCount(test.number);
            if (size < best) {
                best = size;
                lists->clear();
                *impliedTest = t;
                *bySeries = true;
            }
            continue;
        }
        if (test.op == FilterExpression::Op::Reminds) {
            // Every series: the lead of a reminder differs per row.
            const std::vector<int> *all = &m_indexes.seriesIndex().allSeries();
            if (all->size() < best) {
                best = all->size();
                lists->assign(1, all);
                *impliedTest = -1;
                *bySeries = false;
            }
            continue;
        }
        if (test.op == FilterExpression::Op::In) {
            const std::vector<int> *slotList = &listedSlots(test);
            if (slotList->size() < best) {
                best = slotList->size();
                lists->assign(1, slotList);
                *impliedTest = t; // whole-number buckets are exact
                *bySeries = false;
            }
            continue;
        }
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
            *bySeries = false;
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
                *bySeries = false;
            }
        }
    }
    *scanAll = best == std::numeric_limits<size_t>::max();
}

// The union of the buckets of an "in" test's numbers. Kept while the rows
// stay as they are, like the ranked lists that are keyed by its address.
const std::vector<int> &TableQuery::listedSlots(const FilterExpression::Test &test)
{
    const auto key = std::make_pair(test.field, test.numbers);
    const auto found = m_listedSlots.find(key);
    if (found != m_listedSlots.end())
        return found->second;
    const auto &buckets = m_indexes.equalityIndex(test.field).buckets;
    std::vector<int> listed;
    for (qint64 number : test.numbers) {
        const auto it = buckets.find(number);
        if (it != buckets.end())
            listed.insert(listed.end(), it->second.begin(), it->second.end());
    }
    return m_listedSlots.emplace(key, std::move(listed)).first->second;
}

void TableQuery::forgetCandidates()
{
    m_ranked.forget();
    m_listedSlots.clear();
}

std::shared_ptr<RowList> TableQuery::select(const FilterExpression *filter, const IndexDef *order,
                                            std::shared_ptr<const CarriedRows> *carried)
{
    if (carried)
        carried->reset();
    if (!filter || filter->clauses().empty()) {
        std::shared_ptr<RowList> &all = m_allRows[order];
        if (!all) {
            const std::vector<int> &slotList = m_indexes.orderedSlots(order);
            all = std::make_shared<RowList>(slotList.size());
            std::transform(slotList.begin(), slotList.end(), all->begin(), [this](int slot) {
                return RowRef {m_picture.ids()[slot], slot};
            });
        }
        return all;
    }
    // Between filters, as a clause's candidate lists must outlive the clause.
    if (m_listedSlots.size() >= kMaxListedSlots)
        forgetCandidates();
    // Each clause yields its rows in the order (a run); the result is the
    // merge of the runs, a row that passed several clauses kept once.
    std::vector<std::vector<RankedHit>> runs;
    std::vector<CarriedFields::Records> keep;
    for (const FilterExpression::Clause &clause : filter->clauses())
        runs.push_back(clauseRun(clause, order, &keep));
    const std::vector<RankedHit> merged = mergeRankedRuns(runs);
    auto result = std::make_shared<RowList>(merged.size());
    std::transform(merged.begin(), merged.end(), result->begin(), [](const RankedHit &hit) {
        return RowRef {hit.id, hit.slot};
    });
    if (carried && !keep.empty()) {
        auto rows = std::make_shared<CarriedRows>();
        rows->generation = m_picture.generation();
        rows->records.resize(merged.size());
        std::transform(merged.begin(), merged.end(), rows->records.begin(),
                       [](const RankedHit &hit) { return hit.carried; });
        rows->keep = std::move(keep);
        *carried = std::move(rows);
    }
    return result;
}

std::vector<RankedHit> TableQuery::clauseRun(const FilterExpression::Clause &clause, const IndexDef *order,
                                             std::vector<CarriedFields::Records> *keep)
{
    std::vector<const std::vector<int> *> lists;
    bool scanAll = false, bySeries = false;
    int impliedTest = -1;
    candidatesFor(clause, &lists, &scanAll, &impliedTest, &bySeries);
    std::vector<NumberTest> numberTests;
    std::vector<int> numberFields;
    std::vector<TextTest> textTests;
    std::vector<const FilterExpression::Test *> listTests;   // "in" tests the candidates do not imply
    std::vector<const FilterExpression::Test *> seriesTests; // "occurs", "reminds"
    for (int t = 0; t < int(clause.size()); ++t) {
        const FilterExpression::Test &test = clause[t];
        const TablePicture::Column &column = m_picture.column(test.field);
        if (t == impliedTest)
            continue;
        if (test.op == FilterExpression::Op::Occurs || test.op == FilterExpression::Op::Reminds) {
            seriesTests.push_back(&test);
        } else if (test.op == FilterExpression::Op::In) {
            listTests.push_back(&test);
        } else if (column.numeric) {
            if (!bindNumberTest(test, &numberTests.emplace_back()))
                return {}; // no value can pass it
            numberFields.push_back(test.field);
        } else {
            textTests.push_back({column.texts.data(), test.op, test.isNull, &test.text});
        }
    }
    // The numeric tests run one at a time over the tested values packed in
    // the candidates' order (m_passes); the text tests read their columns
    // by slot, for the candidates that passed.
    std::vector<RankedHit> hits;
    auto keepPassing = [&](std::vector<RankedHit> &run, size_t count, auto rankAt, const int *slotList, auto idAt,
                           auto recordAt) {
        run.reserve(run.size() + count); // about half pass: one allocation instead of a dozen
        for (size_t i = 0; i < count; ++i) {
            const int slot = slotList[i];
            if (m_passes[i]
                && std::all_of(textTests.begin(), textTests.end(),
                               [slot](const TextTest &test) { return textHolds(test, slot); })
                && std::all_of(listTests.begin(), listTests.end(),
                               [&](const FilterExpression::Test *test) {
                                   return std::binary_search(test->numbers.begin(), test->numbers.end(),
                                                             m_picture.numberAt(slot, test->field));
                               })
                && std::all_of(seriesTests.begin(), seriesTests.end(), [&](const FilterExpression::Test *test) {
                       const SeriesIndex &series = m_indexes.seriesIndex();
                       return test->op == FilterExpression::Op::Occurs ? series.occursOn(slot, test->number)
                                                                       : series.reminds(slot, test->number);
                   }))
                run.push_back({rankAt(i), slot, idAt(i), recordAt(i)});
        }
    };
    // The numeric tests over slots read from the picture (no packed list).
    auto narrowOverSlots = [&](const std::vector<int> &rowSlots) {
        m_passes.assign(rowSlots.size(), 1);
        std::vector<qint64> values(rowSlots.size());
        for (size_t k = 0; k < numberTests.size(); ++k) {
            for (size_t i = 0; i < rowSlots.size(); ++i)
                values[i] = m_picture.numberAt(rowSlots[i], numberFields[k]);
            narrowPasses(m_passes.data(), values.data(), rowSlots.size(), numberTests[k]);
        }
    };
    const std::vector<qint64> &ids = m_picture.ids();
    const auto noRecord = [](size_t) -> const char * { return nullptr; };
    if (scanAll) {
        const std::vector<int> &sorted = m_indexes.orderedSlots(order);
        narrowOverSlots(sorted);
        keepPassing(
            hits, sorted.size(), [](size_t i) { return int(i); }, sorted.data(),
            [&](size_t i) { return ids[size_t(sorted[i])]; }, noRecord);
        return hits;
    }
    if (bySeries) {
        // The few rows of a date's occurrences, put in order here (rank and
        // slot packed in one number to sort): a list new for every date is
        // not worth packing.
        std::vector<int> rowSlots;
        m_indexes.seriesIndex().occurringOn(clause[impliedTest].number, &rowSlots);
        const std::vector<int> &rank = m_indexes.ranks(order);
        std::vector<quint64> ranked(rowSlots.size());
        for (size_t i = 0; i < rowSlots.size(); ++i)
            ranked[i] = quint64(quint32(rank[size_t(rowSlots[i])])) << 32 | quint32(rowSlots[i]);
        std::sort(ranked.begin(), ranked.end());
        for (size_t i = 0; i < ranked.size(); ++i)
            rowSlots[i] = int(quint32(ranked[i]));
        narrowOverSlots(rowSlots);
        keepPassing(
            hits, rowSlots.size(), [&](size_t i) { return int(ranked[i] >> 32); }, rowSlots.data(),
            [&](size_t i) { return ids[size_t(rowSlots[i])]; }, noRecord);
        return hits;
    }
    const std::vector<int> &rank = m_indexes.ranks(order);
    std::vector<std::vector<RankedHit>> listRuns;
    for (const std::vector<int> *list : lists) {
        const RankedCandidates::List &ranked = m_ranked.get(*list, order, rank, m_picture, numberFields, m_carried);
        const size_t count = ranked.rowSlots.size();
        if (ranked.carried && count > 0)
            keep->push_back(ranked.carried);
        m_passes.assign(count, 1);
        for (size_t k = 0; k < numberTests.size(); ++k)
            narrowPasses(m_passes.data(), ranked.values[k].data(), count, numberTests[k]);
        keepPassing(
            lists.size() == 1 ? hits : listRuns.emplace_back(), count, [&](size_t i) { return ranked.ranks[i]; },
            ranked.rowSlots.data(), [&](size_t i) { return ranked.ids[i]; },
            [&](size_t i) { return ranked.carried ? m_carried.record(ranked.carried, i) : nullptr; });
    }
    return lists.size() == 1 ? hits : mergeRankedRuns(listRuns);
}

TableQuery::ErasedAt TableQuery::eraseFromSharedLists(qint64 id)
{
    forgetCandidates();
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
    forgetCandidates();
}

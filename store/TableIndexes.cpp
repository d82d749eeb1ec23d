#include "store/TableIndexes.h"

#include <QDate>

#include <algorithm>
#include <array>
#include <thread>

namespace {

// Spans longer than this many months are kept in one list that every
// coverage query reads, instead of in every month bucket.
constexpr qint64 kLongSpanMonths = 120;

} // namespace

TableIndexes::TableIndexes(const TableSchema &schema, const TablePicture &picture)
    : m_picture(picture)
    , m_series(schema, picture)
{
    const int identityField = picture.identityField();
    for (const IndexDef &index : schema.indexes) {
        OrderPlan plan;
        plan.index = &index;
        plan.descending = index.descending;
        plan.caseSensitivity = index.caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
        for (const QString &name : index.fields) {
            const int f = schema.fieldIndex(name);
            if (f >= 0 && f != identityField) // the identity is the last key anyway
                plan.fields.push_back(f);
        }
        m_orderPlans.push_back(std::move(plan));
    }
}

qint64 TableIndexes::monthNumber(qint64 julian)
{
    const QDate date = QDate::fromJulianDay(julian);
    return qint64(date.year()) * 12 + date.month() - 1;
}

void TableIndexes::clear()
{
    m_equality.clear();
    m_spans.clear();
    m_orders.clear();
    m_series.clear();
}

int TableIndexes::compareInOrder(int slotA, int slotB, const IndexDef *order) const
{
    const OrderPlan *plan = orderPlan(order);
    if (plan) {
        for (int f : plan->fields) {
            const TablePicture::Column &column = m_picture.column(f);
            int result = 0;
            if (column.numeric) {
                const qint64 a = m_picture.numberAt(slotA, f), b = m_picture.numberAt(slotB, f);
                result = a < b ? -1 : (a > b ? 1 : 0); // kBlank is the smallest: blanks first
            } else {
                const QString &a = column.texts[slotA], &b = column.texts[slotB];
                if (a.isNull() || b.isNull())
                    result = a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
                else if (a.constData() != b.constData()) // shared texts are equal
                    result = a.compare(b, plan->caseSensitivity);
            }
            if (result != 0)
                return plan->descending ? -result : result;
        }
    }
    const qint64 a = m_picture.ids()[slotA], b = m_picture.ids()[slotB];
    return a < b ? -1 : (a > b ? 1 : 0);
}

namespace {

// A row's place in an order, worked out once per sort so that comparing
// two rows is comparing numbers: numbers as they are, a text by its first
// three characters (blank smallest). A text longer than that is marked
// inexact and compared in full only when the leading characters tie.
constexpr int kMaxSortFields = 6;
struct SortKey
{
    std::array<qint64, kMaxSortFields> keys;
    quint32 inexact = 0; // bit i: field i is a text longer than its key
    int slot = 0;
    qint64 id = 0;
};

qint64 textSortKey(const QString &text, Qt::CaseSensitivity sensitivity, bool *exact)
{
    qint64 key = 0;
    for (int i = 0; i < 3; ++i) {
        QChar c = i < text.size() ? text[i] : QChar();
        if (sensitivity == Qt::CaseInsensitive)
            c = c.toCaseFolded();
        key = (key << 16) | c.unicode();
    }
    *exact = text.size() <= 3;
    return key;
}

} // namespace

namespace {

// Below this many rows a second sorting thread costs more than it saves.
constexpr size_t kParallelSortRows = 32768;

} // namespace

void TableIndexes::sortSlots(std::vector<int> &slotList, const IndexDef *order) const
{
    const OrderPlan *plan = orderPlan(order);
    if (plan && plan->fields.size() > size_t(kMaxSortFields)) {
        std::sort(slotList.begin(), slotList.end(),
                  [this, order](int a, int b) { return compareInOrder(a, b, order) < 0; });
        return;
    }
    const std::vector<int> noFields;
    const std::vector<int> &fields = plan ? plan->fields : noFields;
    std::vector<SortKey> keys(slotList.size());
    for (size_t i = 0; i < slotList.size(); ++i) {
        SortKey &key = keys[i];
        key.slot = slotList[i];
        key.id = m_picture.ids()[key.slot];
        for (size_t f = 0; f < fields.size(); ++f) {
            const TablePicture::Column &column = m_picture.column(fields[f]);
            if (column.numeric) {
                key.keys[f] = m_picture.numberAt(key.slot, fields[f]);
                continue;
            }
            const QString &text = column.texts[key.slot];
            bool exact = true;
            key.keys[f] = text.isNull() ? kBlank : textSortKey(text, plan->caseSensitivity, &exact);
            if (!exact)
                key.inexact |= 1u << f;
        }
    }
    const bool descending = plan && plan->descending;
    const auto before = [&](const SortKey &a, const SortKey &b) {
        for (size_t f = 0; f < fields.size(); ++f) {
            int result = a.keys[f] < b.keys[f] ? -1 : (a.keys[f] > b.keys[f] ? 1 : 0);
            if (result == 0 && ((a.inexact | b.inexact) & (1u << f))) {
                const TablePicture::Column &column = m_picture.column(fields[f]);
                result = column.texts[a.slot].compare(column.texts[b.slot], plan->caseSensitivity);
            }
            if (result != 0)
                return descending ? result > 0 : result < 0;
        }
        return a.id < b.id;
    };
    // Rows read in the order of their ids are already in the primary order.
    if (std::is_sorted(keys.begin(), keys.end(), before))
        return;
    // A large table is sorted in two halves at once (the comparisons only
    // read the picture), then merged.
    if (keys.size() >= kParallelSortRows && std::thread::hardware_concurrency() > 1) {
        const auto middle = keys.begin() + std::ptrdiff_t(keys.size() / 2);
        std::thread helper([&] { std::sort(middle, keys.end(), before); });
        std::sort(keys.begin(), middle, before);
        helper.join();
        std::inplace_merge(keys.begin(), middle, keys.end(), before);
    } else {
        std::sort(keys.begin(), keys.end(), before);
    }
    for (size_t i = 0; i < keys.size(); ++i)
        slotList[i] = keys[i].slot;
}

const TableIndexes::OrderPlan *TableIndexes::orderPlan(const IndexDef *order) const
{
    if (!order)
        return nullptr;
    for (const OrderPlan &plan : m_orderPlans) {
        if (plan.index == order)
            return &plan;
    }
    return nullptr;
}

TableIndexes::OrderCache &TableIndexes::orderCache(const IndexDef *order)
{
    auto it = m_orders.find(order);
    if (it != m_orders.end())
        return it->second;
    OrderCache cache;
    cache.sorted.reserve(m_picture.rowCount());
    for (int slot = 0; slot < int(m_picture.ids().size()); ++slot) {
        if (m_picture.ids()[slot] != 0)
            cache.sorted.push_back(slot);
    }
    sortSlots(cache.sorted, order);
    return m_orders.emplace(order, std::move(cache)).first->second;
}

const std::vector<int> &TableIndexes::orderedSlots(const IndexDef *order)
{
    return orderCache(order).sorted;
}

const std::vector<int> &TableIndexes::ranks(const IndexDef *order)
{
    OrderCache &cache = orderCache(order);
    if (cache.rankDirty) {
        cache.rank.assign(m_picture.ids().size(), -1);
        for (int position = 0; position < int(cache.sorted.size()); ++position)
            cache.rank[cache.sorted[position]] = position;
        cache.rankDirty = false;
    }
    return cache.rank;
}

qint64 TableIndexes::textKey(const QString &text)
{
    return qint64(qHash(text, 0));
}

qint64 TableIndexes::equalityKey(int slot, int field) const
{
    const TablePicture::Column &column = m_picture.column(field);
    if (column.numeric)
        return m_picture.numberAt(slot, field);
    const QString &text = column.texts[slot];
    return text.isNull() ? kBlank : textKey(text);
}

TableIndexes::EqualityIndex &TableIndexes::equalityIndex(int field)
{
    auto it = m_equality.find(field);
    if (it != m_equality.end())
        return it->second;
    EqualityIndex &index = m_equality[field];
    for (int slot = 0; slot < int(m_picture.ids().size()); ++slot) {
        if (m_picture.ids()[slot] == 0)
            continue;
        const qint64 key = equalityKey(slot, field);
        if (key != kBlank)
            index.buckets[key].push_back(slot);
    }
    return index;
}

void TableIndexes::addToSpan(SpanIndex &index, int slot, qint64 start, qint64 end)
{
    const qint64 first = monthNumber(start), last = monthNumber(end);
    if (last - first > kLongSpanMonths) {
        index.months[kLongSpanKey].push_back(slot);
        return;
    }
    for (qint64 month = first; month <= last; ++month)
        index.months[month].push_back(slot);
}

TableIndexes::SpanIndex &TableIndexes::spanIndex(int startField, int endField)
{
    for (SpanIndex &index : m_spans) {
        if (index.startField == startField && index.endField == endField)
            return index;
    }
    SpanIndex &index = m_spans.emplace_back();
    index.startField = startField;
    index.endField = endField;
    for (int slot = 0; slot < int(m_picture.ids().size()); ++slot) {
        if (m_picture.ids()[slot] == 0)
            continue;
        const qint64 start = m_picture.numberAt(slot, startField), end = m_picture.numberAt(slot, endField);
        if (start != kBlank && end != kBlank && start < end)
            addToSpan(index, slot, start, end);
    }
    return index;
}

void TableIndexes::indexSlot(int slot)
{
    m_series.indexSlot(slot);
    for (auto &[order, cache] : m_orders) {
        const auto at =
            std::lower_bound(cache.sorted.begin(), cache.sorted.end(), slot,
                             [this, order = order](int a, int b) { return compareInOrder(a, b, order) < 0; });
        cache.sorted.insert(at, slot);
        cache.rankDirty = true;
    }
    for (auto &[field, index] : m_equality) {
        const qint64 key = equalityKey(slot, field);
        if (key != kBlank)
            index.buckets[key].push_back(slot);
    }
    for (SpanIndex &index : m_spans) {
        const qint64 start = m_picture.numberAt(slot, index.startField), end = m_picture.numberAt(slot, index.endField);
        if (start != kBlank && end != kBlank && start < end)
            addToSpan(index, slot, start, end);
    }
}

void TableIndexes::unindexSlot(int slot)
{
    m_series.unindexSlot(slot);
    auto removeFrom = [slot](std::unordered_map<qint64, std::vector<int>> &buckets, qint64 key) {
        auto it = buckets.find(key);
        if (it == buckets.end())
            return;
        auto &slotList = it->second;
        slotList.erase(std::remove(slotList.begin(), slotList.end(), slot), slotList.end());
        if (slotList.empty())
            buckets.erase(it);
    };
    for (auto &[order, cache] : m_orders) {
        const auto at = std::find(cache.sorted.begin(), cache.sorted.end(), slot);
        if (at != cache.sorted.end())
            cache.sorted.erase(at);
        cache.rankDirty = true;
    }
    for (auto &[field, index] : m_equality) {
        const qint64 key = equalityKey(slot, field);
        if (key != kBlank)
            removeFrom(index.buckets, key);
    }
    for (SpanIndex &index : m_spans) {
        const qint64 start = m_picture.numberAt(slot, index.startField), end = m_picture.numberAt(slot, index.endField);
        if (start == kBlank || end == kBlank || start >= end)
            continue;
        const qint64 first = monthNumber(start), last = monthNumber(end);
        if (last - first > kLongSpanMonths) {
            removeFrom(index.months, kLongSpanKey);
            continue;
        }
        for (qint64 month = first; month <= last; ++month)
            removeFrom(index.months, month);
    }
}

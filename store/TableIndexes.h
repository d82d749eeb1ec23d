#pragma once

#include "store/SeriesIndex.h"
#include "store/TablePicture.h"
#include "store/TableSchema.h"

#include <QString>

#include <limits>
#include <map>
#include <unordered_map>
#include <vector>

// The lookup structures over a table's picture. They are built the first
// time a filter can use them and then kept in step with every change: an
// equality index per field, and for a pair of date fields a span index
// (one-date rows through the equality index on the start, longer spans in
// month buckets); and the whole table in each index order, with every
// row's rank in it. They read the picture and never change it.
class TableIndexes
{
public:
    TableIndexes(const TableSchema &schema, const TablePicture &picture);

    struct EqualityIndex
    {
        std::unordered_map<qint64, std::vector<int>> buckets; // key -> slots
    };
    struct SpanIndex
    {
        int startField = -1;
        int endField = -1;
        std::unordered_map<qint64, std::vector<int>> months; // month number -> slots with start < end
    };

    // The bucket of a span index that holds the spans longer than
    // kLongSpanMonths, which every coverage query reads.
    static constexpr qint64 kLongSpanKey = std::numeric_limits<qint64>::min() + 1;
    // A Julian day's month, as the span index counts months.
    static qint64 monthNumber(qint64 julian);
    // The key of a text in an equality index: a hash, so a bucket is only
    // a superset of the rows that hold the text.
    static qint64 textKey(const QString &text);

    EqualityIndex &equalityIndex(int field);
    // The extended series, compiled; kept in step like the other indexes.
    SeriesIndex &seriesIndex() { return m_series; }
    SpanIndex &spanIndex(int startField, int endField);

    // Two rows compared in the order (the primary index for null): the id
    // breaks ties, so only a row equals itself.
    int compareInOrder(int slotA, int slotB, const IndexDef *order) const;
    void sortSlots(std::vector<int> &slotList, const IndexDef *order) const;
    // Every row's slot in the order, and each slot's position in it.
    const std::vector<int> &orderedSlots(const IndexDef *order);
    const std::vector<int> &ranks(const IndexDef *order);

    // Keeps what has been built in step with a row stored in the slot, or
    // about to leave it.
    void indexSlot(int slot);
    void unindexSlot(int slot);
    // Forgets everything built (the picture was read anew).
    void clear();

private:
    // The whole table in an index's order, built on first use and then kept
    // in step row by row; rank[slot] is a row's position, so any subset
    // sorts by comparing two integers.
    struct OrderCache
    {
        std::vector<int> sorted;
        std::vector<int> rank;
        bool rankDirty = true;
    };
    // An index order resolved to field positions, compared without name lookups.
    struct OrderPlan
    {
        const IndexDef *index = nullptr;
        std::vector<int> fields;
        bool descending = false;
        Qt::CaseSensitivity caseSensitivity = Qt::CaseSensitive;
    };
    const OrderPlan *orderPlan(const IndexDef *order) const;
    OrderCache &orderCache(const IndexDef *order);
    qint64 equalityKey(int slot, int field) const;
    static void addToSpan(SpanIndex &index, int slot, qint64 start, qint64 end);

    static constexpr qint64 kBlank = TablePicture::kBlank;

    const TablePicture &m_picture;
    std::vector<OrderPlan> m_orderPlans;
    std::map<int, EqualityIndex> m_equality;
    std::vector<SpanIndex> m_spans;
    std::map<const IndexDef *, OrderCache> m_orders;
    SeriesIndex m_series;
};

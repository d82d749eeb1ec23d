#pragma once

#include "store/CarriedFields.h"
#include "store/FilterExpression.h"
#include "store/RankedCandidates.h"
#include "store/RowRef.h"
#include "store/TableIndexes.h"
#include "store/TablePicture.h"

#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

// Chooses the rows of a filter in an index order. A filter clause reads
// only the smallest candidate list its tests allow (from the indexes), so a
// day's filter costs about the rows it returns; that list is kept ranked in
// the order with the values the clause tests beside it, so the clause is
// one pass over short arrays and the result a merge of the clauses' runs.
// Cursors without a filter share one list per order, kept here until the
// next insert or edit.
class TableQuery
{
public:
    TableQuery(const TableSchema &schema, const TablePicture &picture, TableIndexes &indexes);

    // Where each shared list lost the deleted row, so that every cursor on
    // the list erases it once between them and adjusts its position.
    using ErasedAt = std::unordered_map<const RowList *, int>;

    // The rows that pass the filter (all rows for null), in the order of the
    // index (the primary index for null). With carried, also where the
    // rows' carried fields lie (null when nowhere: an unfiltered list, or a
    // table that carries none).
    std::shared_ptr<RowList> select(const FilterExpression *filter, const IndexDef *order,
                                    std::shared_ptr<const CarriedRows> *carried = nullptr);
    const CarriedFields &carriedFields() const { return m_carried; }

    // A row was stored: the shared lists no longer show the table (cursors
    // keep theirs until they refresh).
    void forgetSharedLists()
    {
        m_allRows.clear();
        forgetCandidates();
    }
    // Takes a deleted row out of the shared lists.
    ErasedAt eraseFromSharedLists(qint64 id);
    // Forgets everything (the picture was read anew).
    void clear();

private:
    // The smallest candidate lists for a clause (or scanAll), and the test
    // that every candidate passes by construction (-1 for none). With
    // bySeries the candidates are the occurrences of the implied "occurs"
    // test, and lists is empty.
    void candidatesFor(const FilterExpression::Clause &clause, std::vector<const std::vector<int> *> *lists,
                       bool *scanAll, int *impliedTest, bool *bySeries);
    // The slots of the rows whose field holds one of an "in" test's numbers.
    const std::vector<int> &listedSlots(const FilterExpression::Test &test);
    // The ranked lists are keyed by the addresses of the candidate lists,
    // so the two go together.
    void forgetCandidates();
    // The rows that pass one clause, ascending by rank in the order; the
    // records the hits point into are added to keep.
    std::vector<RankedHit> clauseRun(const FilterExpression::Clause &clause, const IndexDef *order,
                                     std::vector<CarriedFields::Records> *keep);

    const TableSchema &m_schema;
    const TablePicture &m_picture;
    TableIndexes &m_indexes;
    std::map<const IndexDef *, std::shared_ptr<RowList>> m_allRows; // shared unfiltered lists
    CarriedFields m_carried;                                        // where a record holds the schema's carried fields
    RankedCandidates m_ranked;                                      // the candidate lists, ranked and packed
    std::vector<quint8> m_passes;                                   // per candidate of the list at hand
    static constexpr size_t kMaxListedSlots = 64;
    std::map<std::pair<int, std::vector<qint64>>, std::vector<int>> m_listedSlots; // by field and numbers
};

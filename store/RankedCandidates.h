#pragma once

#include "store/CarriedFields.h"

#include <QtGlobal>

class TablePicture;

#include <map>
#include <vector>

// Candidate lists of filter clauses kept in the rank order of an index
// order, each row with its rank, slot and id and, side by side, the stored
// values of the numeric fields its clause tests. A clause then runs as one
// linear pass over a few short arrays instead of reads scattered over the
// table's columns, and yields its rows already in order: a filter's result
// is the merge of its clauses' runs, never a sort.
//
// The lists are copies of what the picture held when they were built. Any
// change to the rows (which moves ranks and buckets) must drop them all
// with forget(); they are built again on next use.
class RankedCandidates
{
public:
    struct List
    {
        std::vector<int> ranks; // ascending
        std::vector<int> rowSlots;
        std::vector<qint64> ids;
        std::vector<std::vector<qint64>> values; // per field asked for, then per row
        CarriedFields::Records carried;          // the carried fields per row; null when none are
    };

    // The rows of source (slots) in the order whose ranks by slot are rank,
    // carrying the picture's numbers of fields and the records of carried.
    // Built on the first call for a source, order and field list; lists of
    // one source and order share their records.
    const List &get(const std::vector<int> &source, const void *order, const std::vector<int> &rank,
                    const TablePicture &picture, const std::vector<int> &fields, const CarriedFields &carried);

    void forget()
    {
        m_lists.clear();
        m_records.clear();
        m_rows = 0;
    }

private:
    struct Key
    {
        const std::vector<int> *source;
        const void *order;
        std::vector<int> fields;
        bool operator<(const Key &other) const;
    };
    std::map<Key, List> m_lists;
    std::map<std::pair<const std::vector<int> *, const void *>, CarriedFields::Records> m_records;
    size_t m_rows = 0; // in all lists
};

// One position of a run: a row that passed a clause, by its rank.
struct RankedHit
{
    int rank;
    int slot;
    qint64 id;
    const char *carried; // the row's record in its list; null when the list has none
};

// Merges runs each ascending by rank into one ascending list, keeping a row
// that passed several clauses once.
std::vector<RankedHit> mergeRankedRuns(std::vector<std::vector<RankedHit>> &runs);

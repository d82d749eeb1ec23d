#pragma once

#include "store/SeriesRule.h"
#include "store/TablePicture.h"
#include "store/TableSchema.h"

#include <array>
#include <optional>
#include <unordered_map>
#include <vector>

// The extended series of a calendar table (rows with `Rr` set), each
// compiled once from its row (rule, first date `S`, removed dates `Rx`,
// last date) and kept beside the picture: built the first time a filter
// asks "Rr occurs" or "Rr reminds", then refreshed with every row written.
// For a date it names the few buckets whose series can fall on it (by
// weekday, day of month, last day, nth weekday, month, first date), so a
// month grid reads a small part of the series, not all of them.
//
// A row whose rule or removed dates cannot be read is no extended series:
// it falls on its first date only (the pattern clauses see it as the Parts
// say).
class SeriesIndex
{
public:
    SeriesIndex(const TableSchema &schema, const TablePicture &picture);

    // The slot lists that hold every series that may fall on the date (a
    // Julian day); a series may be in two of them.
    void candidates(qint64 julian, std::vector<const std::vector<int> *> *lists);
    // Every extended series.
    const std::vector<int> &allSeries();

    // The row's series has an occurrence on the date.
    bool occursOn(int slot, qint64 julian) const;
    // The row's series has an occurrence whose reminder date (the
    // occurrence moved by `Rs` - `S` days) is the date.
    bool reminds(int slot, qint64 julian) const;

    void indexSlot(int slot);
    void unindexSlot(int slot);
    void clear();

private:
    struct Entry
    {
        SeriesOccurrences series;
        qint64 reminderOffset = TablePicture::kBlank; // Rs - S in days
        // The span of the series as Julian days, so that a date outside it
        // costs two comparisons.
        qint64 first = 0;
        qint64 last = 0;
    };
    void build();
    std::optional<Entry> compile(int slot) const;
    // The buckets an entry belongs to.
    std::vector<std::vector<int> *> bucketsOf(const Entry &entry);
    const Entry *entryAt(int slot) const;

    const TablePicture &m_picture;
    int m_ruleField = -1, m_startField = -1, m_removedField = -1, m_reminderField = -1;
    bool m_built = false;

    std::vector<std::optional<Entry>> m_entries; // per slot
    std::vector<int> m_all;
    std::array<std::vector<int>, 7> m_byWeekday;                   // Monday first
    std::array<std::vector<int>, 32> m_byMonthDay;                 // 1..31
    std::vector<int> m_lastDay;                                    // BYMONTHDAY=-1
    std::array<std::array<std::vector<int>, 5>, 7> m_byNthWeekday; // 1st..4th, last
    std::array<std::vector<int>, 13> m_byMonth;                    // yearly, 1..12
    std::unordered_map<qint64, std::vector<int>> m_byStart;        // the first date, on or off the pattern
};

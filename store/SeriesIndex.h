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
// month grid reads a small part of the series, not all of them. Each
// pattern bucket is also split by year: a series is listed under every year
// its span touches, so that a date never reads the series that ended before
// its year or that begin after it (most of a bucket in a calendar of many years).
//
// A row whose rule or removed dates cannot be read is no extended series:
// it falls on its first date only (the pattern clauses see it as the Parts
// say).
class SeriesIndex
{
public:
    SeriesIndex(const TableSchema &schema, const TablePicture &picture);

    // How many series may fall on the date (a Julian day): what
    // occurringOn() asks, for a filter weighing its candidates.
    size_t candidateCount(qint64 julian);
    // The slotList of the series that have an occurrence on the date, each
    // once, in no order.
    void occurringOn(qint64 julian, std::vector<int> *slotList);
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
    // The series of one pattern key, as indexes into m_entries: all of
    // them, and those whose span touches each year of the index's window
    // (dates outside the window, rare, read them all).
    struct Bucket
    {
        std::vector<int> all;
        std::vector<std::vector<int>> byYear;
    };
    struct Entry
    {
        SeriesOccurrences series;
        qint64 reminderOffset = TablePicture::kBlank; // Rs - S in days
        // The span of the series as Julian days, so that a date outside it
        // costs two comparisons.
        qint64 first = 0;
        qint64 last = 0;
    };
    // What deciding a date needs, packed beside the entries: a date asks a
    // few hundred candidates, and reading each one's compiled series (a
    // rule, dates, a list on the heap) cost more than the test. Daily and
    // weekly rules are answered here in day numbers; the others ask their
    // series. The removed dates are looked up only within their own span.
    struct Probe
    {
        enum class Kind : quint8 { Daily, Weekly, Other };
        qint64 first = 0, last = 0;                // the span, as entries have it
        qint64 anchor = 0;                         // daily: the first date; weekly: the first day of its week
        qint64 firstRemoved = 0, lastRemoved = -1; // the removed dates' span (empty: none)
        int slot = -1;
        // Whether a count of days or weeks from the anchor (below 2^32) is a
        // multiple of the interval, by one multiplication instead of a
        // division (Lemire, Kaser and Kurz, "Faster remainder by direct
        // computation", 2019): intervalMagic is 2^64 / interval rounded up.
        quint64 intervalMagic = 0;
        bool everyInterval(quint64 periods) const { return periods * intervalMagic <= intervalMagic - 1; }
        quint8 weekdays = 0; // daily (0: every day) and weekly: bit 0 Monday .. bit 6 Sunday
        Kind kind = Kind::Other;
    };
    void build();
    std::optional<Entry> compile(int slot) const;
    // The pattern buckets an entry belongs to (the start bucket and the list
    // of all series aside).
    std::vector<Bucket *> bucketsOf(const Entry &entry);
    const std::vector<int> &forYear(const Bucket &bucket, int year) const;
    // The pattern lists of entries that may fall on the date, and the
    // entries first dated on it (null for none).
    void candidateLists(qint64 julian, std::vector<const std::vector<int> *> *lists);
    const std::vector<int> *firstDatedOn(qint64 julian) const;
    static Probe probeOf(const Entry &entry, int slot);
    bool occurs(int index, qint64 julian) const;
    // The years of the window the entry's span touches, as indexes into
    // Bucket::byYear (empty when first > last).
    std::pair<int, int> yearsOf(const Entry &entry) const;
    std::vector<Bucket *> allBuckets();
    int indexAt(int slot) const;

    const TablePicture &m_picture;
    int m_ruleField = -1, m_startField = -1, m_removedField = -1, m_reminderField = -1;
    bool m_built = false;

    // The compiled series side by side, a free place taken again; slot to
    // place in m_indexOf (-1: no series).
    std::vector<Entry> m_entries;
    std::vector<Probe> m_probes;
    std::vector<int> m_freeIndexes;
    std::vector<int> m_indexOf;
    std::vector<const std::vector<int> *> m_lists; // scratch of occurringOn
    // The years split into Bucket::byYear, fixed when the index is built:
    // around the present, where a planner's dates are asked.
    int m_firstYear = 0, m_lastYear = -1;
    std::vector<int> m_all;                                 // slotList
    std::array<Bucket, 7> m_byWeekday;                      // Monday first
    std::array<Bucket, 32> m_byMonthDay;                    // 1..31
    Bucket m_lastDay;                                       // BYMONTHDAY=-1
    std::array<std::array<Bucket, 5>, 7> m_byNthWeekday;    // 1st..4th, last
    std::array<Bucket, 13> m_byMonth;                       // yearly, 1..12
    std::unordered_map<qint64, std::vector<int>> m_byStart; // the first date, on or off the pattern
};

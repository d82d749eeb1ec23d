#include "store/RankedCandidates.h"

#include "store/TablePicture.h"

#include <algorithm>
#include <tuple>

namespace {

// Past this many lists, or rows in them, the cache starts afresh: a day
// view that walks many dates leaves a small list per date behind, and a
// filter on a common value could keep copies of most of a large table.
constexpr size_t kMaxLists = 4096;
constexpr size_t kMaxRows = 1u << 20;

} // namespace

bool RankedCandidates::Key::operator<(const Key &other) const
{
    return std::tie(source, order, fields) < std::tie(other.source, other.order, other.fields);
}

const RankedCandidates::List &RankedCandidates::get(const std::vector<int> &source, const void *order,
                                                    const std::vector<int> &rank, const TablePicture &picture,
                                                    const std::vector<int> &fields, const CarriedFields &carried)
{
    Key key {&source, order, fields};
    const auto found = m_lists.find(key);
    if (found != m_lists.end())
        return found->second;
    if (m_lists.size() >= kMaxLists || m_rows + source.size() > kMaxRows)
        forget();
    m_rows += source.size();

    List list;
    list.rowSlots = source;
    const std::vector<int> &byRank = list.rowSlots;
    std::sort(list.rowSlots.begin(), list.rowSlots.end(), [&rank](int a, int b) { return rank[a] < rank[b]; });
    list.ranks.reserve(byRank.size());
    list.ids.reserve(byRank.size());
    for (int slot : byRank) {
        list.ranks.push_back(rank[slot]);
        list.ids.push_back(picture.ids()[size_t(slot)]);
    }
    list.values.resize(fields.size());
    for (size_t f = 0; f < fields.size(); ++f) {
        list.values[f].reserve(byRank.size());
        for (int slot : byRank)
            list.values[f].push_back(picture.numberAt(slot, fields[f]));
    }
    if (!carried.empty()) {
        CarriedFields::Records &records = m_records[{&source, order}];
        if (!records)
            records = carried.records(byRank);
        list.carried = records;
    }
    return m_lists.emplace(std::move(key), std::move(list)).first->second;
}

std::vector<RankedHit> mergeRankedRuns(std::vector<std::vector<RankedHit>> &runs)
{
    const auto byRank = [](const RankedHit &a, const RankedHit &b) { return a.rank < b.rank; };
    std::vector<RankedHit> merged, scratch;
    for (std::vector<RankedHit> &run : runs) {
        if (run.empty())
            continue;
        if (merged.empty()) {
            merged.swap(run);
            continue;
        }
        scratch.resize(merged.size() + run.size());
        std::merge(merged.begin(), merged.end(), run.begin(), run.end(), scratch.begin(), byRank);
        merged.swap(scratch);
    }
    merged.erase(std::unique(merged.begin(), merged.end(),
                             [](const RankedHit &a, const RankedHit &b) { return a.rank == b.rank; }),
                 merged.end());
    return merged;
}

#include "store/SeriesIndex.h"

#include "store/ItemFields.h"

#include <QDate>

#include <algorithm>
#include <bit>
#include <limits>

namespace {
constexpr int kYearsAround = 20;
} // namespace

SeriesIndex::SeriesIndex(const TableSchema &schema, const TablePicture &picture)
    : m_picture(picture)
    , m_ruleField(schema.fieldIndex(ItemField::Rr))
    , m_startField(schema.fieldIndex(ItemField::S))
    , m_removedField(schema.fieldIndex(ItemField::Rx))
    , m_reminderField(schema.fieldIndex(ItemField::Rs))
{ }

std::optional<SeriesIndex::Entry> SeriesIndex::compile(int slot) const
{
    if (m_ruleField < 0 || m_startField < 0 || m_removedField < 0)
        return std::nullopt;
    const QString &ruleText = m_picture.textAt(slot, m_ruleField);
    const qint64 start = m_picture.numberAt(slot, m_startField);
    if (ruleText.isNull() || start == TablePicture::kBlank)
        return std::nullopt;
    const Result<SeriesRule> rule = SeriesRule::parse(ruleText);
    const Result<SeriesDates> removed = parseRemovedDates(m_picture.textAt(slot, m_removedField));
    if (!rule || !removed)
        return std::nullopt;
    Entry entry {SeriesOccurrences(rule.value(), QDate::fromJulianDay(start), removed.value())};
    const qint64 reminder = m_reminderField < 0 ? TablePicture::kBlank : m_picture.numberAt(slot, m_reminderField);
    if (reminder != TablePicture::kBlank)
        entry.reminderOffset = reminder - start;
    entry.first = start;
    entry.last = entry.series.last().isValid() ? entry.series.last().toJulianDay() : std::numeric_limits<qint64>::max();
    return entry;
}

std::vector<SeriesIndex::Bucket *> SeriesIndex::bucketsOf(const Entry &entry)
{
    const QDate &start = entry.series.start();
    const SeriesRule rule = entry.series.rule().explicitFor(start);
    std::vector<Bucket *> buckets;
    auto weekdays = [&](int bits) {
        for (int day = 0; day < 7; ++day) {
            if (bits & (1 << day))
                buckets.push_back(&m_byWeekday[day]);
        }
    };
    switch (rule.frequency) {
    case SeriesRule::Frequency::Daily:
        weekdays(rule.weekdays != 0 ? rule.weekdays : 0x7f);
        break;
    case SeriesRule::Frequency::Weekly:
        weekdays(rule.weekdays);
        break;
    case SeriesRule::Frequency::Monthly:
        if (rule.monthDay > 0)
            buckets.push_back(&m_byMonthDay[rule.monthDay]);
        else if (rule.monthDay == -1)
            buckets.push_back(&m_lastDay);
        else
            buckets.push_back(
                &m_byNthWeekday[std::countr_zero(unsigned(rule.weekdays))][rule.ordinal == -1 ? 4 : rule.ordinal - 1]);
        break;
    case SeriesRule::Frequency::Yearly:
        buckets.push_back(&m_byMonth[rule.month]);
        break;
    }
    return buckets;
}

std::vector<SeriesIndex::Bucket *> SeriesIndex::allBuckets()
{
    std::vector<Bucket *> buckets {&m_lastDay};
    for (Bucket &bucket : m_byWeekday)
        buckets.push_back(&bucket);
    for (Bucket &bucket : m_byMonthDay)
        buckets.push_back(&bucket);
    for (auto &weekday : m_byNthWeekday) {
        for (Bucket &bucket : weekday)
            buckets.push_back(&bucket);
    }
    for (Bucket &bucket : m_byMonth)
        buckets.push_back(&bucket);
    return buckets;
}

std::pair<int, int> SeriesIndex::yearsOf(const Entry &entry) const
{
    const int first = std::max(QDate::fromJulianDay(entry.first).year(), m_firstYear);
    const int last = entry.last == std::numeric_limits<qint64>::max()
        ? m_lastYear
        : std::min(QDate::fromJulianDay(entry.last).year(), m_lastYear);
    return {first - m_firstYear, last - m_firstYear};
}

const std::vector<int> &SeriesIndex::forYear(const Bucket &bucket, int year) const
{
    return year >= m_firstYear && year <= m_lastYear ? bucket.byYear[size_t(year - m_firstYear)] : bucket.all;
}

SeriesIndex::Probe SeriesIndex::probeOf(const Entry &entry, int slot)
{
    Probe probe;
    probe.first = entry.first;
    probe.last = entry.last;
    probe.slot = slot;
    const SeriesDates &removed = entry.series.removed();
    if (!removed.empty()) {
        probe.firstRemoved = removed.front().toJulianDay();
        probe.lastRemoved = removed.back().toJulianDay();
    }
    const QDate &start = entry.series.start();
    const SeriesRule rule = entry.series.rule().explicitFor(start);
    probe.intervalMagic = std::numeric_limits<quint64>::max() / quint64(rule.interval) + 1;
    probe.weekdays = quint8(rule.weekdays);
    switch (rule.frequency) {
    case SeriesRule::Frequency::Daily:
        probe.kind = Probe::Kind::Daily;
        probe.anchor = entry.first;
        break;
    case SeriesRule::Frequency::Weekly:
        probe.kind = Probe::Kind::Weekly;
        probe.anchor = entry.first - (start.dayOfWeek() - rule.weekStart + 7) % 7;
        break;
    case SeriesRule::Frequency::Monthly:
    case SeriesRule::Frequency::Yearly:
        probe.kind = Probe::Kind::Other;
        break;
    }
    return probe;
}

void SeriesIndex::build()
{
    m_built = true;
    // Twenty years either side of today, where a planner's dates are asked:
    // a never-ending daily series takes 41 places in each weekday's lists
    // (about 1 KB), and a date outside them reads the whole bucket.
    const int thisYear = QDate::currentDate().year();
    m_firstYear = thisYear - kYearsAround;
    m_lastYear = thisYear + kYearsAround;
    for (Bucket *bucket : allBuckets())
        bucket->byYear.assign(size_t(m_lastYear - m_firstYear + 1), {});
    m_indexOf.assign(size_t(m_picture.slotCount()), -1);
    const std::vector<qint64> &ids = m_picture.ids();
    for (int slot = 0; slot < m_picture.slotCount(); ++slot) {
        if (ids[slot] != 0)
            indexSlot(slot);
    }
}

void SeriesIndex::indexSlot(int slot)
{
    if (!m_built)
        return;
    if (size_t(slot) >= m_indexOf.size())
        m_indexOf.resize(size_t(slot) + 1, -1);
    std::optional<Entry> compiled = compile(slot);
    if (!compiled)
        return;
    int index = int(m_entries.size());
    if (!m_freeIndexes.empty()) {
        index = m_freeIndexes.back();
        m_freeIndexes.pop_back();
        m_entries[size_t(index)] = std::move(*compiled);
        m_probes[size_t(index)] = probeOf(m_entries[size_t(index)], slot);
    } else {
        m_entries.push_back(std::move(*compiled));
        m_probes.push_back(probeOf(m_entries.back(), slot));
    }
    m_indexOf[size_t(slot)] = index;
    const Entry &entry = m_entries[size_t(index)];
    m_all.push_back(slot);
    m_byStart[entry.first].push_back(index);
    const auto [first, last] = yearsOf(entry);
    for (Bucket *bucket : bucketsOf(entry)) {
        bucket->all.push_back(index);
        for (int year = first; year <= last; ++year)
            bucket->byYear[size_t(year)].push_back(index);
    }
}

void SeriesIndex::unindexSlot(int slot)
{
    const int index = m_built ? indexAt(slot) : -1;
    if (index < 0)
        return;
    const Entry &entry = m_entries[size_t(index)];
    auto remove = [](std::vector<int> &list, int value) {
        list.erase(std::remove(list.begin(), list.end(), value), list.end());
    };
    remove(m_all, slot);
    // The start bucket stays in the map, empty: lists handed out keep their address.
    remove(m_byStart[entry.first], index);
    const auto [first, last] = yearsOf(entry);
    for (Bucket *bucket : bucketsOf(entry)) {
        remove(bucket->all, index);
        for (int year = first; year <= last; ++year)
            remove(bucket->byYear[size_t(year)], index);
    }
    m_indexOf[size_t(slot)] = -1;
    m_probes[size_t(index)].slot = -1;
    m_freeIndexes.push_back(index);
}

void SeriesIndex::clear()
{
    m_built = false;
    m_entries.clear();
    m_probes.clear();
    m_freeIndexes.clear();
    m_indexOf.clear();
    m_all.clear();
    for (Bucket *bucket : allBuckets()) {
        bucket->all.clear();
        bucket->byYear.clear();
    }
    m_byStart.clear();
}

void SeriesIndex::candidateLists(qint64 julian, std::vector<const std::vector<int> *> *lists)
{
    if (!m_built)
        build();
    lists->clear();
    const QDate date = QDate::fromJulianDay(julian);
    if (!date.isValid())
        return;
    const int weekday = date.dayOfWeek() - 1;
    const int year = date.year();
    lists->push_back(&forYear(m_byWeekday[weekday], year));
    lists->push_back(&forYear(m_byMonthDay[date.day()], year));
    if (date.day() == date.daysInMonth())
        lists->push_back(&forYear(m_lastDay, year));
    if (date.day() <= 28)
        lists->push_back(&forYear(m_byNthWeekday[weekday][(date.day() - 1) / 7], year));
    if (date.day() > date.daysInMonth() - 7)
        lists->push_back(&forYear(m_byNthWeekday[weekday][4], year));
    lists->push_back(&forYear(m_byMonth[date.month()], year));
}

const std::vector<int> *SeriesIndex::firstDatedOn(qint64 julian) const
{
    const auto start = m_byStart.find(julian);
    return start == m_byStart.end() ? nullptr : &start->second;
}

size_t SeriesIndex::candidateCount(qint64 julian)
{
    candidateLists(julian, &m_lists);
    const std::vector<int> *firstDated = firstDatedOn(julian);
    size_t count = firstDated ? firstDated->size() : 0;
    for (const std::vector<int> *list : m_lists)
        count += list->size();
    return count;
}

void SeriesIndex::occurringOn(qint64 julian, std::vector<int> *slotList)
{
    candidateLists(julian, &m_lists);
    slotList->clear();
    // A series is in one pattern list of a date at most, and in the list
    // of its first date, which alone answers for that date: each once.
    for (const std::vector<int> *list : m_lists) {
        for (int index : *list) {
            if (m_probes[size_t(index)].first != julian && occurs(index, julian))
                slotList->push_back(m_probes[size_t(index)].slot);
        }
    }
    if (const std::vector<int> *firstDated = firstDatedOn(julian)) {
        for (int index : *firstDated) {
            if (occurs(index, julian))
                slotList->push_back(m_probes[size_t(index)].slot);
        }
    }
}

const std::vector<int> &SeriesIndex::allSeries()
{
    if (!m_built)
        build();
    return m_all;
}

int SeriesIndex::indexAt(int slot) const
{
    return size_t(slot) < m_indexOf.size() ? m_indexOf[size_t(slot)] : -1;
}

bool SeriesIndex::occurs(int index, qint64 julian) const
{
    const Probe &probe = m_probes[size_t(index)];
    if (julian < probe.first || julian > probe.last)
        return false;
    if (julian != probe.first) {
        // Day numbers count from a Monday (Julian day 0), so the weekday of
        // a day number is its remainder by 7.
        const int weekdayBit = 1 << int(julian % 7);
        switch (probe.kind) {
        case Probe::Kind::Daily:
            if ((probe.weekdays != 0 && !(probe.weekdays & weekdayBit))
                || !probe.everyInterval(quint64(julian - probe.anchor)))
                return false;
            break;
        case Probe::Kind::Weekly:
            if (!(probe.weekdays & weekdayBit) || !probe.everyInterval(quint64(julian - probe.anchor) / 7))
                return false;
            break;
        case Probe::Kind::Other:
            return m_entries[size_t(index)].series.occursOn(QDate::fromJulianDay(julian));
        }
    }
    if (julian < probe.firstRemoved || julian > probe.lastRemoved)
        return true;
    const SeriesDates &removed = m_entries[size_t(index)].series.removed();
    return !std::binary_search(removed.begin(), removed.end(), QDate::fromJulianDay(julian));
}

bool SeriesIndex::occursOn(int slot, qint64 julian) const
{
    const int index = indexAt(slot);
    return index >= 0 && occurs(index, julian);
}

bool SeriesIndex::reminds(int slot, qint64 julian) const
{
    const int index = indexAt(slot);
    if (index < 0)
        return false;
    const Entry &entry = m_entries[size_t(index)];
    if (entry.reminderOffset == TablePicture::kBlank)
        return false;
    return occurs(index, julian - entry.reminderOffset);
}

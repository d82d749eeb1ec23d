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
    m_entries.assign(size_t(m_picture.slotCount()), std::nullopt);
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
    if (size_t(slot) >= m_entries.size())
        m_entries.resize(size_t(slot) + 1);
    m_entries[slot] = compile(slot);
    if (!m_entries[slot])
        return;
    const Entry &entry = *m_entries[slot];
    m_all.push_back(slot);
    m_byStart[entry.first].push_back(slot);
    const auto [first, last] = yearsOf(entry);
    for (Bucket *bucket : bucketsOf(entry)) {
        bucket->all.push_back(slot);
        for (int year = first; year <= last; ++year)
            bucket->byYear[size_t(year)].push_back(slot);
    }
}

void SeriesIndex::unindexSlot(int slot)
{
    if (!m_built || size_t(slot) >= m_entries.size() || !m_entries[slot])
        return;
    const Entry &entry = *m_entries[slot];
    auto remove = [slot](std::vector<int> &list) {
        list.erase(std::remove(list.begin(), list.end(), slot), list.end());
    };
    remove(m_all);
    // The start bucket stays in the map, empty: lists handed out keep their address.
    remove(m_byStart[entry.first]);
    const auto [first, last] = yearsOf(entry);
    for (Bucket *bucket : bucketsOf(entry)) {
        remove(bucket->all);
        for (int year = first; year <= last; ++year)
            remove(bucket->byYear[size_t(year)]);
    }
    m_entries[slot].reset();
}

void SeriesIndex::clear()
{
    m_built = false;
    m_entries.clear();
    m_all.clear();
    for (Bucket *bucket : allBuckets()) {
        bucket->all.clear();
        bucket->byYear.clear();
    }
    m_byStart.clear();
}

void SeriesIndex::candidates(qint64 julian, std::vector<const std::vector<int> *> *lists)
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
    if (const auto start = m_byStart.find(julian); start != m_byStart.end())
        lists->push_back(&start->second);
}

const std::vector<int> &SeriesIndex::allSeries()
{
    if (!m_built)
        build();
    return m_all;
}

const SeriesIndex::Entry *SeriesIndex::entryAt(int slot) const
{
    return size_t(slot) < m_entries.size() && m_entries[slot] ? &*m_entries[slot] : nullptr;
}

bool SeriesIndex::occursOn(int slot, qint64 julian) const
{
    const Entry *entry = entryAt(slot);
    return entry && julian >= entry->first && julian <= entry->last
        && entry->series.occursOn(QDate::fromJulianDay(julian));
}

bool SeriesIndex::reminds(int slot, qint64 julian) const
{
    const Entry *entry = entryAt(slot);
    if (!entry || entry->reminderOffset == TablePicture::kBlank)
        return false;
    const qint64 occurrence = julian - entry->reminderOffset;
    return occurrence >= entry->first && occurrence <= entry->last
        && entry->series.occursOn(QDate::fromJulianDay(occurrence));
}

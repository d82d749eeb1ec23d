#include "store/SeriesIndex.h"

#include "store/ItemFields.h"

#include <QDate>

#include <algorithm>
#include <bit>
#include <limits>

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

std::vector<std::vector<int> *> SeriesIndex::bucketsOf(const Entry &entry)
{
    const QDate &start = entry.series.start();
    const SeriesRule rule = entry.series.rule().explicitFor(start);
    std::vector<std::vector<int> *> buckets {&m_all, &m_byStart[start.toJulianDay()]};
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

void SeriesIndex::build()
{
    m_built = true;
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
    for (std::vector<int> *bucket : bucketsOf(*m_entries[slot]))
        bucket->push_back(slot);
}

void SeriesIndex::unindexSlot(int slot)
{
    if (!m_built || size_t(slot) >= m_entries.size() || !m_entries[slot])
        return;
    // The start bucket stays in the map, empty: lists handed out keep their address.
    for (std::vector<int> *bucket : bucketsOf(*m_entries[slot]))
        bucket->erase(std::remove(bucket->begin(), bucket->end(), slot), bucket->end());
    m_entries[slot].reset();
}

void SeriesIndex::clear()
{
    m_built = false;
    m_entries.clear();
    m_all.clear();
    for (auto &bucket : m_byWeekday)
        bucket.clear();
    for (auto &bucket : m_byMonthDay)
        bucket.clear();
    m_lastDay.clear();
    for (auto &weekday : m_byNthWeekday) {
        for (auto &bucket : weekday)
            bucket.clear();
    }
    for (auto &bucket : m_byMonth)
        bucket.clear();
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
    lists->push_back(&m_byWeekday[weekday]);
    lists->push_back(&m_byMonthDay[date.day()]);
    if (date.day() == date.daysInMonth())
        lists->push_back(&m_lastDay);
    if (date.day() <= 28)
        lists->push_back(&m_byNthWeekday[weekday][(date.day() - 1) / 7]);
    if (date.day() > date.daysInMonth() - 7)
        lists->push_back(&m_byNthWeekday[weekday][4]);
    lists->push_back(&m_byMonth[date.month()]);
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

#include "TablePicture.h"

#include <QDate>
#include <QTime>

TablePicture::TablePicture(const TableSchema &schema)
    : m_schema(schema)
{
    m_columns.resize(schema.fields.size());
    for (int i = 0; i < schema.fields.size(); ++i) {
        m_columns[i].numeric = isNumeric(schema.fields[i].type);
        if (schema.fields[i].type == FieldType::AutoIncrement)
            m_identityField = i;
    }
}

bool TablePicture::isNumeric(FieldType type)
{
    return type != FieldType::Text && type != FieldType::Memo;
}

// --- reading ------------------------------------------------------------

int TablePicture::slotOf(qint64 id) const
{
    const auto it = m_slotById.find(id);
    return it == m_slotById.end() ? -1 : it->second;
}

QVariant TablePicture::cellValue(int slot, int field) const
{
    const Column &column = m_columns[field];
    if (!column.numeric) {
        const QString &text = column.texts[slot];
        return text.isNull() ? QVariant() : QVariant(text);
    }
    const qint64 number = column.numbers[slot];
    if (number == kBlank)
        return {};
    switch (m_schema.fields[field].type) {
    case FieldType::Date:
        return QDate::fromJulianDay(number);
    case FieldType::Time:
        return QTime::fromMSecsSinceStartOfDay(int(number));
    case FieldType::Boolean:
        return number != 0;
    case FieldType::AutoIncrement:
        return qlonglong(number);
    default:
        return int(number);
    }
}

QVariant TablePicture::valueAt(int slot, int field) const
{
    if (slot < 0 || field < 0 || field >= int(m_columns.size()))
        return {};
    if (field == m_identityField)
        return qlonglong(m_ids[slot]);
    return cellValue(slot, field);
}

// --- loading ------------------------------------------------------------

void TablePicture::resizeForLoad(size_t count)
{
    m_ids.resize(count);
    for (Column &column : m_columns) {
        if (column.numeric)
            column.numbers.resize(count);
        else
            column.texts.resize(count);
    }
}

qint64 *TablePicture::numbersFrom(int field, size_t first)
{
    return m_columns[field].numeric ? m_columns[field].numbers.data() + first : nullptr;
}

QString *TablePicture::textsFrom(int field, size_t first)
{
    return m_columns[field].numeric ? nullptr : m_columns[field].texts.data() + first;
}

void TablePicture::mapLoadedIds()
{
    m_slotById.reserve(m_ids.size());
    for (int slot = 0; slot < int(m_ids.size()); ++slot)
        m_slotById.emplace(m_ids[slot], slot);
}

void TablePicture::clear()
{
    m_ids.clear();
    for (Column &column : m_columns) {
        column.numbers.clear();
        column.texts.clear();
    }
    m_freeSlots.clear();
    m_slotById.clear();
}

// --- changing -----------------------------------------------------------

int TablePicture::takeSlot(qint64 id)
{
    int slot;
    if (!m_freeSlots.empty()) {
        slot = m_freeSlots.back();
        m_freeSlots.pop_back();
    } else {
        slot = int(m_ids.size());
        m_ids.push_back(0);
        for (Column &column : m_columns) {
            if (column.numeric)
                column.numbers.push_back(kBlank);
            else
                column.texts.emplace_back();
        }
    }
    m_ids[slot] = id;
    m_slotById.emplace(id, slot);
    return slot;
}

void TablePicture::freeSlot(int slot)
{
    m_slotById.erase(m_ids[slot]);
    m_ids[slot] = 0;
    for (Column &column : m_columns) {
        if (column.numeric)
            column.numbers[slot] = kBlank;
        else
            column.texts[slot] = QString();
    }
    m_freeSlots.push_back(slot);
}

QString TablePicture::internText(const QString &text)
{
    auto it = m_textPool.constFind(text);
    if (it != m_textPool.constEnd())
        return *it;
    m_textPool.insert(text);
    return text;
}

void TablePicture::storeRow(int slot, const std::vector<QVariant> &values)
{
    for (int f = 0; f < int(m_columns.size()); ++f) {
        Column &column = m_columns[f];
        const QVariant &value = values[f];
        if (!column.numeric) {
            QString text = value.isValid() ? value.toString() : QString();
            if (!text.isNull() && m_schema.fields[f].type == FieldType::Text && m_schema.fields[f].size <= 50)
                text = internText(text);
            column.texts[slot] = text;
            continue;
        }
        qint64 number = kBlank;
        if (f == m_identityField)
            number = m_ids[slot];
        else if (value.isValid()) {
            switch (m_schema.fields[f].type) {
            case FieldType::Date:
                number = value.toDate().toJulianDay();
                break;
            case FieldType::Time:
                number = value.toTime().msecsSinceStartOfDay();
                break;
            case FieldType::Boolean:
                number = value.toBool() ? 1 : 0;
                break;
            default:
                number = value.toLongLong();
                break;
            }
        }
        column.numbers[slot] = number;
    }
}

#include "store/TablePicture.h"

#include "store/PackedWidth.h"

#include <QDate>
#include <QTime>

TablePicture::TablePicture(const TableSchema &schema)
    : m_schema(schema)
{
    m_columns.resize(schema.fields.size());
    m_places.resize(schema.fields.size());
    for (int i = 0; i < schema.fields.size(); ++i) {
        m_columns[i].numeric = isNumeric(schema.fields[i].type);
        if (schema.fields[i].type == FieldType::AutoIncrement)
            m_identityField = i;
    }
    // Widest first, so that every field lies on its own alignment.
    for (const int width : {8, 4, 1}) {
        for (int i = 0; i < schema.fields.size(); ++i) {
            if (m_columns[i].numeric && i != m_identityField && packedWidth(schema.fields[i].type) == width) {
                m_places[i] = {quint16(m_rowBytes), quint8(width)};
                m_rowBytes += size_t(width);
            }
        }
    }
    m_rowBytes = (m_rowBytes + 7) / 8 * 8;
}

bool TablePicture::isNumeric(FieldType type)
{
    return type != FieldType::Text && type != FieldType::Memo;
}

qint64 TablePicture::storedNumber(FieldType type, const QVariant &value)
{
    if (!value.isValid() || !isNumeric(type))
        return kBlank;
    switch (type) {
    case FieldType::Date:
        return value.toDate().toJulianDay();
    case FieldType::Time:
        return value.toTime().msecsSinceStartOfDay();
    case FieldType::Boolean:
        return value.toBool() ? 1 : 0;
    default:
        return value.toLongLong();
    }
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
    const qint64 number = numberAt(slot, field);
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

void TablePicture::numbersAt(int slot, const int *fields, int count, qint64 *numbers) const
{
    const char *row = rowAt(slot);
    for (int i = 0; i < count; ++i) {
        const NumberPlace place = m_places[size_t(fields[i])];
        // Only the identity and texts have no place in the row.
        numbers[i] = place.width == 0 && fields[i] == m_identityField ? m_ids[size_t(slot)] : numberIn(row, place);
    }
}

// --- loading ------------------------------------------------------------

void TablePicture::resizeForLoad(size_t count)
{
    ++m_generation;
    m_ids.resize(count);
    for (Column &column : m_columns) {
        if (!column.numeric)
            column.texts.resize(count);
    }
    m_numbers.resize(count * m_rowBytes / 8);
}

void TablePicture::setNumber(int slot, int field, qint64 number)
{
    const NumberPlace place = m_places[field];
    char *at = reinterpret_cast<char *>(m_numbers.data()) + size_t(slot) * m_rowBytes + place.offset;
    switch (place.width) {
    case 1: {
        const qint8 small = number == kBlank ? kBlank8 : qint8(number);
        std::memcpy(at, &small, 1);
        break;
    }
    case 4: {
        // Nothing the loader or a post stores lies outside 32 bits here
        // (dates are years 1 to 9999); anything that did would read blank.
        const bool fits = number > kBlank32 && number <= std::numeric_limits<qint32>::max();
        Q_ASSERT(number == kBlank || fits);
        const qint32 middle = fits ? qint32(number) : kBlank32;
        std::memcpy(at, &middle, 4);
        break;
    }
    case 8:
        std::memcpy(at, &number, 8);
        break;
    default: // the identity lives in the ids
        break;
    }
}

void TablePicture::blankNumbers(int slot)
{
    for (int f = 0; f < int(m_places.size()); ++f) {
        if (m_places[f].width != 0)
            setNumber(slot, f, kBlank);
    }
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
    ++m_generation;
    m_ids.clear();
    for (Column &column : m_columns)
        column.texts.clear();
    m_numbers.clear();
    m_freeSlots.clear();
    m_slotById.clear();
}

// --- changing -----------------------------------------------------------

int TablePicture::takeSlot(qint64 id)
{
    ++m_generation;
    int slot;
    if (!m_freeSlots.empty()) {
        slot = m_freeSlots.back();
        m_freeSlots.pop_back();
    } else {
        slot = int(m_ids.size());
        m_ids.push_back(0);
        for (Column &column : m_columns) {
            if (!column.numeric)
                column.texts.emplace_back();
        }
        m_numbers.resize(m_numbers.size() + m_rowBytes / 8);
        blankNumbers(slot);
    }
    m_ids[slot] = id;
    m_slotById.emplace(id, slot);
    return slot;
}

void TablePicture::freeSlot(int slot)
{
    ++m_generation;
    m_slotById.erase(m_ids[slot]);
    m_ids[slot] = 0;
    for (Column &column : m_columns) {
        if (!column.numeric)
            column.texts[slot] = QString();
    }
    blankNumbers(slot);
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
    ++m_generation;
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
        if (f == m_identityField)
            continue; // the id, kept apart
        setNumber(slot, f, storedNumber(m_schema.fields[f].type, value));
    }
}

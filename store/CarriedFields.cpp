#include "store/CarriedFields.h"

#include "store/PackedWidth.h"
#include "store/TablePicture.h"
#include "store/TableSchema.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr qint8 kBlank8 = std::numeric_limits<qint8>::min();
constexpr qint32 kBlank32 = std::numeric_limits<qint32>::min();

struct TextRef
{
    const QChar *data;
    qsizetype size;
};

} // namespace

CarriedFields::CarriedFields(const TableSchema &schema, const TablePicture &picture)
    : m_picture(picture)
{
    m_places.resize(size_t(schema.fields.size()));
    std::vector<int> carried;
    for (const QString &name : schema.carried) {
        const int f = schema.fieldIndex(name);
        Q_ASSERT_X(f >= 0, "CarriedFields", qPrintable(name));
        if (f >= 0 && f != picture.identityField())
            carried.push_back(f);
    }
    // Widest first, so that every value lies on its own alignment.
    size_t bytes = 0;
    for (const quint8 width : {kText, quint8(8), quint8(4), quint8(1)}) {
        for (const int f : carried) {
            const FieldType type = schema.fields[f].type;
            const quint8 own = TablePicture::isNumeric(type) ? quint8(packedWidth(type)) : kText;
            if (own == width) {
                m_places[size_t(f)] = {quint16(bytes), width};
                bytes += width;
            }
        }
    }
    m_recordWords = (bytes + 7) / 8;
    if (picture.identityField() >= 0)
        m_places[size_t(picture.identityField())].width = kIdentity;
}

CarriedFields::Records CarriedFields::records(const std::vector<int> &rowSlots) const
{
    auto words = std::make_shared<std::vector<quint64>>(rowSlots.size() * m_recordWords);
    char *at = reinterpret_cast<char *>(words->data());
    for (const int slot : rowSlots) {
        for (int f = 0; f < int(m_places.size()); ++f) {
            const Place place = m_places[size_t(f)];
            char *to = at + place.offset;
            if (place.width == kText) {
                const QStringView view = m_picture.textAt(slot, f);
                const TextRef text {view.data(), view.size()};
                std::memcpy(to, &text, sizeof text);
            } else if (place.width == 1 || place.width == 4 || place.width == 8) {
                const qint64 number = m_picture.numberAt(slot, f);
                if (place.width == 8) {
                    std::memcpy(to, &number, 8);
                } else if (place.width == 4) {
                    const qint32 middle = number == TablePicture::kBlank ? kBlank32 : qint32(number);
                    std::memcpy(to, &middle, 4);
                } else {
                    const qint8 small = number == TablePicture::kBlank ? kBlank8 : qint8(number);
                    std::memcpy(to, &small, 1);
                }
            }
        }
        at += m_recordWords * 8;
    }
    return words;
}

CarriedFields::Place CarriedFields::place(int field) const
{
    return field >= 0 && field < int(m_places.size()) ? m_places[size_t(field)] : Place {0, kNone};
}

// Inline in the read loop below: a call per field would cost as much as the read.
Q_ALWAYS_INLINE qint64 CarriedFields::numberIn(const char *record, Place place, qint64 id)
{
    const char *at = record + place.offset;
    switch (place.width) {
    case 1: {
        qint8 small;
        std::memcpy(&small, at, 1);
        return small == kBlank8 ? TablePicture::kBlank : small;
    }
    case 4: {
        qint32 middle;
        std::memcpy(&middle, at, 4);
        return middle == kBlank32 ? TablePicture::kBlank : middle;
    }
    case 8: {
        qint64 wide;
        std::memcpy(&wide, at, 8);
        return wide;
    }
    case kIdentity:
        return id;
    default: // a text field or an unknown one
        return TablePicture::kBlank;
    }
}

Q_ALWAYS_INLINE QStringView CarriedFields::textIn(const char *record, Place place)
{
    if (place.width != kText)
        return {};
    TextRef text;
    std::memcpy(&text, record + place.offset, sizeof text);
    return QStringView(text.data, text.size);
}

void CarriedFields::readFromPicture(int slot, const Read &read, qint64 *numbers, QStringView *texts) const
{
    for (int k = 0; k < read.numberCount; ++k) {
        const int f = read.numberFields[k];
        numbers[k] = f < 0 || f >= m_picture.fieldCount() ? TablePicture::kBlank : m_picture.numberAt(slot, f);
    }
    for (int k = 0; k < read.textCount; ++k) {
        const int f = read.textFields[k];
        texts[k] = f < 0 || f >= m_picture.fieldCount() || m_picture.column(f).numeric ? QStringView()
                                                                                       : m_picture.textAt(slot, f);
    }
}

void CarriedFields::read(const RowList &rows, const CarriedRows *carried, int from, int count, const Read &read) const
{
    Place numberPlaces[kMostFields], textPlaces[kMostFields];
    const int numberCount = std::min(read.numberCount, kMostFields), textCount = std::min(read.textCount, kMostFields);
    Q_ASSERT(numberCount == read.numberCount && textCount == read.textCount);
    bool allCarried =
        carried && carried->generation == m_picture.generation() && carried->records.size() == rows.size();
    for (int k = 0; k < numberCount; ++k) {
        numberPlaces[k] = place(read.numberFields[k]);
        allCarried = allCarried && numberPlaces[k].width != kAbsent;
    }
    for (int k = 0; k < textCount; ++k) {
        textPlaces[k] = place(read.textFields[k]);
        allCarried = allCarried && textPlaces[k].width != kAbsent;
    }
    for (int i = 0; i < count; ++i) {
        const RowRef &row = rows[size_t(from + i)];
        if (read.ids)
            read.ids[i] = row.id;
        qint64 *numbers = read.numbers + size_t(i) * size_t(numberCount);
        QStringView *texts = read.texts + size_t(i) * size_t(textCount);
        const char *record = allCarried ? carried->records[size_t(from + i)] : nullptr;
        if (!record) {
            readFromPicture(row.slot, read, numbers, texts);
            continue;
        }
        for (int k = 0; k < numberCount; ++k)
            numbers[k] = numberIn(record, numberPlaces[k], row.id);
        for (int k = 0; k < textCount; ++k)
            texts[k] = textIn(record, textPlaces[k]);
    }
}

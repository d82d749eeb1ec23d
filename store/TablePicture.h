#pragma once

#include "store/TableSchema.h"

#include <QSet>
#include <QString>
#include <QVariant>

#include <cstdlib>
#include <cstring>

#include <limits>
#include <new>
#include <utility>
#include <unordered_map>
#include <vector>

// The storage of a text column. Most text fields are blank on most rows (a
// location, notes, a rule), and a blank is a null QString, whose bytes are
// all zero: storage comes zero-filled from calloc (on a large column, fresh
// pages the system hands out zeroed) and an element made without a value is
// left as those bytes. The pages of a column that no row fills are then
// never touched, which saves loading both the time and the memory. Every
// element given back is zero again, so that spare storage stays null.
template<class T> struct ZeroFilledAllocator
{
    using value_type = T;

    ZeroFilledAllocator() = default;
    template<class U> ZeroFilledAllocator(const ZeroFilledAllocator<U> &) noexcept { }

    T *allocate(std::size_t count)
    {
        void *storage = std::calloc(count, sizeof(T));
        if (!storage)
            throw std::bad_alloc();
        return static_cast<T *>(storage);
    }
    void deallocate(T *storage, std::size_t) noexcept { std::free(storage); }

    template<class U> void construct(U *at)
    {
        if (!nullIsZero<U>())
            ::new (static_cast<void *>(at)) U();
    }
    template<class U, class... Args> void construct(U *at, Args &&...args)
    {
        ::new (static_cast<void *>(at)) U(std::forward<Args>(args)...);
    }
    template<class U> void destroy(U *at) noexcept
    {
        at->~U();
        // Written only where needed, so that giving back an untouched page
        // does not touch it.
        static constexpr unsigned char zero[sizeof(U)] = {};
        if (std::memcmp(static_cast<const void *>(at), zero, sizeof(U)) != 0)
            std::memset(static_cast<void *>(at), 0, sizeof(U));
    }

    friend bool operator==(const ZeroFilledAllocator &, const ZeroFilledAllocator &) { return true; }

private:
    // Whether a value made without arguments is all zero bytes (a null QString is).
    template<class U> static bool nullIsZero()
    {
        static const bool zero = [] {
            alignas(U) unsigned char bytes[sizeof(U)] = {};
            U *made = ::new (static_cast<void *>(bytes)) U();
            static constexpr unsigned char none[sizeof(U)] = {};
            const bool allZero = std::memcmp(bytes, none, sizeof(U)) == 0;
            made->~U();
            return allZero;
        }();
        return zero;
    }
};

// The in-memory picture of a table file's rows: the ids, the slot each row
// lives in, the free slots a deleted row leaves, and the pool that shares
// equal short texts. It knows nothing of SQLite or of the lookup indexes;
// the table file fills and changes it after the durable copy has taken a
// change.
//
// Texts are kept column by column. The numbers of a row (dates, times,
// booleans, integers) are packed together in as few bytes as each type
// needs (a date or time in 4, a boolean in 1), so that reading several
// fields of one row touches one cache line, and a large table takes a
// third of the memory that a 64-bit column per field did.
class TablePicture
{
public:
    explicit TablePicture(const TableSchema &schema);

    static constexpr qint64 kBlank = std::numeric_limits<qint64>::min();

    // Whether a field's values are kept as numbers (all but Text and Memo).
    static bool isNumeric(FieldType type);
    // A field's value in its stored form (see numberAt); kBlank for a blank
    // value or a text field.
    static qint64 storedNumber(FieldType type, const QVariant &value);

    struct Column
    {
        bool numeric = true;
        std::vector<QString, ZeroFilledAllocator<QString>> texts; // text fields only; blank = null QString
    };

    // --- reading ----------------------------------------------------------
    bool contains(qint64 id) const { return m_slotById.count(id) != 0; }
    // Where a row lives in the picture, -1 for none.
    int slotOf(qint64 id) const;
    // A field of the row in a slot (the identity included); invalid for blank.
    QVariant valueAt(int slot, int field) const;
    // The stored form of a numeric field (Date: Julian day, Time: ms of the
    // day, Boolean: 0 or 1; the identity's id) or kBlank; kBlank for a text
    // field.
    qint64 numberAt(int slot, int field) const
    {
        return field == m_identityField ? m_ids[slot] : numberIn(rowAt(slot), m_places[field]);
    }
    const QString &textAt(int slot, int field) const { return m_columns[field].texts[slot]; }
    // numberAt for several fields of one row.
    void numbersAt(int slot, const int *fields, int count, qint64 *numbers) const;
    const Column &column(int field) const { return m_columns[field]; }
    int fieldCount() const { return int(m_columns.size()); }
    // Per slot; 0 = free slot.
    const std::vector<qint64> &ids() const { return m_ids; }
    int slotCount() const { return int(m_ids.size()); }
    size_t rowCount() const { return m_slotById.size(); }
    int identityField() const { return m_identityField; }
    // Moves on with every change to the rows (a row stored, a slot taken or
    // freed, the picture cleared or loaded anew), so that a copy of fields
    // read at one generation is known to be stale at the next.
    quint64 generation() const { return m_generation; }

    // --- loading ----------------------------------------------------------
    // The picture gets its final size at once; readers fill runs of ids and
    // texts through these pointers (texts are null for a numeric field) and
    // set numbers slot by slot.
    void resizeForLoad(size_t count);
    qint64 *idsFrom(size_t first) { return m_ids.data() + first; }
    QString *textsFrom(int field, size_t first);
    // Sets a numeric field of a slot (the identity's is its id, set apart).
    // Loaders on several threads may set fields of different slots at once.
    void setNumber(int slot, int field, qint64 number);
    void poolText(const QString &text) { m_textPool.insert(text); }
    // Maps every loaded id to its slot once the runs are filled.
    void mapLoadedIds();
    // Forgets every row (the text pool stays).
    void clear();

    // --- changing ---------------------------------------------------------
    // A free slot (or a new one at the end) for the row id.
    int takeSlot(qint64 id);
    // Blanks the slot and frees it for another row.
    void freeSlot(int slot);
    void storeRow(int slot, const std::vector<QVariant> &values);

private:
    QVariant cellValue(int slot, int field) const;
    QString internText(const QString &text);

    // Where a numeric field lies in its row's bytes, and how wide it is;
    // width 0 for texts and the identity.
    struct NumberPlace
    {
        quint16 offset = 0;
        quint8 width = 0;
    };
    static constexpr qint8 kBlank8 = std::numeric_limits<qint8>::min();
    static constexpr qint32 kBlank32 = std::numeric_limits<qint32>::min();
    const char *rowAt(int slot) const
    {
        return reinterpret_cast<const char *>(m_numbers.data()) + size_t(slot) * m_rowBytes;
    }
    // The number at place in a row's bytes; kBlank for a text field.
    static qint64 numberIn(const char *row, NumberPlace place)
    {
        const char *at = row + place.offset;
        if (place.width == 4) {
            qint32 middle;
            std::memcpy(&middle, at, 4);
            return middle == kBlank32 ? kBlank : middle;
        }
        if (place.width == 1) {
            qint8 small;
            std::memcpy(&small, at, 1);
            return small == kBlank8 ? kBlank : small;
        }
        if (place.width == 8) {
            qint64 wide;
            std::memcpy(&wide, at, 8);
            return wide;
        }
        return kBlank;
    }
    void blankNumbers(int slot);

    const TableSchema &m_schema;
    int m_identityField = -1; // the AutoIncrement field, -1 for rowid tables
    std::vector<Column> m_columns;
    std::vector<NumberPlace> m_places; // per field
    size_t m_rowBytes = 0;             // a multiple of 8
    std::vector<quint64> m_numbers;    // m_rowBytes per slot
    std::vector<qint64> m_ids;         // per slot; 0 = free slot
    std::vector<int> m_freeSlots;
    std::unordered_map<qint64, int> m_slotById;
    QSet<QString> m_textPool; // shares equal short texts (codes such as "0", "Normal")
    quint64 m_generation = 0;
};

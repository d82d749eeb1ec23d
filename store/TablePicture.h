#pragma once

#include "TableSchema.h"

#include <QSet>
#include <QString>
#include <QVariant>

#include <limits>
#include <unordered_map>
#include <vector>

// The in-memory picture of a table file's rows, column by column: the ids,
// the slot each row lives in, the free slots a deleted row leaves, and the
// pool that shares equal short texts. It knows nothing of SQLite or of the
// lookup indexes; the table file fills and changes it after the durable
// copy has taken a change.
class TablePicture
{
public:
    explicit TablePicture(const TableSchema &schema);

    static constexpr qint64 kBlank = std::numeric_limits<qint64>::min();

    // Whether a field's values are kept as numbers (all but Text and Memo).
    static bool isNumeric(FieldType type);

    struct Column
    {
        bool numeric = true;
        std::vector<qint64> numbers; // blank = kBlank
        std::vector<QString> texts;  // blank = null QString
    };

    // --- reading ----------------------------------------------------------
    bool contains(qint64 id) const { return m_slotById.count(id) != 0; }
    // Where a row lives in the columns, -1 for none.
    int slotOf(qint64 id) const;
    // A field of the row in a slot (the identity included); invalid for blank.
    QVariant valueAt(int slot, int field) const;
    qint64 numberAt(int slot, int field) const
    {
        return field == m_identityField ? m_ids[slot] : m_columns[field].numbers[slot];
    }
    const QString &textAt(int slot, int field) const { return m_columns[field].texts[slot]; }

    const Column &column(int field) const { return m_columns[field]; }
    int fieldCount() const { return int(m_columns.size()); }
    // Per slot; 0 = free slot.
    const std::vector<qint64> &ids() const { return m_ids; }
    int slotCount() const { return int(m_ids.size()); }
    size_t rowCount() const { return m_slotById.size(); }
    int identityField() const { return m_identityField; }

    // --- loading ----------------------------------------------------------
    // The columns get their final size at once; readers fill runs of them
    // through these pointers (numbers are null for a text field and texts
    // for a numeric one).
    void resizeForLoad(size_t count);
    qint64 *idsFrom(size_t first) { return m_ids.data() + first; }
    qint64 *numbersFrom(int field, size_t first);
    QString *textsFrom(int field, size_t first);
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

    const TableSchema &m_schema;
    int m_identityField = -1; // the AutoIncrement field, -1 for rowid tables
    std::vector<Column> m_columns;
    std::vector<qint64> m_ids;   // per slot; 0 = free slot
    std::vector<int> m_freeSlots;
    std::unordered_map<qint64, int> m_slotById;
    QSet<QString> m_textPool; // shares equal short texts (codes such as "0", "Normal")
};

#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// Logical field types of the table store. Blank (SQL NULL) is a value of
// every type.
enum class FieldType {
    Text,          // at most `size` characters
    Memo,          // long text
    Date,          // stored as "YYYY-MM-DD"
    Time,          // stored as "HH:MM:SS"
    Boolean,       // stored as 0 or 1
    Integer,       // signed 32-bit
    AutoIncrement, // assigned by the store at the first post
};

struct FieldDef
{
    QString name;
    FieldType type = FieldType::Text;
    int size = 0; // capacity of a Text field; declared size of a Memo
    // A field newer than files already in use: a file without its column
    // gets it added when opened for writing and reads it as blank otherwise.
    bool addedLater = false;
};

struct IndexDef
{
    QString name; // empty for the primary index
    QStringList fields;
    bool descending = false;
    bool caseInsensitive = false;
};

// One table of the store: its SQL table name inside the file, its fields in
// physical order and its index orders. A row's identity is its
// AutoIncrement field when the table has one (`No`, folders "1"); the
// options table has none and its single row is keyed by SQLite's rowid.
struct TableSchema
{
    QString sqlTable;
    QList<FieldDef> fields;
    QList<IndexDef> indexes;
    // The fields that readers of many rows at once ask for (the cells of
    // the views): the ranked candidate lists keep a copy of them beside
    // each row, so that a filter's rows are read from a few short arrays
    // instead of from all over the table. None for most tables.
    QStringList carried;

    // -1 when unknown; any case. Fields are read by name in every cell the
    // views paint, so an exact name is found without hashing the text.
    int fieldIndex(const QString &name) const
    {
        if (m_quickReady && !name.isEmpty()) {
            const int candidate = m_quick[quickSlot(name, m_quickMultiplier)];
            if (candidate >= 0 && sameText(fields[candidate].name, name))
                return candidate;
        }
        return fieldIndexByHash(name);
    }
    const IndexDef *index(const QString &name) const; // nullptr when unknown

    // Fills the name lookup; called once when the schema is built.
    void finishFields();

private:
    static constexpr int kQuickSize = 256;
    // Length, first and last character tell the fields of every table
    // apart; the multiplier spreads them over the slots.
    static int quickSlot(const QString &name, quint64 multiplier)
    {
        const quint64 key =
            (quint64(name.front().unicode()) << 32) | (quint64(name.back().unicode()) << 16) | quint16(name.size());
        return int((key * multiplier) >> 56) % kQuickSize;
    }
    static bool sameText(const QString &a, const QString &b)
    {
        if (a.size() != b.size())
            return false;
        const QChar *x = a.constData(), *y = b.constData();
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (x[i] != y[i])
                return false;
        }
        return true;
    }
    int fieldIndexByHash(const QString &name) const;

    QHash<QString, int> m_fieldByName; // exact and lower-case names
    // Exact names by slot, with a multiplier chosen so that no two fields
    // share one.
    std::array<qint16, kQuickSize> m_quick {};
    quint64 m_quickMultiplier = 0;
    bool m_quickReady = false;
};

// The calendar item table: 36 fields from `No` to `Tm`, then the series
// fields `Rr`, `Rx`, `Rp`, `Ro` that came later; SQL table "items",
// indexes primary (`No`), `end` (`Et` descending), `sta` (`Md`, `St`, `Et`,
// `S`, `Subject`, case-insensitive).
const TableSchema &calendarSchema();
// The options record: fields "1".."22", "30".."50", "52".."56", table
// "options"; "55" and "56" came later (see FieldDef::addedLater).
const TableSchema &optionsSchema();
// The folders list: fields "1".."8", table "folders".
const TableSchema &foldersSchema();

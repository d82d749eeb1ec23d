#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

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
};

struct IndexDef
{
    QString name;        // empty for the primary index
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

    int fieldIndex(const QString &name) const; // -1 when unknown; any case
    const IndexDef *index(const QString &name) const; // nullptr when unknown

    // Fills the name lookup; called once when the schema is built.
    void finishFields();

private:
    QHash<QString, int> m_fieldByName; // exact and lower-case names
};

// The calendar item table: 36 fields from `No` to `Tm`, SQL table "items",
// indexes primary (`No`), `end` (`Et` descending), `sta` (`Md`, `St`, `Et`,
// `S`, `Subject`, case-insensitive).
const TableSchema &calendarSchema();
// The options record: fields "1".."22", "30".."50", "52".."54", table "options".
const TableSchema &optionsSchema();
// The folders list: fields "1".."8", table "folders".
const TableSchema &foldersSchema();

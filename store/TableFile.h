#pragma once

#include "FilterExpression.h"
#include "RowRef.h"
#include "TableSchema.h"

#include <QSet>
#include <QString>
#include <QVariant>

#include <limits>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class Cursor;

// One open table file: the SQLite database that is the durable copy, and
// one in-memory picture of its rows that every cursor on the file reads.
// Every change is written to SQLite first (one transaction per post, with
// synchronous writes) and then to the picture, so a failed write leaves
// both as they were.
//
// The picture is column-wise and compact. Lookup structures are built the
// first time a filter can use them and then kept in step with every change:
// an equality index per field, and for a pair of date fields a span index
// (one-date rows through the equality index on the start, longer spans in
// month buckets). A filter clause reads only the smallest candidate list
// its tests allow, so a day's filter costs about the rows it returns.
class TableFile
{
public:
    ~TableFile();
    TableFile(const TableFile &) = delete;
    TableFile &operator=(const TableFile &) = delete;

    // The shared picture of the file at path, opened on first use. Null with
    // *error set (naming the file) when it is missing, not a database, damaged
    // or lacks the table or one of its fields; nothing is written to it then.
    static std::shared_ptr<TableFile> acquire(const QString &path, const TableSchema &schema, bool readOnly, QString *error);

    // Creates an empty table file at path, replacing an existing one. Fails
    // (and leaves an existing file untouched) when the file is open in this
    // process or locked by another.
    static bool create(const QString &path, const TableSchema &schema, QString *error);

    // Whether a table file of that name exists.
    static bool exists(const QString &path);

    // Whether the file is open through some cursor of this process.
    static bool isOpenHere(const QString &path);

    const TableSchema &schema() const { return m_schema; }
    QString path() const { return m_path; }
    bool readOnly() const { return m_readOnly; }

    // --- reading ----------------------------------------------------------
    bool contains(qint64 id) const { return m_slotById.count(id) != 0; }
    QVariant value(qint64 id, int field) const;      // invalid QVariant = blank / no row
    std::vector<QVariant> row(qint64 id) const;      // one value per field

    // Where a row lives in the columns, -1 for none. A row keeps its slot
    // until it is deleted; only then may another row take it.
    int slotOf(qint64 id) const;
    // A field of the row in a slot, without looking the row up by id.
    QVariant valueAt(int slot, int field) const;
    // The stored form of a numeric field (Date: Julian day, Time: ms of the
    // day, Boolean: 0 or 1; the identity's id) or kBlank; and a text field's
    // text (null when blank).
    qint64 numberAt(int slot, int field) const
    {
        return field == m_identityField ? m_ids[slot] : m_columns[field].numbers[slot];
    }
    const QString &textAt(int slot, int field) const { return m_columns[field].texts[slot]; }
    static constexpr qint64 kBlank = std::numeric_limits<qint64>::min();

    // Visible rows (id and slot) in an index's order. Cursors without a
    // filter share one list per order (kept until the next insert or edit),
    // so fifty cursors on one file hold the table's rows once.
    using RowList = ::RowList;
    // Where each shared list lost the deleted row, so that every cursor on
    // the list erases it once between them and adjusts its position.
    using ErasedAt = std::unordered_map<const RowList *, int>;

    // The rows that pass the filter (all rows for null), in the order of the
    // index (the primary index for null).
    std::shared_ptr<RowList> select(const FilterExpression *filter, const IndexDef *order);
    // Whether row a comes before row b in the order.
    bool lessInOrder(qint64 a, qint64 b, const IndexDef *order) const;

    // --- writing (durable first) ------------------------------------------
    // values holds one value per field; the identity field is ignored on
    // insert and receives the assigned id.
    bool insertRow(std::vector<QVariant> &values, qint64 *newId, QString *error);
    // *conflict tells a row that another program changed or deleted since
    // it was read: nothing was written, and the picture shows the file anew.
    bool updateRow(qint64 id, const std::vector<QVariant> &values, QString *error, bool *conflict = nullptr);
    bool deleteRow(qint64 id, QString *error);

    // Normalises a value to the field's type: "" and invalid -> blank, text
    // to date/time/bool/int. False when it is no value of that type.
    static bool coerce(const FieldDef &field, const QVariant &in, QVariant *out);
    // Binds a value in the file format every writer shares: NULL for blank,
    // 0/1, integers, ISO dates, HH:MM:SS, text.
    static void bindStored(sqlite3_stmt *statement, int position, const QVariant &value);

    void attach(Cursor *cursor);
    void detach(Cursor *cursor);

    // Re-reads the file when another connection has committed to it since
    // it was last read (SQLite's data_version), and has every cursor re-read
    // its rows; returns whether it did.
    bool syncWithFile();

private:
    TableFile(QString path, const TableSchema &schema, bool readOnly);
    // "The file ... is not a calendar file." (or options table, folders list)
    static QString notThisKind(const QString &path, const TableSchema &schema);
    bool load(QString *error);
    void recoverHotJournal() const;
    bool readAllRows(const QByteArray &select, QString *error);
    bool readPicture(QString *error); // the whole file into the empty picture
    bool reload(QString *error);      // the picture afresh; cursors re-read
    qint64 dataVersion() const;

    // A write over an existing row starts a write transaction and checks
    // that the stored row is as the picture shows it; otherwise it rolls
    // back, re-reads the picture and fails with a message (*gone tells a
    // row that another program deleted).
    enum class StoredRow { AsSeen, Changed, Gone, Unreadable };
    StoredRow compareStoredRow(qint64 id, int slot);
    bool beginCheckedWrite(qint64 id, int slot, QString *error, bool *gone = nullptr, bool *conflict = nullptr);
    bool changedOneRow(QString *error);
    bool commitWrite(QString *error);

    struct Column
    {
        bool numeric = true;
        std::vector<qint64> numbers; // blank = kBlank
        std::vector<QString> texts;  // blank = null QString
    };
    struct EqualityIndex
    {
        std::unordered_map<qint64, std::vector<int>> buckets; // key -> slots
    };
    struct SpanIndex
    {
        int startField = -1;
        int endField = -1;
        std::unordered_map<qint64, std::vector<int>> months; // month number -> slots with start < end
    };

    // The whole table in an index's order, built on first use and then kept
    // in step row by row; rank[slot] is a row's position, so any subset
    // sorts by comparing two integers.
    struct OrderCache
    {
        std::vector<int> sorted;
        std::vector<int> rank;
        bool rankDirty = true;
    };
    // An index order resolved to field positions, compared without name lookups.
    struct OrderPlan
    {
        const IndexDef *index = nullptr;
        std::vector<int> fields;
        bool descending = false;
        Qt::CaseSensitivity caseSensitivity = Qt::CaseSensitive;
    };
    const OrderPlan *orderPlan(const IndexDef *order) const;

    qint64 equalityKey(int slot, int field) const;
    static qint64 textKey(const QString &text);
    bool validate(const std::vector<QVariant> &values, QString *error) const;
    void storeRow(int slot, const std::vector<QVariant> &values);
    QVariant cellValue(int slot, int field) const;
    int compareInOrder(int slotA, int slotB, const IndexDef *order) const;
    void sortSlots(std::vector<int> &slotList, const IndexDef *order) const;
    const std::vector<int> &orderedSlots(const IndexDef *order);
    // The smallest candidate lists for a clause (or scanAll), and the test
    // that every candidate passes by construction (-1 for none).
    void candidatesFor(const FilterExpression::Clause &clause, std::vector<const std::vector<int> *> *lists, bool *scanAll,
                       int *impliedTest);

    EqualityIndex &equalityIndex(int field);
    SpanIndex &spanIndex(int startField, int endField);
    void indexSlot(int slot);
    void unindexSlot(int slot);
    static void addToSpan(SpanIndex &index, int slot, qint64 start, qint64 end);
    OrderCache &orderCache(const IndexDef *order);
    const std::vector<int> &ranks(const IndexDef *order);

    bool execute(const QString &sql, const std::vector<QVariant> &binds, QString *error, qint64 *insertedRowId = nullptr);
    QString errorText(const QString &what) const;
    QString internText(const QString &text);

    QString m_path;
    const TableSchema &m_schema;
    bool m_readOnly = false;
    sqlite3 *m_db = nullptr;
    QByteArray m_selectSql;   // every field of the rows in a rowid range
    qint64 m_dataVersion = -1; // of the file when the picture was read
    int m_identityField = -1; // the AutoIncrement field, -1 for rowid tables

    std::vector<Column> m_columns;
    std::vector<qint64> m_ids;   // per slot; 0 = free slot
    std::vector<int> m_freeSlots;
    std::unordered_map<qint64, int> m_slotById;
    QSet<QString> m_textPool; // shares equal short texts (codes such as "0", "Normal")

    std::vector<OrderPlan> m_orderPlans;
    std::map<int, EqualityIndex> m_equality;
    std::vector<SpanIndex> m_spans;
    std::map<const IndexDef *, OrderCache> m_orders;
    std::map<const IndexDef *, std::shared_ptr<RowList>> m_allRows; // shared unfiltered lists
    std::vector<quint32> m_marks; // per slot, for de-duplicating a select
    quint32 m_markStamp = 0;

    std::vector<Cursor *> m_cursors;
};

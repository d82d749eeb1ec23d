#pragma once

#include "store/FilterExpression.h"
#include "store/Result.h"
#include "store/RowRef.h"
#include "store/RowWrite.h"
#include "store/SqliteFile.h"
#include "store/TableIndexes.h"
#include "store/TablePicture.h"
#include "store/TableQuery.h"
#include "store/TableChange.h"
#include "store/TableSchema.h"

#include <QString>
#include <QVariant>

#include <limits>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

struct sqlite3_stmt;
class Cursor;

// One open table file: the SQLite database that is the durable copy, and
// one in-memory picture of its rows that every cursor on the file reads.
// Every change is written to SQLite first (one transaction per post, with
// synchronous writes) and then to the picture, so a failed write leaves
// both as they were.
//
// A TableFile owns the parts and runs that flow through them: SqliteFile is
// the durable copy, TablePicture the picture in memory, TableIndexes the
// lookup structures kept in step with it, and TableQuery chooses the rows
// of a filter in an order. It keeps the cursors on the file and tells them
// when a row goes or the picture is read anew.
class TableFile
{
public:
    ~TableFile();
    TableFile(const TableFile &) = delete;
    TableFile &operator=(const TableFile &) = delete;

    // The shared picture of the file at path, opened on first use. Fails
    // with a message naming the file when it is missing, not a database,
    // damaged or lacks the table or one of its fields; nothing is written to
    // it then.
    using Acquired = Result<std::shared_ptr<TableFile>>;
    static Acquired acquire(const QString &path, const TableSchema &schema, bool readOnly);

    // Creates an empty table file at path, replacing an existing one. Fails
    // (and leaves an existing file untouched) when the file is open in this
    // process or locked by another.
    static Outcome create(const QString &path, const TableSchema &schema);

    // Whether a table file of that name exists.
    static bool exists(const QString &path);

    // Whether the file is open through some cursor of this process.
    static bool isOpenHere(const QString &path);

    const TableSchema &schema() const { return m_schema; }
    QString path() const { return m_path; }
    bool readOnly() const { return m_readOnly; }

    // --- reading ----------------------------------------------------------
    bool contains(qint64 id) const { return m_picture.contains(id); }
    QVariant value(qint64 id, int field) const; // invalid QVariant = blank / no row
    std::vector<QVariant> row(qint64 id) const; // one value per field

    // Where a row lives in the picture, -1 for none. A row keeps its slot
    // until it is deleted; only then may another row take it.
    int slotOf(qint64 id) const;
    // A field of the row in a slot, without looking the row up by id.
    QVariant valueAt(int slot, int field) const;
    // The stored form of a numeric field (Date: Julian day, Time: ms of the
    // day, Boolean: 0 or 1; the identity's id) or kBlank; and a text field's
    // text (null when blank).
    qint64 numberAt(int slot, int field) const { return m_picture.numberAt(slot, field); }
    const QString &textAt(int slot, int field) const { return m_picture.textAt(slot, field); }
    void numbersAt(int slot, const int *fields, int count, qint64 *numbers) const
    {
        m_picture.numbersAt(slot, fields, count, numbers);
    }
    static constexpr qint64 kBlank = TablePicture::kBlank;

    // Visible rows (id and slot) in an index's order. Cursors without a
    // filter share one list per order (kept until the next insert or edit),
    // so fifty cursors on one file hold the table's rows once.
    using RowList = ::RowList;
    // Where each shared list lost the deleted row, so that every cursor on
    // the list erases it once between them and adjusts its position.
    using ErasedAt = TableQuery::ErasedAt;

    // The rows that pass the filter (all rows for null), in the order of the
    // index (the primary index for null).
    std::shared_ptr<RowList> select(const FilterExpression *filter, const IndexDef *order,
                                    std::shared_ptr<const CarriedRows> *carried = nullptr);
    // Fields of rows [from, from + count) of rows (a cursor's list, with
    // where select put their carried fields), as numbersAt and textAt give them.
    void readRows(const RowList &rows, const CarriedRows *carried, int from, int count,
                  const CarriedFields::Read &read) const
    {
        m_query.carriedFields().read(rows, carried, from, count, read);
    }
    // Whether row a comes before row b in the order.
    bool lessInOrder(qint64 a, qint64 b, const IndexDef *order) const;

    // --- writing (durable first) ------------------------------------------
    // A write that fails returns false and leaves the message in
    // lastError(), read by the cursor that asked before any other write.
    // values holds one value per field; the identity field is ignored on
    // insert and receives the assigned id.
    bool insertRow(std::vector<QVariant> &values, qint64 *newId);
    bool updateRow(qint64 id, const std::vector<QVariant> &values);
    bool deleteRow(qint64 id);
    QString lastError() const { return m_lastError; }
    // Whether the failed write met a row that another program changed or
    // deleted since it was read: nothing was written, and the picture shows
    // the file anew.
    bool lastWriteConflicted() const { return m_lastWriteConflicted; }

    // Puts rows back as they were, all in one transaction: each row must be
    // exactly `before` now (in the picture and in the file; no `before`: the
    // row must not exist), and becomes `after` (none: it is deleted) with
    // the same identity. When any row differs, nothing is written, the
    // picture shows the file anew and lastWriteConflicted() is set.
    bool rewriteRows(const std::vector<RowWrite> &rows);

    // Normalises a value to the field's type: "" and invalid -> blank, text
    // to date/time/bool/int. False when it is no value of that type.
    static bool coerce(const FieldDef &field, const QVariant &in, QVariant *out);

    void attach(Cursor *cursor);
    void detach(Cursor *cursor);

    // Re-reads the file when another connection has committed to it since
    // it was last read (SQLite's data_version), and has every cursor re-read
    // its rows; returns whether it did.
    bool syncWithFile();

    // --- change announcements ---------------------------------------------
    // Every write and every re-read of the file is noted here; announce()
    // then hands what was noted to the change hook of each cursor on the
    // file (Cursor::setChangeHook). Cursors announce at the end of their own
    // operations, when they are in a state that a listener may read, so a
    // listener never sees a cursor half way through a post.
    void announceChanges();

private:
    friend class Cursor;
    void noteChanged(qint64 id) { m_changedIds.push_back(id); }
    // Hands a write made through a cursor of this process to the write
    // hooks (Cursor::setWriteHook); a re-read and a rewrite never do.
    void tellWrite(qint64 id, RowWrite::Image before);
    bool hasWriteHooks() const;
    RowWrite::Image imageOf(qint64 id) const;
    // The picture's side of rewriteRows, once the file holds the rows.
    void showRewritten(const RowWrite &row);
    bool rewriteConflict(const QString &message);

    TableFile(QString path, const TableSchema &schema, bool readOnly);
    // False with the durable copy's lastError() saying why.
    bool load();
    bool reload(); // the picture afresh; cursors re-read
    // One number per row for what it holds, to tell the rows a re-read
    // changed from those it left as they were.
    std::unordered_map<qint64, size_t> rowFingerprints() const;
    size_t fingerprint(int slot) const;

    // A write over an existing row starts a write transaction and checks
    // that the stored row is as the picture shows it; otherwise it rolls
    // back, re-reads the picture and fails with lastError() (*gone tells a
    // row that another program deleted).
    bool beginCheckedWrite(qint64 id, int slot, bool *gone = nullptr);
    // False with lastError() when a value does not fit the file.
    bool validate(const std::vector<QVariant> &values);

    QString m_path;
    const TableSchema &m_schema;
    bool m_readOnly = false;

    // The picture, then what is built over it: the indexes read the
    // picture, and the query reads both. The durable copy comes last, so
    // that its connection closes before the picture is freed.
    TablePicture m_picture;
    TableIndexes m_indexes;
    TableQuery m_query;
    SqliteFile m_file;

    std::vector<Cursor *> m_cursors;

    std::vector<qint64> m_changedIds;   // written since the last announcement
    bool m_reloadedUnannounced = false; // the file was re-read: any row may have changed
    bool m_announcing = false;

    QString m_lastError;                // of the last write
    bool m_lastWriteConflicted = false; // of the last write
};

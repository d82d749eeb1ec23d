#pragma once

#include "store/RowRef.h"
#include "store/RowWrite.h"
#include "store/TableChange.h"
#include "store/TableSchema.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <QVariant>

#include <functional>
#include <limits>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

class TableFile;
class FilterExpression;
struct CarriedRows;

// A named cursor on one table file: its index order, its filter, its
// current row and its edit state. Many cursors may share one table file;
// they all read the one in-memory picture that the file keeps (TableFile),
// so a cursor's rows cost little more than the rows it returns.
//
// Values are QVariant: an invalid QVariant is a blank field; otherwise a
// QString (Text, Memo), QDate, QTime, bool or int. Blank booleans read as
// false in every test.
//
// Errors come back as values: operations that can fail return false and
// leave a message fit to show the user in lastError().
class Cursor
{
public:
    enum class State { Browse, Edit, Insert };

    explicit Cursor(QString name = QString());
    ~Cursor();
    Cursor(const Cursor &) = delete;
    Cursor &operator=(const Cursor &) = delete;

    QString name() const { return m_name; }

    // --- while closed -------------------------------------------------
    // Directory (with or without a trailing separator) and file name of the
    // table, and the schema the file must have.
    void setTableFile(const QString &directory, const QString &fileName, const TableSchema &schema);
    QString directory() const { return m_directory; }
    QString fileName() const { return m_fileName; }
    QString filePath() const;
    // A read-only cursor never writes to its file (posts fail with a message).
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // --- open and close -------------------------------------------------
    [[nodiscard]] bool open();
    void close();
    bool isOpen() const { return m_table != nullptr; }

    // "" (or "primary") for the primary index, "sta", "end".
    void setIndexName(const QString &name);
    QString indexName() const { return m_indexName; }

    // --- filter ---------------------------------------------------------
    // Parses the filter text (clauses joined by "or", tests joined by "and",
    // literals in single quotes, Null). A text that does not parse leaves the
    // previous filter in place and returns false; lastError() names the
    // position. When filtering is on, the visible rows are re-read.
    [[nodiscard]] bool setFilter(const QString &text);
    QString filter() const { return m_filterText; }
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }

    // --- navigation -----------------------------------------------------
    // Moving, re-reading (refresh, a new filter or index) and closing save a
    // pending edit or insert first, so no typing is lost; see
    // setPostFailureHook for a post that fails then.
    void first();
    void next();
    bool eof() const;
    int recordCount() const;
    // Goes to the first visible row whose field equals value; false when none.
    bool locate(const QString &field, const QVariant &value);
    // Re-reads the visible rows (posts through other cursors, and changes
    // other programs made to the file, become visible), keeping filter and
    // index; stays on the same row when it is still visible.
    void refresh();
    // Re-reads the file only when another program committed to it since it
    // was last read (every cursor on it then re-reads its rows), and
    // announces that; returns whether it did. Costs one small query when
    // nothing changed.
    bool noticeOutsideChanges();

    // --- editing --------------------------------------------------------
    void insert();             // a new row, every field blank
    [[nodiscard]] bool edit(); // the current row; false when there is none
    [[nodiscard]] bool post(); // writes the row durably, then runs the after-post hook
    void cancel();
    [[nodiscard]] bool deleteRow(); // the current row
    // Posts the given fields of the current row at once, beside an edit in
    // progress on it: the edit keeps its own changes (what setValue and
    // setText wrote) and takes the new values of the fields it left alone,
    // so that neither its later post nor its cancel undoes this one. In
    // browse state it is an ordinary edit and post. Runs the after-post hook.
    [[nodiscard]] bool postBesideEdit(const std::vector<std::pair<QString, QVariant>> &values);
    State state() const { return m_state; }

    // Runs after every successful post on this cursor.
    void setAfterPost(std::function<void()> hook) { m_afterPost = std::move(hook); }
    // Hears every change to the cursor's table file, whichever cursor (or
    // other program) made it: once per post or delete with its row, once per
    // re-read of the file with wholeFile. It runs when the writing cursor
    // has finished, so it may read and move any cursor; a cursor whose hook
    // is set hears changes made through every other cursor on the file.
    void setChangeHook(std::function<void(const TableChange &)> hook) { m_changeHook = std::move(hook); }
    // Hears every insert, update and delete that a cursor of this process
    // writes to the cursor's table file, with the row as it was and as it
    // is, at the moment it is written; other programs' writes and rewrites
    // (rewriteRows) are never heard here.
    void setWriteHook(std::function<void(const RowWrite &)> hook) { m_writeHook = std::move(hook); }
    // Writes rows of the table back to earlier images in one transaction
    // (see TableFile::rewriteRows) and announces them. False with
    // lastError() when a row is no longer what the caller expects (then
    // lastWriteConflicted()) or the file refuses the write; nothing was
    // written then.
    [[nodiscard]] bool rewriteRows(const std::vector<RowWrite> &rows);
    bool lastWriteConflicted() const { return m_lastWriteConflicted; }
    // The row with that identity as the table holds it; none when absent.
    RowWrite::Image rowImage(qint64 id) const;

    // Hears the message of a post that a move, refresh, re-filter or close
    // made on its own (to save a pending edit) and that failed. The edit
    // then stays and the cursor stays where it was; close drops it.
    void setPostFailureHook(std::function<void(const QString &)> hook) { m_postFailure = std::move(hook); }

    // --- fields ---------------------------------------------------------
    // Reading an unknown field name is a programming error (asserts) and
    // reads as blank.
    QVariant value(const QString &field) const { return value(this->field(field)); }
    bool isBlank(const QString &field) const { return isBlank(this->field(field)); }
    bool asBool(const QString &field) const { return asBool(this->field(field)); }  // blank -> false
    int asInt(const QString &field) const { return asInt(this->field(field)); }     // blank -> 0
    QDate asDate(const QString &field) const { return asDate(this->field(field)); } // blank -> invalid
    QTime asTime(const QString &field) const { return asTime(this->field(field)); } // blank -> invalid
    // blank -> "", dates/times in the locale's formats, int as decimal
    QString asText(const QString &field) const { return asText(this->field(field)); }

    // A field looked up by name once, for reads in a loop over many rows:
    // the reads that take it skip the name lookup and give the same values.
    struct Field
    {
        int index = -1;
    };
    Field field(const QString &name) const { return {fieldIndex(name)}; }
    QVariant value(Field field) const { return valueOf(field.index); }
    bool isBlank(Field field) const;
    bool asBool(Field field) const;
    int asInt(Field field) const;
    QDate asDate(Field field) const;
    QTime asTime(Field field) const;
    QString asText(Field field) const;
    // The text of a Text or Memo field without copying it (blank: empty).
    // The view is good until the cursor moves, re-reads or its row is edited.
    QStringView textView(Field field) const;
    // Several numeric fields of the current row in one call, for readers of
    // many rows, as stored numbers: a Date as its Julian day, a Time as ms of
    // the day, a Boolean as 0 or 1, an Integer as it is, the identity as the
    // id; kBlankNumber for a blank field, a text field or no row.
    static constexpr qint64 kBlankNumber = std::numeric_limits<qint64>::min();
    void readNumbers(const Field *fields, int count, qint64 *numbers) const;

    // A run of visible rows read at once, for readers of many rows (the
    // views' cells): the rows at positions [from, from + count)
    // in the cursor's order, each as moving onto it and reading it with
    // currentId, readNumbers and textView would give it, without moving the
    // cursor and without the checks of each of those calls. The fields a
    // view's cells read are kept beside the filter's candidates, so reading
    // them seldom reaches into the table's columns.
    struct RowBlock
    {
        const Field *numberFields = nullptr; // at most 64, each read as readNumbers does
        int numberCount = 0;
        const Field *textFields = nullptr; // at most 64, each read as textView does
        int textCount = 0;
        qint64 *ids = nullptr;        // one per row, or null
        qint64 *numbers = nullptr;    // numberCount per row, row after row
        QStringView *texts = nullptr; // textCount per row; good until a row of the table changes
    };
    // Returns how many rows it read: fewer near the end, none while a row
    // is being edited or inserted (read that one through the cursor).
    int readRows(int from, int count, const RowBlock &block) const;

    // Writes into the edit buffer (Edit or Insert state; asserts otherwise).
    // An invalid QVariant blanks the field. Capacities are checked at post.
    void setValue(const QString &field, const QVariant &value);
    // Writes from text: dates and times in the locale's formats, booleans
    // "True"/"False", integers in decimal; "" blanks the field. False with
    // lastError() when the text is no value of the field's type.
    [[nodiscard]] bool setText(const QString &field, const QString &text);

    QString lastError() const { return m_lastError; }

    // Identity of the current row (`No`, folders "1", the options rowid);
    // 0 when there is none or the row is not yet posted.
    qint64 currentId() const;

    const TableSchema *schema() const { return m_schema; }

private:
    friend class TableFile;
    void rowDeleted(qint64 id, std::unordered_map<const RowList *, int> &erasedAt);
    RowList &ownRows(); // copies a shared list before this cursor changes it
    // Posts a pending edit before the cursor moves or re-reads; false (and
    // reported) when that post fails.
    bool postPending();
    void rebuildRows(qint64 keepId); // after saving a pending edit
    void reselectRows(qint64 keepId);
    // The table re-read its file (another program changed it).
    void tableReloaded();
    int fieldIndex(const QString &field) const;
    // Takes the current row's slot from the row list; called whenever the
    // position or the visible rows change, so that field reads go straight
    // to the picture.
    void findCurrentSlot() { m_slot = m_table && m_pos < rowCount() ? (*m_rows)[m_pos].slot : -1; }
    QVariant valueOf(int field) const;
    // Whether field f of the current row can be read from its column as a
    // value of that type (not in edit, on a row, the field of that type).
    bool readsStored(int f, FieldType type) const
    {
        return f >= 0 && m_slot >= 0 && m_state == State::Browse && m_schema->fields[f].type == type;
    }
    int rowCount() const { return m_rows ? int(m_rows->size()) : 0; }
    qint64 idAt(int pos) const { return pos >= 0 && pos < rowCount() ? (*m_rows)[pos].id : 0; }
    bool inEdit() const { return m_state != State::Browse; }
    bool fail(const QString &message);
    void announce(); // hands what the table noted to the change hooks

    QString m_name;
    QString m_directory;
    QString m_fileName;
    bool m_readOnly = false;
    const TableSchema *m_schema = nullptr;
    std::shared_ptr<TableFile> m_table;
    QString m_indexName;
    QString m_filterText;
    std::shared_ptr<const FilterExpression> m_filterExpr;
    bool m_filtered = false;
    std::shared_ptr<RowList> m_rows; // the visible rows in index order (may be shared)
    // Where the filter found the carried fields of m_rows; dropped whenever
    // m_rows changes here, stale (and unread) once the table's rows change.
    std::shared_ptr<const CarriedRows> m_carried;
    int m_pos = 0;   // index into m_rows; == size() at end of data
    int m_slot = -1; // the table slot of the row at m_pos; -1 at end of data
    State m_state = State::Browse;
    std::vector<QVariant> m_buffer; // edit buffer, one value per field
    std::vector<bool> m_changed;    // per field: written since edit or insert began
    std::function<void()> m_afterPost;
    std::function<void(const QString &)> m_postFailure;
    std::function<void(const TableChange &)> m_changeHook;
    std::function<void(const RowWrite &)> m_writeHook;
    bool m_lastWriteConflicted = false; // of the last rewriteRows
    qint64 m_editId = 0;                // the row being edited (Edit state)
    QString m_staleEdit;                // why the edit may not be posted: another program changed its row
    QString m_lastError;
    QString m_bufferError; // a value setValue could not take; post refuses with it
};

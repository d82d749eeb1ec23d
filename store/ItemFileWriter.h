#pragma once

#include "store/TableSchema.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// Writes many calendar items straight into a calendar file in one SQLite
// transaction, beside the iCalendar UID each one came from, so that an
// import either lands whole or not at all and a later import of the same
// file finds what it already brought.
//
// The UIDs live in a second table of the calendar file, `item_uids`
// (`No` INTEGER PRIMARY KEY, `UID` TEXT UNIQUE), which the rest of the
// store never reads; a row of it whose item is gone means nothing.
//
// The writer is a connection of its own: cursors open on the same file see
// the new rows once their table file is re-read.
class ItemFileWriter
{
public:
    ItemFileWriter() = default;
    ~ItemFileWriter();
    ItemFileWriter(const ItemFileWriter &) = delete;
    ItemFileWriter &operator=(const ItemFileWriter &) = delete;

    // Every call that can fail returns false and leaves the message in
    // lastError().

    // Opens an existing calendar file (one with the `items` table).
    bool open(const QString &path);
    // Read-only: reads the UIDs but never writes, not even the UID table.
    bool openForReading(const QString &path);

    // UID -> `No` of every stored UID whose item still exists.
    QHash<QString, qint64> itemsByUid();
    // `No` -> UID, the same pairs the other way round.
    QHash<qint64, QString> uidsByItem();

    // Why a row of calendar values (one per field of calendarSchema(), the
    // identity ignored) cannot be stored: a value over its field's capacity
    // or not of its type. Empty when it can.
    static QString rowProblem(const std::vector<QVariant> &row);

    bool begin();
    // Inserts one item (values as rowProblem takes them) and, when uid is
    // not empty, its UID. *no receives the assigned identity.
    bool insertItem(const std::vector<QVariant> &row, const QString &uid, qint64 *no);
    // Gives items their UIDs (in the open transaction).
    bool setUid(qint64 no, const QString &uid);
    bool commit();
    void rollback();

    QString lastError() const { return m_lastError; }

private:
    bool addLaterFields(QString *error);
    bool openFile(const QString &path, bool readOnly, QString *error);
    bool exec(const char *sql, QString *error);
    bool ensureUidTable(QString *error);
    sqlite3_stmt *prepare(const QString &sql, QString *error);
    QString errorText(const QString &what) const;
    template<typename Each> void forEachUid(Each each);

    sqlite3 *m_db = nullptr;
    QString m_path;
    bool m_readOnly = false;
    bool m_inTransaction = false;
    sqlite3_stmt *m_insertItem = nullptr;
    sqlite3_stmt *m_insertUid = nullptr;
    QString m_lastError;
};

#pragma once

#include "store/Result.h"
#include "store/TableSchema.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class TablePicture;

// The SQLite side of a table file, its durable copy: the one connection,
// opening (with the recovery of a writer's unfinished change), reading
// every row into a picture, noticing other programs' commits, and the
// statements that insert, update and delete a row. Every write runs with
// synchronous writes in its own transaction; a write over an existing row
// first checks that the stored row is still the one the picture shows.
class SqliteFile
{
public:
    SqliteFile(QString path, const TableSchema &schema, bool readOnly);
    ~SqliteFile();
    SqliteFile(const SqliteFile &) = delete;
    SqliteFile &operator=(const SqliteFile &) = delete;

    // "The file ... is not a calendar file." (or options table, folders list)
    static QString notThisKind(const QString &path, const TableSchema &schema);
    static bool exists(const QString &path);
    // Why a write over a row that another program changed or deleted
    // since it was read saved nothing.
    static QString changedElsewhereText();
    static QString deletedElsewhereText();
    // Creates an empty table file at the absolute path, replacing an
    // existing one unless another program holds it locked.
    static Outcome create(const QString &absolute, const TableSchema &schema);
    // Binds a value in the file format every writer shares: NULL for blank,
    // 0/1, integers, ISO dates, HH:MM:SS, text.
    static void bindStored(sqlite3_stmt *statement, int position, const QVariant &value);
    // Adds the column of a field that came later to the table of an open
    // database (any connection): the one way every writer extends an
    // older file.
    static bool addColumn(sqlite3 *db, const TableSchema &schema, const FieldDef &field);

    // A call below that fails returns false (or a StoredRow other than
    // AsSeen) and leaves the message in lastError().
    QString lastError() const { return m_lastError; }

    // Opens the file and checks that it holds the table and its fields
    // (adding a field that came later, unless read-only).
    bool open();
    // The whole file into the empty picture, in one read transaction.
    bool readPicture(TablePicture &picture);
    // Whether another connection has committed to the file since it was
    // last read (SQLite's data_version).
    bool changedSinceRead() const { return dataVersion() != m_dataVersion; }

    // A write over an existing row starts a write transaction and checks
    // that the stored row is as the picture shows it; otherwise it rolls
    // back and fails with a message. NotBegun: no transaction could start.
    enum class StoredRow { AsSeen, Changed, Gone, Unreadable, NotBegun };
    StoredRow beginCheckedWrite(qint64 id, int slot, const TablePicture &picture);

    // values holds one value per field; the identity field is not written
    // and *id receives the one SQLite assigns.
    bool insertRow(const std::vector<QVariant> &values, qint64 *id);
    // Inside a checked write begun for the row: write it and commit, or
    // roll back and fail.
    bool updateRow(qint64 id, const std::vector<QVariant> &values);
    bool deleteRow(qint64 id);

    // Several rows in one write transaction (an undo puts a step's rows
    // back at once): beginWrite, then storedRow to check each row against
    // the picture (slot -1: the row must not exist), putRow and removeRow,
    // then commitWrite, or rollbackWrite on any failure.
    bool beginWrite();
    StoredRow storedRow(qint64 id, int slot, const TablePicture &picture);
    // Writes the row with that identity, inserting it when it is not there.
    bool putRow(qint64 id, const std::vector<QVariant> &values);
    bool removeRow(qint64 id);
    bool commitWrite();
    void rollbackWrite();

private:
    void recoverHotJournal() const;
    bool readAllRows(TablePicture &picture, const QByteArray &select, QString *error);
    qint64 dataVersion() const;
    StoredRow compareStoredRow(qint64 id, int slot, const TablePicture &picture);
    bool changedOneRow(QString *error);
    bool commitWrite(QString *error);
    // An INSERT (or INSERT OR REPLACE) of one row's fields, the identity
    // first when one is given.
    bool writeRow(const QString &verb, const QString &identity, qint64 id, const std::vector<QVariant> &values,
                  qint64 *newId);
    bool execute(const QString &sql, const std::vector<QVariant> &binds, QString *error,
                 qint64 *insertedRowId = nullptr);
    QString errorText(const QString &what) const;

    QString m_path;
    const TableSchema &m_schema;
    bool m_readOnly = false;
    int m_identityField = -1; // the AutoIncrement field, -1 for rowid tables
    sqlite3 *m_db = nullptr;
    QByteArray m_selectSql;    // every field of the rows in a rowid range
    qint64 m_dataVersion = -1; // of the file when the picture was read
    QString m_lastError;
};

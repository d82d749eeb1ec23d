#pragma once

#include "sync/CalDavBinding.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The sync side of a calendar file, on a connection of its own (the way
// another program writes the file). Two tables beside `items`:
//
//   caldav_binding ("Url" TEXT, "User" TEXT, "SyncToken" TEXT, "ServerTag"
//     TEXT, "FileVersion" TEXT): one row, the collection the calendar is
//     bound to and the server's sync token of the last completed pull. No
//     row, or a blank "Url": not bound. "ServerTag": the collection's sync
//     token when the last sync ended without sending anything, so that the
//     same token on the server means nothing changed there. "FileVersion":
//     the file's change counter as the last sync that left nothing waiting
//     committed it, so that the same counter means nothing changed here.
//     Blank: unknown, the next sync compares everything. "Sent": the
//     hrefs sent since the sync token was taken, one a line.
//   caldav_items ("No" INTEGER PRIMARY KEY, "Href" TEXT, "ETag" TEXT,
//     "Hash" TEXT, "Raw" TEXT, "ReadOnly" INTEGER): per item row that is on
//     the server, the object's href, the ETag last seen, the hash of the
//     row's fields when it was last synced, and (on the row that carries the
//     object's UID) the object as the server holds it, so that what the
//     planner does not show goes back untouched. A blank "ETag" is an object
//     sent as new whose answer never came; "ReadOnly" 1 marks the dates of a
//     series the planner cannot hold.
//
// A row whose hash differs from its stored one was changed here (by the
// window or another program); a row without state is new; state without a
// row was deleted. Item rows and their state change in one transaction.
class SyncStateFile
{
public:
    // raw is read by raw() alone: states() leaves it empty.
    struct ItemState
    {
        QString href;
        QString etag;
        QByteArray hash;
        QByteArray raw;
        bool readOnly = false;
    };
    // One row of `items` as sync sees it.
    struct LocalRow
    {
        qint64 no = 0;
        QByteArray hash;
        qint64 seriesNo = 0; // `Rp`, 0 when blank
        QString start;       // `S`, ISO
        QString replaced;    // `Ro`, ISO: the date a moved occurrence replaces
    };

    SyncStateFile() = default;
    ~SyncStateFile();
    SyncStateFile(const SyncStateFile &) = delete;
    SyncStateFile &operator=(const SyncStateFile &) = delete;

    // Calls that can fail return false and leave the message in lastError().
    bool open(const QString &calendarPath, bool readOnly = false);
    QString lastError() const { return m_lastError; }

    std::optional<CalDavBinding> binding();
    bool writeBinding(const CalDavBinding &binding); // forgets the old collection's state when it changes
    bool clearBinding();
    QString syncToken();
    bool setSyncToken(const QString &token);
    // Setting the token forgets what was sent before it.
    QStringList sentSinceToken();
    bool addSent(const QStringList &hrefs);
    QString serverTag();
    bool setServerTag(const QString &tag);
    // Whether the file is as the last sync that left nothing waiting saw
    // it: its change counter is the one that sync recorded. False when
    // unknown (never recorded, a WAL file, unreadable).
    bool unchangedSinceSync();
    // Inside a write transaction before its first write: records the
    // counter this transaction's commit leaves. Records nothing where the
    // file keeps no counter (WAL mode).
    bool recordFileVersion();
    // SQLite's data_version of this connection: the same value again means
    // no other connection committed in between.
    qint64 dataVersion();

    QHash<qint64, ItemState> states();
    QByteArray raw(qint64 no);
    std::vector<LocalRow> rows();
    QHash<qint64, QString> uids();

    bool begin();
    bool commit();
    void rollback();

    // Inside a transaction. values: one per calendar field (identity ignored).
    bool insertItem(const std::vector<QVariant> &values, qint64 *no);
    // Writes every field but the identity and the reminder's own state on
    // this device (snooze, dismissal).
    bool updateItem(qint64 no, const std::vector<QVariant> &values);
    bool deleteItem(qint64 no); // with its state and UID
    // A copy of the row with " (conflicting copy)" after its subject; no
    // state, no UID, so it goes up as a new item. seriesNo: the copy's `Rp`
    // when the copied row was a moved occurrence of a copied series.
    bool copyAsConflict(qint64 no, qint64 seriesNo, qint64 *copy);
    bool setField(qint64 no, const QString &field, const QVariant &value);
    bool setUid(qint64 no, const QString &uid);
    bool putState(qint64 no, const ItemState &state);
    bool dropState(qint64 no);
    // The hash of the stored row, computed like rows() does.
    QByteArray rowHash(qint64 no);

    static QString conflictSuffix();

private:
    bool exec(const char *sql);
    sqlite3_stmt *prepare(const QString &sql);
    sqlite3_stmt *cached(const QString &sql);
    std::optional<quint32> changeCounter();
    QString bindingText(const char *column);
    bool run(const QString &sql, const std::vector<QVariant> &binds);
    bool ensureTables();
    std::optional<QStringList> columnsOf(const char *table);
    QString errorText(const QString &what) const;

    sqlite3 *m_db = nullptr;
    QString m_path;
    bool m_inTransaction = false;
    QHash<QString, sqlite3_stmt *> m_statements; // by their SQL, prepared once
    QString m_lastError;
};

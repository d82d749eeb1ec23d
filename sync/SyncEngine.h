#pragma once

#include "sync/CalDavBinding.h"
#include "sync/SyncSummary.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QNetworkAccessManager;

// Keeps one calendar file in step with its CalDAV collection, both ways,
// asynchronously on the event loop (QNetworkAccessManager; nothing blocks).
//
// A sync pulls what changed on the server (sync-collection where offered,
// else the ETags of a Depth 1 PROPFIND; objects in calendar-multiget
// batches), then pushes what changed locally (new items with
// If-None-Match: *, changes and deletes with If-Match). An item changed on
// both sides keeps both: the server's version stays and the local one
// becomes a new item "<subject> (conflicting copy)". A 5xx answer leaves
// the change waiting for the next sync.
//
// The engine writes the calendar file through a connection of its own,
// with each batch of items and their sync state in one SQLite
// transaction, as another program would: a running window sees the
// changes through its outside-change check, so sync never lands on the
// undo stack. Killed at any point, the next sync completes the work with
// nothing lost or doubled.
class SyncEngine : public QObject
{
    Q_OBJECT
public:
    // typeNames: the display names of the event types 0..10 (CATEGORIES).
    // network: shared with the caller, or nullptr for one of its own.
    SyncEngine(QString calendarPath, CalDavBinding binding, QString password, QStringList typeNames,
               QNetworkAccessManager *network = nullptr, QObject *parent = nullptr);
    ~SyncEngine() override;

    // Runs one sync; finished() follows once. Calling it while running does
    // nothing.
    void start();
    // Runs only the sign-in and collection check of a sync ("Test"):
    // finished() says whether the collection answers and the credentials
    // are accepted, and changes nothing.
    void startTest();
    // Stops after the request under way; finished() follows with
    // Failure::Cancelled. What is already written stays and is consistent.
    void cancel();
    bool isRunning() const;

    QString calendarPath() const;
    const CalDavBinding &binding() const;

    // How many local changes (new, changed, deleted items) are not on the
    // server yet: for "Offline — 3 changes waiting". Reads the file only.
    static int changesWaiting(const QString &calendarPath);

signals:
    // done of total objects fetched or sent in this sync; total may grow.
    void progress(int done, int total);
    void finished(const SyncSummary &summary);

private:
    struct Run;
    std::unique_ptr<Run> m_run;
    QString m_calendarPath;
    CalDavBinding m_binding;
    QString m_password;
    QStringList m_typeNames;
    QNetworkAccessManager *m_network = nullptr;
    bool m_ownNetwork = false;
};

#pragma once

#include "sync/CalDavBinding.h"
#include "sync/SyncStateFile.h"
#include "sync/SyncSummary.h"

#include "store/Result.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;
struct SyncPush;
namespace DavXml {
struct Multistatus;
}

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

    // For tests: the paths the servers at hand would not take on their own.
    struct TestHooks
    {
        // List by the ETags of a PROPFIND even where sync-collection is offered.
        bool listByEtags = false;
        // Called once per sync when the pull is done, before the first push.
        std::function<void()> beforePush;
    };
    void setTestHooks(TestHooks hooks);

signals:
    // done of total objects fetched or sent in this sync; total may grow.
    void progress(int done, int total);
    void finished(const SyncSummary &summary);

private:
    void begin(bool testOnly);
    QUrl collectionUrl() const;
    QUrl objectUrl(const QString &href) const;
    void send(const QByteArray &verb, const QUrl &url, const QByteArray &body,
              const QList<QPair<QByteArray, QByteArray>> &headers, std::function<void(QNetworkReply *)> answered);
    void askDav(const QByteArray &verb, const QByteArray &depth, const QByteArray &body, const QString &what,
                std::function<void(const DavXml::Multistatus &)> answered,
                std::function<bool(QNetworkReply *)> otherStatus = {});
    bool refused(QNetworkReply *reply);
    static int statusOf(QNetworkReply *reply);
    QString answerText(QNetworkReply *reply) const;
    void serverError(QNetworkReply *reply, const QString &what);

    void probe();
    bool reopenForWriting();
    void list();
    void listChanges(const QString &token);
    void listEverything();
    void takeListing(const DavXml::Multistatus &answer);

    void applyListedNext();
    void fetchNext();
    bool applyBatch(const DavXml::Multistatus &answer);
    bool applyObject(const QString &href, const QString &etag, const QByteArray &data, const std::vector<qint64> &group,
                     const QHash<qint64, SyncStateFile::ItemState> &states,
                     const QHash<qint64, SyncStateFile::LocalRow> &local);
    bool copyAsConflicts(const std::vector<qint64> &rows, const QHash<qint64, SyncStateFile::LocalRow> &local,
                         QHash<qint64, qint64> *copies);
    void applyRemovals();

    void planPushes();
    Result<QByteArray> exported(const SyncPush &push, const QByteArray &raw);
    void pushNext();
    void pushAnswered(QNetworkReply *reply, const QByteArray &body, const QHash<qint64, QByteArray> &hashes);
    void pushesDone();
    void settle();

    bool failLocal();
    void finish();
    void fail(SyncSummary::Failure failure, const QString &message);

    struct Run;
    std::unique_ptr<Run> m_run;
    QString m_calendarPath;
    CalDavBinding m_binding;
    QString m_password;
    QStringList m_typeNames;
    QNetworkAccessManager *m_network = nullptr;
    bool m_ownNetwork = false;
    TestHooks m_hooks;
};

#include "sync/SyncEngine.h"

#include "sync/DavXml.h"
#include "sync/SyncStateFile.h"
#include "sync/UnshownProperties.h"

#include "ical/IcsExporter.h"
#include "ical/IcsImporter.h"
#include "store/Clock.h"
#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/TableSchema.h"

#include <QAuthenticator>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSet>
#include <QSslError>
#include <QTimer>
#include <QUuid>

#include <algorithm>
#include <functional>
#include <map>

namespace {

// Objects asked for in one calendar-multiget: large enough that a first
// sync of thousands costs few round trips, small enough that each answer
// (and its transaction) stays modest.
constexpr int multigetBatch = 200;
// A 412 means the server changed an object under the push: pull again and
// retry, a few times at most.
constexpr int maxRestarts = 2;

// Hrefs as paths, whichever form the server writes them in.
QString pathOf(const QString &href)
{
    if (href.contains(QLatin1String("://")))
        return QUrl::fromEncoded(href.toUtf8()).path(QUrl::FullyEncoded);
    return href;
}

// A resource name from a UID: only characters no server or proxy mangles.
QString resourceName(const QString &uid)
{
    QString name;
    for (const QChar c : uid)
        name += (c.isLetterOrNumber() && c.unicode() < 128) || c == QLatin1Char('-') || c == QLatin1Char('.')
            ? c
            : QLatin1Char('_');
    return name + QStringLiteral(".ics");
}

int fieldIndex(const QString &name)
{
    return calendarSchema().fieldIndex(name);
}

} // namespace

// One object that goes up.
struct SyncPush
{
    enum Kind { Create, Change, Delete } kind = Change;
    QString href;            // empty for a new object until it is given one
    QString etag;            // last seen (Change, Delete)
    qint64 master = 0;       // the row carrying the UID (Create, Change)
    std::vector<qint64> nos; // every row of the object that has or gets its state
};

namespace {

// What changed here since the last sync, one push per object. A row with
// state whose hash differs, or state whose row is gone, changes its
// object; a row without state is new, part of its series' object when it
// is a moved occurrence. A series the planner cannot hold never goes up.
std::vector<SyncPush> plannedPushes(SyncStateFile &file)
{
    const QHash<qint64, SyncStateFile::ItemState> states = file.states();
    const std::vector<SyncStateFile::LocalRow> rows = file.rows();
    QHash<qint64, const SyncStateFile::LocalRow *> rowByNo;
    for (const SyncStateFile::LocalRow &row : rows)
        rowByNo.insert(row.no, &row);

    struct Object
    {
        QString etag;
        bool readOnly = false;
        bool changed = false;
        qint64 master = 0;
        std::vector<qint64> nos;
    };
    std::map<QString, Object> objects;
    for (auto it = states.constBegin(); it != states.constEnd(); ++it) {
        Object &object = objects[it->href];
        if (!it->etag.isEmpty())
            object.etag = it->etag;
        object.readOnly = object.readOnly || it->readOnly;
        object.nos.push_back(it.key());
        if (!rowByNo.contains(it.key()))
            object.changed = true;
    }
    std::map<qint64, std::vector<qint64>> fresh; // new object's master row -> its rows
    for (const SyncStateFile::LocalRow &row : rows) {
        const auto state = states.constFind(row.no);
        if (state != states.constEnd()) {
            Object &object = objects[state->href];
            if (row.hash != state->hash || state->etag.isEmpty())
                object.changed = true;
            if (!row.seriesNo)
                object.master = row.no;
            continue;
        }
        const auto seriesState = states.constFind(row.seriesNo);
        if (row.seriesNo && seriesState != states.constEnd()) {
            Object &object = objects[seriesState->href];
            object.changed = true;
            object.nos.push_back(row.no);
        } else if (row.seriesNo && rowByNo.contains(row.seriesNo)) {
            fresh[row.seriesNo].push_back(row.no);
        } else {
            fresh[row.no].push_back(row.no);
        }
    }
    std::vector<SyncPush> pushes;
    for (const auto &[href, object] : objects) {
        if (object.readOnly || !object.changed)
            continue;
        SyncPush push;
        push.href = href;
        push.etag = object.etag;
        push.master = object.master;
        push.nos = object.nos;
        // Without its series row the object is deleted, moved occurrences
        // and all; an object sent as new and never confirmed goes again.
        push.kind = !object.master ? SyncPush::Delete : object.etag.isEmpty() ? SyncPush::Create : SyncPush::Change;
        pushes.push_back(push);
    }
    for (const auto &[master, nos] : fresh) {
        SyncPush push;
        push.kind = SyncPush::Create;
        push.master = master;
        push.nos = nos;
        if (std::find(push.nos.begin(), push.nos.end(), master) == push.nos.end())
            push.nos.insert(push.nos.begin(), master);
        pushes.push_back(push);
    }
    return pushes;
}

} // namespace

// One sync under way: its requests chain through the handlers below.
struct SyncEngine::Run
{
    bool testOnly = false;
    bool cancelled = false;
    bool done = false;
    std::unique_ptr<SyncStateFile> file = std::make_unique<SyncStateFile>();
    SyncSummary summary;
    QPointer<QNetworkReply> reply;
    QSet<QNetworkReply *> signedIn; // replies given the credentials once
    QString sslText;
    int restarts = 0;
    bool offersSyncCollection = false;
    QString token;                  // the server's token once the pull is complete
    bool fullListing;               // the listing names every object (so absent ones are gone)
    QHash<QString, QString> listed; // href -> ETag of the objects changed (or all)
    QStringList removed;            // hrefs gone from the server
    QStringList toFetch;
    int fetched = 0;
    QHash<QString, DavXml::Response> inlineObjects; // listed with their object
    QStringList toApply;                            // changed objects that came with the listing
    int applied = 0;
    // The calendar file as the pull began. An object is fetched once per
    // pull and touches only its own rows, so this stays true for the
    // objects still to come.
    QHash<qint64, SyncStateFile::ItemState> states;
    QHash<qint64, SyncStateFile::LocalRow> local;
    QHash<QString, std::vector<qint64>> rowsOf; // href -> rows with its state
    int progressTotal = 0;
    int progressDone = 0;

    std::vector<SyncPush> pushes;
    size_t nextPush = 0;
    bool pushRefused = false; // a 412: pull again

    // One reader of objects for the whole sync: "today" (where an endless
    // series is cut) and the local zone are looked up once.
    std::optional<IcsImporter> importer;
    QString serverTag;    // as the file held it when the sync began
    bool pulled = false;  // a pull completed in this run
    bool sentAny = false; // a push went out in this run: the server's token moved
    bool hookRan = false;
    qint64 plannedAt = -1; // the file's data_version before the pushes were planned
};

SyncEngine::SyncEngine(QString calendarPath, CalDavBinding binding, QString password, QStringList typeNames,
                       QNetworkAccessManager *network, QObject *parent)
    : QObject(parent)
    , m_calendarPath(std::move(calendarPath))
    , m_binding(std::move(binding))
    , m_password(std::move(password))
    , m_typeNames(std::move(typeNames))
    , m_network(network)
{
    if (!m_network) {
        m_network = new QNetworkAccessManager(this);
        m_ownNetwork = true;
    }
    // Credentials are given once per request: a second ask means the
    // server refused them, and the request then ends in 401.
    connect(m_network, &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply *reply, QAuthenticator *authenticator) {
                if (!m_run || reply != m_run->reply || m_run->signedIn.contains(reply))
                    return;
                m_run->signedIn.insert(reply);
                authenticator->setUser(m_binding.user);
                authenticator->setPassword(m_password);
            });
}

SyncEngine::~SyncEngine()
{
    // An aborted reply finishes at once; nobody is left to hear it.
    if (m_run) {
        m_run->done = true;
        if (m_run->reply)
            m_run->reply->abort();
    }
}

QString SyncEngine::calendarPath() const
{
    return m_calendarPath;
}

const CalDavBinding &SyncEngine::binding() const
{
    return m_binding;
}

bool SyncEngine::isRunning() const
{
    return m_run && !m_run->done;
}

void SyncEngine::start()
{
    begin(false);
}

void SyncEngine::startTest()
{
    begin(true);
}

void SyncEngine::cancel()
{
    if (!isRunning())
        return;
    m_run->cancelled = true;
    if (m_run->reply)
        m_run->reply->abort();
}

void SyncEngine::begin(bool testOnly)
{
    if (isRunning())
        return;
    m_run = std::make_unique<Run>();
    m_run->testOnly = testOnly;
    m_run->importer.emplace(m_typeNames, Clock::today());
    if (const QString problem = CalDavBinding::urlProblem(m_binding.url); !problem.isEmpty()) {
        fail(SyncSummary::Failure::Unreachable, problem);
        return;
    }
    // Nothing is written before the server has answered: a refused sign-in
    // or an absent server leaves the calendar file as it was.
    if (!m_run->file->open(m_calendarPath, true)) {
        fail(SyncSummary::Failure::LocalFile, m_run->file->lastError());
        return;
    }
    m_run->serverTag = m_run->file->serverTag();
    probe();
}

void SyncEngine::setTestHooks(TestHooks hooks)
{
    m_hooks = std::move(hooks);
}

// --- requests -------------------------------------------------------------

QUrl SyncEngine::collectionUrl() const
{
    QUrl url = m_binding.url;
    if (!url.path().endsWith(QLatin1Char('/')))
        url.setPath(url.path() + QLatin1Char('/'));
    return url;
}

QUrl SyncEngine::objectUrl(const QString &href) const
{
    return collectionUrl().resolved(QUrl::fromEncoded(href.toUtf8()));
}

void SyncEngine::send(const QByteArray &verb, const QUrl &url, const QByteArray &body,
                      const QList<QPair<QByteArray, QByteArray>> &headers,
                      std::function<void(QNetworkReply *)> answered)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    QNetworkReply *reply = m_network->sendCustomRequest(request, verb, body);
    m_run->reply = reply;
    connect(reply, &QNetworkReply::sslErrors, this, [this](const QList<QSslError> &errors) {
        QStringList texts;
        for (const QSslError &error : errors)
            texts << error.errorString();
        if (m_run)
            m_run->sslText = texts.join(QLatin1String("; "));
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, answered = std::move(answered)] {
        reply->deleteLater();
        if (!m_run || m_run->done)
            return;
        m_run->signedIn.remove(reply);
        if (m_run->cancelled) {
            fail(SyncSummary::Failure::Cancelled, QStringLiteral("The sync was cancelled."));
            return;
        }
        if (refused(reply))
            return;
        answered(reply);
    });
}

// Ends the run on an answer that is no answer of the collection: no
// connection, a certificate, a refused sign-in. Returns whether it did.
bool SyncEngine::refused(QNetworkReply *reply)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString server = m_binding.url.toDisplayString(QUrl::RemoveUserInfo);
    if (status == 401 || status == 403 || reply->error() == QNetworkReply::AuthenticationRequiredError) {
        fail(SyncSummary::Failure::SignInFailed,
             QStringLiteral("%1 refused the sign-in: %2")
                 .arg(server,
                      QStringLiteral("%1 %2")
                          .arg(status ? status : 401)
                          .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())
                          .trimmed()));
        return true;
    }
    if (status != 0)
        return false;
    if (reply->error() == QNetworkReply::SslHandshakeFailedError || !m_run->sslText.isEmpty()) {
        fail(SyncSummary::Failure::Certificate,
             QStringLiteral("The certificate of %1 is not valid: %2")
                 .arg(server, m_run->sslText.isEmpty() ? reply->errorString() : m_run->sslText));
        return true;
    }
    fail(SyncSummary::Failure::Unreachable,
         QStringLiteral("%1 cannot be reached: %2").arg(server, reply->errorString()));
    return true;
}

int SyncEngine::statusOf(QNetworkReply *reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

// "500 Internal Server Error"
QString SyncEngine::answerText(QNetworkReply *reply) const
{
    return QStringLiteral("%1 %2")
        .arg(statusOf(reply))
        .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
}

void SyncEngine::serverError(QNetworkReply *reply, const QString &what)
{
    fail(SyncSummary::Failure::ServerError,
         QStringLiteral("%1 answered %2 to %3")
             .arg(m_binding.url.toDisplayString(QUrl::RemoveUserInfo), answerText(reply), what));
}

// Every WebDAV question of a sync on the collection: an answer other than a
// readable multistatus ends the run as a server error, unless otherStatus
// takes a status other than 207 (it returns whether it did).
void SyncEngine::askDav(const QByteArray &verb, const QByteArray &depth, const QByteArray &body, const QString &what,
                        std::function<void(const DavXml::Multistatus &)> answered,
                        std::function<bool(QNetworkReply *)> otherStatus)
{
    send(verb, collectionUrl(), body, {{"Depth", depth}, {"Content-Type", "application/xml; charset=utf-8"}},
         [this, what, answered = std::move(answered), otherStatus = std::move(otherStatus)](QNetworkReply *reply) {
             if (statusOf(reply) != 207) {
                 if (!otherStatus || !otherStatus(reply))
                     serverError(reply, what);
                 return;
             }
             const DavXml::Multistatus answer = DavXml::parse(reply->readAll());
             if (!answer.ok) {
                 QString subject = what;
                 subject[0] = subject[0].toUpper();
                 fail(SyncSummary::Failure::ServerError,
                      QStringLiteral("%1 cannot be read: %2").arg(subject, answer.error));
                 return;
             }
             answered(answer);
         });
}

// --- the collection -------------------------------------------------------

void SyncEngine::probe()
{
    // The sync token only where the file holds one to compare it with (a
    // server may hash every object for it): when it is still the same,
    // nothing changed on the server and the pull is skipped.
    const bool askToken = !m_run->testOnly && !m_run->serverTag.isEmpty() && !m_hooks.listByEtags;
    const QString server = m_binding.url.toDisplayString(QUrl::RemoveUserInfo);
    askDav(
        "PROPFIND", "0", DavXml::collectionPropfind(askToken), QStringLiteral("the collection's properties"),
        [this, askToken, server](const DavXml::Multistatus &answer) {
            const bool calendar = std::any_of(answer.responses.begin(), answer.responses.end(),
                                              [](const DavXml::Response &r) { return r.calendar; });
            if (!calendar) {
                fail(SyncSummary::Failure::NotCalendar, QStringLiteral("%1 is no calendar collection").arg(server));
                return;
            }
            m_run->offersSyncCollection = !m_hooks.listByEtags
                && std::any_of(answer.responses.begin(), answer.responses.end(),
                               [](const DavXml::Response &r) { return r.syncCollection; });
            if (m_run->testOnly) {
                finish();
                return;
            }
            const bool serverUnchanged =
                askToken && m_run->offersSyncCollection && answer.syncToken == m_run->serverTag;
            if (serverUnchanged && m_run->file->unchangedSinceSync()) {
                finish(); // nothing changed on either side: nothing written
                return;
            }
            // From here on the engine writes.
            if (!reopenForWriting())
                return;
            if (serverUnchanged)
                planPushes();
            else
                list();
        },
        [this, server](QNetworkReply *reply) {
            if (statusOf(reply) >= 500)
                return false;
            fail(SyncSummary::Failure::NotCalendar,
                 QStringLiteral("%1 is no calendar collection (%2)").arg(server, answerText(reply)));
            return true;
        });
}

bool SyncEngine::reopenForWriting()
{
    m_run->file = std::make_unique<SyncStateFile>();
    if (!m_run->file->open(m_calendarPath)) {
        fail(SyncSummary::Failure::LocalFile, m_run->file->lastError());
        return false;
    }
    return true;
}

void SyncEngine::list()
{
    m_run->listed.clear();
    m_run->removed.clear();
    m_run->token.clear();
    if (m_run->offersSyncCollection)
        listChanges(m_run->file->syncToken());
    else
        listEverything();
}

void SyncEngine::listChanges(const QString &token)
{
    askDav(
        "REPORT", "1", DavXml::syncCollection(token), QStringLiteral("the list of changes"),
        [this, token](const DavXml::Multistatus &answer) {
            m_run->fullListing = token.isEmpty();
            m_run->token = answer.syncToken;
            takeListing(answer);
        },
        [this, token](QNetworkReply *reply) {
            // A token the server no longer knows (RFC 6578 3.2): start over.
            const int status = statusOf(reply);
            if (token.isEmpty() || status < 400 || status >= 500)
                return false;
            listChanges(QString());
            return true;
        });
}

void SyncEngine::listEverything()
{
    askDav("PROPFIND", "1", DavXml::etagPropfind(), QStringLiteral("the list of objects"),
           [this](const DavXml::Multistatus &answer) {
               m_run->fullListing = true;
               takeListing(answer);
           });
}

void SyncEngine::takeListing(const DavXml::Multistatus &answer)
{
    const QString collection = collectionUrl().path(QUrl::FullyEncoded);
    for (const DavXml::Response &response : answer.responses) {
        const QString href = pathOf(response.href);
        if (href == collection || href.endsWith(QLatin1Char('/')) || response.calendar)
            continue;
        if (response.status == 404) {
            m_run->removed << href;
        } else {
            m_run->listed.insert(href, response.etag);
            if (!response.calendarData.isEmpty())
                m_run->inlineObjects.insert(href, response);
        }
    }
    m_run->states = m_run->file->states();
    m_run->local.clear();
    for (const SyncStateFile::LocalRow &row : m_run->file->rows())
        m_run->local.insert(row.no, row);
    m_run->rowsOf.clear();
    QHash<QString, QString> knownEtag; // href -> ETag we hold
    for (auto it = m_run->states.constBegin(); it != m_run->states.constEnd(); ++it) {
        knownEtag.insert(it->href, it->etag);
        m_run->rowsOf[it->href].push_back(it.key());
    }
    m_run->toFetch.clear();
    m_run->toApply.clear();
    for (auto it = m_run->listed.constBegin(); it != m_run->listed.constEnd(); ++it) {
        const auto known = knownEtag.constFind(it.key());
        if (known == knownEtag.constEnd() || known->isEmpty() || *known != it.value())
            (m_run->inlineObjects.contains(it.key()) ? m_run->toApply : m_run->toFetch) << it.key();
    }
    if (!m_run->fullListing) {
        // A server whose token names the content (Xandikos: the git tree)
        // lists nothing when an object this device sent is put back as it
        // was when the token was taken: the objects sent since are asked
        // for whether listed or not.
        for (const QString &href : m_run->file->sentSinceToken()) {
            if (!m_run->listed.contains(href) && !m_run->removed.contains(href) && !m_run->toFetch.contains(href))
                m_run->toFetch << href;
        }
    }
    if (m_run->fullListing) {
        for (auto it = knownEtag.constBegin(); it != knownEtag.constEnd(); ++it) {
            // An object sent as new whose answer never came is not gone: it
            // never arrived, and goes up again.
            if (!it.value().isEmpty() && !m_run->listed.contains(it.key()) && !m_run->removed.contains(it.key()))
                m_run->removed << it.key();
        }
    }
    std::sort(m_run->toFetch.begin(), m_run->toFetch.end());
    std::sort(m_run->toApply.begin(), m_run->toApply.end());
    m_run->fetched = 0;
    m_run->applied = 0;
    m_run->progressTotal = int(m_run->toFetch.size() + m_run->toApply.size());
    m_run->progressDone = 0;
    emit progress(0, m_run->progressTotal);
    applyListedNext();
}

// The objects that came with the listing, a batch per turn of the event
// loop, so that a large first sync leaves the window responsive.
void SyncEngine::applyListedNext()
{
    if (m_run->cancelled) {
        fail(SyncSummary::Failure::Cancelled, QStringLiteral("The sync was cancelled."));
        return;
    }
    if (m_run->applied >= int(m_run->toApply.size())) {
        m_run->inlineObjects.clear();
        fetchNext();
        return;
    }
    DavXml::Multistatus batch;
    const QStringList hrefs = m_run->toApply.mid(m_run->applied, multigetBatch);
    for (const QString &href : hrefs)
        batch.responses << m_run->inlineObjects.value(href);
    if (!applyBatch(batch))
        return;
    m_run->applied += int(hrefs.size());
    m_run->progressDone += int(hrefs.size());
    emit progress(m_run->progressDone, m_run->progressTotal);
    QTimer::singleShot(0, this, [this] {
        if (m_run && !m_run->done)
            applyListedNext();
    });
}

// --- pull -----------------------------------------------------------------
void SyncEngine::fetchNext()
{
    if (m_run->fetched >= int(m_run->toFetch.size())) {
        applyRemovals();
        return;
    }
    const QStringList batch = m_run->toFetch.mid(m_run->fetched, multigetBatch);
    askDav("REPORT", "1", DavXml::multiget(batch), QStringLiteral("the changed objects"),
           [this, batch](const DavXml::Multistatus &answer) {
               if (!applyBatch(answer))
                   return;
               m_run->fetched += int(batch.size());
               m_run->progressDone += int(batch.size());
               emit progress(m_run->progressDone, m_run->progressTotal);
               fetchNext();
           });
}

bool SyncEngine::applyBatch(const DavXml::Multistatus &answer)
{
    SyncStateFile &file = *m_run->file;
    if (!file.begin()) {
        fail(SyncSummary::Failure::LocalFile, file.lastError());
        return false;
    }
    for (const DavXml::Response &response : answer.responses) {
        const QString href = pathOf(response.href);
        if (response.status == 404) {
            m_run->removed << href;
            continue;
        }
        if (response.calendarData.isEmpty())
            continue;
        const std::vector<qint64> group = m_run->rowsOf.value(href);
        if (!applyObject(href, response.etag, response.calendarData, group, m_run->states, m_run->local)) {
            file.rollback();
            return false;
        }
    }
    if (!file.commit()) {
        fail(SyncSummary::Failure::LocalFile, file.lastError());
        return false;
    }
    return true;
}

// One object from the server into its rows, in the open transaction. The
// rows keep their `No` where they match (the series, a moved occurrence by
// the date it replaces, a read-only date by its date), so views, reminders
// and editors keep their item.
bool SyncEngine::applyObject(const QString &href, const QString &etag, const QByteArray &data,
                             const std::vector<qint64> &group, const QHash<qint64, SyncStateFile::ItemState> &states,
                             const QHash<qint64, SyncStateFile::LocalRow> &local)
{
    SyncStateFile &file = *m_run->file;
    const Result<IcsImporter::Plan> plan = m_run->importer->read(data);
    if (!plan || plan->items.empty())
        return true; // nothing the planner holds; the object stays on the server as it is
    const bool readOnly = !plan->items.front().series.isEmpty();

    std::vector<qint64> existing; // the object's rows still here
    bool changedHere = false;
    for (qint64 no : group) {
        const SyncStateFile::ItemState &state = states[no];
        if (local.contains(no))
            existing.push_back(no);
        if (!state.readOnly && (!local.contains(no) || local[no].hash != state.hash))
            changedHere = true;
    }
    // Changed on both sides: the server's version takes the rows, the local
    // one stays as a copy (dropped below if both made the same change).
    QHash<qint64, qint64> copies; // original -> its conflicting copy
    if (changedHere && !existing.empty() && !copyAsConflicts(existing, local, &copies))
        return failLocal();

    // The series first, so its moved occurrences can name it.
    std::vector<const IcsImporter::Item *> order;
    for (const IcsImporter::Item &item : plan->items)
        if (item.seriesUid.isEmpty())
            order.push_back(&item);
    for (const IcsImporter::Item &item : plan->items)
        if (!item.seriesUid.isEmpty())
            order.push_back(&item);
    std::vector<qint64> unmatched = existing;
    const auto take = [&](const IcsImporter::Item &item) -> qint64 {
        const QString start = item.row[fieldIndex(ItemField::S)].toDate().toString(Qt::ISODate);
        const QString replaced = item.row[fieldIndex(ItemField::Ro)].toDate().toString(Qt::ISODate);
        for (auto it = unmatched.begin(); it != unmatched.end(); ++it) {
            const SyncStateFile::LocalRow &row = local[*it];
            const bool match = !item.seriesUid.isEmpty() ? row.seriesNo != 0 && row.replaced == replaced
                : !item.series.isEmpty()                 ? row.start == start
                                                         : row.seriesNo == 0;
            if (match) {
                const qint64 no = *it;
                unmatched.erase(it);
                return no;
            }
        }
        return 0;
    };
    qint64 master = 0;
    std::vector<qint64> placed;
    for (const IcsImporter::Item *item : order) {
        std::vector<QVariant> row = item->row;
        const bool moved = !item->seriesUid.isEmpty();
        if (moved)
            row[fieldIndex(ItemField::Rp)] = master ? QVariant(master) : QVariant();
        qint64 no = take(*item);
        if (no ? !file.updateItem(no, row) : !file.insertItem(row, &no))
            return failLocal();
        if (!master && !moved) {
            master = no;
            if (!file.setUid(no, item->uid))
                return failLocal();
        }
        placed.push_back(no);
    }
    // Rows the object no longer has (a moved occurrence put back, a date
    // of a read-only series gone), and the state of rows deleted here.
    for (qint64 no : unmatched) {
        if (!file.deleteItem(no))
            return failLocal();
    }
    for (qint64 no : group) {
        if (!local.contains(no) && !file.dropState(no))
            return failLocal();
    }
    QList<QByteArray> before, after;
    for (qint64 no : existing)
        before << local[no].hash;
    for (qint64 no : placed) {
        SyncStateFile::ItemState state;
        state.href = href;
        state.etag = etag;
        state.hash = file.rowHash(no);
        state.raw = no == master ? data : QByteArray();
        state.readOnly = readOnly;
        after << state.hash;
        if (!file.putState(no, state))
            return failLocal();
    }
    m_run->summary.readOnly += readOnly ? 1 : 0;
    if (!copies.isEmpty()) {
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        if (before == after) {
            // Both sides made the same change (or this device's own push
            // whose answer was lost): nothing to keep twice.
            for (qint64 copy : std::as_const(copies)) {
                if (!file.deleteItem(copy))
                    return failLocal();
            }
        } else {
            ++m_run->summary.conflicts;
        }
    }
    ++m_run->summary.pulled;
    return true;
}

// Copies of the rows (a series before its moved occurrences, which then
// name the copied series).
bool SyncEngine::copyAsConflicts(const std::vector<qint64> &rows, const QHash<qint64, SyncStateFile::LocalRow> &local,
                                 QHash<qint64, qint64> *copies)
{
    SyncStateFile &file = *m_run->file;
    const auto inGroup = [&rows](qint64 no) { return std::find(rows.begin(), rows.end(), no) != rows.end(); };
    for (const bool occurrences : {false, true}) {
        for (qint64 no : rows) {
            const qint64 series = local[no].seriesNo;
            if ((series && inGroup(series)) != occurrences)
                continue;
            qint64 copy = 0;
            if (!file.copyAsConflict(no, occurrences ? copies->value(series) : 0, &copy))
                return false;
            copies->insert(no, copy);
        }
    }
    return true;
}

bool SyncEngine::failLocal()
{
    fail(SyncSummary::Failure::LocalFile, m_run->file->lastError());
    return false;
}

void SyncEngine::applyRemovals()
{
    SyncStateFile &file = *m_run->file;
    if (!file.begin()) {
        failLocal();
        return;
    }
    // Most pulls remove nothing: then the rows need not be read again.
    const QHash<qint64, SyncStateFile::ItemState> states =
        m_run->removed.isEmpty() ? QHash<qint64, SyncStateFile::ItemState>() : file.states();
    QHash<qint64, QByteArray> hashes;
    if (!m_run->removed.isEmpty()) {
        for (const SyncStateFile::LocalRow &row : file.rows())
            hashes.insert(row.no, row.hash);
    }
    const QSet<QString> removed(m_run->removed.begin(), m_run->removed.end());
    QSet<QString> counted;
    for (auto it = states.constBegin(); it != states.constEnd(); ++it) {
        if (!removed.contains(it->href))
            continue;
        const qint64 no = it.key();
        const bool gone = !hashes.contains(no);
        const bool changedHere = !gone && hashes.value(no) != it->hash && !it->readOnly;
        // An edit made here outlives the server's delete: it goes up as new.
        bool ok = changedHere ? file.dropState(no) : gone ? file.dropState(no) : file.deleteItem(no);
        if (!ok) {
            file.rollback();
            failLocal();
            return;
        }
        if (!changedHere && !gone && !counted.contains(it->href)) {
            counted.insert(it->href);
            ++m_run->summary.deleted;
        }
    }
    // The pull is complete: the token covers it.
    if (m_run->offersSyncCollection && !m_run->token.isEmpty() && !file.setSyncToken(m_run->token)) {
        file.rollback();
        failLocal();
        return;
    }
    if (!file.commit()) {
        failLocal();
        return;
    }
    m_run->pulled = true;
    planPushes();
}

// --- push -----------------------------------------------------------------

void SyncEngine::planPushes()
{
    SyncStateFile &file = *m_run->file;
    // A file nobody wrote since a sync left nothing waiting has nothing to
    // send: its rows need not be read and hashed.
    m_run->plannedAt = file.dataVersion();
    m_run->pushes = file.unchangedSinceSync() ? std::vector<SyncPush>() : plannedPushes(file);
    m_run->nextPush = 0;
    m_run->pushRefused = false;
    m_run->progressTotal += int(m_run->pushes.size());
    emit progress(m_run->progressDone, m_run->progressTotal);
    if (m_run->pushes.empty()) {
        pushNext();
        return;
    }
    if (!file.begin()) {
        failLocal();
        return;
    }
    // What goes up moves the server's token: until a pull has seen the
    // server again, the stored one proves nothing. New objects get their
    // UID and href before they go up, so that a sync killed after the
    // server stored one finds it again rather than sending it twice.
    bool ok = file.setServerTag(QString());
    QHash<qint64, QString> uids = file.uids();
    const QString collection = collectionUrl().path(QUrl::FullyEncoded);
    for (SyncPush &push : m_run->pushes) {
        if (!ok || push.kind != SyncPush::Create || !push.href.isEmpty())
            continue;
        QString uid = uids.value(push.master);
        if (uid.isEmpty()) {
            uid = QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral("@daybrook");
            ok = file.setUid(push.master, uid);
        }
        push.href = collection + resourceName(uid);
        for (qint64 no : push.nos) {
            SyncStateFile::ItemState state;
            state.href = push.href;
            ok = ok && file.putState(no, state);
        }
    }
    QStringList sent;
    for (const SyncPush &push : m_run->pushes)
        sent << push.href;
    ok = ok && (!m_run->offersSyncCollection || file.addSent(sent));
    if (!ok || !file.commit()) {
        file.rollback();
        failLocal();
        return;
    }
    m_run->sentAny = true;
    pushNext();
}

int SyncEngine::changesWaiting(const QString &calendarPath)
{
    SyncStateFile file;
    if (!file.open(calendarPath, true) || !file.binding() || file.unchangedSinceSync())
        return 0;
    return int(plannedPushes(file).size());
}

// The object of a push as it goes up: the rows exported, with what the
// server's version held beyond them.
Result<QByteArray> SyncEngine::exported(const SyncPush &push, const QByteArray &raw)
{
    const QFileInfo info(m_calendarPath);
    Cursor items(QStringLiteral("sync"));
    items.setTableFile(info.absolutePath(), info.fileName(), calendarSchema());
    items.setReadOnly(true);
    if (!items.open())
        return Result<QByteArray>::failed(items.lastError());
    items.noticeOutsideChanges();
    QStringList clauses;
    for (qint64 no : push.nos)
        clauses << QStringLiteral("No = '%1'").arg(no);
    if (!items.setFilter(clauses.join(QLatin1String(" or "))))
        return Result<QByteArray>::failed(items.lastError());
    items.setFiltered(true);
    QHash<qint64, QString> uids = m_run->file->uids();
    QHash<qint64, QString> newUids;
    IcsExporter::Counts counts;
    Result<QByteArray> text = IcsExporter(m_typeNames).exportItems(items, uids, &newUids, &counts);
    items.close();
    if (!text)
        return text;
    if (counts.events + counts.tasks == 0)
        return Result<QByteArray>::failed(counts.leftOut.isEmpty() ? QStringLiteral("nothing to send")
                                                                   : counts.leftOut.join(QLatin1String("; ")));
    return UnshownProperties::merged(text.value(), raw, m_typeNames);
}

void SyncEngine::pushNext()
{
    if (m_run->nextPush >= m_run->pushes.size()) {
        pushesDone();
        return;
    }
    if (m_hooks.beforePush && !m_run->hookRan) {
        m_run->hookRan = true;
        m_hooks.beforePush();
    }
    const SyncPush &push = m_run->pushes[m_run->nextPush];
    const QUrl url = objectUrl(push.href);
    if (push.kind == SyncPush::Delete) {
        QList<QPair<QByteArray, QByteArray>> headers;
        if (!push.etag.isEmpty())
            headers.append(qMakePair(QByteArray("If-Match"), push.etag.toUtf8()));
        send("DELETE", url, QByteArray(), headers, [this](QNetworkReply *reply) { pushAnswered(reply, {}, {}); });
        return;
    }
    const Result<QByteArray> text = exported(push, m_run->file->raw(push.master));
    if (!text) {
        // An item iCalendar cannot express stays here; the others go on.
        ++m_run->summary.waiting;
        ++m_run->nextPush;
        pushNext();
        return;
    }
    // What was sent is what the hashes stand for, whatever changes meanwhile.
    QHash<qint64, QByteArray> hashes;
    for (qint64 no : push.nos)
        hashes.insert(no, m_run->file->rowHash(no));
    QList<QPair<QByteArray, QByteArray>> headers = {{"Content-Type", "text/calendar; charset=utf-8"}};
    if (push.kind == SyncPush::Create)
        headers.append(qMakePair(QByteArray("If-None-Match"), QByteArray("*")));
    else
        headers.append(qMakePair(QByteArray("If-Match"), push.etag.toUtf8()));
    const QByteArray body = text.value();
    send("PUT", url, body, headers, [this, body, hashes](QNetworkReply *reply) { pushAnswered(reply, body, hashes); });
}

void SyncEngine::pushAnswered(QNetworkReply *reply, const QByteArray &body, const QHash<qint64, QByteArray> &hashes)
{
    const SyncPush &push = m_run->pushes[m_run->nextPush];
    const int status = statusOf(reply);
    SyncStateFile &file = *m_run->file;
    if (status == 412) {
        // Changed on the server meanwhile: the next pull keeps both.
        m_run->pushRefused = true;
    } else if (status >= 500 || status == 0) {
        ++m_run->summary.waiting;
        m_run->summary.message = QStringLiteral("%1 answered %2; the change waits for the next sync")
                                     .arg(m_binding.url.toDisplayString(QUrl::RemoveUserInfo), answerText(reply));
    } else if (push.kind == SyncPush::Delete && (status < 300 || status == 404)) {
        bool ok = file.begin();
        for (qint64 no : push.nos)
            ok = ok && file.dropState(no);
        if (!ok || !file.commit()) {
            file.rollback();
            failLocal();
            return;
        }
        ++m_run->summary.deleted;
    } else if (status >= 200 && status < 300) {
        const QString etag = QString::fromUtf8(reply->rawHeader("ETag"));
        bool ok = file.begin();
        for (qint64 no : push.nos) {
            SyncStateFile::ItemState state;
            state.href = push.href;
            // Without an ETag in the answer the object is fetched again on
            // the next sync, which changes nothing here.
            state.etag = etag.isEmpty() ? QStringLiteral("\"unknown\"") : etag;
            state.hash = hashes.value(no);
            state.raw = no == push.master ? body : QByteArray();
            ok = ok && file.putState(no, state);
        }
        if (!ok || !file.commit()) {
            file.rollback();
            failLocal();
            return;
        }
        ++m_run->summary.pushed;
    } else {
        ++m_run->summary.waiting;
        m_run->summary.message = QStringLiteral("%1 refused a change: %2")
                                     .arg(m_binding.url.toDisplayString(QUrl::RemoveUserInfo), answerText(reply));
    }
    ++m_run->nextPush;
    emit progress(++m_run->progressDone, m_run->progressTotal);
    pushNext();
}

void SyncEngine::pushesDone()
{
    if (m_run->pushRefused && m_run->restarts < maxRestarts) {
        ++m_run->restarts;
        list();
        return;
    }
    if (m_run->pushRefused)
        ++m_run->summary.waiting;
    settle();
}

// A sync that leaves nothing waiting records what lets the next one learn
// cheaply that nothing changed: the server's token, when this sync pulled
// and sent nothing, and the file's change counter as this commit leaves it.
// Whatever keeps it from being recorded only costs the next sync a full
// comparison.
void SyncEngine::settle()
{
    SyncStateFile &file = *m_run->file;
    const bool tagKnown = m_run->pulled && !m_run->sentAny;
    if (m_run->summary.waiting > 0 || !file.begin()) {
        finish();
        return;
    }
    // The version first, before anything of this transaction is written.
    // Under the write lock nothing comes between the check and the record.
    // When no other connection wrote since the pushes were planned, and
    // every one of them went up, nothing waits; else the rows are compared.
    const bool untouched = m_run->plannedAt >= 0 && file.dataVersion() == m_run->plannedAt;
    bool ok = (!untouched && !plannedPushes(file).empty()) || file.recordFileVersion();
    ok = ok && (!tagKnown || file.setServerTag(m_run->token));
    if (!ok || !file.commit())
        file.rollback();
    finish();
}

// --- the end --------------------------------------------------------------

void SyncEngine::finish()
{
    if (!m_run->summary.message.isEmpty() && m_run->summary.waiting > 0)
        m_run->summary.failure = SyncSummary::Failure::ServerError;
    m_run->done = true;
    const SyncSummary summary = m_run->summary;
    emit finished(summary);
}

void SyncEngine::fail(SyncSummary::Failure failure, const QString &message)
{
    m_run->file->rollback();
    m_run->summary.failure = failure;
    m_run->summary.message = message;
    m_run->done = true;
    if (m_run->reply && m_run->reply->isRunning())
        m_run->reply->abort();
    const SyncSummary summary = m_run->summary;
    // Later, never from inside start(): the caller connects first.
    QMetaObject::invokeMethod(
        this, [this, summary] { emit finished(summary); }, Qt::QueuedConnection);
}

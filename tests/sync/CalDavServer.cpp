#include "CalDavServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace {

// A port nobody listens on now (the server takes it a moment later).
quint16 freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

// Generated per server, so no password is written in the sources.
QString testPassword()
{
    return QStringLiteral("pw-%1").arg(QCoreApplication::applicationPid());
}

} // namespace

namespace {
// The server's store lives as long as the test: in memory where the
// machine has a memory file system, since a server syncs every write.
QString storeTemplate()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return (shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath())
        + QStringLiteral("/daybrook-caldav-XXXXXX");
}
} // namespace

CalDavServer::CalDavServer(Kind kind, bool tls)
    : m_kind(kind)
    , m_tls(tls)
    , m_dir(storeTemplate())
{ }

CalDavServer::~CalDavServer()
{
    stop();
}

QString CalDavServer::user() const
{
    return m_kind == Kind::Radicale ? QStringLiteral("alice") : QString();
}

QString CalDavServer::password() const
{
    return testPassword();
}

QUrl CalDavServer::collectionUrl() const
{
    return QUrl(QStringLiteral("%1://127.0.0.1:%2%3")
                    .arg(m_tls ? QStringLiteral("https") : QStringLiteral("http"))
                    .arg(m_port)
                    .arg(m_collection));
}

QString CalDavServer::start()
{
    if (!m_dir.isValid())
        return QStringLiteral("no temporary folder");
    if (m_port == 0)
        m_port = freePort();
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setStandardOutputFile(m_dir.filePath(QStringLiteral("server.log")), QIODevice::Append);
    if (m_kind == Kind::Radicale) {
        QFile users(m_dir.filePath(QStringLiteral("users")));
        if (!users.open(QIODevice::WriteOnly))
            return users.errorString();
        users.write(QStringLiteral("%1:%2\n").arg(user(), password()).toUtf8());
        users.close();
        QFile config(m_dir.filePath(QStringLiteral("config")));
        if (!config.open(QIODevice::WriteOnly))
            return config.errorString();
        QString tls;
        if (m_tls) {
            const QString key = m_dir.filePath(QStringLiteral("key.pem"));
            const QString certificate = m_dir.filePath(QStringLiteral("cert.pem"));
            QProcess openssl;
            openssl.setStandardOutputFile(QProcess::nullDevice());
            openssl.setStandardErrorFile(QProcess::nullDevice());
            openssl.start(QStringLiteral("openssl"),
                          {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                           QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                           QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                           QStringLiteral("-keyout"), key, QStringLiteral("-out"), certificate});
            if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
                return QStringLiteral("openssl could not make a certificate");
            tls = QStringLiteral("ssl = True\ncertificate = %1\nkey = %2\n").arg(certificate, key);
        }
        config.write(QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n%4"
                                    "[auth]\ntype = htpasswd\nhtpasswd_filename = %2\nhtpasswd_encryption = plain\n"
                                    "delay = 0\n"
                                    "[storage]\nfilesystem_folder = %3\n%5"
                                    "[rights]\ntype = owner_only\n"
                                    "[logging]\nlevel = warning\n")
                         .arg(m_port)
                         .arg(m_dir.filePath(QStringLiteral("users")), m_dir.filePath(QStringLiteral("store")), tls,
                              m_writesFail ? QStringLiteral("hook = false\n") : QString())
                         .toUtf8());
        config.close();
        m_process->start(QStringLiteral("radicale"),
                         {QStringLiteral("--config"), m_dir.filePath(QStringLiteral("config"))});
    } else {
        m_process->start(QStringLiteral("xandikos"),
                         {QStringLiteral("--defaults"), QStringLiteral("-d"), m_dir.filePath(QStringLiteral("store")),
                          QStringLiteral("-l"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                          QString::number(m_port)});
    }
    if (!m_process->waitForStarted(10000))
        return QStringLiteral("the server did not start: %1").arg(m_process->errorString());
    if (const QString problem = waitUntilAnswering(); !problem.isEmpty())
        return problem;
    return QString();
}

QString CalDavServer::newCollection()
{
    const QString name = QStringLiteral("calendar-%1").arg(++m_collections);
    m_collection = m_kind == Kind::Radicale ? QStringLiteral("/alice/%1/").arg(name)
                                            : QStringLiteral("/user/calendars/%1/").arg(name);
    const int status = request("MKCALENDAR", collectionUrl(), QByteArray(), QByteArray());
    return status == 201 ? QString() : QStringLiteral("MKCALENDAR answered %1").arg(status);
}

QString CalDavServer::storageFolder() const
{
    return m_dir.filePath(QStringLiteral("store/collection-root") + m_collection);
}

QString CalDavServer::waitUntilAnswering()
{
    // Start-up, not the behaviour under test: a generous bound.
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        if (m_process->state() == QProcess::NotRunning)
            return QStringLiteral("the server ended at start (see %1)")
                .arg(m_dir.filePath(QStringLiteral("server.log")));
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_port);
        if (socket.waitForConnected(200)) {
            socket.disconnectFromHost();
            // The port is open once the server listens; one answered request
            // says it also serves.
            if (request("PROPFIND",
                        QUrl(QStringLiteral("%1://127.0.0.1:%2/").arg(collectionUrl().scheme()).arg(m_port)),
                        QByteArray(), QByteArray(), nullptr, nullptr, "0")
                != 0)
                return QString();
        }
        QThread::msleep(50);
    }
    return QStringLiteral("the server did not answer on port %1").arg(m_port);
}

void CalDavServer::stop()
{
    if (!m_process)
        return;
    m_process->terminate();
    if (!m_process->waitForFinished(5000)) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
    m_process.reset();
}

int CalDavServer::request(const QByteArray &verb, const QUrl &url, const QByteArray &body,
                          const QByteArray &contentType, QByteArray *answer, QByteArray *etag, const QByteArray &depth)
{
    QNetworkAccessManager network;
    QNetworkRequest request(url);
    if (!user().isEmpty())
        request.setRawHeader("Authorization",
                             "Basic " + QStringLiteral("%1:%2").arg(user(), password()).toUtf8().toBase64());
    if (!contentType.isEmpty())
        request.setRawHeader("Content-Type", contentType);
    if (!depth.isEmpty())
        request.setRawHeader("Depth", depth);
    QNetworkReply *reply = network.sendCustomRequest(request, verb, body);
    // The fixture's own client trusts its own certificate; the planner
    // must not.
    if (m_tls)
        reply->ignoreSslErrors();
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (answer)
        *answer = reply->readAll();
    if (etag)
        *etag = reply->rawHeader("ETag");
    reply->deleteLater();
    return status;
}

int CalDavServer::put(const QString &name, const QByteArray &ics, QByteArray *etag)
{
    return request("PUT", collectionUrl().resolved(QUrl(name)), ics, "text/calendar; charset=utf-8", nullptr, etag);
}

QByteArray CalDavServer::get(const QString &name, int *status)
{
    QByteArray answer;
    const int code = request("GET", collectionUrl().resolved(QUrl(name)), QByteArray(), QByteArray(), &answer);
    if (status)
        *status = code;
    return answer;
}

int CalDavServer::remove(const QString &name)
{
    return request("DELETE", collectionUrl().resolved(QUrl(name)), QByteArray(), QByteArray());
}

QStringList CalDavServer::names()
{
    QByteArray answer;
    request("PROPFIND", collectionUrl(),
            "<?xml version=\"1.0\"?><D:propfind xmlns:D=\"DAV:\"><D:prop><D:getetag/></D:prop></D:propfind>",
            "application/xml", &answer, nullptr, "1");
    QStringList result;
    static const QRegularExpression href(QStringLiteral("<(?:\\w+:)?href>([^<]*)</(?:\\w+:)?href>"));
    for (const QRegularExpressionMatch &m : href.globalMatch(QString::fromUtf8(answer))) {
        const QString path = QUrl::fromPercentEncoding(m.captured(1).toUtf8());
        const QString name = QUrl(path).path().section(QLatin1Char('/'), -1);
        if (!name.isEmpty())
            result << name;
    }
    result.sort();
    return result;
}

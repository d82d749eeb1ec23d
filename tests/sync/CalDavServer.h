#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

// A real CalDAV server for a test: Radicale (with a plain password file)
// or Xandikos (no sign-in), on 127.0.0.1 at a free port, with its store in
// a temporary folder. Stopped when the object goes; stop() and start()
// again keep the store and the port, for a server that goes away and
// comes back.
class CalDavServer
{
public:
    enum class Kind { Radicale, Xandikos };

    // tls: Radicale only, over HTTPS with a self-signed certificate that
    // nobody trusts.
    explicit CalDavServer(Kind kind, bool tls = false);
    ~CalDavServer();
    CalDavServer(const CalDavServer &) = delete;
    CalDavServer &operator=(const CalDavServer &) = delete;

    // Starts the server and waits until it answers. Empty when it started,
    // else why not.
    QString start();
    void stop();
    // Radicale only, from the next start(): every write is stored but
    // answered "500 Internal Server Error" (a storage hook that fails), as a
    // server whose back end breaks after the write.
    void setWritesFail(bool fail) { m_writesFail = fail; }
    // A new, empty calendar collection, which collectionUrl() names from
    // then on: each test gets its own without a server start of its own.
    QString newCollection();
    // Radicale only: the folder that holds the collection's objects, one
    // file each (its documented storage), for filling a large collection
    // without a request per object.
    QString storageFolder() const;

    QUrl collectionUrl() const;
    QString user() const;     // empty for Xandikos
    QString password() const; // the one the password file holds

    // An independent client of the collection (plain HTTP, no planner
    // code): status codes, or 0 when there was no answer.
    int put(const QString &name, const QByteArray &ics, QByteArray *etag = nullptr);
    QByteArray get(const QString &name, int *status = nullptr);
    int remove(const QString &name);
    // The names of the objects in the collection ("x.ics"), by PROPFIND.
    QStringList names();

    // One request; body and headers as given.
    int request(const QByteArray &verb, const QUrl &url, const QByteArray &body, const QByteArray &contentType,
                QByteArray *answer = nullptr, QByteArray *etag = nullptr, const QByteArray &depth = QByteArray());

private:
    QString waitUntilAnswering();

    Kind m_kind;
    bool m_tls = false;
    bool m_writesFail = false;
    QTemporaryDir m_dir;
    quint16 m_port = 0;
    std::unique_ptr<QProcess> m_process;
    QString m_collection; // path of the current collection
    int m_collections = 0;
};

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The few WebDAV/CalDAV request bodies sync sends and a reader of the
// multistatus answers (RFC 4918, 4791, 6578) they get back.
namespace DavXml {

// Depth 0 on the collection: is it a calendar, does it offer
// sync-collection, and (withToken) its sync token.
QByteArray collectionPropfind(bool withToken = false);
// Depth 1: every object's ETag.
QByteArray etagPropfind();
// The changes since token (empty: everything), with their ETags and
// their objects: one answer instead of one more request per batch of
// changes (servers that leave the objects out get a multiget).
QByteArray syncCollection(const QString &token);
// The objects at hrefs (paths as the server gave them), with their ETags.
QByteArray multiget(const QStringList &hrefs);

struct Response
{
    QString href;     // as sent (a path), percent-decoded
    int status = 200; // of the response or its propstat; 404 for an object gone
    QString etag;
    QByteArray calendarData;
    bool calendar = false;       // resourcetype holds C:calendar
    bool syncCollection = false; // supported-report-set names sync-collection
};

struct Multistatus
{
    QList<Response> responses;
    QString syncToken;
    bool ok = false; // the answer was a multistatus that parsed
    QString error;
};

Multistatus parse(const QByteArray &xml);

} // namespace DavXml

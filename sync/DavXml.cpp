#include "sync/DavXml.h"

#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace DavXml {

namespace {

const QString dav = QStringLiteral("DAV:");
const QString caldav = QStringLiteral("urn:ietf:params:xml:ns:caldav");

QByteArray document(const std::function<void(QXmlStreamWriter &)> &body)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument();
    xml.writeNamespace(dav, QStringLiteral("D"));
    xml.writeNamespace(caldav, QStringLiteral("C"));
    body(xml);
    xml.writeEndDocument();
    return out;
}

// "200" from "HTTP/1.1 200 OK".
int statusCode(const QString &line)
{
    const QStringList words = line.simplified().split(QLatin1Char(' '));
    return words.size() >= 2 ? words.at(1).toInt() : 0;
}

} // namespace

QByteArray collectionPropfind(bool withToken)
{
    return document([withToken](QXmlStreamWriter &xml) {
        xml.writeStartElement(dav, QStringLiteral("propfind"));
        xml.writeStartElement(dav, QStringLiteral("prop"));
        xml.writeEmptyElement(dav, QStringLiteral("resourcetype"));
        xml.writeEmptyElement(dav, QStringLiteral("supported-report-set"));
        // Only when asked: a server may hash every object for it.
        if (withToken)
            xml.writeEmptyElement(dav, QStringLiteral("sync-token"));
        xml.writeEndElement();
        xml.writeEndElement();
    });
}

QByteArray etagPropfind()
{
    return document([](QXmlStreamWriter &xml) {
        xml.writeStartElement(dav, QStringLiteral("propfind"));
        xml.writeStartElement(dav, QStringLiteral("prop"));
        xml.writeEmptyElement(dav, QStringLiteral("getetag"));
        xml.writeEmptyElement(dav, QStringLiteral("resourcetype"));
        xml.writeEndElement();
        xml.writeEndElement();
    });
}

QByteArray syncCollection(const QString &token)
{
    return document([&token](QXmlStreamWriter &xml) {
        xml.writeStartElement(dav, QStringLiteral("sync-collection"));
        xml.writeTextElement(dav, QStringLiteral("sync-token"), token);
        xml.writeTextElement(dav, QStringLiteral("sync-level"), QStringLiteral("1"));
        xml.writeStartElement(dav, QStringLiteral("prop"));
        xml.writeEmptyElement(dav, QStringLiteral("getetag"));
        xml.writeEmptyElement(caldav, QStringLiteral("calendar-data"));
        xml.writeEndElement();
        xml.writeEndElement();
    });
}

QByteArray multiget(const QStringList &hrefs)
{
    return document([&hrefs](QXmlStreamWriter &xml) {
        xml.writeStartElement(caldav, QStringLiteral("calendar-multiget"));
        xml.writeStartElement(dav, QStringLiteral("prop"));
        xml.writeEmptyElement(dav, QStringLiteral("getetag"));
        xml.writeEmptyElement(caldav, QStringLiteral("calendar-data"));
        xml.writeEndElement();
        for (const QString &href : hrefs)
            xml.writeTextElement(dav, QStringLiteral("href"), href);
        xml.writeEndElement();
    });
}

Multistatus parse(const QByteArray &bytes)
{
    Multistatus result;
    QXmlStreamReader xml(bytes);
    Response response;
    bool inResponse = false;
    bool inPropstat = false;
    bool inReportSet = false;
    int propstatStatus = 0;
    Response propstatValues; // what one propstat says, kept when its status is 2xx
    const auto is = [&xml](const QString &ns, const char *name) {
        return xml.namespaceUri() == ns && xml.name() == QLatin1String(name);
    };
    bool sawMultistatus = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (is(dav, "multistatus")) {
                sawMultistatus = true;
            } else if (is(dav, "response")) {
                response = Response();
                response.status = 0;
                inResponse = true;
            } else if (inResponse && is(dav, "propstat")) {
                inPropstat = true;
                propstatStatus = 0;
                propstatValues = Response();
            } else if (inResponse && !inPropstat && is(dav, "href")) {
                response.href = QUrl::fromPercentEncoding(xml.readElementText().trimmed().toUtf8());
            } else if (inResponse && is(dav, "status")) {
                const int code = statusCode(xml.readElementText());
                if (inPropstat)
                    propstatStatus = code;
                else
                    response.status = code;
            } else if (inPropstat && is(dav, "getetag")) {
                propstatValues.etag = xml.readElementText().trimmed();
            } else if (inPropstat && is(caldav, "calendar-data")) {
                propstatValues.calendarData = xml.readElementText().toUtf8();
            } else if (inPropstat && is(caldav, "calendar")) {
                propstatValues.calendar = true;
            } else if (inPropstat && is(dav, "supported-report-set")) {
                inReportSet = true;
            } else if (inReportSet && is(dav, "sync-collection")) {
                propstatValues.syncCollection = true;
            } else if (!inResponse && is(dav, "sync-token")) {
                result.syncToken = xml.readElementText().trimmed();
            } else if (inPropstat && is(dav, "sync-token")) {
                const QString token = xml.readElementText().trimmed();
                if (!token.isEmpty())
                    result.syncToken = token;
            }
        } else if (xml.isEndElement()) {
            if (is(dav, "supported-report-set")) {
                inReportSet = false;
            } else if (is(dav, "propstat")) {
                inPropstat = false;
                if (propstatStatus >= 200 && propstatStatus < 300) {
                    if (!propstatValues.etag.isEmpty())
                        response.etag = propstatValues.etag;
                    if (!propstatValues.calendarData.isEmpty())
                        response.calendarData = propstatValues.calendarData;
                    response.calendar = response.calendar || propstatValues.calendar;
                    response.syncCollection = response.syncCollection || propstatValues.syncCollection;
                }
                if (response.status == 0)
                    response.status = propstatStatus >= 200 && propstatStatus < 300 ? 200 : 0;
            } else if (is(dav, "response")) {
                inResponse = false;
                if (response.status == 0)
                    response.status = 200;
                result.responses << response;
            }
        }
    }
    if (xml.hasError()) {
        result.error = xml.errorString();
        return result;
    }
    result.ok = sawMultistatus;
    if (!sawMultistatus)
        result.error = QStringLiteral("the answer is no WebDAV multistatus");
    return result;
}

} // namespace DavXml

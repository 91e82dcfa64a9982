#include "sync/davxml.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <functional>

namespace
{

const QString kDav = QStringLiteral("DAV:");
const QString kCardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");
const QString kCalServer = QStringLiteral("http://calendarserver.org/ns/");

bool is(const QXmlStreamReader& xml, const QString& ns, const char* name)
{
    return xml.namespaceUri() == ns && xml.name() == QLatin1String(name);
}

// "HTTP/1.1 404 Not Found" -> 404.
int statusCode(const QString& line)
{
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

// The text of the first href inside the current element, which is then read to its end.
QString hrefInside(QXmlStreamReader& xml)
{
    QString href;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (href.isEmpty() && is(xml, kDav, "href")) {
                href = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
                continue;
            }
            ++depth;
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    return href;
}

// Reads the properties inside <prop> into `r` (kept only when the propstat says 200).
void readProp(QXmlStreamReader& xml, DavResource& r)
{
    while (xml.readNextStartElement()) {
        if (is(xml, kDav, "getetag")) {
            r.etag = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (is(xml, kDav, "getcontentlength")) {
            bool ok = false;
            const qint64 length = xml.readElementText(QXmlStreamReader::IncludeChildElements)
                                      .trimmed()
                                      .toLongLong(&ok);
            if (ok && length >= 0)
                r.contentLength = length;
        } else if (is(xml, kCardDav, "address-data")) {
            r.addressData = xml.readElementText(QXmlStreamReader::IncludeChildElements).toUtf8();
            r.hasAddressData = true;
        } else if (is(xml, kDav, "displayname")) {
            r.displayName = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (is(xml, kDav, "sync-token")) {
            r.syncToken = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            r.hasSyncToken = true;
        } else if (is(xml, kCalServer, "getctag")) {
            r.ctag = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            r.hasCtag = true;
        } else if (is(xml, kDav, "current-user-principal")) {
            r.principal = hrefInside(xml);
        } else if (is(xml, kCardDav, "addressbook-home-set")) {
            r.homeSet = hrefInside(xml);
        } else if (is(xml, kDav, "resourcetype")) {
            while (xml.readNextStartElement()) {
                if (is(xml, kDav, "collection"))
                    r.isCollection = true;
                else if (is(xml, kCardDav, "addressbook"))
                    r.isAddressBook = true;
                xml.skipCurrentElement();
            }
        } else if (is(xml, kDav, "supported-report-set")) {
            // Any element named sync-collection or addressbook-multiget inside counts.
            int depth = 1;
            while (depth > 0 && !xml.atEnd()) {
                const auto token = xml.readNext();
                if (token == QXmlStreamReader::StartElement) {
                    ++depth;
                    if (is(xml, kDav, "sync-collection"))
                        r.supportsSyncCollection = true;
                } else if (token == QXmlStreamReader::EndElement) {
                    --depth;
                }
            }
        } else {
            xml.skipCurrentElement();
        }
    }
}

void readPropstat(QXmlStreamReader& xml, DavResource& r)
{
    DavResource found;
    int status = 0;
    while (xml.readNextStartElement()) {
        if (is(xml, kDav, "prop"))
            readProp(xml, found);
        else if (is(xml, kDav, "status"))
            status = statusCode(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        else
            xml.skipCurrentElement();
    }
    if (status < 200 || status >= 300)
        return;
    if (r.status == 0)
        r.status = status;
    if (!found.etag.isEmpty())
        r.etag = found.etag;
    if (found.contentLength >= 0)
        r.contentLength = found.contentLength;
    if (found.hasAddressData) {
        r.addressData = found.addressData;
        r.hasAddressData = true;
    }
    r.isCollection = r.isCollection || found.isCollection;
    r.isAddressBook = r.isAddressBook || found.isAddressBook;
    if (!found.displayName.isEmpty())
        r.displayName = found.displayName;
    if (!found.principal.isEmpty())
        r.principal = found.principal;
    if (!found.homeSet.isEmpty())
        r.homeSet = found.homeSet;
    if (found.hasSyncToken) {
        r.syncToken = found.syncToken;
        r.hasSyncToken = true;
    }
    if (found.hasCtag) {
        r.ctag = found.ctag;
        r.hasCtag = true;
    }
    r.supportsSyncCollection = r.supportsSyncCollection || found.supportsSyncCollection;
}

DavResource readResponse(QXmlStreamReader& xml)
{
    DavResource r;
    int ownStatus = 0;
    while (xml.readNextStartElement()) {
        if (is(xml, kDav, "href") && r.href.isEmpty())
            r.href = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        else if (is(xml, kDav, "status"))
            ownStatus = statusCode(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        else if (is(xml, kDav, "propstat"))
            readPropstat(xml, r);
        else
            xml.skipCurrentElement();
    }
    if (ownStatus != 0)
        r.status = ownStatus;
    return r;
}

QByteArray written(const std::function<void(QXmlStreamWriter&)>& body)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument();
    xml.writeNamespace(kDav, QStringLiteral("d"));
    xml.writeNamespace(kCardDav, QStringLiteral("card"));
    xml.writeNamespace(kCalServer, QStringLiteral("cs"));
    body(xml);
    xml.writeEndDocument();
    return out;
}

QByteArray propfind(std::initializer_list<std::pair<QString, const char*>> props)
{
    return written([&](QXmlStreamWriter& xml) {
        xml.writeStartElement(kDav, QStringLiteral("propfind"));
        xml.writeStartElement(kDav, QStringLiteral("prop"));
        for (const auto& [ns, name] : props)
            xml.writeEmptyElement(ns, QString::fromLatin1(name));
        xml.writeEndElement();
        xml.writeEndElement();
    });
}

} // namespace

DavMultistatus parseMultistatus(const QByteArray& body)
{
    DavMultistatus result;
    QXmlStreamReader xml(body);
    bool seenRoot = false;
    if (xml.readNextStartElement() && is(xml, kDav, "multistatus")) {
        seenRoot = true;
        while (xml.readNextStartElement()) {
            if (is(xml, kDav, "response"))
                result.responses.push_back(readResponse(xml));
            else if (is(xml, kDav, "sync-token"))
                result.syncToken =
                    xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            else
                xml.skipCurrentElement();
        }
    }
    if (xml.hasError()) {
        result.error = QStringLiteral("la réponse du serveur n'est pas un document XML valide "
                                      "(ligne %1 : %2).")
                           .arg(xml.lineNumber())
                           .arg(xml.errorString());
        result.responses.clear();
        return result;
    }
    if (!seenRoot) {
        result.error = QStringLiteral("la réponse du serveur n'est pas une réponse WebDAV "
                                      "(multistatus absent).");
        return result;
    }
    result.valid = true;
    return result;
}

bool davErrorNames(const QByteArray& body, const QString& name)
{
    QXmlStreamReader xml(body);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.namespaceUri() == kDav &&
            xml.name() == name)
            return true;
    }
    return false;
}

namespace DavBody
{

QByteArray principalQuery()
{
    return propfind({{kDav, "current-user-principal"}});
}

QByteArray homeSetQuery()
{
    return propfind({{kCardDav, "addressbook-home-set"}});
}

QByteArray collectionsQuery()
{
    return propfind({{kDav, "resourcetype"}, {kDav, "displayname"}});
}

QByteArray collectionStateQuery()
{
    return propfind({{kDav, "resourcetype"},
                     {kDav, "displayname"},
                     {kDav, "sync-token"},
                     {kCalServer, "getctag"},
                     {kDav, "supported-report-set"}});
}

QByteArray etagsQuery()
{
    return propfind({{kDav, "getetag"}, {kDav, "getcontentlength"}, {kDav, "resourcetype"}});
}

QByteArray syncCollection(const QString& token)
{
    return written([&](QXmlStreamWriter& xml) {
        xml.writeStartElement(kDav, QStringLiteral("sync-collection"));
        xml.writeTextElement(kDav, QStringLiteral("sync-token"), token);
        xml.writeTextElement(kDav, QStringLiteral("sync-level"), QStringLiteral("1"));
        xml.writeStartElement(kDav, QStringLiteral("prop"));
        xml.writeEmptyElement(kDav, QStringLiteral("getetag"));
        xml.writeEmptyElement(kDav, QStringLiteral("getcontentlength"));
        xml.writeEndElement();
        xml.writeEndElement();
    });
}

QByteArray wholeCollectionQuery()
{
    return written([&](QXmlStreamWriter& xml) {
        xml.writeStartElement(kCardDav, QStringLiteral("addressbook-query"));
        xml.writeStartElement(kDav, QStringLiteral("prop"));
        xml.writeEmptyElement(kDav, QStringLiteral("getetag"));
        xml.writeEmptyElement(kCardDav, QStringLiteral("address-data"));
        xml.writeEndElement();
        xml.writeEmptyElement(kCardDav, QStringLiteral("filter"));
        xml.writeEndElement();
    });
}

QByteArray multiget(const QStringList& hrefs)
{
    return written([&](QXmlStreamWriter& xml) {
        xml.writeStartElement(kCardDav, QStringLiteral("addressbook-multiget"));
        xml.writeStartElement(kDav, QStringLiteral("prop"));
        xml.writeEmptyElement(kDav, QStringLiteral("getetag"));
        xml.writeEmptyElement(kCardDav, QStringLiteral("address-data"));
        xml.writeEndElement();
        for (const QString& href : hrefs)
            xml.writeTextElement(kDav, QStringLiteral("href"), href);
        xml.writeEndElement();
    });
}

QByteArray makeAddressBook(const QString& name)
{
    return written([&](QXmlStreamWriter& xml) {
        xml.writeStartElement(kDav, QStringLiteral("mkcol"));
        xml.writeStartElement(kDav, QStringLiteral("set"));
        xml.writeStartElement(kDav, QStringLiteral("prop"));
        xml.writeStartElement(kDav, QStringLiteral("resourcetype"));
        xml.writeEmptyElement(kDav, QStringLiteral("collection"));
        xml.writeEmptyElement(kCardDav, QStringLiteral("addressbook"));
        xml.writeEndElement();
        xml.writeTextElement(kDav, QStringLiteral("displayname"), name);
        xml.writeEndElement();
        xml.writeEndElement();
        xml.writeEndElement();
    });
}

} // namespace DavBody

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// The XML bodies of the WebDAV and CardDAV requests the synchronisation sends, and the reading
// of the servers' multi-status answers (WebDAV RFC 4918, CardDAV RFC 6352, collection
// synchronisation RFC 6578, current-user-principal RFC 5397, getctag of the calendarserver.org
// extension).

// One resource of a multi-status answer, with the properties the server gave (status 200).
struct DavResource {
    QString href;   // as the server wrote it (percent-encoded path or absolute address)
    int status = 0; // the response's own status, else that of its found properties; 0 unknown
    QString etag;
    qint64 contentLength = -1; // getcontentlength, when given
    QByteArray addressData;    // address-data (the card), UTF-8
    bool hasAddressData = false;
    bool isCollection = false;
    bool isAddressBook = false;
    QString displayName;
    QString principal; // current-user-principal
    QString homeSet;   // addressbook-home-set
    QString syncToken;
    bool hasSyncToken = false;
    QString ctag;
    bool hasCtag = false;
    bool supportsSyncCollection = false;
};

struct DavMultistatus {
    std::vector<DavResource> responses;
    QString syncToken; // of a sync-collection answer
    bool valid = false;
    QString error; // why the answer cannot be read (French)
};

// Reads a 207 Multi-Status body.
DavMultistatus parseMultistatus(const QByteArray& body);
// True when an error body names the DAV precondition `name` (e.g. "valid-sync-token").
bool davErrorNames(const QByteArray& body, const QString& name);

namespace DavBody
{
// PROPFIND of the principal and the address-book home.
QByteArray principalQuery();
QByteArray homeSetQuery();
// PROPFIND Depth 1 of an address-book home: each collection's type and name.
QByteArray collectionsQuery();
// PROPFIND Depth 0 of a collection: its type, name, sync token, ctag and reports.
QByteArray collectionStateQuery();
// PROPFIND Depth 1 of a collection: the ETag and length of every card.
QByteArray etagsQuery();
// REPORT sync-collection from `token` (empty: the whole collection), ETags and lengths only.
QByteArray syncCollection(const QString& token);
// REPORT addressbook-query of every card of the collection, with its text.
QByteArray wholeCollectionQuery();
// REPORT addressbook-multiget of the cards at `hrefs` (percent-encoded paths).
QByteArray multiget(const QStringList& hrefs);
// Extended MKCOL of an address book named `name`.
QByteArray makeAddressBook(const QString& name);
} // namespace DavBody

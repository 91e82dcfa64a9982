#pragma once

#include "contacts/contact.h"
#include "sync/syncstore.h"

#include <QString>
#include <QStringList>
#include <functional>

class DavClient;
class Recordset;

// What a synchronisation did, and what the user must be told.
struct SyncSummary {
    QString file;       // the address file
    QString collection; // the address book's name or address
    int sentNew = 0, sentChanged = 0, sentDeleted = 0;
    int receivedNew = 0, receivedChanged = 0, receivedDeleted = 0;
    // Records changed on both sides: the server's version stays in the record, the version of
    // this file is kept in a new record (and sent as a new card).
    QStringList conflicts;
    // Deleted on one side and changed on the other: kept (put back on the side that deleted).
    QStringList restored;
    // Records whose values were cut to fit their fields (the server keeps them whole).
    QStringList cut;
    // Cards that cannot be read, left as they are on the server.
    QStringList unreadable;
    // Addresses the server gave that lead outside the address book: ignored.
    int outside = 0;
    // Records left for the next run (changed here or on the server while this one ran).
    int postponed = 0;
    QString error; // the fault that stopped the run, in French; empty when it went through
    bool cancelled = false;

    bool complete() const { return error.isEmpty() && !cancelled && postponed == 0; }
    // Something the user must read (beyond the counts).
    bool needsReport() const;
    // The summary in French, several lines.
    QString text() const;
};

struct SyncOptions {
    // Work done, work in all; returning false cancels the run at the next safe point.
    std::function<bool(qint64 done, qint64 total)> progress;
    int cardsPerMultiget = 100;
    int rowsPerTransaction = 200;
    // Requests whose state is written at once before they are sent.
    int requestsPerStep = 50;
    // From this many cards wanted, making most of the address book, they are asked in one
    // query of the whole collection rather than by batches of named cards.
    int wholeCollectionFrom = 200;
    // Bounds: the cards an address book may list, the length of one card.
    int maxMembers = 100000;
    qint64 maxCardBytes = 4 * 1024 * 1024;
};

// Two-way synchronisation of an open address file with a CardDAV address book.
//
// Each record is paired with one card through the state table (SyncStore). A record changed
// here is one whose fields' print differs from the print kept at the last run; deleted here,
// one whose row number is gone; added here, a row without state. The server's changes come from
// its sync token (RFC 6578), else from comparing ETags (with the collection's ctag first).
// Row numbers: a row whose number is gone but whose fields are found unchanged under another
// number (the file was compacted) is the same record; a row number whose record changed
// completely (neither its name nor most of its filled fields kept) was taken by a new record
// after a delete: the old record counts as deleted and the new one as added.
// Rules: changed on one side only, the change goes to the other; changed on both sides (and
// not alike), both versions are kept: the record takes the server's version, the version of
// this file goes into a new record and a new card; deleted on one side and changed on the
// other, the record is kept and put back where it was deleted. A card is only ever changed in
// the properties the record's fields give (see cardtext.h), with If-Match.
// Each record's local writes go with its state row in one transaction; the collection's token
// is kept only after a run that applied everything it covered, so the next run picks up what
// this one left. What is sent to the server is written in the state before it is sent (a new
// card's UID and address, a change, a delete) and confirmed when the server's answer comes; a
// run settles what the previous one left unconfirmed first, by each card's address and UID.
// Nothing the server says is trusted beyond the address book: addresses outside it are
// ignored (and counted), answers and cards have size limits, the listing a bound.
class SyncEngine
{
public:
    SyncEngine(Recordset& records, SyncStore& store, DavClient& client, SyncOptions options = {});
    ~SyncEngine();
    SyncEngine(const SyncEngine&) = delete;
    SyncEngine& operator=(const SyncEngine&) = delete;

    SyncSummary run(const SyncSettings& settings);

private:
    class Run;
    Recordset& m_records;
    SyncStore& m_store;
    DavClient& m_client;
    SyncOptions m_options;
};

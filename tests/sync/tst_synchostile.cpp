// Servers that cannot be trusted, played by a small local server (alone, or before radicale):
// a redirection to another port (where the password must never arrive), addresses outside the
// address book, an answer that trickles in one byte a second, an answer without end, a listing
// too long. Each ends with a clear French message or is ignored and counted, in bounded time,
// and nothing is half-applied.
#include "httpfront.h"
#include "sync/discovery.h"
#include "syncfixture.h"

#include <QCoreApplication>

class TestSyncHostile : public QObject
{
    Q_OBJECT
private slots:
    void redirectionToAnotherServer();
    void addressesOutsideTheAddressBook();
    void answersThatNeverEnd_data();
    void answersThatNeverEnd();
};

namespace
{

const QByteArray kXml = "application/xml; charset=utf-8";

FrontAnswer reply(const QByteArray& whole)
{
    FrontAnswer a;
    a.kind = FrontAnswer::Reply;
    a.head = whole;
    return a;
}

// What a collection answers about itself: an address book without sync tokens.
QByteArray collectionState(const QByteArray& href)
{
    return HttpFront::answer(
        207,
        "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\" "
        "xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:response><d:href>" +
            href +
            "</d:href><d:propstat><d:prop><d:resourcetype><d:collection/><c:addressbook/>"
            "</d:resourcetype></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>"
            "</d:response></d:multistatus>",
        {{"Content-Type", kXml}});
}

QByteArray member(const QByteArray& href, const QByteArray& card = {})
{
    return "<D:response xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:href>" +
           href + "</D:href><D:propstat><D:prop><D:getetag>\"e-" + QByteArray::number(qHash(href)) +
           "\"</D:getetag>" +
           (card.isEmpty() ? QByteArray() : "<C:address-data>" + card + "</C:address-data>") +
           "</D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>";
}

// The four ways out of /alice/contacts/ a server may write.
const QList<QByteArray> kOutside{"../../etc/passwd.vcf", "/autre/carnet/x.vcf",
                                 "http://ailleurs.exemple/ailleurs.vcf",
                                 "/alice/contacts/%2e%2e/%2e%2e/etc/shadow.vcf"};

} // namespace

void TestSyncHostile::redirectionToAnotherServer()
{
    SyncFixture f;
    QVERIFY(f.setUp({{"Curie", "Marie"}}));
    const QList<QVariantList> before = readAddressFile(f.file);
    // The other port asks for a password, as a server that collects them would.
    HttpFront other([](const FrontRequest&) {
        return reply(HttpFront::answer(401, {}, {{"WWW-Authenticate", "Basic realm=\"x\""}}));
    });
    const QByteArray target = other.root().toString().toUtf8() + "alice/contacts/";
    HttpFront redirecting([&target](const FrontRequest&) {
        return reply(HttpFront::answer(307, {}, {{"Location", target}}));
    });
    f.relink(redirecting.root().resolved(QUrl(QStringLiteral("alice/contacts/"))));
    const SyncSummary s = f.sync();
    QVERIFY(!s.complete());
    QVERIFY2(s.error.startsWith(QStringLiteral("Le serveur 127.0.0.1:%1 renvoie vers une autre "
                                               "adresse (%2) : ce renvoi n'est pas suivi")
                                    .arg(redirecting.port())
                                    .arg(QString::fromUtf8(target))),
             qPrintable(s.error));
    QCOMPARE(readAddressFile(f.file), before);

    // "Chercher les carnets" from the redirecting server, and from one whose principal is on
    // the other port.
    QtDavClient client(f.server.user(), f.server.password());
    const DiscoveryResult redirected = discoverAddressBooks(client, redirecting.root());
    QVERIFY2(redirected.error.contains(QStringLiteral("ce renvoi n'est pas suivi")),
             qPrintable(redirected.error));
    HttpFront elsewhere(
        [&other](const FrontRequest&) {
            FrontAnswer a;
            a.rewrite = [&other](const FrontRequest&, const QByteArray& body) {
                QByteArray b = body;
                return b.replace("/alice/</", other.root().toString().toUtf8() + "alice/</");
            };
            return a;
        },
        f.server.root());
    QtDavClient second(f.server.user(), f.server.password());
    const DiscoveryResult moved = discoverAddressBooks(second, elsewhere.root());
    QVERIFY2(moved.error.contains(QStringLiteral("sur un autre serveur")), qPrintable(moved.error));
    QVERIFY(moved.books.empty());
    // The password never reached the other port: nothing reached it at all.
    QCOMPARE(other.count(), 0);
}

void TestSyncHostile::addressesOutsideTheAddressBook()
{
    SyncFixture f;
    QVERIFY(f.setUp({{"Curie", "Marie"}}));
    f.phone.putCard(
        f.server.addressBook(), QStringLiteral("sand.vcf"),
        vcard(QStringLiteral("sand"), QStringLiteral("Sand"), QStringLiteral("George")));
    // Before radicale, a front that adds members outside the address book to every listing
    // and to every answer that gives cards.
    HttpFront front(
        [](const FrontRequest&) {
            FrontAnswer a;
            a.rewrite = [](const FrontRequest& r, const QByteArray& body) {
                const qsizetype end = body.lastIndexOf("</");
                if (r.method == "PUT" || r.method == "DELETE" || end < 0 ||
                    !body.contains("multistatus"))
                    return body;
                QByteArray added;
                for (const QByteArray& href : kOutside)
                    added += member(href, r.body.contains("addressbook-multiget")
                                              ? vcard(QStringLiteral("x"), QStringLiteral("Intrus"),
                                                      QStringLiteral("Ivan"))
                                              : QByteArray());
                return body.left(end) + added + body.mid(end);
            };
            return a;
        },
        f.server.root());
    QUrl book = f.server.addressBook();
    book.setPort(front.port());
    f.relink(book);
    const SyncSummary first = f.sync();
    QVERIFY2(first.complete(), qPrintable(first.text()));
    QCOMPARE(counts(first), QStringLiteral("sent 1/0/0 received 1/0/0"));
    QCOMPARE(first.outside, int(kOutside.size()));
    QVERIFY2(first.text().contains(QStringLiteral("4 adresse(s) donnée(s) par le serveur mènent "
                                                  "hors du carnet d'adresses : elles sont "
                                                  "ignorées.")),
             qPrintable(first.text()));
    QCOMPARE(f.records(), QStringList({"Curie|Marie|||", "Sand|George|||"}));

    // Every record deleted here: the deletes go to the address book's cards only.
    while (f.rs->RecordCount() > 0) {
        f.rs->MoveTo(0);
        f.rs->Delete();
    }
    front.clear();
    const SyncSummary second = f.sync();
    QVERIFY2(second.complete(), qPrintable(second.text()));
    QCOMPARE(counts(second), QStringLiteral("sent 0/0/2 received 0/0/0"));
    QStringList deleted;
    for (const FrontRequest& r : front.requests()) {
        QVERIFY2(r.target.startsWith("/alice/contacts/") && !r.target.contains(".."),
                 r.target.constData());
        if (r.method == "DELETE")
            deleted << QString::fromUtf8(r.target);
    }
    QCOMPARE(deleted.size(), 2);
    QVERIFY(f.phone.cards(f.server.addressBook()).isEmpty());
}

void TestSyncHostile::answersThatNeverEnd_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message"); // how the message starts (%p: the server's port)
    QTest::newRow("one byte a second")
        << "trickle"
        << "Le serveur 127.0.0.1:%p ne répond pas à temps : sa réponse n'était pas complète au "
           "bout de 3 secondes.";
    QTest::newRow("an answer without end")
        << "endless"
        << "La réponse du serveur 127.0.0.1:%p à la demande sur /alice/contacts/ dépasse 64 Mo : "
           "elle est refusée et rien n'en est gardé.";
    QTest::newRow("a length announced beyond the limit")
        << "announced"
        << "La réponse du serveur 127.0.0.1:%p à la demande sur /alice/contacts/ dépasse 64 Mo";
    QTest::newRow("more cards than a run takes")
        << "members"
        << "Le carnet d'adresses « Contacts » du serveur 127.0.0.1 compte 1001 cartes : une "
           "synchronisation en accepte au plus 1000. Rien n'a été changé.";
}

void TestSyncHostile::answersThatNeverEnd()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    SyncFixture f;
    QVERIFY(f.setUp({{"Curie", "Marie"}, {"Hugo", "Victor"}}));
    const QList<QVariantList> before = readAddressFile(f.file);
    HttpFront hostile([&kind](const FrontRequest& r) {
        if (r.header("Depth") == "0")
            return reply(collectionState("/alice/contacts/"));
        const QByteArray start =
            "HTTP/1.1 207 Multi-Status\r\nContent-Type: " + kXml + "\r\nConnection: close\r\n";
        const QByteArray open = "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\">";
        FrontAnswer a;
        a.kind = FrontAnswer::Reply;
        if (kind == QLatin1String("members")) {
            QByteArray body = open;
            for (int i = 0; i < 1001; ++i)
                body += member("/alice/contacts/c" + QByteArray::number(i) + ".vcf");
            a.head = HttpFront::answer(207, body + "</d:multistatus>", {{"Content-Type", kXml}});
            return a;
        }
        if (kind == QLatin1String("announced")) {
            a.head = start + "Content-Length: 500000000\r\n\r\n" + open;
            a.filler = member("/alice/contacts/x.vcf");
            a.fillerBytes = 1 << 20;
            return a;
        }
        a.head = start + "\r\n" + open;
        a.filler = member("/alice/contacts/x.vcf");
        a.fillerBytes = qint64(1) << 40; // without end
        a.bytesPerSecond = kind == QLatin1String("trickle") ? 1 : 0;
        return a;
    });
    f.relink(hostile.root().resolved(QUrl(QStringLiteral("alice/contacts/"))));
    SyncOptions options;
    options.maxMembers = 1000;
    const SyncSummary s =
        f.sync(QString(), options, kind == QLatin1String("trickle") ? 3000 : 60000);
    QVERIFY(!s.complete());
    const QString port = QString::number(hostile.port());
    QVERIFY2(s.error.startsWith(message.replace(QLatin1String("%p"), port)), qPrintable(s.error));
    QVERIFY(s.text().contains(s.error));
    // Nothing applied: the file as it was, no state written.
    QCOMPARE(counts(s), QStringLiteral("sent 0/0/0 received 0/0/0"));
    f.close();
    QCOMPARE(readAddressFile(f.file), before);
    QCOMPARE(runSqlite3(f.file, QStringLiteral("SELECT count(*) FROM ElvarineSync;")).trimmed(),
             QStringLiteral("0"));
}

SYNC_TEST_MAIN(TestSyncHostile, QCoreApplication)
#include "tst_synchostile.moc"

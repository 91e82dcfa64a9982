// A synchronisation cut at each of its server requests in turn: the request reaches the server
// and its answer is lost (the connection cut), or the `--sync` process is killed once the
// server answered. Then records are changed and deleted here, and the next synchronisation
// leaves the file and the server with the same records, each once: nothing doubled, nothing
// brought back, nothing lost. Against radicale and xandikos (with and without sync tokens).
// Also new cards whose requests are held on their way while the run stops, and reach the
// server just after the next run read its list.
#include "httpfront.h"
#include "syncfixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <atomic>
#include <csignal>

class TestSyncInterrupted : public QObject
{
    Q_OBJECT
private slots:
    void cutAtEachRequest_data();
    void cutAtEachRequest();
    void lateArrival_data() { serverRows(); }
    void lateArrival();
};

namespace
{

// The records of an address file as the fixture shows them, sorted.
QStringList sortedRecords(SyncFixture& f)
{
    QStringList r = f.records();
    r.sort();
    return r;
}

void setTown(Recordset& rs, const QString& nom, const QString& town)
{
    for (int i = 0; i < rs.RecordCount(); ++i) {
        if (rs.nomAt(i) == nom) {
            rs.MoveTo(i);
            rs.Edit();
            rs.setField(Field::Ville, town);
            rs.Update();
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no record ") + nom));
}

void remove(Recordset& rs, const QString& nom)
{
    for (int i = 0; i < rs.RecordCount(); ++i) {
        if (rs.nomAt(i) == nom) {
            rs.MoveTo(i);
            rs.Delete();
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no record ") + nom));
}

void add(Recordset& rs, const QString& nom, const QString& town)
{
    rs.AddNew();
    rs.setField(Field::Nom, nom);
    rs.setField(Field::Prenom, QStringLiteral("Jean"));
    rs.setField(Field::Ville, town);
    rs.Update();
}

QByteArray townCard(const QString& uid, const QString& nom, const QString& town)
{
    return vcard(uid, nom, QStringLiteral("Jean"), "ADR:;;;" + town.toUtf8() + ";;;\r\n");
}

} // namespace

void TestSyncInterrupted::cutAtEachRequest_data()
{
    QTest::addColumn<int>("serverKind");
    QTest::addColumn<bool>("killed"); // the process killed, rather than the answer lost
    QTest::newRow("radicale, answer lost") << int(DavServerKind::Radicale) << false;
    QTest::newRow("radicale, --sync killed") << int(DavServerKind::Radicale) << true;
    QTest::newRow("xandikos, answer lost") << int(DavServerKind::Xandikos) << false;
    QTest::newRow("xandikos sans jeton, --sync killed")
        << int(DavServerKind::XandikosWithoutToken) << true;
}

void TestSyncInterrupted::cutAtEachRequest()
{
    QFETCH(bool, killed);
    SERVER_FIXTURE(f)
    QVERIFY(f.setUp({}));
    // Between the program and the server, a proxy that cuts request number `cutAt`.
    std::atomic<int> cutAt{0};
    std::atomic<bool> cut{false};
    std::atomic<qint64> victim{0};
    HttpFront proxy(
        [&](const FrontRequest& r) {
            FrontAnswer a;
            if (r.number == cutAt.load()) {
                cut = true;
                a.dropAfterForward = true;
                a.afterForward = [&victim] {
                    if (victim.load() > 0)
                        ::kill(pid_t(victim.load()), SIGKILL);
                };
            }
            return a;
        },
        f.server.root());
    const auto viaProxy = [&proxy](const QUrl& url) {
        QUrl u = url;
        u.setPort(proxy.port());
        return u;
    };

    for (int k = 1;; ++k) {
        QVERIFY2(k < 40, "the run never ends");
        // A fresh address book and file for each k.
        const QUrl book = f.server.addressBook(QStringLiteral("k%1").arg(k));
        QVERIFY(f.phone.makeAddressBook(book));
        f.close();
        QFile::remove(f.file);
        makeAddressFile(f.file, {{"Arnaud", "Jean", "", "", "", "", "Lyon"},
                                 {"Bernard", "Jean", "", "", "", "", "Nantes"},
                                 {"Colin", "Jean", "", "", "", "", "Caen"},
                                 {"Durand", "Jean", "", "", "", "", "Dijon"}});
        f.open();
        SyncSettings settings;
        settings.server = viaProxy(f.server.root()).toString();
        settings.user = f.server.user();
        settings.collection = viaProxy(book).toString();
        settings.collectionName = QStringLiteral("Contacts");
        SyncStore(f.db->sql()).saveSettings(settings);
        f.phone.putCard(
            book, QStringLiteral("petit.vcf"),
            townCard(QStringLiteral("petit"), QStringLiteral("Petit"), QStringLiteral("Metz")));
        f.phone.putCard(
            book, QStringLiteral("quenet.vcf"),
            townCard(QStringLiteral("quenet"), QStringLiteral("Quenet"), QStringLiteral("Reims")));
        cutAt = 0;
        const SyncSummary base = f.sync();
        QVERIFY2(base.complete(), qPrintable(base.text()));

        // Here: Arnaud changed, Bernard deleted, Émery and Fabre added. On the phone: Petit
        // changed, Quenet deleted, Gallet added.
        setTown(*f.rs, QStringLiteral("Arnaud"), QStringLiteral("Lyon 2"));
        remove(*f.rs, QStringLiteral("Bernard"));
        add(*f.rs, QStringLiteral("Émery"), QStringLiteral("Évian"));
        add(*f.rs, QStringLiteral("Fabre"), QStringLiteral("Foix"));
        f.phone.putCard(
            book, QStringLiteral("petit.vcf"),
            townCard(QStringLiteral("petit"), QStringLiteral("Petit"), QStringLiteral("Nancy")));
        QCOMPARE(f.phone.deleteCard(book, QStringLiteral("quenet.vcf")) / 100, 2);
        f.phone.putCard(
            book, QStringLiteral("gallet.vcf"),
            townCard(QStringLiteral("gallet"), QStringLiteral("Gallet"), QStringLiteral("Gap")));

        // The run cut at request k.
        proxy.clear();
        cut = false;
        cutAt = k;
        if (killed) {
            f.close();
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
            env.insert(QStringLiteral("ELVARINE_PASSWORD"), f.server.password());
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(QStringLiteral(ELVARINE_PROGRAM_DIR "/Elvarine"),
                    {QStringLiteral("--sync"), f.file});
            QVERIFY(p.waitForStarted());
            victim = p.processId();
            QVERIFY(p.waitForFinished(60000));
            victim = 0;
            QCOMPARE(p.exitStatus() == QProcess::CrashExit, cut.load());
            f.open();
        } else {
            // (the run may still go through: a request whose answer it can do without)
            f.sync();
        }
        cutAt = 0;
        const bool wasCut = cut.load();
        QStringList rightAfter;
        for (const QByteArray& text : f.phone.cards(book))
            rightAfter << readCard(text).contact[Field::Nom];
        rightAfter.sort();

        // Then, here: Émery (perhaps sent) changed, Fabre (perhaps sent) deleted, Arnaud
        // changed again.
        setTown(*f.rs, QStringLiteral("Émery"), QStringLiteral("Épinal"));
        remove(*f.rs, QStringLiteral("Fabre"));
        setTown(*f.rs, QStringLiteral("Arnaud"), QStringLiteral("Lyon 3"));
        const SyncSummary after = f.sync();
        QVERIFY2(after.complete(), qPrintable(QStringLiteral("k=%1\n").arg(k) + after.text()));
        QVERIFY2(after.conflicts.isEmpty() && after.restored.isEmpty(),
                 qPrintable(QStringLiteral("k=%1\n").arg(k) + after.text()));

        const QStringList expected{"Arnaud|Jean|||Lyon 3", "Colin|Jean|||Caen",
                                   "Durand|Jean|||Dijon",  "Gallet|Jean|||Gap",
                                   "Petit|Jean|||Nancy",   "Émery|Jean|||Épinal"};
        QVERIFY2(sortedRecords(f) == expected,
                 qPrintable(QStringLiteral("k=%1: ").arg(k) +
                            sortedRecords(f).join(QLatin1String(", "))));
        QStringList onServer;
        for (const QByteArray& text : f.phone.cards(book)) {
            const Contact c = readCard(text).contact;
            onServer << c[Field::Nom] + "|" + c[Field::Prenom] + "|||" + c[Field::Ville];
        }
        onServer.sort();
        QVERIFY2(onServer == expected,
                 qPrintable(QStringLiteral("k=%1, on the server: ").arg(k) +
                            onServer.join(QLatin1String(", ")) +
                            "\nright after the cut: " + rightAfter.join(QLatin1String(", ")) +
                            "\nafter the cut: " + after.text()));
        const SyncSummary idle = f.sync();
        QVERIFY2(idle.complete(), qPrintable(idle.text()));
        QCOMPARE(counts(idle), QStringLiteral("sent 0/0/0 received 0/0/0"));
        if (!wasCut) {
            qInfo("%d requests, each cut in turn", k - 1);
            break; // the run had fewer requests than k: every one was cut in turn
        }
    }
}

void TestSyncInterrupted::lateArrival()
{
    SERVER_FIXTURE(f)
    QVERIFY(f.setUp({{"Arnaud", "Jean", "", "", "", "", "Lyon"}}));
    // 0: every request goes through; 1: new cards are held (the sender's connection cut);
    // 2: the held cards reach the server once it answered the run's listing of its cards.
    std::atomic<int> phase{0};
    std::atomic<bool> delivered{false};
    QMutex heldLock;
    QList<FrontRequest> held;
    // Hubert's card never arrives.
    const auto lostTarget = [&] {
        QMutexLocker lock(&heldLock);
        for (const FrontRequest& put : held) {
            if (put.body.contains("Hubert"))
                return put.target;
        }
        return QByteArray();
    };
    HttpFront proxy(
        [&](const FrontRequest& r) {
            FrontAnswer a;
            if (phase == 1 && r.method == "PUT") {
                QMutexLocker lock(&heldLock);
                held << r;
                a.kind = FrontAnswer::Drop;
                return a;
            }
            if (phase == 2 && r.method == "DELETE" && r.target == lostTarget()) {
                a.kind = FrontAnswer::Reply; // a server forbidding what it does not hold
                a.head = HttpFront::answer(403);
                return a;
            }
            const bool listing = (r.method == "REPORT" && r.body.contains("sync-collection")) ||
                                 (r.method == "PROPFIND" && r.header("Depth") == "1");
            if (phase == 2 && listing && !delivered) {
                a.rewrite = [&](const FrontRequest&, const QByteArray& body) {
                    if (!body.contains("multistatus") || delivered.exchange(true))
                        return body; // refused: not the listing the run goes by
                    CardClient late(f.server.root(), f.server.user(), f.server.password());
                    QMutexLocker lock(&heldLock);
                    for (const FrontRequest& put : held)
                        if (!put.body.contains("Hubert"))
                            late.request("PUT", f.server.root().resolved(QUrl(put.target)),
                                         put.body, {{"Content-Type", put.header("Content-Type")}});
                    return body;
                };
            }
            return a;
        },
        f.server.root());
    QUrl book = f.server.addressBook();
    book.setPort(proxy.port());
    f.relink(book);
    QVERIFY(f.sync().complete());

    add(*f.rs, QStringLiteral("Émery"), QStringLiteral("Évian"));
    add(*f.rs, QStringLiteral("Fabre"), QStringLiteral("Foix"));
    add(*f.rs, QStringLiteral("Gaston"), QStringLiteral("Gap"));
    add(*f.rs, QStringLiteral("Hubert"), QStringLiteral("Hyères"));
    phase = 1;
    const SyncSummary held1 = f.sync();
    QVERIFY2(!held1.complete(), qPrintable(held1.text()));
    QVERIFY(!held.isEmpty());

    // Meanwhile, here: Émery changed, Fabre and Hubert deleted, Gaston left as sent.
    setTown(*f.rs, QStringLiteral("Émery"), QStringLiteral("Épinal"));
    remove(*f.rs, QStringLiteral("Fabre"));
    remove(*f.rs, QStringLiteral("Hubert"));
    phase = 2;
    const SyncSummary next = f.sync();
    QVERIFY(delivered);
    QVERIFY2(next.complete() && next.conflicts.isEmpty() && next.restored.isEmpty(),
             qPrintable(next.text()));
    const SyncSummary idle = f.sync();
    QVERIFY2(idle.complete(), qPrintable(idle.text()));
    QCOMPARE(counts(idle), QStringLiteral("sent 0/0/0 received 0/0/0"));
    const QStringList expected{"Arnaud|Jean|||Lyon", "Gaston|Jean|||Gap", "Émery|Jean|||Épinal"};
    QCOMPARE(sortedRecords(f), expected);
    QCOMPARE(f.serverRecords(), expected);
}

SYNC_TEST_MAIN(TestSyncInterrupted, QCoreApplication)
#include "tst_syncinterrupted.moc"

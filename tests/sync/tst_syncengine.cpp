// Two-way synchronisation against real CardDAV servers (Debian's radicale and xandikos, with
// and without the sync-token report), with a second client playing the phone that changes the
// same address book.
#include "datacolumns.h"
#include "syncfixture.h"

#include <QCoreApplication>
#include <QRegularExpression>

class TestSyncEngine : public QObject
{
    Q_OBJECT
private slots:
    void firstUploadAndDownload_data() { serverRows(); }
    void firstUploadAndDownload();
    void changesAndDeletesBothWays_data() { serverRows(); }
    void changesAndDeletesBothWays();
    void conflictRules_data() { serverRows({DavServerKind::Radicale, DavServerKind::Xandikos}); }
    void conflictRules();
    void propertiesWithoutFieldsKept_data()
    {
        serverRows({DavServerKind::Radicale, DavServerKind::XandikosWithoutToken});
    }
    void propertiesWithoutFieldsKept();
    // (xandikos keeps a card byte for byte; radicale writes it again itself, escaping URI
    // values as texts)
    void valuesOtherProgramsReadStrictly_data() { serverRows({DavServerKind::Xandikos}); }
    void valuesOtherProgramsReadStrictly();
    void rowNumberTakenAfterDelete_data();
    void rowNumberTakenAfterDelete();
    void faults_data();
    void faults();
    void serverStoppedMidSyncThenResume();
};

void TestSyncEngine::firstUploadAndDownload()
{
    SERVER_FIXTURE(f)
    QVERIFY(f.setUp({{"Zola", "Émile", " ", "21 rue de Bruxelles", " ", "75009", "Paris",
                      "01 40 00 00 01", " ", " ", " ", "Écrivain\nnaturaliste", "ez@exemple.fr"},
                     {"Hugo", "Victor", "", "", "", "", "", "", "", "", "REF-7"}}));
    const QString before = runSqlite3(f.file, QStringLiteral("PRAGMA table_info(Elvarine);"));
    f.phone.putCard(f.server.addressBook(), QStringLiteral("sand.vcf"),
                    vcard(QStringLiteral("sand-1"), QStringLiteral("Sand"),
                          QStringLiteral("George"),
                          "TEL;TYPE=CELL:06 00 00 00 01\r\nADR;TYPE=HOME:;;Nohant;Nohant-Vic;;"
                          "36400;France\r\n"));
    f.phone.putCard(f.server.addressBook(), QStringLiteral("verne.vcf"),
                    vcard(QStringLiteral("verne-1"), QStringLiteral("Verne"),
                          QStringLiteral("Jules"), "EMAIL:jv@exemple.fr\r\n"));

    const SyncSummary first = f.sync();
    QVERIFY2(first.complete(), qPrintable(first.text()));
    QCOMPARE(counts(first), QStringLiteral("sent 2/0/0 received 2/0/0"));
    QCOMPARE(f.records(),
             QStringList({"Zola|Émile|01 40 00 00 01|ez@exemple.fr|Paris", "Hugo|Victor|||",
                          "Sand|George|||Nohant-Vic", "Verne|Jules||jv@exemple.fr|"}));
    QCOMPARE(f.serverRecords(), QStringList({"Hugo|Victor|||", "Sand|George|||Nohant-Vic",
                                             "Verne|Jules||jv@exemple.fr|",
                                             "Zola|Émile|01 40 00 00 01|ez@exemple.fr|Paris"}));
    // Every field reaches the server, notes with their line break, the reference too.
    const auto zola = f.serverCard("Zola");
    const Contact sent = readCard(zola.second).contact;
    QCOMPARE(sent[Field::Notes], QStringLiteral("Écrivain\nnaturaliste"));
    QCOMPARE(sent[Field::Adresse], QStringLiteral("21 rue de Bruxelles"));
    QCOMPARE(sent[Field::CodePostal], QStringLiteral("75009"));
    QCOMPARE(readCard(f.serverCard("Hugo").second).contact[Field::Reference],
             QStringLiteral("REF-7"));
    QCOMPARE(readCard(zola.second).uid + QStringLiteral(".vcf"), zola.first);

    // Nothing changed: nothing moves, either way.
    const SyncSummary second = f.sync();
    QVERIFY2(second.complete(), qPrintable(second.text()));
    QCOMPARE(counts(second), QStringLiteral("sent 0/0/0 received 0/0/0"));
    QCOMPARE(f.records().size(), 4);

    // The address table keeps its shape; the file still opens as an address file.
    f.close();
    QCOMPARE(runSqlite3(f.file, QStringLiteral("PRAGMA table_info(Elvarine);")), before);
    QCOMPARE(runSqlite3(f.file, QStringLiteral("SELECT count(*) FROM ElvarineSync;")).trimmed(),
             QStringLiteral("4"));
    f.open();
    QCOMPARE(f.rs->RecordCount(), 4);
}

void TestSyncEngine::changesAndDeletesBothWays()
{
    SERVER_FIXTURE(f)
    QVERIFY(f.setUp({{"Arnaud", "Anne", "", "", "", "", "Lyon", "04 00 00 00 01"},
                     {"Bernard", "Bruno", "", "", "", "", "Nantes"},
                     {"Colin", "Claire"},
                     {"Durand", "Denis"}}));
    QVERIFY(f.sync().complete());
    // Here: Anne's number changes, Claire is deleted.
    f.rs->MoveTo(0);
    f.rs->Edit();
    f.rs->setField(Field::Telephone, QStringLiteral("04 99 99 99 99"));
    f.rs->Update();
    f.rs->MoveTo(2);
    f.rs->Delete();
    // On the phone: Bruno gets an e-mail address, Denis is deleted.
    const auto bruno = f.serverCard("Bernard");
    QByteArray changed = bruno.second;
    changed.replace("END:VCARD", "EMAIL:bruno@exemple.fr\r\nEND:VCARD");
    f.phone.putCard(f.server.addressBook(), bruno.first, changed);
    QCOMPARE(f.phone.deleteCard(f.server.addressBook(), f.serverCard("Durand").first) / 100, 2);

    const SyncSummary s = f.sync();
    QVERIFY2(s.complete(), qPrintable(s.text()));
    QCOMPARE(counts(s), QStringLiteral("sent 0/1/1 received 0/1/1"));
    QCOMPARE(f.records(), QStringList({"Arnaud|Anne|04 99 99 99 99||Lyon",
                                       "Bernard|Bruno||bruno@exemple.fr|Nantes"}));
    QCOMPARE(f.serverRecords(), f.records());
    QVERIFY(f.sync().complete());
    QCOMPARE(counts(f.sync()), QStringLiteral("sent 0/0/0 received 0/0/0"));
}

void TestSyncEngine::conflictRules()
{
    SERVER_FIXTURE(f)
    QVERIFY(f.setUp({{"Martin", "Marie", "", "", "", "", "Brest"},
                     {"Petit", "Paul", "", "", "", "", "Metz"},
                     {"Roux", "Rose", "", "", "", "", "Nice"}}));
    QVERIFY(f.sync().complete());
    const auto setTown = [&f](int position, const char* town) {
        f.rs->MoveTo(position);
        f.rs->Edit();
        f.rs->setField(Field::Ville, QString::fromUtf8(town));
        f.rs->Update();
    };
    const auto phoneTown = [&f](const char* name, const char* from, const char* to) {
        const auto card = f.serverCard(name);
        QByteArray text = card.second;
        text.replace(from, to);
        f.phone.putCard(f.server.addressBook(), card.first, text);
    };
    // Marie changed on both sides; Paul deleted here and changed on the phone; Rose changed
    // here and deleted on the phone.
    setTown(0, "Quimper");
    phoneTown("Martin", ";Brest;", ";Rennes;");
    phoneTown("Petit", ";Metz;", ";Nancy;");
    setTown(2, "Cannes");
    f.rs->MoveTo(1);
    f.rs->Delete();
    QCOMPARE(f.phone.deleteCard(f.server.addressBook(), f.serverCard("Roux").first) / 100, 2);

    const SyncSummary s = f.sync();
    QVERIFY2(s.complete(), qPrintable(s.text()));
    QCOMPARE(s.conflicts, QStringList{"Martin Marie"});
    QCOMPARE(s.restored, QStringList({"Petit Paul", "Roux Rose"}));
    QVERIFY(s.text().contains(QStringLiteral("les deux versions sont gardées")));
    // Both versions of Marie are kept: the record takes the server's, a new record holds
    // this file's; Paul comes back with the phone's change; Rose goes back to the server.
    QCOMPARE(f.records(), QStringList({"Martin|Marie|||Rennes", "Roux|Rose|||Cannes",
                                       "Martin|Marie|||Quimper", "Petit|Paul|||Nancy"}));
    QCOMPARE(f.serverRecords(), QStringList({"Martin|Marie|||Quimper", "Martin|Marie|||Rennes",
                                             "Petit|Paul|||Nancy", "Roux|Rose|||Cannes"}));
    const SyncSummary again = f.sync();
    QVERIFY(again.complete());
    QCOMPARE(counts(again), QStringLiteral("sent 0/0/0 received 0/0/0"));
}

void TestSyncEngine::propertiesWithoutFieldsKept()
{
    SERVER_FIXTURE(f)
    QVERIFY(f.setUp({}));
    // A card from a phone: a photo, a birthday, more numbers and addresses, a group, an X-
    // property of another program, parameters Elvarine does not know.
    QByteArray photo;
    for (int i = 0; i < 40; ++i)
        photo += "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGA";
    QByteArray photoLines = "PHOTO;ENCODING=b;TYPE=PNG:";
    for (qsizetype i = 0; i < photo.size(); i += 70)
        photoLines += (i ? "\r\n " : "") + photo.mid(i, 70);
    photoLines += "\r\n";
    const QByteArray extras =
        photoLines + "BDAY:1980-04-12\r\n" + "item1.TEL;TYPE=WORK,VOICE:01 11 11 11 11\r\n" +
        "item1.X-ABLabel:Bureau\r\n" + "TEL;TYPE=HOME,VOICE:01 22 22 22 22\r\n" +
        "TEL;TYPE=VOICE:01 33 33 33 33\r\n" + "TEL;TYPE=PAGER:01 44\r\n" +
        "ADR;TYPE=WORK:;;1 place du Travail;Lille;;59000;France\r\n" +
        "ADR;TYPE=HOME;TYPE=PREF:;;2 rue du Nid;Arras;Hauts;62000;France\r\n" +
        "EMAIL;TYPE=HOME:maison@exemple.fr\r\nEMAIL;TYPE=WORK:bureau@exemple.fr\r\n" +
        "CATEGORIES:Famille,Amis\r\nX-SOCIALPROFILE;TYPE=mastodon:@leon@exemple.social\r\n" +
        "NICKNAME:Léo\r\n";
    f.phone.putCard(
        f.server.addressBook(), QStringLiteral("leon.vcf"),
        vcard(QStringLiteral("leon-1"), QStringLiteral("Blum"), QStringLiteral("Léon"), extras));
    QVERIFY(f.sync().complete());
    QCOMPARE(f.records(), QStringList{"Blum|Léon|01 11 11 11 11|maison@exemple.fr|Arras"});

    // Here: the first number, the town and the e-mail change.
    f.rs->MoveTo(0);
    f.rs->Edit();
    f.rs->setField(Field::Telephone, QStringLiteral("03 21 00 00 00"));
    f.rs->setField(Field::Ville, QStringLiteral("Béthune"));
    f.rs->setField(Field::Email, QStringLiteral("leon@exemple.fr"));
    f.rs->Update();
    const SyncSummary s = f.sync();
    QVERIFY2(s.complete(), qPrintable(s.text()));
    QCOMPARE(counts(s), QStringLiteral("sent 0/1/0 received 0/0/0"));

    int status = 0;
    QByteArray card = f.phone.getCard(f.server.addressBook(), QStringLiteral("leon.vcf"), &status);
    QCOMPARE(status, 200);
    card.replace("\r\n", "\n");
    // (the server may put the properties in another order and change their letter case)
    const QByteArray unfolded = QByteArray(card).replace("\n ", "");
    QVERIFY2(unfolded.contains(photo), card.constData());
    for (const char* kept :
         {"BDAY:1980-04-12", "TEL;TYPE=HOME,VOICE:01 22 22 22 22", "item1.X-ABLabel:Bureau",
          "TEL;TYPE=VOICE:01 33 33 33 33", "TEL;TYPE=PAGER:01 44",
          "ADR;TYPE=WORK:;;1 place du Travail;Lille;;59000;France",
          "EMAIL;TYPE=WORK:bureau@exemple.fr", "CATEGORIES:Famille,Amis",
          "X-SOCIALPROFILE;TYPE=mastodon:@leon@exemple.social", "NICKNAME:Léo", "UID:leon-1"})
        QVERIFY2(unfolded.toLower().contains(QByteArray(kept).toLower()), kept);
    // The changed properties keep their parameters; the region of the address stays.
    for (const char* changed :
         {"item1\\.TEL;TYPE=WORK,VOICE:03 21 00 00 00",
          "ADR;TYPE=HOME[;,TYPE=]*PREF:;;2 rue du Nid;Béthune;Hauts;62000;France",
          "EMAIL;TYPE=HOME:leon@exemple\\.fr"})
        QVERIFY2(QString::fromUtf8(unfolded).contains(QRegularExpression(
                     QString::fromUtf8(changed), QRegularExpression::CaseInsensitiveOption)),
                 changed);
    QVERIFY(!unfolded.contains("01 11 11 11 11"));
    QVERIFY(!unfolded.contains("maison@"));
    QCOMPARE(counts(f.sync()), QStringLiteral("sent 0/0/0 received 0/0/0"));
}

namespace
{

// The unfolded lines of a card named `name` (TEL, URL...), their values as written.
QStringList rawValues(const QByteArray& card, const QByteArray& name)
{
    QStringList values;
    for (const QByteArray& line : QByteArray(card).replace("\r\n ", "").split('\n')) {
        const QByteArray l = line.trimmed();
        const qsizetype colon = l.indexOf(':');
        const QByteArray head = l.left(colon).toUpper();
        if (colon > 0 && (head == name || head.startsWith(name + ';')))
            values << QString::fromUtf8(l.mid(colon + 1));
    }
    return values;
}

// A telephone-uri of RFC 3966: a global number ("+" and digits with visual separators), or a
// local one (hex digits, "*", "#", separators) with its phone-context; then parameters.
bool strictTelUri(const QString& uri)
{
    static const QString sep = QStringLiteral("[-.()]");
    static const QString param = QStringLiteral("(;[A-Za-z0-9-]+(=[A-Za-z0-9+.()%-]+)?)");
    static const QString global = QStringLiteral("\\+(%1|[0-9])*[0-9](%1|[0-9])*").arg(sep);
    static const QString local =
        QStringLiteral("(%1|[0-9A-Fa-f*#])*[0-9A-Fa-f*#](%1|[0-9A-Fa-f*#])*").arg(sep);
    static const QRegularExpression grammar(
        QStringLiteral("^tel:(%1%2*|%3%2*;phone-context=(%1|[A-Za-z0-9.-]+)%2*)$")
            .arg(global, param, local));
    return grammar.match(uri).hasMatch();
}

} // namespace

void TestSyncEngine::valuesOtherProgramsReadStrictly()
{
    SERVER_FIXTURE(f)
    QVERIFY(f.setUp({}));
    // A phone's vCard 4.0 card: its numbers as tel: URIs, one local with its context.
    f.phone.putCard(f.server.addressBook(), QStringLiteral("uri.vcf"),
                    "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:uri-1\r\nFN:Jean Roux\r\nN:Roux;Jean;;;\r\n"
                    "TEL;VALUE=uri;TYPE=voice:tel:+33-1-40-00-00-01\r\n"
                    "TEL;VALUE=uri;TYPE=cell:tel:0600000001;phone-context=+33\r\n"
                    "TEL;TYPE=fax:01 40 00 00 02\r\nURL:https://exemple.fr/\r\nEND:VCARD\r\n");
    QVERIFY(f.sync().complete());
    QCOMPARE(f.records(), QStringList{"Roux|Jean|+33 1 40 00 00 01||"});
    // Changed here as a user types them.
    const QString url = QStringLiteral("https://exemple.fr/a,b;c?d=1&e=%C3%A9#f");
    f.rs->MoveTo(0);
    f.rs->Edit();
    f.rs->setField(Field::Telephone, QStringLiteral("+33 1 40 00 00 99"));
    f.rs->setField(Field::Portable, QStringLiteral("06 00 00 00 99"));
    f.rs->setField(Field::Fax, QStringLiteral("01 40 00 00 98"));
    f.rs->setField(Field::Url, url);
    f.rs->Update();
    const SyncSummary s = f.sync();
    QVERIFY2(s.complete(), qPrintable(s.text()));
    QCOMPARE(counts(s), QStringLiteral("sent 0/1/0 received 0/0/0"));

    int status = 0;
    const QByteArray card =
        f.phone.getCard(f.server.addressBook(), QStringLiteral("uri.vcf"), &status);
    QCOMPARE(status, 200);
    const QStringList tels = rawValues(card, "TEL");
    QCOMPARE(tels, QStringList({"tel:+33-1-40-00-00-99", "tel:06-00-00-00-99;phone-context=+33",
                                "01 40 00 00 98"}));
    for (const QString& tel : tels.mid(0, 2))
        QVERIFY2(strictTelUri(tel), qPrintable(tel));
    // The URL as the URI it is: no backslash, valid as a strict URI.
    QCOMPARE(rawValues(card, "URL"), QStringList{url});
    QVERIFY(QUrl(url, QUrl::StrictMode).isValid());
    // The record keeps what was typed, and nothing moves again.
    f.rs->Requery();
    f.rs->MoveTo(0);
    QCOMPARE(f.rs->Field(Field::Portable).toString(), QStringLiteral("06 00 00 00 99"));
    QCOMPARE(f.rs->Field(Field::Url).toString(), url);
    QCOMPARE(counts(f.sync()), QStringLiteral("sent 0/0/0 received 0/0/0"));
}

void TestSyncEngine::rowNumberTakenAfterDelete_data()
{
    addColumns<QString, QString, QString>("newNom", "newPrenom", "newTown");
    QTest::addColumn<bool>("sameCard"); // the change goes to the card that was there

    // The last record is deleted and another added, which takes its row number.
    QTest::newRow("another record") << "Weil"
                                    << "Simone"
                                    << "Paris" << false;
    // The same record changed (its name kept): the card is changed, not replaced.
    QTest::newRow("same record changed") << "Camus"
                                         << "Albert"
                                         << "Alger" << true;
}

void TestSyncEngine::rowNumberTakenAfterDelete()
{
    QFETCH(QString, newNom);
    QFETCH(QString, newPrenom);
    QFETCH(QString, newTown);
    QFETCH(bool, sameCard);
    SyncFixture f;
    QVERIFY(f.setUp(
        {{"Proust", "Marcel"}, {"Camus", "Albert", "", "", "", "", "Oran", "01 02 03 04 05"}}));
    QVERIFY(f.sync().complete());
    const QString cardBefore = f.serverCard("Camus").first;
    const QString rowidBefore =
        runSqlite3(f.file, QStringLiteral("SELECT max(rowid) FROM Elvarine;")).trimmed();
    if (sameCard) {
        f.rs->MoveTo(1);
        f.rs->Edit();
        f.rs->setField(Field::Ville, newTown);
        f.rs->Update();
    } else {
        f.rs->MoveTo(1);
        f.rs->Delete();
        f.rs->AddNew();
        f.rs->setField(Field::Nom, newNom);
        f.rs->setField(Field::Prenom, newPrenom);
        f.rs->setField(Field::Ville, newTown);
        f.rs->Update();
    }
    QCOMPARE(runSqlite3(f.file, QStringLiteral("SELECT max(rowid) FROM Elvarine;")).trimmed(),
             rowidBefore);
    const SyncSummary s = f.sync();
    QVERIFY2(s.complete(), qPrintable(s.text()));
    QCOMPARE(counts(s), sameCard ? QStringLiteral("sent 0/1/0 received 0/0/0")
                                 : QStringLiteral("sent 1/0/1 received 0/0/0"));
    const auto card = f.serverCard(newNom.toUtf8());
    QCOMPARE(card.first == cardBefore, sameCard);
    QCOMPARE(f.serverRecords().size(), 2);
    QVERIFY(f.serverRecords().contains(newNom + '|' + newPrenom + "|" +
                                       (sameCard ? "01 02 03 04 05" : "") + "||" + newTown));
}

void TestSyncEngine::faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message"); // how the message starts; %p is the server's port

    QTest::newRow("wrong password") << "password"
                                    << "Le serveur 127.0.0.1:%p refuse le nom d'utilisateur ou "
                                       "le mot de passe (erreur 401).";
    QTest::newRow("another user's address book")
        << "forbidden"
        << "Le serveur 127.0.0.1:%p refuse l'accès à /bob/contacts/ (erreur 403)";
    QTest::newRow("server stopped") << "stopped"
                                    << "Le serveur 127.0.0.1:%p est injoignable : il refuse la "
                                       "connexion (il est peut-être arrêté).";
    QTest::newRow("server silent")
        << "silent"
        << "Le serveur 127.0.0.1:%p ne répond pas à temps : sa réponse n'était pas complète "
           "au bout de 2 secondes.";
    QTest::newRow("certificate not trusted")
        << "tls"
        << "Le certificat du serveur 127.0.0.1:%p n'a pas pu être vérifié (";
}

void TestSyncEngine::faults()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    SyncFixture f;
    QVERIFY(f.setUp({{"Curie", "Marie"}}));
    const QList<QVariantList> before = readAddressFile(f.file);
    RadicaleServer tls(true);
    int port = f.server.root().port();
    QString password;
    int timeoutMs = 30000;
    if (fault == QLatin1String("password")) {
        password = QStringLiteral("mauvais");
    } else if (fault == QLatin1String("forbidden")) {
        f.relink(f.server.root().resolved(QUrl(QStringLiteral("bob/contacts/"))));
    } else if (fault == QLatin1String("stopped")) {
        f.server.kill();
    } else if (fault == QLatin1String("silent")) {
        f.server.pause(true);
        timeoutMs = 2000;
    } else {
        QVERIFY(tls.start());
        port = tls.root().port();
        f.relink(tls.addressBook());
    }
    const SyncSummary s = f.sync(password, {}, timeoutMs);
    f.server.pause(false);
    QVERIFY(!s.complete());
    QVERIFY2(s.error.startsWith(message.replace(QLatin1String("%p"), QString::number(port))),
             qPrintable(s.error));
    QCOMPARE(counts(s), QStringLiteral("sent 0/0/0 received 0/0/0"));
    QCOMPARE(readAddressFile(f.file), before);
    QCOMPARE(runSqlite3(f.file, QStringLiteral("SELECT count(*) FROM ElvarineSync;")).trimmed(),
             QStringLiteral("0"));
    if (fault == QLatin1String("password")) {
        // With the right one it goes through.
        QVERIFY(f.phone.cards(f.server.addressBook()).isEmpty());
        QCOMPARE(counts(f.sync()), QStringLiteral("sent 1/0/0 received 0/0/0"));
    }
}

void TestSyncEngine::serverStoppedMidSyncThenResume()
{
    QList<QVariantList> rows;
    for (int i = 0; i < 60; ++i)
        rows << QVariantList{QStringLiteral("Nom%1").arg(i, 2, 10, QLatin1Char('0')),
                             QStringLiteral("Prénom")};
    SyncFixture f;
    QVERIFY(f.setUp(rows));
    for (int i = 0; i < 40; ++i)
        f.phone.putCard(f.server.addressBook(), QStringLiteral("p%1.vcf").arg(i),
                        vcard(QStringLiteral("p%1").arg(i), QStringLiteral("Tel%1").arg(i),
                              QStringLiteral("Jean")));
    // The server is stopped while the cards come and go.
    SyncOptions options;
    options.cardsPerMultiget = 10;
    options.rowsPerTransaction = 7;
    bool killed = false;
    options.progress = [&](qint64 done, qint64) {
        if (done >= 45 && !killed) {
            killed = true;
            f.server.kill();
        }
        return true;
    };
    const SyncSummary cut = f.sync(QString(), options);
    QVERIFY(killed);
    QVERIFY(!cut.complete());
    QVERIFY2(cut.error.contains(QStringLiteral("injoignable")) ||
                 cut.error.contains(QStringLiteral("coupée")),
             qPrintable(cut.error));
    QVERIFY(cut.text().contains(QStringLiteral("la prochaine synchronisation reprendra")));

    QVERIFY(f.server.start());
    const SyncSummary resumed = f.sync();
    QVERIFY2(resumed.complete(), qPrintable(resumed.text()));
    // Nothing twice, nothing lost, on either side.
    QStringList local = f.records();
    local.sort();
    QCOMPARE(local.size(), 100);
    QCOMPARE(QSet<QString>(local.begin(), local.end()).size(), 100);
    QCOMPARE(f.serverRecords(), local);
    QCOMPARE(counts(f.sync()), QStringLiteral("sent 0/0/0 received 0/0/0"));
}

SYNC_TEST_MAIN(TestSyncEngine, QCoreApplication)
#include "tst_syncengine.moc"

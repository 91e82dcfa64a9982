// `Elvarine --sync`, run as scripts run it: the real program, without any display, the password
// in ELVARINE_PASSWORD.
#include "syncfixture.h"

#include <QCoreApplication>
#include <QProcess>

class TestSyncCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void commands_data();
    void commands();
    void setUpFromTheCommandLine_data();
    void setUpFromTheCommandLine();
};

namespace
{

// The program as a script runs it: no display, no keyring, the password in ELVARINE_PASSWORD
// (unless "-").
struct Run {
    int status = -1;
    QString out, err;
};
Run elvarine(const QStringList& args, const QString& password)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY",
                             "DBUS_SESSION_BUS_ADDRESS", "ELVARINE_PASSWORD"})
        env.remove(QString::fromLatin1(name));
    if (password != QLatin1String("-"))
        env.insert(QStringLiteral("ELVARINE_PASSWORD"), password);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ELVARINE_PROGRAM_DIR "/Elvarine"), args);
    Run r;
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit)
        r.status = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

void TestSyncCommandLine::commands_data()
{
    QTest::addColumn<bool>("linked");      // the file has synchronisation settings
    QTest::addColumn<QString>("password"); // ELVARINE_PASSWORD; "-" leaves it unset
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // what standard output holds ("%f" the file)
    QTest::addColumn<QString>("err"); // what standard error starts with ("%p" the port)
    QTest::addColumn<int>("cards");   // cards on the server afterwards

    QTest::newRow("synchronised")
        << true << "secret-alice" << 0
        << "Synchronisation de « %f » avec le carnet « Contacts » : terminée.\nEnvoyé au "
           "serveur : 2 nouvelle(s) fiche(s), 0 modifiée(s), 0 supprimée(s).\nReçu du serveur : "
           "1 nouvelle(s) fiche(s), 0 modifiée(s), 0 supprimée(s).\n"
        << "" << 3;
    QTest::newRow("wrong password")
        << true << "mauvais" << 1 << ": interrompue."
        << "Le serveur 127.0.0.1:%p refuse le nom d'utilisateur ou le mot de passe (erreur 401)."
        << 1;
    QTest::newRow("no keyring, no variable") << true << "-" << 1 << ""
                                             << "Aucun mot de passe pour alice@" << 1;
    QTest::newRow("file not linked")
        << false << "secret-alice" << 1 << ""
        << "Le fichier « %f » n'est relié à aucun carnet d'adresses" << 1;
}

void TestSyncCommandLine::commands()
{
    QFETCH(bool, linked);
    QFETCH(QString, password);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(int, cards);
    SyncFixture f;
    QVERIFY(f.setUp({{"Zola", "Émile"}, {"Hugo", "Victor"}}));
    f.phone.putCard(
        f.server.addressBook(), QStringLiteral("sand.vcf"),
        vcard(QStringLiteral("sand"), QStringLiteral("Sand"), QStringLiteral("George")));
    f.close();
    if (!linked)
        runSqlite3(f.file, QStringLiteral("DROP TABLE ElvarineSyncSettings;"));
    out.replace(QLatin1String("%f"), f.file);
    err.replace(QLatin1String("%f"), f.file);
    err.replace(QLatin1String("%p"), QString::number(f.server.root().port()));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.remove(QStringLiteral("ELVARINE_PASSWORD"));
    if (password != QLatin1String("-"))
        env.insert(QStringLiteral("ELVARINE_PASSWORD"), password);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ELVARINE_PROGRAM_DIR "/Elvarine"), {QStringLiteral("--sync"), f.file});
    QVERIFY(p.waitForFinished(60000));
    const QString stdOut = QString::fromUtf8(p.readAllStandardOutput());
    const QString stdErr = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QVERIFY2(p.exitCode() == status, qPrintable(stdErr));
    QVERIFY2(stdOut.contains(out), qPrintable(stdOut));
    if (err.isEmpty())
        QCOMPARE(stdErr, QString());
    else
        QVERIFY2(stdErr.startsWith(err), qPrintable(stdErr));
    QCOMPARE(f.phone.cards(f.server.addressBook()).size(), cards);
    QCOMPARE(readAddressFile(f.file).size(), status == 0 ? 3 : 2);

    // --help lists the command.
    QProcess help;
    help.setProcessEnvironment(env);
    help.start(QStringLiteral(ELVARINE_PROGRAM_DIR "/Elvarine"), {QStringLiteral("--help")});
    QVERIFY(help.waitForFinished(20000));
    const QString helpText = QString::fromUtf8(help.readAllStandardOutput());
    QVERIFY(helpText.contains(QStringLiteral("Elvarine --sync [FICHIER_ADRESSES]")));
    QVERIFY(helpText.contains(QStringLiteral(
        "Elvarine --sync-setup SERVEUR UTILISATEUR [--book NOM] [FICHIER_ADRESSES]")));
}

SYNC_TEST_MAIN(TestSyncCommandLine, QCoreApplication)
#include "tst_synccommandline.moc"

void TestSyncCommandLine::setUpFromTheCommandLine_data()
{
    QTest::addColumn<QStringList>("books"); // the user's address books besides "contacts"
    QTest::addColumn<QString>("address");   // the server address given: "root" or "book"
    QTest::addColumn<QString>("book");      // --book, when given
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("chosen"); // the address book linked (its last part)

    QTest::newRow("one address book, from the root")
        << QStringList() << "root" << QString() << 0 << "contacts";
    QTest::newRow("the address book's own address")
        << QStringList{"travail"} << "book" << QString() << 0 << "contacts";
    QTest::newRow("several, none chosen: listed")
        << QStringList{"travail"} << "root" << QString() << 2 << QString();
    QTest::newRow("several, one chosen by name") << QStringList{"travail"} << "root"
                                                 << "travail" << 0 << "travail";
    QTest::newRow("several, a name none has") << QStringList{"travail"} << "root"
                                              << "famille" << 2 << QString();
}

void TestSyncCommandLine::setUpFromTheCommandLine()
{
    QFETCH(QStringList, books);
    QFETCH(QString, address);
    QFETCH(QString, book);
    QFETCH(int, status);
    QFETCH(QString, chosen);
    SyncFixture f;
    QVERIFY(f.setUp({{"Zola", "Émile"}}));
    for (const QString& b : books)
        QVERIFY(f.phone.makeAddressBook(f.server.addressBook(b)));
    f.phone.putCard(
        f.server.addressBook(), QStringLiteral("sand.vcf"),
        vcard(QStringLiteral("sand"), QStringLiteral("Sand"), QStringLiteral("George")));
    f.close();
    // A file never linked.
    runSqlite3(f.file, QStringLiteral("DROP TABLE ElvarineSyncSettings; DROP TABLE ElvarineSync;"));
    const QString server = address == QLatin1String("root") ? f.server.root().toString()
                                                            : f.server.addressBook().toString();
    QStringList args{QStringLiteral("--sync-setup"), server, f.server.user()};
    if (!book.isEmpty())
        args << QStringLiteral("--book") << book;
    args << f.file;

    // Without a password, nothing is asked of the server.
    const Run none = elvarine(args, QStringLiteral("-"));
    QCOMPARE(none.status, 1);
    QVERIFY2(none.err.startsWith(QStringLiteral("Aucun mot de passe pour alice@127.0.0.1:")),
             qPrintable(none.err));

    const Run r = elvarine(args, f.server.password());
    QVERIFY2(r.status == status, qPrintable(r.err));
    if (status == 2) {
        // The address books are listed, one a line: name, tab, address.
        QVERIFY2(r.err.contains(QStringLiteral("choisissez-en un avec --book NOM")),
                 qPrintable(r.err));
        QStringList listed = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        listed.sort();
        QCOMPARE(listed, QStringList({"Contacts\t" + f.server.addressBook().toString(),
                                      "Contacts\t" + f.server.addressBook("travail").toString()}));
        QCOMPARE(runSqlite3(f.file, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name "
                                                   "= 'ElvarineSyncSettings';"))
                     .trimmed(),
                 QStringLiteral("0"));
        return;
    }
    const QString url = f.server.addressBook(chosen).toString();
    QVERIFY2(r.out.contains(url), qPrintable(r.out));
    QCOMPARE(runSqlite3(f.file, QStringLiteral("SELECT Valeur FROM ElvarineSyncSettings WHERE Nom "
                                               "= 'Carnet';"))
                 .trimmed(),
             url);
    // Then --sync goes through with that address book.
    const Run sync = elvarine({QStringLiteral("--sync"), f.file}, f.server.password());
    QVERIFY2(sync.status == 0, qPrintable(sync.err));
    QCOMPARE(f.phone.cards(QUrl(url)).size(), chosen == QLatin1String("contacts") ? 2 : 1);
}

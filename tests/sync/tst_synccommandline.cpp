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
};

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
    QVERIFY(QString::fromUtf8(help.readAllStandardOutput())
                .contains(QStringLiteral("Elvarine --sync [FICHIER_ADRESSES]")));
}

SYNC_TEST_MAIN(TestSyncCommandLine, QCoreApplication)
#include "tst_synccommandline.moc"

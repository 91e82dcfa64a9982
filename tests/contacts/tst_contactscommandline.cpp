// The command line, run as scripts run it: the real program, without any display.
#include "addressfiles.h"
#include "filebytes.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace
{

struct Run {
    int status = -1;
    QString out;
    QString err;
};

// The program in `dir` with `args`, with no display at all: no platform plugin chosen, no X
// server.
Run runProgram(const QString& dir, const QStringList& args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(dir + QStringLiteral("/Elvarine"), args);
    Run r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.status = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

class TestContactsCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void commands_data();
    void commands();
    void twinsComeBackAsTwoRecords();
    void fileWithTriggersIsNotWritten();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestContactsCommandLine::init()
{
    // A portable copy of its own: the program and its start-up database beside the default
    // address file.
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QFile::copy(QStringLiteral(ELVARINE_PROGRAM_DIR "/Elvarine"),
                        m_dir->filePath(QStringLiteral("Elvarine"))));
    QVERIFY(QFile::copy(QStringLiteral(ELVARINE_PROGRAM_DIR "/Elvarine.mdb"),
                        m_dir->filePath(QStringLiteral("Elvarine.mdb"))));
    makeAddressFile(m_dir->filePath(QStringLiteral("Elvarine.adb")),
                    {{"Zola", "Émile", " ", " ", " ", "75009", "Paris"}, {"Hugo", "Victor"}});
    makeAddressFile(m_dir->filePath(QStringLiteral("autre.adb")), {{"Sand", "George"}});
    writeFile(m_dir->filePath(QStringLiteral("cartes.vcf")),
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Zola;Émile;;;\r\n"
              "ADR:;;;Paris;;75009;\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Verne;Jules;;;\r\nTEL:02 40\r\nEND:VCARD\r\n");
    writeFile(m_dir->filePath(QStringLiteral("tronque.vcf")),
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Verne;Jules;;;\r\n");
    writeFile(m_dir->filePath(QStringLiteral("inconnu.csv")), "Qui;Où\r\nMoi;Ici\r\n");
}

void TestContactsCommandLine::commands_data()
{
    QTest::addColumn<QStringList>("args"); // "%d" stands for the program folder
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");     // what standard output holds
    QTest::addColumn<QString>("err");     // what standard error starts with
    QTest::addColumn<int>("records");     // records of Elvarine.adb afterwards
    QTest::addColumn<QString>("written"); // a file written, and how it starts

    QTest::newRow("help") << QStringList{"--help"} << 0
                          << "FICHIER_ADRESSES est par défaut %d/Elvarine.adb."
                          << "" << 2 << "";
    QTest::newRow("help names the file the window opens")
        << QStringList{"-h"} << 0
        << "  Elvarine [FICHIER_ADRESSES]\n      ouvre la fenêtre du carnet d'adresses avec "
           "FICHIER_ADRESSES"
        << "" << 2 << "";
    QTest::newRow("export to vCard, default address file")
        << QStringList{"--export", "%d/sortie.vcf"} << 0
        << "2 fiche(s) exportée(s) de « %d/Elvarine.adb » dans « %d/sortie.vcf »."
        << "" << 2 << "%d/sortie.vcf|BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Victor Hugo\r\n";
    QTest::newRow("export to CSV by --format, another address file")
        << QStringList{"--format", "csv", "--export", "%d/sortie.txt", "%d/autre.adb"} << 0
        << "1 fiche(s) exportée(s) de « %d/autre.adb » dans « %d/sortie.txt »."
        << "" << 2 << "%d/sortie.txt|\xEF\xBB\xBFNom;Prénom;Société;";
    QTest::newRow("import")
        << QStringList{"--import", "%d/cartes.vcf"} << 0
        << "Fichier importé : %d/cartes.vcf\nFichier d'adresses : %d/Elvarine.adb\n"
           "Fiches lues : 2\nFiches importées : 1\n"
           "Fiches ignorées car identiques à une fiche du fichier : 1\n"
           "Valeurs non importées (trop longues pour leur champ) : 0"
        << "" << 3 << "";
    QTest::newRow("truncated card")
        << QStringList{"--import", "%d/tronque.vcf"} << 1 << ""
        << "Le fichier « %d/tronque.vcf » ne peut pas être importé : la carte de visite n° 1, "
           "commencée ligne 1, est incomplète (END:VCARD manquant).\nAucune fiche n'a été "
           "importée.\n"
        << 2 << "";
    QTest::newRow("CSV columns not recognised")
        << QStringList{"--import", "%d/inconnu.csv"} << 1 << ""
        << "Le fichier « %d/inconnu.csv » ne peut pas être importé : les colonnes du fichier "
           "CSV ne sont pas reconnues (Qui, Où)."
        << 2 << "";
    QTest::newRow("missing address file")
        << QStringList{"--import", "%d/cartes.vcf", "%d/absent.adb"} << 1 << ""
        << "Le fichier d'adresses « %d/absent.adb » est introuvable.\n"
        << 2 << "";
    QTest::newRow("not an address file")
        << QStringList{"--export", "%d/x.vcf", "%d/cartes.vcf"} << 1 << ""
        << "Le fichier « %d/cartes.vcf » n'est pas un fichier d'adresses valide." << 2 << "";
    QTest::newRow("unknown format")
        << QStringList{"--format", "xml", "--import", "%d/cartes.vcf"} << 2 << ""
        << "Format « xml » inconnu : vcard ou csv.\n"
        << 2 << "";
    QTest::newRow("format not in the name")
        << QStringList{"--export", "%d/sortie"} << 2 << ""
        << "Le format du fichier « %d/sortie » ne se déduit pas de son nom" << 2 << "";
    QTest::newRow("option without its file") << QStringList{"--import"} << 2 << ""
                                             << "L'option --import attend une valeur.\n"
                                             << 2 << "";
}

void TestContactsCommandLine::commands()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(int, records);
    QFETCH(QString, written);
    const QString dir = m_dir->path();
    for (QString& a : args)
        a.replace(QLatin1String("%d"), dir);
    out.replace(QLatin1String("%d"), dir);
    err.replace(QLatin1String("%d"), dir);
    written.replace(QLatin1String("%d"), dir);
    const QString adb = m_dir->filePath(QStringLiteral("Elvarine.adb"));
    const QByteArray before = fileHash(adb);

    const Run p = runProgram(dir, args);
    const QString& stdOut = p.out;
    const QString& stdErr = p.err;
    QVERIFY2(p.status == status, qPrintable(stdErr));
    if (out.isEmpty())
        QCOMPARE(stdOut, QString());
    else
        QVERIFY2(stdOut.contains(out), qPrintable(stdOut));
    if (err.isEmpty())
        QCOMPARE(stdErr, QString());
    else
        QVERIFY2(stdErr.startsWith(err), qPrintable(stdErr));
    QCOMPARE(readAddressFile(adb).size(), records);
    if (records == 2)
        QCOMPARE(fileHash(adb), before);
    if (!written.isEmpty()) {
        QFile f(written.section(QLatin1Char('|'), 0, 0));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY2(f.readAll().startsWith(written.section(QLatin1Char('|'), 1).toUtf8()),
                 qPrintable(f.fileName()));
    }
}

void TestContactsCommandLine::twinsComeBackAsTwoRecords()
{
    // Two people of the same name, exported, then imported into an empty file: both come back.
    const QString dir = m_dir->path();
    const QString twins = m_dir->filePath(QStringLiteral("jumeaux.adb"));
    const QString empty = m_dir->filePath(QStringLiteral("vide.adb"));
    const QString cards = m_dir->filePath(QStringLiteral("jumeaux.vcf"));
    makeAddressFile(twins, {{"Double", "Jumeau"}, {"Double", "Jumeau"}});
    makeAddressFile(empty);
    const Run exported = runProgram(dir, {QStringLiteral("--export"), cards, twins});
    QVERIFY2(exported.status == 0, qPrintable(exported.err));
    const Run imported = runProgram(dir, {QStringLiteral("--import"), cards, empty});
    QVERIFY2(imported.status == 0, qPrintable(imported.err));
    QVERIFY2(imported.out.contains(QStringLiteral("Fiches importées : 2\nFiches ignorées car "
                                                  "identiques à une fiche du fichier : 0")),
             qPrintable(imported.out));
    QCOMPARE(readAddressFile(empty).size(), 2);
    // Imported again, they are the file's own records: both skipped.
    const Run again = runProgram(dir, {QStringLiteral("--import"), cards, empty});
    QVERIFY2(again.out.contains(QStringLiteral("identiques à une fiche du fichier : 2")),
             qPrintable(again.out));
    QCOMPARE(readAddressFile(empty).size(), 2);
}

void TestContactsCommandLine::fileWithTriggersIsNotWritten()
{
    // A trigger that deletes the older records whenever a record is added.
    const QString path = m_dir->filePath(QStringLiteral("piege.adb"));
    makeAddressFile(path, {{"Un"}, {"Deux"}, {"Trois"}});
    int rc = -1;
    runSqlite3(path,
               QStringLiteral("CREATE TRIGGER t AFTER INSERT ON Elvarine BEGIN DELETE FROM "
                              "Elvarine WHERE rowid < new.rowid; END;"),
               &rc);
    QCOMPARE(rc, 0);
    const QByteArray before = fileHash(path);
    const Run r = runProgram(m_dir->path(),
                             {QStringLiteral("--import"), m_dir->filePath("cartes.vcf"), path});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(QStringLiteral("déclencheurs (t)")), qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("Aucune fiche n'a été importée.")), qPrintable(r.err));
    QCOMPARE(r.out, QString());
    QCOMPARE(fileHash(path), before);
}

QTEST_GUILESS_MAIN(TestContactsCommandLine)
#include "tst_contactscommandline.moc"

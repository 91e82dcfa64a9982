#include "datacolumns.h"
#include "mainwindowfixture.h"

#include "core/dosshell.h"
#include "core/enginemessages.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <unistd.h>

namespace
{

const QString kFilter = QStringLiteral("Elvarine (*.adb)|*.adb");

FileDialogRequest openRequest(const QString& fileName = QString())
{
    return fileRequest(QStringLiteral("Ouvrir le fichier"), kFilter, 0, 1, fileName);
}

FileDialogRequest saveRequest()
{
    return fileRequest(QStringLiteral("Créer un fichier d'adresses"), kFilter, 0, 1,
                       QStringLiteral("Nouveau.adb"));
}

QVariantList person(const QString& nom, const QString& prenom)
{
    return {nom, prenom};
}

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT
private slots:
    void nouveauCreatesOpensAndWaitsForTheFirstRecord();
    void nouveauRefusesAnExistingName();
    void withoutAFileTheWindowSaysHowToBegin();
    void nouveauCancelledChangesNothing();
    void nouveauThenCancelledOpenModifiesTheRecordShown();
    void ouvrirReportsAMissingFile();
    void ouvrirOpensAnotherFileInPlaceOfTheFirst();
    void damagedFileKeepsTheOpenOne_data();
    void damagedFileKeepsTheOpenOne();
    void readOnlyFileOpensAndItsFirstStoreSaysWhy();
    void emptyTableGetsItsFirstEmptyRecord();
    void ajoutSlashNeverDoubles();
    void fileArgumentOpensInPlaceOfTheDefault_data();
    void fileArgumentOpensInPlaceOfTheDefault();
    void installedProgramFindsEachFileInItsFolder();
};

void TestFileCommands::nouveauCreatesOpensAndWaitsForTheFirstRecord()
{
    MainWindowFixture f;
    frmElvarine& w = f.start();
    QCOMPARE(w.windowTitle(), QStringLiteral("Elvarine"));
    QVERIFY(w.findChild<QGroupBox*>(QStringLiteral("Frame2"))->isHidden());
    const QString created = f.path(QStringLiteral("Amis.adb"));
    f.dialogs.expectSaveFile(saveRequest(), created, true);
    f.dialogs.expectOpenFile(openRequest(created), created, true);
    w.Mnu_Nouveau_Click();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(w.windowTitle(), QStringLiteral("Elvarine ") + created);
    QCOMPARE(f.state.FicAnOuvre, 1);
    QCOMPARE(f.state.FicAdresses, created);
    // One empty record, its line a single space, and the form open for typing it.
    QCOMPARE(listLines(w), QStringList{QStringLiteral(" ")});
    auto* frame2 = w.findChild<QGroupBox*>(QStringLiteral("Frame2"));
    QVERIFY(!frame2->isHidden());
    QVERIFY(frame2->isEnabled());
    QVERIFY(!w.findChild<QPushButton*>(QStringLiteral("CmdAnnul"))->isHidden());
    QVERIFY(w.field(FieldBox::Nom)->hasFocus() ||
            QApplication::focusWidget() == w.field(FieldBox::Nom));
    const auto rows = readAddressFile(created);
    QCOMPARE(rows.size(), 1);
    for (const QVariant& v : rows.first())
        QVERIFY(v.isNull());
    QCOMPARE(runSqlite3(created, QStringLiteral("SELECT count(*) FROM Elvarine;")).trimmed(),
             QStringLiteral("1"));
}

void TestFileCommands::withoutAFileTheWindowSaysHowToBegin()
{
    MainWindowFixture f;
    frmElvarine& w = f.start();
    auto* hint = w.findChild<QLabel*>(QStringLiteral("lblCommencer"));
    QVERIFY(hint && hint->isVisible());
    for (const char* command : {"Nouveau", "Ouvrir", "Importer des contacts"})
        QVERIFY2(hint->text().contains(QLatin1String(command)), command);
    // Every record command is off, on the toolbar too, and does nothing when run all the same
    // (the start-up database bound meanwhile is never written).
    const QList<Command> recordCommands{
        Command::Ajouter,     Command::Supprimer,     Command::Actualiser,
        Command::Modifier,    Command::ExporterFiche, Command::ExporterContacts,
        Command::ImprimFiche, Command::ApercuFiche,   Command::Synchronisation};
    for (Command c : recordCommands)
        QVERIFY2(!w.command(c)->isEnabled(), qPrintable(w.command(c)->objectName()));
    for (int index : {14, 15, 16, 17})
        QVERIFY(!w.toolbarButton(index)->isEnabled());
    w.cmdDelete_Click();
    w.cmdAdd_Click();
    w.cmdUpdate_Click();
    QCOMPARE(f.dialogs.shown, QStringList());
    QCOMPARE(w.recordState(), RecordState::Browse);

    // A file opened: the hint goes, the commands come on.
    const QString adb = f.path(QStringLiteral("Amis.adb"));
    makeAddressFile(adb, {person(QStringLiteral("Zola"), QStringLiteral("Émile"))});
    f.dialogs.expectOpenFile(openRequest(), adb);
    w.Mnu_Ouvrir_Click();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QVERIFY(hint->isHidden());
    for (int index : {14, 15, 17})
        QVERIFY(w.toolbarButton(index)->isEnabled());
    QVERIFY(w.command(Command::ExporterContacts)->isEnabled());
}

void TestFileCommands::nouveauRefusesAnExistingName()
{
    MainWindowFixture f;
    frmElvarine& w = f.start();
    const QString existing = f.path(QStringLiteral("Deja.adb"));
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("garder");
    file.close();
    f.dialogs.expectSaveFile(saveRequest(), existing);
    f.dialogs.expectMessage(QStringLiteral("Le fichier ") + existing +
                                QStringLiteral(" existe !\r") + QString(21, QLatin1Char(' ')) +
                                QStringLiteral("Ouvir le fichier."),
                            48, QStringLiteral("Avertissement"));
    w.Mnu_Nouveau_Click();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("garder"));
    QCOMPARE(f.state.FicAnOuvre, 0);
}

void TestFileCommands::nouveauCancelledChangesNothing()
{
    MainWindowFixture f;
    frmElvarine& w = f.start();
    f.dialogs.expectSaveFile(saveRequest(), std::nullopt);
    w.Mnu_Nouveau_Click();
    QVERIFY(f.dialogs.done());
    QCOMPARE(w.windowTitle(), QStringLiteral("Elvarine"));
    QCOMPARE(QDir(f.dir.path()).entryList({QStringLiteral("*.adb")}).size(), 0);
}

void TestFileCommands::nouveauThenCancelledOpenModifiesTheRecordShown()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({person(QStringLiteral("Durand"), QStringLiteral("Marie"))});
    const QString created = f.path(QStringLiteral("Autre.adb"));
    f.dialogs.expectSaveFile(saveRequest(), created);
    f.dialogs.expectOpenFile(openRequest(created), std::nullopt, true);
    w.Mnu_Nouveau_Click();
    QVERIFY(f.dialogs.done());
    QVERIFY(QFile::exists(created)); // made, not opened
    QCOMPARE(w.windowTitle(), QStringLiteral("Elvarine ") + f.path(QStringLiteral("Elvarine.adb")));
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Durand"));
    QVERIFY(w.findChild<QGroupBox*>(QStringLiteral("Frame2"))->isEnabled());
    QVERIFY(!w.findChild<QPushButton*>(QStringLiteral("CmdAnnul"))->isHidden());
}

void TestFileCommands::ouvrirReportsAMissingFile()
{
    MainWindowFixture f;
    frmElvarine& w = f.start();
    const QString missing = f.path(QStringLiteral("Absent.adb"));
    f.dialogs.expectOpenFile(openRequest(), missing);
    f.dialogs.expectMessage(QStringLiteral("Fichier ") + missing + QStringLiteral(" introuvable !"),
                            48, QStringLiteral("Erreur"));
    w.Mnu_Ouvrir_Click();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.state.FicAnOuvre, 0);
    QVERIFY(!QFile::exists(missing));
}

void TestFileCommands::ouvrirOpensAnotherFileInPlaceOfTheFirst()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({person(QStringLiteral("Durand"), QStringLiteral("Marie"))});
    const QString other = f.path(QStringLiteral("Travail.adb"));
    makeAddressFile(other, {person(QStringLiteral("Zola"), QStringLiteral("Émile")),
                            person(QStringLiteral("Arnaud"), QStringLiteral("Luc"))});
    f.dialogs.expectOpenFile(openRequest(), other);
    w.Mnu_Ouvrir_Click();
    QVERIFY(f.dialogs.done());
    QCOMPARE(w.windowTitle(), QStringLiteral("Elvarine ") + other);
    QCOMPARE(listLines(w),
             (QStringList{QStringLiteral("Arnaud Luc"), QStringLiteral("Zola Émile")}));
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Arnaud"));
}

void TestFileCommands::damagedFileKeepsTheOpenOne_data()
{
    addColumns<QByteArray, QString>("content", "sql");
    QTest::newRow("empty file") << QByteArray() << QString();
    QByteArray noise;
    for (int i = 0; i < 2048; ++i)
        noise.append(char((i * 131 + 7) % 256));
    QTest::newRow("random bytes") << noise << QString();
    QTest::newRow("no address table") << QByteArray() << "CREATE TABLE t (x TEXT);";
    QTest::newRow("column missing")
        << QByteArray() << "CREATE TABLE Elvarine (Nom TEXT, \"Prénom\" TEXT);";
}

void TestFileCommands::damagedFileKeepsTheOpenOne()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, sql);
    MainWindowFixture f;
    frmElvarine& w = f.startWith({person(QStringLiteral("Durand"), QStringLiteral("Marie"))});
    const QString good = f.path(QStringLiteral("Elvarine.adb"));
    const QString bad = f.path(QStringLiteral("Abime.adb"));
    if (sql.isEmpty()) {
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    } else {
        runSqlite3(bad, sql);
    }
    f.dialogs.expectOpenFile(openRequest(), bad);
    f.dialogs.expectMessageStartingWith(QStringLiteral("Le fichier ") + bad +
                                            QStringLiteral(" n'est pas un fichier d'adresses "
                                                           "valide.\r"),
                                        16, QStringLiteral("Erreur"));
    w.Mnu_Ouvrir_Click();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(w.windowTitle(), QStringLiteral("Elvarine ") + good);
    QCOMPARE(f.state.FicAnOuvre, 1);
    QCOMPARE(f.state.FicAdresses, good);
    QCOMPARE(w.binding().DatabaseName, good);
    QCOMPARE(listLines(w), QStringList{QStringLiteral("Durand Marie")});
    // The file already open still takes records.
    w.cmdUpdate_Click();
    w.setFieldText(FieldBox::Prenom, QStringLiteral("Marie-Anne"));
    w.cmdRefresh_Click();
    QCOMPARE(readAddressFile(good).first().at(1).toString(), QStringLiteral("Marie-Anne"));
}

void TestFileCommands::readOnlyFileOpensAndItsFirstStoreSaysWhy()
{
    if (::geteuid() == 0) {
        // File permissions do not bind root: run this case again as an ordinary user.
        const QString runuser = QStandardPaths::findExecutable(QStringLiteral("runuser"));
        if (runuser.isEmpty())
            QSKIP("running as root without runuser: a read-only file cannot be made here");
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), QDir::tempPath());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QDir::tempPath());
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(QDir::tempPath());
        child.start(runuser, {QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"),
                              QCoreApplication::applicationFilePath(),
                              QStringLiteral("readOnlyFileOpensAndItsFirstStoreSaysWhy")});
        QVERIFY(child.waitForFinished(60000));
        const QString out = QString::fromLocal8Bit(child.readAllStandardOutput());
        if (child.exitCode() != 0 && !out.contains(QStringLiteral("Totals")))
            QSKIP("the test program cannot run as an ordinary user here");
        QVERIFY2(child.exitCode() == 0, qPrintable(out));
        QVERIFY2(out.contains(QStringLiteral(
                     "PASS   : TestFileCommands::readOnlyFileOpensAndItsFirstStoreSaysWhy")),
                 qPrintable(out));
        return;
    }
    MainWindowFixture f;
    frmElvarine& w = f.startWith({person(QStringLiteral("Durand"), QStringLiteral("Marie"))});
    const QString locked = f.path(QStringLiteral("Lecture.adb"));
    makeAddressFile(locked, {person(QStringLiteral("Autre"), QString())});
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup);
    f.dialogs.expectOpenFile(openRequest(), locked);
    w.Mnu_Ouvrir_Click();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    // Opened to be read; the first store says why it cannot be written, the typing stays.
    QCOMPARE(w.windowTitle(), QStringLiteral("Elvarine ") + locked);
    QCOMPARE(listLines(w), QStringList{QStringLiteral("Autre ")});
    w.cmdUpdate_Click();
    w.setFieldText(FieldBox::Ville, QStringLiteral("Lyon"));
    f.dialogs.expectMessage(readOnlyFileMessage(locked), vbExclamation, QStringLiteral("Erreur"));
    w.cmdRefresh_Click();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QVERIFY(w.recordPending());
    QCOMPARE(readAddressFile(locked).first().at(6), QVariant());
}

void TestFileCommands::emptyTableGetsItsFirstEmptyRecord()
{
    MainWindowFixture f;
    frmElvarine& w = f.start();
    const QString outside = f.path(QStringLiteral("Vide.adb"));
    // A table made by another program, with no row.
    runSqlite3(outside,
               QStringLiteral("CREATE TABLE Elvarine (Nom TEXT(50), \"Prénom\" TEXT(50), "
                              "\"Société\" TEXT(50), Adresse TEXT(50), Adresse1 TEXT(50), "
                              "\"Code postal\" TEXT(5), Ville TEXT(40), \"Téléphone\" TEXT(20), "
                              "\"Téléphone1\" TEXT(20), Fax TEXT(20), \"Référence\" TEXT(50), "
                              "Notes TEXT(255), \"E-mail\" TEXT(50), Pays TEXT(50), URL TEXT(50), "
                              "Portable TEXT(50));"));
    f.dialogs.expectOpenFile(openRequest(), outside);
    w.Mnu_Ouvrir_Click();
    QVERIFY(f.dialogs.done());
    QCOMPARE(listLines(w), QStringList{QStringLiteral(" ")});
    QCOMPARE(
        runSqlite3(outside, QStringLiteral("SELECT count(*), count(Nom) FROM Elvarine;")).trimmed(),
        QStringLiteral("1|0"));
}

void TestFileCommands::ajoutSlashNeverDoubles()
{
    QCOMPARE(AjoutSlash(QStringLiteral("/opt/elvarine")), QStringLiteral("/opt/elvarine/"));
    QCOMPARE(AjoutSlash(QStringLiteral("/opt/elvarine/")), QStringLiteral("/opt/elvarine/"));
    QTemporaryDir dir;
    QVERIFY(!FichierExiste(dir.path())); // a folder is not a file
    QVERIFY(!FichierExiste(dir.filePath(QStringLiteral("rien"))));
    QVERIFY(!FichierExiste(QString()));
}

void TestFileCommands::fileArgumentOpensInPlaceOfTheDefault_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // "adb": an address file holding Zola
    QTest::addColumn<QString>("message");    // the start of the refusal, "" when opened
    QTest::addColumn<int>("style");
    QTest::newRow("address file") << "Amis.adb" << QByteArray("adb") << "" << 0;
    QTest::newRow("missing") << "Absent.adb" << QByteArray() << "Fichier %1 introuvable !" << 48;
    QTest::newRow("not an address file")
        << "Notes.adb" << QByteArray("des notes, pas des adresses\n")
        << "Le fichier %1 n'est pas un fichier d'adresses valide.\r" << 16;
}

void TestFileCommands::fileArgumentOpensInPlaceOfTheDefault()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QFETCH(int, style);
    MainWindowFixture f;
    // The default file is there too: the file named wins, and a refused one does not fall back.
    makeAddressFile(f.path(QStringLiteral("Elvarine.adb")),
                    {person(QStringLiteral("Durand"), QStringLiteral("Marie"))});
    const QString named = f.path(name);
    if (content == "adb") {
        makeAddressFile(named, {person(QStringLiteral("Zola"), QStringLiteral("Émile"))});
    } else if (!content.isEmpty()) {
        QFile file(named);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    if (!message.isEmpty())
        f.dialogs.expectMessageStartingWith(message.arg(named), style, QStringLiteral("Erreur"));
    f.w->setStartupFile(named);
    frmElvarine& w = f.start();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    if (message.isEmpty()) {
        QCOMPARE(w.windowTitle(), QStringLiteral("Elvarine ") + named);
        QCOMPARE(f.state.FicAdresses, named);
        QCOMPARE(listLines(w), QStringList{QStringLiteral("Zola Émile")});
    } else {
        // The program goes on without a file, as after a refused Ouvrir.
        QCOMPARE(w.windowTitle(), QStringLiteral("Elvarine"));
        QCOMPARE(f.state.FicAnOuvre, 0);
        QVERIFY(w.findChild<QGroupBox*>(QStringLiteral("Frame2"))->isHidden());
    }
    // The name is used once: a later activation follows the usual start-up rule.
    w.Form_Activate();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.state.FicAnOuvre, 1);
}

void TestFileCommands::installedProgramFindsEachFileInItsFolder()
{
    // Installed: the start-up database and the help in the install's data folder, the user's
    // files in a folder of their own.
    MainWindowFixture f(false);
    QTemporaryDir user;
    QVERIFY(user.isValid());
    makeAddressFile(f.path(QStringLiteral("Elvarine.mdb")));
    QVERIFY(QFile::copy(QStringLiteral(ELVARINE_PROGRAM_DIR "/Elvarine.HLP"),
                        f.path(QStringLiteral("Elvarine.HLP"))));
    makeAddressFile(user.filePath(QStringLiteral("Elvarine.adb")),
                    {person(QStringLiteral("Durand"), QStringLiteral("Marie"))});
    QFile cfg(user.filePath(QStringLiteral("Telephon.cfg")));
    QVERIFY(cfg.open(QIODevice::WriteOnly));
    cfg.write("1\r\n3\r\n1\r\n");
    cfg.close();
    f.folder = std::make_unique<FixedFolder>(f.dir.path(), user.path());
    f.services.folder = f.folder.get();
    frmElvarine& w = f.start();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.state.CheminAppli, user.path());
    QCOMPARE(w.windowTitle(), QStringLiteral("Elvarine ") + user.filePath("Elvarine.adb"));
    QCOMPARE(f.state.dialer.NumPort, 3); // read from the user's folder
    // The file dialogs start in the user's folder.
    f.dialogs.expectOpenFile(openRequest(), std::nullopt);
    w.Mnu_Ouvrir_Click();
    QVERIFY(f.dialogs.done());
    QCOMPARE(QDir::currentPath(), QDir(user.path()).canonicalPath());
    // The help comes from the data folder.
    w.Mnu_Aide_Click();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
}

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"

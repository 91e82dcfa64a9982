// Where the program's files live: a portable copy keeps them beside the executable, an
// installed program splits its read-only data from the user's files.
#include "datacolumns.h"
#include "platform/programfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

class TestProgramFolder : public QObject
{
    Q_OBJECT
private slots:
    void locate_data();
    void locate();
    void filePaths_data();
    void filePaths();
    void factsOfARealFolder();
    void userFolderIsMadePrivate();
};

void TestProgramFolder::locate_data()
{
    addColumns<QString, bool, bool, QString, bool, QString, QString>(
        "executableFolder", "holdsDatabase", "writable", "xdgDataHome", "installed", "data",
        "user");

    const QString userData = QStringLiteral("/home/anne/.local/share/Elvarine");
    QTest::newRow("build folder") << "/src/build/bin" << true << true << "" << false
                                  << "/src/build/bin"
                                  << "/src/build/bin";
    QTest::newRow("portable copy, XDG_DATA_HOME changes nothing")
        << "/media/cle/Elvarine" << true << true << "/data/anne" << false << "/media/cle/Elvarine"
        << "/media/cle/Elvarine";
    QTest::newRow("installed in /usr")
        << "/usr/bin" << false << false << "" << true << "/usr/share/elvarine" << userData;
    QTest::newRow("installed in /usr, XDG_DATA_HOME set")
        << "/usr/bin" << false << false << "/data/anne/" << true << "/usr/share/elvarine"
        << "/data/anne/Elvarine";
    QTest::newRow("installed in /usr/local, XDG_DATA_HOME relative: ignored")
        << "/usr/local/bin/" << false << false << "donnees" << true << "/usr/local/share/elvarine"
        << userData;
    // The user's own prefix: the program's folder can be written but holds no database.
    QTest::newRow("installed in ~/.local") << "/home/anne/.local/bin" << false << true << "" << true
                                           << "/home/anne/.local/share/elvarine" << userData;
    // A complete copy the user cannot write (a shared folder, a read-only medium).
    QTest::newRow("copy in a folder not writable")
        << "/opt/elvarine" << true << false << "" << true << "/opt/elvarine" << userData;
    QTest::newRow("not writable, XDG_DATA_HOME set")
        << "/opt/elvarine" << true << false << "/data/anne" << true << "/opt/elvarine"
        << "/data/anne/Elvarine";
}

void TestProgramFolder::locate()
{
    QFETCH(QString, executableFolder);
    QFETCH(bool, holdsDatabase);
    QFETCH(bool, writable);
    QFETCH(QString, xdgDataHome);
    QFETCH(bool, installed);
    QFETCH(QString, data);
    QFETCH(QString, user);
    ProgramFolderFacts facts;
    facts.executableFolder = executableFolder;
    facts.holdsStartupDatabase = holdsDatabase;
    facts.writable = writable;
    facts.xdgDataHome = xdgDataHome;
    facts.home = QStringLiteral("/home/anne");
    const ProgramFolders folders = locateProgramFolders(facts, installDataFromBin());
    QCOMPARE(folders.installed, installed);
    QCOMPARE(folders.data, data);
    QCOMPARE(folders.user, user);
}

void TestProgramFolder::filePaths_data()
{
    addColumns<QString, QString, int, QString>("dataFolder", "userFolder", "file", "path");

    const QString data = QStringLiteral("/usr/share/elvarine");
    const QString user = QStringLiteral("/home/anne/.local/share/Elvarine");
    const struct {
        ProgramFile file;
        const char* installed;
    } installedRows[] = {
        {ProgramFile::StartupDatabase, "/usr/share/elvarine/Elvarine.mdb"},
        {ProgramFile::Help, "/usr/share/elvarine/Elvarine.HLP"},
        {ProgramFile::AddressFile, "/home/anne/.local/share/Elvarine/Elvarine.adb"},
        {ProgramFile::PrintParams, "/home/anne/.local/share/Elvarine/DEFAUT.PAR"},
        {ProgramFile::SenderProfile, "/home/anne/.local/share/Elvarine/DEFAUT.UTI"},
        {ProgramFile::DialerSettings, "/home/anne/.local/share/Elvarine/Telephon.cfg"},
    };
    for (const auto& row : installedRows)
        QTest::addRow("installed %s", qPrintable(programFileName(row.file)))
            << data << user << int(row.file) << QString::fromLatin1(row.installed);
    // One folder, given with its separator: never doubled.
    QTest::newRow("portable database")
        << "/p/"
        << "/p/" << int(ProgramFile::StartupDatabase) << "/p/Elvarine.mdb";
    QTest::newRow("portable dialer settings")
        << "/p/"
        << "/p/" << int(ProgramFile::DialerSettings) << "/p/Telephon.cfg";
    // No data folder known (only CheminAppli set): everything in CheminAppli.
    QTest::newRow("no data folder, help") << ""
                                          << "/p" << int(ProgramFile::Help) << "/p/Elvarine.HLP";
}

void TestProgramFolder::filePaths()
{
    QFETCH(QString, dataFolder);
    QFETCH(QString, userFolder);
    QFETCH(int, file);
    QFETCH(QString, path);
    QCOMPARE(programFilePath(dataFolder, userFolder, ProgramFile(file)), path);
    QCOMPARE(FixedFolder(dataFolder, userFolder).filePath(ProgramFile(file)), path);
}

void TestProgramFolder::factsOfARealFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    qputenv("XDG_DATA_HOME", "/data/anne");
    ProgramFolderFacts facts = programFolderFacts(dir.path());
    QVERIFY(!facts.holdsStartupDatabase);
    QVERIFY(facts.writable);
    QCOMPARE(facts.xdgDataHome, QStringLiteral("/data/anne"));
    QCOMPARE(facts.home, QDir::homePath());
    qunsetenv("XDG_DATA_HOME");
    QVERIFY(programFolderFacts(dir.path()).xdgDataHome.isEmpty());

    // A folder of that name is not the database.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Elvarine.mdb")));
    QVERIFY(!programFolderFacts(dir.path()).holdsStartupDatabase);
    QVERIFY(QDir(dir.path()).rmdir(QStringLiteral("Elvarine.mdb")));
    QFile db(dir.filePath(QStringLiteral("Elvarine.mdb")));
    QVERIFY(db.open(QIODevice::WriteOnly));
    db.close();
    QVERIFY(programFolderFacts(dir.path()).holdsStartupDatabase);

    if (::geteuid() != 0) {
        // Root writes anywhere; for anyone else a folder without write permission is not a
        // portable copy's.
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(!programFolderFacts(dir.path()).writable);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

void TestProgramFolder::userFolderIsMadePrivate()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString folder = home.filePath(QStringLiteral(".local/share/Elvarine"));
    QVERIFY(makeUserFolder(folder));
    for (const QString& made : {home.filePath(QStringLiteral(".local")),
                                home.filePath(QStringLiteral(".local/share")), folder}) {
        QVERIFY2(QFileInfo(made).isDir(), qPrintable(made));
        QCOMPARE(QFileInfo(made).permissions() &
                     (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                      QFile::WriteOther | QFile::ExeOther),
                 QFile::Permissions());
    }
    QVERIFY(makeUserFolder(folder)); // already there
    // A file in the way: no folder, and the answer says so.
    QFile blocker(home.filePath(QStringLiteral("fichier")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(!makeUserFolder(home.filePath(QStringLiteral("fichier/Elvarine"))));
}

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_programfolder.moc"

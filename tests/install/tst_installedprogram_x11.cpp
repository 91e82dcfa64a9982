// The program installed as a user installs it: `cmake --install` into a prefix of its own, the
// desktop's validators on the tree, and the installed program run by an ordinary user (not root,
// who may write read-only files) from a prefix that user cannot write, with an empty home,
// driven through its windows on an X display.
#include "addressfiles.h"
#include "datacolumns.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMimeDatabase>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <unistd.h>

namespace
{

const QString kAppId = QStringLiteral(ELVARINE_APP_ID);
const QString kAddressType = QStringLiteral("application/x-elvarine-addressbook");
const int kIconSizes[] = {16, 32, 48, 64, 128, 256};

// Every file under `root`, by relative path, with a hash of its bytes and its permissions.
QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        QByteArray id = QByteArray::number(int(info.permissions()), 16);
        QFile f(path);
        if (info.isFile() && f.open(QIODevice::ReadOnly))
            id += ' ' + QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
        files.insert(QDir(root).relativeFilePath(path), id);
    }
    return files;
}

void setWritable(const QString& root, bool writable)
{
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    QStringList paths{root};
    while (it.hasNext())
        paths << it.next();
    for (const QString& path : paths) {
        QFile::Permissions p = QFileInfo(path).permissions();
        if (writable)
            p |= QFile::WriteOwner | QFile::WriteUser;
        else
            p &= ~(QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther);
        QFile::setPermissions(path, p);
    }
}

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run run(const QString& program, const QStringList& args, int timeoutMs = 60000,
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("timed out: ") + program + QLatin1Char(' ') + args.join(' ');
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// A window of the display whose name matches `pattern`, waited for; its id or empty.
QString waitForWindow(const QString& pattern)
{
    // xdotool's own --sync wait ends with an error when a window it looks at goes away in the
    // meantime (a dialog closing as another opens): ask again until the deadline.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 30000) {
        const Run r = run(QStringLiteral("xdotool"),
                          {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                           QStringLiteral("--name"), pattern},
                          10000);
        const QString id = r.out.split(QLatin1Char('\n')).first().trimmed();
        if (r.status == 0 && !id.isEmpty())
            return id;
        QThread::msleep(200);
    }
    return QString();
}

// The names of the visible windows, to tell what came up instead.
QString visibleWindows()
{
    QStringList names;
    const Run r = run(QStringLiteral("xdotool"),
                      {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                       QStringLiteral("--name"), QStringLiteral(".")},
                      10000);
    for (const QString& id : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        names << run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), id}, 10000)
                     .out.trimmed();
    return names.join(QLatin1String(" | "));
}

// The names of the visible windows other than `expected` (a message box, for instance).
QStringList otherWindows(const QStringList& expected)
{
    QStringList names;
    const Run r = run(QStringLiteral("xdotool"),
                      {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                       QStringLiteral("--name"), QStringLiteral(".")},
                      10000);
    for (const QString& id : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (!expected.contains(id.trimmed()))
            names << run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), id}, 10000)
                         .out.trimmed();
    }
    return names;
}

// The uid the program runs as: an ordinary user's when the tests run as root.
constexpr uid_t kOrdinaryUser = 65534;

// Hands `path` (and what it holds) to the ordinary user.
bool giveToOrdinaryUser(const QString& path)
{
    if (::geteuid() != 0)
        return true;
    return run(QStringLiteral("chown"),
               {QStringLiteral("-R"), QStringLiteral("%1:%1").arg(kOrdinaryUser), path})
               .status == 0;
}

// Gives `window` the keyboard (there is no window manager) and types `keys` there.
bool pressKeys(const QString& window, const QString& keys)
{
    return run(QStringLiteral("xdotool"),
               {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window,
                QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("50"), keys},
               30000)
               .status == 0;
}

QString windowName(const QString& window)
{
    return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), window}, 30000)
        .out.trimmed();
}

} // namespace

class TestInstalledProgram : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void installedTree();
    void servicesModuleLoadedAtFirstUse();
    void validators();
    void addressFilesAreRecognised();
    void addressFilesAreRecognisedByXdgMime();
    void manualPage();
    void defaultAddressFileInTheUserFolder_data();
    void defaultAddressFileInTheUserFolder();
    void writesOnlyInTheUserFolder();
    void fileArgumentAmongQtOptions_data();
    void fileArgumentAmongQtOptions();

private:
    QProcessEnvironment userEnvironment(const QString& home) const;
    // Starts the installed program as an ordinary user: as root, through setpriv under an
    // unprivileged uid, with `home` (and the runtime folder) its own and the X display's cookie
    // given to it.
    void startAsOrdinaryUser(QProcess& program, const QStringList& args, const QString& home,
                             QProcessEnvironment env);
    // The installed program run to its end as an ordinary user.
    Run runAsOrdinaryUser(const QStringList& args, const QString& home,
                          const QProcessEnvironment& env);
    QString mergedTypeDatabase();

    QTemporaryDir m_dir;
    std::unique_ptr<QTemporaryDir> m_runtime;
    QString m_prefix;
    QString m_program;
};

void TestInstalledProgram::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The ordinary user the program runs as reaches the install (owned by root) through it.
    QVERIFY(QFile::setPermissions(
        m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                          QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
    // Any prefix works: this one has a space and an accent.
    m_prefix = m_dir.filePath(QStringLiteral("préfixe local"));
    const Run install = run(QStringLiteral(ELVARINE_CMAKE_COMMAND),
                            {QStringLiteral("--install"), QStringLiteral(ELVARINE_BINARY_DIR),
                             QStringLiteral("--prefix"), m_prefix});
    QVERIFY2(install.status == 0, qPrintable(install.out + install.err));
    m_program = m_prefix + QStringLiteral("/bin/Elvarine");
}

void TestInstalledProgram::cleanupTestCase()
{
    setWritable(m_prefix, true);
}

void TestInstalledProgram::installedTree()
{
    QStringList expected{
        QStringLiteral("bin/Elvarine"),
        QStringLiteral("lib/elvarine/modules/elvarine-services.so"),
        QStringLiteral("share/elvarine/Elvarine.mdb"),
        QStringLiteral("share/elvarine/Elvarine.HLP"),
        QStringLiteral("share/applications/%1.desktop").arg(kAppId),
        QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId),
        QStringLiteral("share/mime/packages/%1.xml").arg(kAppId),
        QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(kAppId),
        QStringLiteral("share/man/man1/Elvarine.1.gz"),
        QStringLiteral("share/man/fr/man1/Elvarine.1.gz"),
        QStringLiteral("share/doc/elvarine/copyright"),
        QStringLiteral("share/doc/elvarine/changelog.gz"),
        QStringLiteral("share/lintian/overrides/elvarine"),
    };
    for (int size : kIconSizes)
        expected << QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId);
    QStringList installed;
    const auto files = snapshot(m_prefix);
    for (auto it = files.begin(); it != files.end(); ++it) {
        if (QFileInfo(m_prefix + QLatin1Char('/') + it.key()).isFile())
            installed << it.key();
    }
    expected.sort();
    installed.sort();
    QCOMPARE(installed, expected);

    QVERIFY(QFileInfo(m_program).isExecutable());
    for (int size : kIconSizes) {
        const QImage icon(
            m_prefix +
            QStringLiteral("/share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId));
        QCOMPARE(icon.size(), QSize(size, size));
        QVERIFY(icon.hasAlphaChannel());
        // Drawn, not blank: the middle of the icon is opaque.
        QCOMPARE(qAlpha(icon.pixel(size / 2, size * 3 / 4)), 255);
    }
    // The start-up database is a real address file: the program opens it.
    QCOMPARE(readAddressFile(m_prefix + QStringLiteral("/share/elvarine/Elvarine.mdb")).size(), 0);

    // The launcher opens address files, and names the icon and type that are installed.
    QFile desktop(m_prefix + QStringLiteral("/share/applications/%1.desktop").arg(kAppId));
    QVERIFY(desktop.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(desktop.readAll()).split(QLatin1Char('\n'));
    for (const QString& line :
         {QStringLiteral("Exec=Elvarine %f"), QStringLiteral("Icon=") + kAppId,
          QStringLiteral("MimeType=") + kAddressType + QLatin1Char(';'),
          QStringLiteral("GenericName=Carnet d'adresses"),
          QStringLiteral("Categories=Office;ContactManagement;")})
        QVERIFY2(lines.contains(line), qPrintable(line));
}

void TestInstalledProgram::servicesModuleLoadedAtFirstUse()
{
    // The network, print, serial and keyring libraries are not the executable's: its module
    // links them, and it is loaded when first needed.
    const Run needed = run(QStringLiteral("readelf"), {QStringLiteral("-d"), m_program});
    QVERIFY2(needed.status == 0 && needed.out.contains(QStringLiteral("libQt6Widgets")),
             qPrintable(needed.out + needed.err));
    for (const char* library :
         {"libQt6Network", "libQt6PrintSupport", "libQt6SerialPort", "libqt6keychain"})
        QVERIFY2(!needed.out.contains(QLatin1String(library)), library);

    QTemporaryDir home;
    QTemporaryDir files;
    const QString adb = files.filePath(QStringLiteral("Amis.adb"));
    makeAddressFile(adb, {{"Zola", "Émile"}});
    QVERIFY(giveToOrdinaryUser(files.path()));
    const QString pdf = files.filePath(QStringLiteral("étiquettes.pdf"));
    QProcessEnvironment env = userEnvironment(home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("ELVARINE_PASSWORD"), QStringLiteral("secret"));
    const QStringList print{QStringLiteral("--print-labels"), pdf, adb};
    const Run printed = runAsOrdinaryUser(print, home.path(), env);
    QVERIFY2(printed.status == 0, qPrintable(printed.out + printed.err));
    QFile labels(pdf);
    QVERIFY(labels.open(QIODevice::ReadOnly));
    QCOMPARE(labels.read(5), QByteArray("%PDF-"));
    labels.close();
    QVERIFY(QFile::remove(pdf));

    // Without the module, each command that needs it says why and fails; the others work.
    const QString module = m_prefix + QStringLiteral("/lib/elvarine/modules/elvarine-services.so");
    const QString aside = module + QStringLiteral(".ailleurs");
    QVERIFY(QFile::rename(module, aside));
    auto restore = qScopeGuard([&] { QFile::rename(aside, module); });
    const QString why =
        QStringLiteral("Le module elvarine-services.so d'Elvarine est introuvable "
                       "(cherché dans %1/bin et %1/lib/elvarine/modules) : réinstallez "
                       "Elvarine.\n")
            .arg(m_prefix);
    const Run refused = runAsOrdinaryUser(print, home.path(), env);
    QCOMPARE(refused.status, 1);
    QVERIFY2(refused.err.endsWith(QStringLiteral("L'impression est impossible. ") + why),
             qPrintable(refused.err));
    QVERIFY(!QFile::exists(pdf));
    const Run sync =
        runAsOrdinaryUser({QStringLiteral("--sync-setup"), QStringLiteral("http://127.0.0.1:9/"),
                           QStringLiteral("moi"), adb},
                          home.path(), env);
    QCOMPARE(sync.status, 1);
    QVERIFY2(sync.err.endsWith(QLatin1Char('\n') + why) || sync.err == why, qPrintable(sync.err));
    const Run help = runAsOrdinaryUser({QStringLiteral("--help")}, home.path(), env);
    QCOMPARE(help.status, 0);
}

void TestInstalledProgram::validators()
{
    for (const char* tool : {"desktop-file-validate", "appstreamcli"}) {
        QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(),
                 qPrintable(QStringLiteral("%1 is missing: run scripts/install-deps.sh")
                                .arg(QLatin1String(tool))));
    }
    const Run desktop =
        run(QStringLiteral("desktop-file-validate"),
            {m_prefix + QStringLiteral("/share/applications/%1.desktop").arg(kAppId)});
    QVERIFY2(desktop.status == 0 && desktop.out.isEmpty() && desktop.err.isEmpty(),
             qPrintable(desktop.out + desktop.err));
    // The metainfo alone, then the tree: its launcher and its icon found where it says.
    const Run metainfo =
        run(QStringLiteral("appstreamcli"),
            {QStringLiteral("validate"), QStringLiteral("--no-net"),
             m_prefix + QStringLiteral("/share/metainfo/%1.metainfo.xml").arg(kAppId)});
    QVERIFY2(metainfo.status == 0, qPrintable(metainfo.out + metainfo.err));
    const Run tree = run(QStringLiteral("appstreamcli"),
                         {QStringLiteral("validate-tree"), QStringLiteral("--no-net"), m_prefix});
    QVERIFY2(tree.status == 0, qPrintable(tree.out + tree.err));
    for (const Run& r : {metainfo, tree}) {
        // Errors and warnings fail; the pedantic note on the capital letter of the id does not.
        const QStringList lines = (r.out + r.err).split(QLatin1Char('\n'));
        for (const QString& line : lines)
            QVERIFY2(!line.startsWith(QLatin1String("E:")) &&
                         !line.startsWith(QLatin1String("W:")) &&
                         !line.startsWith(QLatin1String("I:")),
                     qPrintable(line));
    }
}

void TestInstalledProgram::addressFilesAreRecognised()
{
    const QString share = mergedTypeDatabase();
    QVERIFY(!share.isEmpty());
    qputenv("XDG_DATA_DIRS", share.toUtf8());
    qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("nothing")).toUtf8());

    const QString adb = m_dir.filePath(QStringLiteral("Amis.adb"));
    makeAddressFile(adb, {{"Zola", "Émile"}});
    // Ada sources share the extension: their text keeps them apart.
    const QString ada = m_dir.filePath(QStringLiteral("paquet.adb"));
    QFile source(ada);
    QVERIFY(source.open(QIODevice::WriteOnly));
    source.write("package body Paquet is\nend Paquet;\n");
    source.close();
    QMimeDatabase types;
    const QMimeType ours = types.mimeTypeForFile(adb);
    QCOMPARE(ours.name(), kAddressType);
    QVERIFY(ours.inherits(QStringLiteral("application/vnd.sqlite3")));
    QCOMPARE(types.mimeTypeForFile(ada).name(), QStringLiteral("text/x-adasrc"));
}

void TestInstalledProgram::addressFilesAreRecognisedByXdgMime()
{
    // What a file manager or a script asks of the desktop, where no desktop environment is
    // known: xdg-mime reads the type database through mimetype, names first.
    for (const char* tool : {"xdg-mime", "mimetype"}) {
        QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(),
                 qPrintable(QStringLiteral("%1 is missing: run scripts/install-deps.sh")
                                .arg(QLatin1String(tool))));
    }
    const QString share = mergedTypeDatabase();
    QVERIFY(!share.isEmpty());
    QTemporaryDir files;
    const QString adb = files.filePath(QStringLiteral("Amis.adb"));
    makeAddressFile(adb, {{"Zola", "Émile"}});
    const QString renamed = files.filePath(QStringLiteral("carnet"));
    QVERIFY(QFile::copy(adb, renamed));
    const QString ada = files.filePath(QStringLiteral("x.adb"));
    const QString otherDatabase = files.filePath(QStringLiteral("autre.sqlite3"));
    QFile source(ada);
    QVERIFY(source.open(QIODevice::WriteOnly));
    source.write("with Ada.Text_IO;\nprocedure X is\nbegin\n   null;\nend X;\n");
    source.close();
    QVERIFY(QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
        db.setDatabaseName(otherDatabase);
        QVERIFY(db.open());
        QVERIFY(db.exec(QStringLiteral("CREATE TABLE Notes (texte TEXT)")).lastError().type() ==
                QSqlError::NoError);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_DIRS"), share);
    env.insert(QStringLiteral("XDG_DATA_HOME"), files.filePath(QStringLiteral("nothing")));
    for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                             "GNOME_DESKTOP_SESSION_ID", "DBUS_SESSION_BUS_ADDRESS"})
        env.remove(QLatin1String(name));
    const QList<QPair<QString, QString>> expected{
        {adb, kAddressType},
        {renamed, kAddressType},
        {ada, QStringLiteral("text/x-adasrc")},
        {otherDatabase, QStringLiteral("application/vnd.sqlite3")},
    };
    for (const auto& [file, type] : expected) {
        const Run query =
            run(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("filetype"), file}, 60000, env);
        QVERIFY2(query.status == 0, qPrintable(query.err));
        QCOMPARE(query.out.trimmed() + QLatin1Char(' ') + QFileInfo(file).fileName(),
                 type + QLatin1Char(' ') + QFileInfo(file).fileName());
    }
}

void TestInstalledProgram::manualPage()
{
    if (QStandardPaths::findExecutable(QStringLiteral("man")).isEmpty())
        QFAIL("man is missing: run scripts/install-deps.sh");
    // `man elvarine` as a user types it (the page is named after the program, Elvarine), in a
    // French session (the French page) and in any other (the default one).
    for (const QString& language : {QStringLiteral("fr"), QStringLiteral("C")}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
        env.insert(QStringLiteral("MANPATH"), m_prefix + QStringLiteral("/share/man"));
        const QString folder = language == QLatin1String("fr")
                                   ? QStringLiteral("/share/man/fr/man1/")
                                   : QStringLiteral("/share/man/man1/");
        const Run where =
            run(QStringLiteral("man"),
                {QStringLiteral("-w"), QStringLiteral("-L"), language, QStringLiteral("elvarine")},
                60000, env);
        QCOMPARE(where.out.trimmed(), m_prefix + folder + QStringLiteral("Elvarine.1.gz"));
        const Run man =
            run(QStringLiteral("man"), {QStringLiteral("-L"), language, QStringLiteral("elvarine")},
                60000, env);
        QVERIFY2(man.status == 0, qPrintable(man.err));
        QVERIFY2(man.out.startsWith(QStringLiteral("ELVARINE(1)")), qPrintable(man.out));
        QVERIFY(man.out.contains(QStringLiteral("--version")));
    }
}

void TestInstalledProgram::defaultAddressFileInTheUserFolder_data()
{
    QTest::addColumn<QString>("xdgDataHome"); // "%h" stands for the home folder
    QTest::addColumn<QString>("defaultFile");
    QTest::newRow("XDG_DATA_HOME unset") << ""
                                         << "%h/.local/share/Elvarine/Elvarine.adb";
    QTest::newRow("XDG_DATA_HOME set") << "%h/donnees"
                                       << "%h/donnees/Elvarine/Elvarine.adb";
}

void TestInstalledProgram::defaultAddressFileInTheUserFolder()
{
    QFETCH(QString, xdgDataHome);
    QFETCH(QString, defaultFile);
    QTemporaryDir home;
    QProcessEnvironment env = userEnvironment(home.path());
    if (!xdgDataHome.isEmpty())
        env.insert(QStringLiteral("XDG_DATA_HOME"), xdgDataHome.replace("%h", home.path()));
    const Run help = run(m_program, {QStringLiteral("--help")}, 60000, env);
    QCOMPARE(help.status, 0);
    QVERIFY2(help.out.contains(QStringLiteral("FICHIER_ADRESSES est par défaut %1.")
                                   .arg(defaultFile.replace("%h", home.path()))),
             qPrintable(help.out));
}

void TestInstalledProgram::writesOnlyInTheUserFolder()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X display (run under xvfb-run)");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(),
             "xdotool is missing: run scripts/install-deps.sh");
    QTemporaryDir home;
    QTemporaryDir work; // the folder the program is started from
    setWritable(m_prefix, false);
    const auto prefixBefore = snapshot(m_prefix);

    QProcess program;
    QVERIFY(giveToOrdinaryUser(work.path()));
    program.setWorkingDirectory(work.path());
    startAsOrdinaryUser(program, QStringList(), home.path(), userEnvironment(home.path()));
    if (QTest::currentTestFailed())
        return;
    auto stop = qScopeGuard([&] {
        program.kill();
        program.waitForFinished();
    });
    // The window, and no message at start: the data of the install are read-only for this
    // user, and the window must not write them.
    const QString main = waitForWindow(QStringLiteral("^Elvarine$"));
    QVERIFY2(
        !main.isEmpty(),
        qPrintable(QStringLiteral("the main window did not come up; shown: ") + visibleWindows()));
    // Nouveau, accepting the name the dialog proposes, then the open dialog that follows. A
    // message box up at start would keep the keys from the window.
    QVERIFY(pressKeys(main, QStringLiteral("ctrl+n")));
    const QString save = waitForWindow(QStringLiteral("un fichier d'adresses$"));
    QVERIFY2(
        !save.isEmpty(),
        qPrintable(QStringLiteral("the save dialog did not come up; shown: ") + visibleWindows()));
    QCOMPARE(otherWindows({main, save}), QStringList());
    QVERIFY(pressKeys(save, QStringLiteral("Return")));
    const QString open = waitForWindow(QStringLiteral("^Ouvrir le fichier$"));
    QVERIFY2(
        !open.isEmpty(),
        qPrintable(QStringLiteral("the open dialog did not come up; shown: ") + visibleWindows()));
    QVERIFY(pressKeys(open, QStringLiteral("Return")));
    const QString userFolder = home.filePath(QStringLiteral(".local/share/Elvarine"));
    const QString created = userFolder + QStringLiteral("/Nouveau.adb");
    QTRY_COMPARE_WITH_TIMEOUT(windowName(main), QStringLiteral("Elvarine ") + created, 30000);
    stop.dismiss();
    program.kill();
    program.waitForFinished();

    // The new file in the user's data folder, made private, holding its first record.
    QCOMPARE(readAddressFile(created).size(), 1);
    QCOMPARE(QFileInfo(userFolder).permissions() & (QFile::ReadOther | QFile::ExeOther),
             QFile::Permissions());
    // Nothing anywhere else: the prefix and the starting folder are as they were, and the home
    // holds only the user's data folder (beside what the toolkit keeps for itself: font caches,
    // the file dialog's last folder).
    QCOMPARE(snapshot(m_prefix), prefixBefore);
    QCOMPARE(snapshot(work.path()), (QMap<QString, QByteArray>()));
    const auto homeFiles = snapshot(home.path());
    for (auto it = homeFiles.begin(); it != homeFiles.end(); ++it) {
        const QString& path = it.key();
        const bool ours = path == QLatin1String(".local") ||
                          path == QLatin1String(".local/share") ||
                          path == QLatin1String(".local/share/Elvarine") ||
                          path.startsWith(QLatin1String(".local/share/Elvarine/"));
        const bool toolkit =
            path == QLatin1String(".cache") || path.startsWith(QLatin1String(".cache/")) ||
            path == QLatin1String(".config") || path == QLatin1String(".config/QtProject.conf");
        QVERIFY2(ours || toolkit, qPrintable(path));
    }
    QCOMPARE(QDir(userFolder).entryList(QDir::Files), QStringList{QStringLiteral("Nouveau.adb")});
}

void TestInstalledProgram::fileArgumentAmongQtOptions_data()
{
    addColumns<QString, bool>("name", "exists");
    QTest::newRow("address file") << "Amis du club.adb" << true;
    QTest::newRow("missing") << "Absent.adb" << false;
}

void TestInstalledProgram::fileArgumentAmongQtOptions()
{
    QFETCH(QString, name);
    QFETCH(bool, exists);
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X display (run under xvfb-run)");
    QTemporaryDir home;
    QTemporaryDir files;
    const QString path = files.filePath(name);
    if (exists)
        makeAddressFile(path, {{"Zola", "Émile"}});
    QProcess program;
    // The user's own file, in the user's own folder.
    QVERIFY(giveToOrdinaryUser(files.path()));
    // Qt's own options come first and are Qt's; the relative name is the file.
    program.setWorkingDirectory(files.path());
    startAsOrdinaryUser(program, {QStringLiteral("-platform"), QStringLiteral("xcb"), name},
                        home.path(), userEnvironment(home.path()));
    if (QTest::currentTestFailed())
        return;
    auto stop = qScopeGuard([&] {
        program.kill();
        program.waitForFinished();
    });
    // The file is opened when the window is first activated, as a window manager does for a new
    // window; there is none here, so the window is given the focus.
    const QString shown = waitForWindow(QStringLiteral("^Elvarine"));
    if (shown.isEmpty())
        program.waitForFinished(1000); // an ended program is reaped, its output read
    QVERIFY2(!shown.isEmpty(),
             qPrintable(QStringLiteral("the main window did not come up; shown: %1; program %2 "
                                       "(status %3): %4")
                            .arg(visibleWindows(),
                                 program.state() == QProcess::Running ? "running" : "ended")
                            .arg(program.exitCode())
                            .arg(QString::fromLocal8Bit(program.readAllStandardError()))));
    run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), shown},
        30000);
    if (exists) {
        const QString main = waitForWindow(QStringLiteral("^Elvarine /.*club\\.adb$"));
        QVERIFY2(!main.isEmpty(),
                 qPrintable(QStringLiteral("the file was not opened; shown: ") + visibleWindows()));
        QCOMPARE(windowName(main), QStringLiteral("Elvarine ") + path);
        QCOMPARE(otherWindows({main}), QStringList());
    } else {
        const QString message = waitForWindow(QStringLiteral("^Erreur$"));
        QVERIFY2(!message.isEmpty(), "no message about the missing file");
    }
}

// The desktop's type database as a system install leaves it: the installed type merged with the
// freedesktop.org types into one database. The folder that holds it ("share"), or empty.
QString TestInstalledProgram::mergedTypeDatabase()
{
    const QString share = m_dir.filePath(QStringLiteral("share"));
    if (QFile::exists(share + QStringLiteral("/mime/mime.cache")))
        return share;
    if (QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty()) {
        qWarning("update-mime-database is missing: run scripts/install-deps.sh");
        return QString();
    }
    const QString packages = share + QStringLiteral("/mime/packages/");
    const QString system = QStringLiteral("/usr/share/mime/packages/freedesktop.org.xml");
    if (!QDir().mkpath(packages) ||
        !QFile::copy(system, packages + QStringLiteral("freedesktop.org.xml")) ||
        !QFile::copy(m_prefix + QStringLiteral("/share/mime/packages/%1.xml").arg(kAppId),
                     packages + kAppId + QStringLiteral(".xml"))) {
        qWarning("the types could not be gathered (is shared-mime-info installed?)");
        return QString();
    }
    const Run update = run(QStringLiteral("update-mime-database"), {share + "/mime"});
    if (update.status != 0) {
        qWarning("%s", qPrintable(update.err));
        return QString();
    }
    return share;
}

QProcessEnvironment TestInstalledProgram::userEnvironment(const QString& home) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_DIRS",
                             "XDG_RUNTIME_DIR", "DBUS_SESSION_BUS_ADDRESS", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    return env;
}

void TestInstalledProgram::startAsOrdinaryUser(QProcess& program, const QStringList& args,
                                               const QString& home, QProcessEnvironment env)
{
    if (::geteuid() != 0) {
        program.setProcessEnvironment(env);
        program.start(m_program, args);
        QVERIFY(program.waitForStarted());
        return;
    }
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty(),
             "setpriv is missing (package util-linux)");
    // A runtime folder of the user's own, as a desktop session gives one; it also holds the
    // display's cookie, which xvfb-run keeps where only root reads it.
    m_runtime = std::make_unique<QTemporaryDir>();
    QVERIFY(m_runtime->isValid());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime->path());
    const QString cookie = env.value(QStringLiteral("XAUTHORITY"));
    if (!cookie.isEmpty() && QFile::exists(cookie)) {
        const QString own = m_runtime->filePath(QStringLiteral("Xauthority"));
        QVERIFY(QFile::copy(cookie, own));
        env.insert(QStringLiteral("XAUTHORITY"), own);
    }
    QVERIFY(giveToOrdinaryUser(m_runtime->path()));
    QVERIFY(giveToOrdinaryUser(home));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral("setpriv"),
                  QStringList{QStringLiteral("--reuid=%1").arg(kOrdinaryUser),
                              QStringLiteral("--regid=%1").arg(kOrdinaryUser),
                              QStringLiteral("--clear-groups"), QStringLiteral("--"), m_program} +
                      args);
    QVERIFY(program.waitForStarted());
}

Run TestInstalledProgram::runAsOrdinaryUser(const QStringList& args, const QString& home,
                                            const QProcessEnvironment& env)
{
    Run r;
    QProcess program;
    startAsOrdinaryUser(program, args, home, env);
    if (QTest::currentTestFailed() || !program.waitForFinished(60000))
        return r;
    r.status = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    r.out = QString::fromUtf8(program.readAllStandardOutput());
    r.err = QString::fromUtf8(program.readAllStandardError());
    return r;
}

QTEST_GUILESS_MAIN(TestInstalledProgram)
#include "tst_installedprogram_x11.moc"

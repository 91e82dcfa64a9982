// The command line: read whole before anything needs a display, and described the same way by
// --help and the manual page.
#include "app/commandline.h"
#include "datacolumns.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void reading_data();
    void reading();
    void helpAndManualPageListEveryOption();
    void withoutDisplay_data();
    void withoutDisplay();
};

void TestCommandLine::initTestCase()
{
    QVERIFY(QDir::setCurrent(QDir::tempPath()));
}

void TestCommandLine::reading_data()
{
    // "%c" stands for the current folder; `read` sums up the line as read: the command and its
    // values, the settings, the window's file, help/version/platform, or the error.
    addColumns<QStringList, QString>("args", "read");
    QTest::newRow("nothing") << QStringList{} << "";
    QTest::newRow("relative file, made absolute")
        << QStringList{"carnets/amis.adb"} << "file=%c/carnets/amis.adb";
    QTest::newRow("file URL from a file manager")
        << QStringList{"file:///srv/Mes%20amis.adb"} << "file=/srv/Mes amis.adb";
    QTest::newRow("after --, a name starting with a dash")
        << QStringList{"--", "-amis.adb"} << "file=%c/-amis.adb";
    QTest::newRow("Qt's options keep their values")
        << QStringList{"-platform", "xcb",        "-style",   "fusion",
                       "-reverse",  "/srv/a.adb", "-session", "10d2e3"}
        << "file=/srv/a.adb platform";
    QTest::newRow("Qt's options with two dashes and =")
        << QStringList{"--platform=offscreen", "--qwindowgeometry", "640x480+0+0"} << "platform";
    QTest::newRow("export, its value after =") << QStringList{"--export=sortie.vcf", "/srv/a.adb"}
                                               << "--export(sortie.vcf) file=/srv/a.adb";
    QTest::newRow("setting with its command")
        << QStringList{"--format", "csv", "--import", "in.txt"} << "--import(in.txt) --format=csv";
    QTest::newRow("help wins over a command") << QStringList{"--sync", "-h"} << "--sync() help";
    QTest::newRow("version") << QStringList{"--version"} << "version";

    QTest::newRow("unknown option")
        << QStringList{"--inconnue", "/srv/a.adb"} << "error=Option « --inconnue » inconnue.";
    QTest::newRow("Qt's debugging -sync is not taken for --sync")
        << QStringList{"-sync"} << "error=Option « -sync » inconnue.";
    QTest::newRow("value missing at the end")
        << QStringList{"-platform"} << "error=L'option -platform attend une valeur.";
    QTest::newRow("empty value") << QStringList{"--export="}
                                 << "error=L'option --export attend une valeur.";
    QTest::newRow("value given to a switch")
        << QStringList{"--help=oui"} << "error=L'option --help ne prend pas de valeur.";
    QTest::newRow("two commands") << QStringList{"--export", "a.vcf", "--sync"}
                                  << "error=Une seule commande à la fois (--export et --sync).";
    QTest::newRow("two files") << QStringList{"/srv/a.adb", "/srv/b.adb"}
                               << "error=Un seul fichier d'adresses peut être nommé (« "
                                  "/srv/b.adb » est de trop).";
    QTest::newRow("setting without its command")
        << QStringList{"--format", "csv", "/srv/a.adb"}
        << "error=L'option --format s'emploie avec --export, --import ou --print-envelopes.";
    QTest::newRow("setting with another command")
        << QStringList{"--sync", "--format", "csv"}
        << "error=L'option --format s'emploie avec --export, --import ou --print-envelopes.";
    // The PDF file of a print command gives way to --printer.
    QTest::newRow("print to a queue") << QStringList{"--print-labels", "--printer", "Bureau"}
                                      << "--print-labels() --printer=Bureau";
    QTest::newRow("print to a file") << QStringList{"--print-envelopes", "m.pdf", "--sender"}
                                     << "--print-envelopes(m.pdf) --sender=";
    QTest::newRow("labels setting with envelopes")
        << QStringList{"--print-envelopes", "m.pdf", "--start", "3"}
        << "error=L'option --start s'emploie avec --print-labels.";
    QTest::newRow("setting twice") << QStringList{"--format", "csv", "--format=vcard"}
                                   << "error=L'option --format est donnée deux fois.";
}

void TestCommandLine::reading()
{
    QFETCH(QStringList, args);
    QFETCH(QString, read);
    const CommandLine line = parseCommandLine(args);
    QStringList parts;
    if (!line.error.isEmpty()) {
        parts << QStringLiteral("error=") + line.error;
    } else {
        if (line.command)
            parts << QString::fromUtf8(line.command->name) + QLatin1Char('(') +
                         line.values.join(QLatin1Char(',')) + QLatin1Char(')');
        for (auto it = line.settings.begin(); it != line.settings.end(); ++it)
            parts << it.key() + QLatin1Char('=') + it.value();
        if (!line.windowFile().isEmpty())
            parts << QStringLiteral("file=") + line.windowFile();
        if (line.help)
            parts << QStringLiteral("help");
        if (line.version)
            parts << QStringLiteral("version");
        if (line.platformGiven)
            parts << QStringLiteral("platform");
    }
    QCOMPARE(parts.join(QLatin1Char(' ')), read.replace(QLatin1String("%c"), QDir::currentPath()));
}

void TestCommandLine::helpAndManualPageListEveryOption()
{
    const QString help =
        commandLineHelp(QStringLiteral("/home/u/.local/share/Elvarine/Elvarine.adb"));
    for (const QString& l : help.split(QLatin1Char('\n')))
        QVERIFY2(l.size() <= 79, qPrintable(l));
    QVERIFY(help.contains(QStringLiteral("FICHIER_ADRESSES est par défaut "
                                         "/home/u/.local/share/Elvarine/Elvarine.adb.\n")));

    // The page as man shows it: no complaint from groff, and every row of the table in it.
    const QString page = QDir::temp().filePath(QStringLiteral("Elvarine.1"));
    QFile file(page);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(commandLineManPage().toUtf8());
    file.close();
    if (QStandardPaths::findExecutable(QStringLiteral("man")).isEmpty())
        QFAIL("man is missing: run scripts/install-deps.sh");
    QProcess man;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
    man.setProcessEnvironment(env);
    man.start(QStringLiteral("man"), {QStringLiteral("--warnings"), QStringLiteral("-l"), page});
    QVERIFY(man.waitForFinished(60000));
    const QString shown = QString::fromUtf8(man.readAllStandardOutput());
    QCOMPARE(QString::fromUtf8(man.readAllStandardError()), QString());
    QCOMPARE(man.exitCode(), 0);
    QFile::remove(page);
    for (const char* section :
         {"NOM", "SYNOPSIS", "DESCRIPTION", "COMMANDES", "OPTIONS", "FICHIERS", "CODE DE RETOUR"})
        QVERIFY2(shown.contains(QLatin1Char('\n') + QString::fromUtf8(section) + QLatin1Char('\n')),
                 section);
    QVERIFY(shown.contains(QStringLiteral("Elvarine ") + QStringLiteral(ELVARINE_VERSION)));
    // Both portable and installed default files are named.
    QVERIFY(shown.contains(QStringLiteral("copie portable")));
    QVERIFY(shown.contains(QStringLiteral("$XDG_DATA_HOME/Elvarine/Elvarine.adb")));

    int count = 0;
    const CommandLineOption* options = commandLineOptions(&count);
    const QRegularExpression spaces(QStringLiteral("\\s+"));
    const QString flatHelp = QString(help).replace(spaces, QStringLiteral(" "));
    const QString flatPage = QString(shown).replace(spaces, QStringLiteral(" "));
    for (int i = 0; i < count; ++i) {
        const CommandLineOption& o = options[i];
        QString usage = QString::fromUtf8(o.name);
        if (o.synopsis)
            usage += QLatin1Char(' ') + QString::fromUtf8(o.synopsis);
        const QString said =
            o.help ? QString::fromUtf8(o.help).replace(QChar(0x00a0), QLatin1Char(' ')) : QString();
        for (const QString* text : {&flatHelp, &flatPage}) {
            const QString t = QString(*text).replace(QChar(0x00a0), QLatin1Char(' '));
            QVERIFY2(t.contains(o.kind == OptionKind::Toolkit ? QString::fromUtf8(o.name) : usage),
                     o.name);
            QVERIFY2(said.isEmpty() || t.contains(said), o.name);
        }
    }
}

void TestCommandLine::withoutDisplay_data()
{
    addColumns<QStringList, int, QString>("args", "status", "out");
    QTest::addColumn<QString>("err"); // how standard error starts
    QTest::newRow("version") << QStringList{"--version"} << 0 << "Elvarine " ELVARINE_VERSION "\n"
                             << "";
    QTest::newRow("unknown option") << QStringList{"--inconnue"} << 2 << ""
                                    << "Option « --inconnue » inconnue.\nElvarine --help "
                                       "décrit les commandes.\n";
    QTest::newRow("unknown option among Qt's") << QStringList{"-platform", "xcb", "-x"} << 2 << ""
                                               << "Option « -x » inconnue.\n";
    QTest::newRow("the windows, without a display")
        << QStringList{} << 1 << ""
        << "Elvarine ne peut pas ouvrir sa fenêtre : aucun affichage n'est disponible";
}

void TestCommandLine::withoutDisplay()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QLatin1String(name));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ELVARINE_PROGRAM_DIR "/Elvarine"), args);
    QVERIFY(p.waitForFinished(60000));
    const QString stdErr = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QVERIFY2(p.exitCode() == status, qPrintable(stdErr));
    QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), out);
    if (err.isEmpty())
        QCOMPARE(stdErr, QString());
    else
        QVERIFY2(stdErr.startsWith(err), qPrintable(stdErr));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"

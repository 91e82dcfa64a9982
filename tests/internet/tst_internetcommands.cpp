#include "core/fieldrules.h"
#include "core/recordform.h"
#include "core/services.h"
#include "datacolumns.h"
#include "fakes.h"
#include "internet/internetcommands.h"
#include "platform/desktopservices.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace
{

class Form : public RecordForm
{
public:
    QString boxes[16];
    QString fieldText(FieldBox box) const override { return boxes[boxNumber(box)]; }
    int listCount() const override { return 0; }
    int listIndex() const override { return -1; }
    void setListIndex(int) override {}
};

const QString kNoProfile = QStringLiteral("Pour utiliser ce programme, vous devez avoir\r\n"
                                          "un profil internet défini dans Accés Réseaux à "
                                          "distance.");

} // namespace

class TestInternetCommands : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void mailOpensTheAddressAlone_data();
    void mailOpensTheAddressAlone();
    void webAddressFilter_data();
    void webAddressFilter();
    void menuEntries_data();
    void menuEntries();
    void menuCaptionKeepsAmpersands();
    void registryResults_data();
    void registryResults();
    void unreadableSettingsGiveEmptyText();
    void profileReachesNmcliAsOneArgument_data();
    void profileReachesNmcliAsOneArgument();
    void noProfileWarnsAndRunsNothing();
    void missingNmcliIsReported();

private:
    void writeSettings(const QByteArray& ini);
    QString settingsFile() const;
    // A fake nmcli first on PATH, writing its argument count and arguments to `args.txt`.
    void installFakeNmcli();

    QTemporaryDir m_dir;
    QByteArray m_path;
};

void TestInternetCommands::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath("config"));
    m_path = qgetenv("PATH");
}

void TestInternetCommands::init()
{
    QDir(m_dir.filePath("config")).removeRecursively();
    QFile::remove(m_dir.filePath("args.txt"));
    qputenv("PATH", m_path);
}

QString TestInternetCommands::settingsFile() const
{
    return m_dir.filePath("config/Elvarine/RemoteAccess.conf");
}

void TestInternetCommands::writeSettings(const QByteArray& ini)
{
    QVERIFY(QDir().mkpath(m_dir.filePath("config/Elvarine")));
    QFile f(settingsFile());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(ini);
}

void TestInternetCommands::installFakeNmcli()
{
    const QString bin = m_dir.filePath("bin");
    QVERIFY(QDir().mkpath(bin));
    const QString out = m_dir.filePath("args.txt");
    QFile script(bin + "/nmcli");
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" + out.toUtf8() + ".tmp' && mv '" +
                 out.toUtf8() + ".tmp' '" + out.toUtf8() + "'\n");
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("PATH", bin.toUtf8() + ':' + m_path);
}

void TestInternetCommands::mailOpensTheAddressAlone_data()
{
    addColumns<QString, QString>("field", "url");
    QTest::newRow("spaces around") << "  jean.dupont@exemple.fr   "
                                   << "mailto:jean.dupont@exemple.fr";
    QTest::newRow("attachment query") << "a@b.fr?attach=/home/user/.ssh/id_rsa"
                                      << "mailto:a@b.fr%3Fattach%3D%2Fhome%2Fuser%2F.ssh%2Fid_rsa";
    QTest::newRow("body header") << "a@b.fr&body=Bonjour"
                                 << "mailto:a@b.fr%26body%3DBonjour";
    QTest::newRow("fragment and percent") << "a%20b@c.fr#x"
                                          << "mailto:a%2520b@c.fr%23x";
    QTest::newRow("accented") << "élise@exemple.fr"
                              << "mailto:%C3%A9lise@exemple.fr";
}

void TestInternetCommands::mailOpensTheAddressAlone()
{
    QFETCH(QString, field);
    QFETCH(QString, url);
    FakeDesktopServices desktop;
    desktop.openResult = false; // a missing mail program is not reported
    ScriptedDialogs dialogs;
    Services services;
    services.desktop = &desktop;
    services.dialogs = &dialogs;
    Form form;
    form.boxes[boxNumber(FieldBox::Email)] = field;
    sendMailToRecord(services, form);
    QCOMPARE(desktop.opened.size(), 1);
    const QUrl opened = desktop.opened.first();
    QCOMPARE(opened.toString(QUrl::FullyEncoded), url);
    QCOMPARE(opened.scheme(), QStringLiteral("mailto"));
    QVERIFY(!opened.hasQuery());
    QVERIFY(!opened.hasFragment());
    QCOMPARE(opened.path(), trimSpaces(field));
    QVERIFY(desktop.started.isEmpty());
}

void TestInternetCommands::webAddressFilter_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("url"); // empty: not opened; then the reason said ends with `why`
    QTest::addColumn<QString>("why");
    const QString noSite = QStringLiteral("ce n'est pas une adresse web valide (le nom du site y "
                                          "manque).");
    const auto scheme = [](const char* s) {
        return QStringLiteral("seules les adresses web (http, https ou ftp) sont ouvertes, et "
                              "celle-ci est de type « %1: ».")
            .arg(QLatin1String(s));
    };
    QTest::newRow("no scheme") << " www.exemple.fr "
                               << "http://www.exemple.fr" << QString();
    QTest::newRow("host and port") << "intranet:8080/annuaire"
                                   << "http://intranet:8080/annuaire" << QString();
    QTest::newRow("http") << "http://www.exemple.fr/page?a=1&b=2"
                          << "http://www.exemple.fr/page?a=1&b=2" << QString();
    QTest::newRow("https capitals") << "HTTPS://Exemple.fr/"
                                    << "https://exemple.fr/" << QString();
    QTest::newRow("ftp") << "ftp://ftp.exemple.fr/pub"
                         << "ftp://ftp.exemple.fr/pub" << QString();
    QTest::newRow("space in path") << "www.exemple.fr/mon dossier"
                                   << "http://www.exemple.fr/mon%20dossier" << QString();
    QTest::newRow("file url") << "file:///home/user/.bashrc"
                              << "" << scheme("file");
    QTest::newRow("absolute path") << "/usr/share/applications/evil.desktop"
                                   << "" << noSite;
    QTest::newRow("windows path") << "C:\\Windows\\notepad.exe"
                                  << "" << scheme("C");
    QTest::newRow("javascript") << "javascript:alert(1)"
                                << "" << scheme("javascript");
    QTest::newRow("mailto") << "mailto:a@b.fr"
                            << "" << scheme("mailto");
    QTest::newRow("smb") << "smb://serveur/partage"
                         << "" << scheme("smb");
    QTest::newRow("http without host") << "http:/etc/passwd"
                                       << "" << noSite;
    QTest::newRow("empty") << "   "
                           << "" << noSite;
}

void TestInternetCommands::webAddressFilter()
{
    QFETCH(QString, field);
    QFETCH(QString, url);
    QFETCH(QString, why);
    FakeDesktopServices desktop;
    ScriptedDialogs dialogs;
    Services services;
    services.desktop = &desktop;
    services.dialogs = &dialogs;
    Form form;
    form.boxes[boxNumber(FieldBox::Url)] = field;
    if (url.isEmpty())
        dialogs.expectMessage(
            QStringLiteral("L'adresse « %1 » n'a pas été ouverte : ").arg(trimSpaces(field)) + why,
            vbExclamation, QStringLiteral("Avertissement"));
    openRecordWebPage(services, form);
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
    if (url.isEmpty()) {
        QVERIFY2(desktop.opened.isEmpty(), qPrintable(desktop.opened.value(0).toString()));
    } else {
        QCOMPARE(desktop.opened.size(), 1);
        QCOMPARE(desktop.opened.first().toString(QUrl::FullyEncoded), url);
    }
    QVERIFY(desktop.started.isEmpty());
}

void TestInternetCommands::menuEntries_data()
{
    addColumns<QString, QString, QString, bool>("box", "mail", "url", "enabled");
    QTest::newRow("stored empty") << " "
                                  << "Envoyer un courrier :"
                                  << "Se connecter URL :" << false;
    QTest::newRow("one character") << "x"
                                   << "Envoyer un courrier :"
                                   << "Se connecter URL :" << false;
    QTest::newRow("filled, trimmed") << " a@b.fr  "
                                     << "Envoyer un courrier : a@b.fr"
                                     << "Se connecter URL : a@b.fr" << true;
    QTest::newRow("two spaces count as filled") << "  "
                                                << "Envoyer un courrier : "
                                                << "Se connecter URL : " << true;
}

void TestInternetCommands::menuEntries()
{
    QFETCH(QString, box);
    QFETCH(QString, mail);
    QFETCH(QString, url);
    QFETCH(bool, enabled);
    const InternetMenuEntry m = mailMenuEntry(box);
    QCOMPARE(m.caption, mail);
    QCOMPARE(m.enabled, enabled);
    const InternetMenuEntry u = urlMenuEntry(box);
    QCOMPARE(u.caption, url);
    QCOMPARE(u.enabled, enabled);
}

void TestInternetCommands::menuCaptionKeepsAmpersands()
{
    QAction action;
    applyMenuEntry(&action, urlMenuEntry("http://x.fr/?a=1&b=2"));
    QCOMPARE(action.text(), QStringLiteral("Se connecter URL : http://x.fr/?a=1&&b=2"));
    QVERIFY(action.isEnabled());
    applyMenuEntry(&action, urlMenuEntry(" "));
    QVERIFY(!action.isEnabled());
}

void TestInternetCommands::registryResults_data()
{
    QTest::addColumn<QByteArray>("ini"); // null: no settings file
    QTest::addColumn<QString>("value");
    QTest::newRow("no settings") << QByteArray() << " ";
    QTest::newRow("missing value") << QByteArray("[General]\nAutre=x\n") << " ";
    QTest::newRow("text") << QByteArray("[General]\nInternetProfile=Mon fournisseur\n")
                          << "Mon fournisseur";
    QTest::newRow("quoted with comma")
        << QByteArray("[General]\nInternetProfile=\"Box, maison\"\n") << "Box, maison";
    // Unquoted commas: the settings reader would make a list of the pieces.
    QTest::newRow("comma") << QByteArray("[General]\nInternetProfile=Box,maison\n") << "Box,maison";
    QTest::newRow("comma and spaces")
        << QByteArray("InternetProfile = Box , ma maison\n[Autre]\nInternetProfile=x\n")
        << "Box , ma maison";
    QTest::newRow("bytes are not a text")
        << QByteArray("[General]\nInternetProfile=@ByteArray(abc)\n") << " ";
    QTest::newRow("too long") << "[General]\nInternetProfile=" + QByteArray(256, 'x') + "\n"
                              << " ";
    QTest::newRow("longest") << "[General]\nInternetProfile=" + QByteArray(255, 'x') + "\n"
                             << QString(255, 'x');
}

void TestInternetCommands::registryResults()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, value);
    if (!ini.isNull())
        writeSettings(ini);
    QCOMPARE(LireRegistre("Elvarine", "RemoteAccess", "InternetProfile"), value);
}

void TestInternetCommands::unreadableSettingsGiveEmptyText()
{
    // A folder where the settings file should be cannot be read as settings.
    QVERIFY(QDir().mkpath(settingsFile()));
    QCOMPARE(LireRegistre("Elvarine", "RemoteAccess", "InternetProfile"), QString());

    FakeDesktopServices desktop;
    ScriptedDialogs dialogs;
    dialogs.expectMessage(kNoProfile, vbInformation, "Avertissement");
    Services services;
    services.desktop = &desktop;
    services.dialogs = &dialogs;
    ConnexionInternet(services);
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
    QVERIFY(desktop.started.isEmpty());
}

void TestInternetCommands::profileReachesNmcliAsOneArgument_data()
{
    addColumns<QByteArray, QString>("stored", "profile");
    QTest::newRow("two words") << QByteArray("Mon fournisseur") << "Mon fournisseur";
    QTest::newRow("spaces around") << QByteArray("\"  Mon fournisseur \"") << "Mon fournisseur";
    QTest::newRow("shell characters")
        << QByteArray("\"Box; touch pwned $(id)\"") << "Box; touch pwned $(id)";
}

void TestInternetCommands::profileReachesNmcliAsOneArgument()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, profile);
    writeSettings("[General]\nInternetProfile=" + stored + "\n");
    installFakeNmcli();
    QtDesktopServices desktop;
    ScriptedDialogs dialogs;
    Services services;
    services.desktop = &desktop;
    services.dialogs = &dialogs;
    QDir::setCurrent(m_dir.path());
    ConnexionInternet(services);
    QFile args(m_dir.filePath("args.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(args.exists(), 10000);
    QVERIFY(args.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(args.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines, (QStringList{"4", "connection", "up", "id", profile}));
    QVERIFY(!QFile::exists(m_dir.filePath("pwned")));
}

void TestInternetCommands::noProfileWarnsAndRunsNothing()
{
    // Every program the command would start is seen as asked for: none may be.
    FakeDesktopServices desktop;
    ScriptedDialogs dialogs;
    dialogs.expectMessage(kNoProfile, vbInformation, "Avertissement");
    dialogs.expectMessage(kNoProfile, vbInformation, "Avertissement");
    Services services;
    services.desktop = &desktop;
    services.dialogs = &dialogs;
    ConnexionInternet(services); // no settings at all
    writeSettings("[General]\nInternetProfile=\"   \"\n");
    ConnexionInternet(services); // a name made only of spaces
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
    QVERIFY(desktop.started.isEmpty());
    QVERIFY(desktop.opened.isEmpty());
}

void TestInternetCommands::missingNmcliIsReported()
{
    writeSettings("[General]\nInternetProfile=Mon fournisseur\n");
    const QString empty = m_dir.filePath("empty-bin");
    QVERIFY(QDir().mkpath(empty));
    qputenv("PATH", empty.toUtf8());
    QtDesktopServices desktop;
    ScriptedDialogs dialogs;
    dialogs.expectMessage("La commande \"nmcli\" de NetworkManager n'est pas disponible :\r\n"
                          "la connexion à Internet ne peut pas être lancée.",
                          vbCritical, "Erreur");
    Services services;
    services.desktop = &desktop;
    services.dialogs = &dialogs;
    ConnexionInternet(services);
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
}

QTEST_MAIN(TestInternetCommands)
#include "tst_internetcommands.moc"

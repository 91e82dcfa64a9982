#include "core/appstate.h"
#include "core/services.h"
#include "core/settingsfile.h"
#include "datacolumns.h"
#include "phone/dialersettingsfile.h"
#include "phone/portcom.h"
#include "scripteddialogs.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace
{

QByteArray fileBytes(const QString& path)
{
    return readWholeFile(path).value_or(QByteArray("<no file>"));
}

} // namespace

class TestDialerSettings : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void noFileGivesDefaultsAndDialerChoiceWritesFile();
    void readsFile_data();
    void readsFile();
    void portWindowShowsSettings_data();
    void portWindowShowsSettings();
    void portWindowNamesDevices();
    void portWindowOkSaves();
    void portWindowCancelRestoresShownValues_data();
    void portWindowCancelRestoresShownValues();
    void failedSaveIsReported_data();
    void failedSaveIsReported();

private:
    QString cfgPath() const { return m_dir->filePath(QStringLiteral("Telephon.cfg")); }
    void writeCfg(const QByteArray& bytes) { QVERIFY(writeWholeFile(cfgPath(), bytes)); }

    std::unique_ptr<QTemporaryDir> m_dir;
    AppState m_state;
    ScriptedDialogs m_dialogs;
    Services m_services;
};

void TestDialerSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_state = AppState();
    m_state.CheminAppli = m_dir->path();
    m_dialogs.clear();
    m_services = Services();
    m_services.dialogs = &m_dialogs;
}

void TestDialerSettings::cleanup()
{
    QVERIFY2(m_dialogs.done(), qPrintable(m_dialogs.pending()));
}

void TestDialerSettings::noFileGivesDefaultsAndDialerChoiceWritesFile()
{
    m_state.dialer = {1, 3, 1};
    loadStartupDialerSettings(m_state, m_services);
    QCOMPARE(m_state.dialer.TypeNumerotation, 0);
    QCOMPARE(m_state.dialer.NumPort, 2);
    QCOMPARE(m_state.dialer.ChoixNumeroteur, 0);
    QVERIFY(!QFile::exists(cfgPath())); // reading never creates it

    chooseDesktopDialer(m_state, m_services);
    QCOMPARE(m_state.dialer.ChoixNumeroteur, 1);
    QCOMPARE(fileBytes(cfgPath()), QByteArray("0\r\n2\r\n1\r\n"));

    chooseModemDialer(m_state, m_services);
    QCOMPARE(m_state.dialer.ChoixNumeroteur, 0);
    QCOMPARE(fileBytes(cfgPath()), QByteArray("0\r\n2\r\n0\r\n"));
}

void TestDialerSettings::readsFile_data()
{
    addColumns<QByteArray, int, int, int>("contents", "type", "port", "choice");
    QTest::newRow("as written") << QByteArray("0\r\n2\r\n0\r\n") << 0 << 2 << 0;
    QTest::newRow("pulse COM3 desktop") << QByteArray("1\r\n3\r\n1\r\n") << 1 << 3 << 1;
    QTest::newRow("commas and spaces") << QByteArray("  1, 4 ,1\r\n") << 1 << 4 << 1;
    QTest::newRow("LF line ends") << QByteArray("1\n3\n1\n") << 1 << 3 << 1;
    QTest::newRow("no final line end") << QByteArray("1\r\n3\r\n1") << 1 << 3 << 1;
    QTest::newRow("port out of range read as is") << QByteArray("0\r\n7\r\n0\r\n") << 0 << 7 << 0;
    QTest::newRow("garbled first line") << QByteArray("abc\r\n3\r\n1\r\n") << 0 << 3 << 1;
    QTest::newRow("garbled port") << QByteArray("1\r\nCOM3\r\n1\r\n") << 1 << 2 << 1;
    QTest::newRow("blank line") << QByteArray("1\r\n\r\n1\r\n") << 1 << 2 << 1;
    QTest::newRow("too large") << QByteArray("1\r\n99999\r\n1\r\n") << 1 << 2 << 1;
    QTest::newRow("short file") << QByteArray("1\r\n") << 1 << 2 << 0;
    QTest::newRow("empty file") << QByteArray() << 0 << 2 << 0;
    QTest::newRow("binary junk") << QByteArray("\x01\xff\xfe\x80", 4) << 0 << 2 << 0;
}

void TestDialerSettings::readsFile()
{
    QFETCH(QByteArray, contents);
    QFETCH(int, type);
    QFETCH(int, port);
    QFETCH(int, choice);
    writeCfg(contents);
    ChargeTelephonCfg(m_state);
    QCOMPARE(m_state.dialer.TypeNumerotation, type);
    QCOMPARE(m_state.dialer.NumPort, port);
    QCOMPARE(m_state.dialer.ChoixNumeroteur, choice);
    QCOMPARE(fileBytes(cfgPath()), contents); // reading leaves the file alone
}

void TestDialerSettings::portWindowShowsSettings_data()
{
    addColumns<int, int, int>("type", "port", "portOption");
    QTest::addColumn<int>("typeOption"); // 0: neither
    QTest::addColumn<int>("portAfter");
    QTest::newRow("pulse COM3") << 1 << 3 << 3 << 6 << 3;
    QTest::newRow("tone COM1") << 0 << 1 << 1 << 5 << 1;
    QTest::newRow("port 7 shown as COM2") << 0 << 7 << 2 << 5 << 2;
    QTest::newRow("port 0 shown as COM2") << 1 << 0 << 2 << 6 << 2;
    QTest::newRow("unknown mode selects neither") << 5 << 4 << 4 << 0 << 4;
}

void TestDialerSettings::portWindowShowsSettings()
{
    QFETCH(int, type);
    QFETCH(int, port);
    QFETCH(int, portOption);
    QFETCH(int, typeOption);
    QFETCH(int, portAfter);
    m_state.dialer = {type, port, 1};
    PortCom window(m_state, m_services);
    const QList<QRadioButton*> options{window.portOption(1), window.portOption(2),
                                       window.portOption(3), window.portOption(4),
                                       window.toneOption(),  window.pulseOption()};
    for (int i = 1; i <= 6; ++i) {
        QCOMPARE(options[i - 1]->objectName(), QStringLiteral("Option%1").arg(i));
        QCOMPARE(options[i - 1]->isChecked(), i == portOption || i == typeOption);
    }
    QCOMPARE(m_state.dialer.NumPort, portAfter);
    QCOMPARE(m_state.dialer.TypeNumerotation, type);
    QCOMPARE(m_state.dialer.ChoixNumeroteur, 1);
    QVERIFY(!QFile::exists(cfgPath())); // nothing written by opening
}

void TestDialerSettings::portWindowNamesDevices()
{
    PortCom window(m_state, m_services);
    for (int n = 1; n <= 4; ++n) {
        QCOMPARE(window.portOption(n)->text(), QStringLiteral("Com %1 :").arg(n));
        auto* device = window.findChild<QLabel*>(QStringLiteral("lblDevice%1").arg(n));
        QVERIFY(device);
        QCOMPARE(device->text(), QStringLiteral("/dev/ttyS%1").arg(n - 1));
    }
}

void TestDialerSettings::portWindowOkSaves()
{
    writeCfg("0\r\n2\r\n1\r\n");
    ChargeTelephonCfg(m_state);
    PortCom window(m_state, m_services);
    window.portOption(3)->click();
    window.pulseOption()->click();
    // Each choice applies at once, before anything is written.
    QCOMPARE(m_state.dialer.NumPort, 3);
    QCOMPARE(m_state.dialer.TypeNumerotation, 1);
    QCOMPARE(fileBytes(cfgPath()), QByteArray("0\r\n2\r\n1\r\n"));
    window.okButton()->click();
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(fileBytes(cfgPath()), QByteArray("1\r\n3\r\n1\r\n"));
}

void TestDialerSettings::portWindowCancelRestoresShownValues_data()
{
    QTest::addColumn<bool>("byCloseBox");
    QTest::newRow("Annuler") << false;
    QTest::newRow("window closed") << true;
}

void TestDialerSettings::portWindowCancelRestoresShownValues()
{
    QFETCH(bool, byCloseBox);
    writeCfg("0\r\n7\r\n0\r\n");
    ChargeTelephonCfg(m_state);
    QCOMPARE(m_state.dialer.NumPort, 7);

    PortCom window(m_state, m_services);
    QCOMPARE(m_state.dialer.NumPort, 2);
    window.portOption(4)->click();
    window.pulseOption()->click();
    QCOMPARE(m_state.dialer.NumPort, 4);
    if (byCloseBox)
        window.reject();
    else
        window.cancelButton()->click();
    QCOMPARE(window.result(), int(QDialog::Rejected));
    // The port shown on opening, not the 7 of the file.
    QCOMPARE(m_state.dialer.NumPort, 2);
    QCOMPARE(m_state.dialer.TypeNumerotation, 0);
    QCOMPARE(fileBytes(cfgPath()), QByteArray("0\r\n7\r\n0\r\n"));

    // A dialer chosen afterwards writes what the cancel put back.
    chooseDesktopDialer(m_state, m_services);
    QCOMPARE(fileBytes(cfgPath()), QByteArray("0\r\n2\r\n1\r\n"));
}

void TestDialerSettings::failedSaveIsReported_data()
{
    QTest::addColumn<bool>("fromPortWindow");
    QTest::newRow("dialer choice") << false;
    QTest::newRow("port window") << true;
}

void TestDialerSettings::failedSaveIsReported()
{
    QFETCH(bool, fromPortWindow);
    // A program folder that cannot take the file.
    m_state.CheminAppli = m_dir->filePath(QStringLiteral("missing/folder"));
    m_dialogs.expectMessage(QStringLiteral("Erreur de sauvegarde!"), vbCritical,
                            QStringLiteral("Erreur"));
    if (fromPortWindow) {
        PortCom window(m_state, m_services);
        window.portOption(1)->click();
        window.okButton()->click();
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(m_state.dialer.NumPort, 1); // kept for this run
    } else {
        chooseDesktopDialer(m_state, m_services);
        QCOMPARE(m_state.dialer.ChoixNumeroteur, 1);
    }
    QVERIFY(m_dialogs.done());
}

QTEST_MAIN(TestDialerSettings)
#include "tst_dialersettings.moc"

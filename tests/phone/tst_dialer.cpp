#include "core/appstate.h"
#include "core/services.h"
#include "core/settingsfile.h"
#include "datacolumns.h"
#include "fakemodem.h"
#include "phone/dialer.h"
#include "phone/modemdial.h"
#include "phone/portcom.h"
#include "platform/servicesmodule.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace
{

const QString Prompt = QStringLiteral("Tapez le numéro de téléphone:");
const QString InputTitle = QStringLiteral("Numéro de téléphone");
const QString Idle = QStringLiteral("Pour appeler, cliquer sur Composer");
const QString PickUp =
    QStringLiteral("PRISE DE LIGNE AVEC LE COMBINE :\rVeuillez décrocher le combiné du "
                   "téléphone \ret ensuite appuyer sur Entrée ou cliquer sur < OK >.\r\r"
                   "ANNULATION :Cliquez sur < OK > sans décrocher le combiné pour annuler.");
const QString PortError = QStringLiteral("Port de communication non valable !\rChoisir une "
                                         "autre numéro de port !\rOu MODEM occupé par une "
                                         "autre application résidente");

} // namespace

class TestDialer : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void controls();
    void dialsAndAsksToPickUp_data();
    void dialsAndAsksToPickUp();
    void cancelEndsTheWait();
    void emptyAnswerKeepsNumberAndSendsNothing();
    void portThatCannotBeOpened();
    void serialPartMissingIsSaidSo();
    void numberTheModemCannotDialIsSaidSo();
    void closingWhileWaitingHangsUp_data();
    void closingWhileWaitingHangsUp();
    void quitWithoutDial();
    void configurerChangesNextDial();

private:
    void checkIdle(DIALER& window);

    AppState m_state;
    ScriptedDialogs m_dialogs;
    Services m_services;
    std::unique_ptr<FakeModem> m_modem;
    std::unique_ptr<RedirectingPortFactory> m_ports;
};

void TestDialer::init()
{
    m_state = AppState();
    m_dialogs.clear();
    m_dialogs.shown.clear();
    m_modem = std::make_unique<FakeModem>();
    QVERIFY(m_modem->isValid());
    m_ports = std::make_unique<RedirectingPortFactory>(m_modem->slavePath());
    m_services = Services();
    m_services.dialogs = &m_dialogs;
    m_services.serial = m_ports.get();
}

void TestDialer::cleanup()
{
    QVERIFY2(m_dialogs.done(), qPrintable(m_dialogs.pending()));
    m_ports.reset();
    m_modem.reset();
}

void TestDialer::checkIdle(DIALER& window)
{
    QVERIFY(window.dialButton()->isEnabled());
    QVERIFY(window.quitButton()->isEnabled());
    QVERIFY(!window.cancelButton()->isEnabled());
    QVERIFY(window.dialAction()->isEnabled());
    QCOMPARE(window.statusLabel()->text(), Idle);
    QVERIFY(!window.dialing());
}

void TestDialer::controls()
{
    DIALER window(m_state, m_services);
    for (const char* name :
         {"Status", "DialButton", "CancelButton", "QuitButton", "Image1", "Image2", "Frame1",
          "Mnu_Communication", "Mnu_Configurer", "Mnu_Compose", "Mnu_Quitter"})
        QVERIFY2(window.findChild<QObject*>(QString::fromLatin1(name)), name);
    QVERIFY(!window.handsetDownPicture()->pixmap().isNull());
    QVERIFY(!window.pickUpPicture()->pixmap().isNull());
    QVERIFY(!window.handsetDownPicture()->isHidden());
    QVERIFY(window.pickUpPicture()->isHidden());
    checkIdle(window);
}

void TestDialer::dialsAndAsksToPickUp_data()
{
    addColumns<int, QString, QByteArray>("type", "typed", "dialLine");
    QTest::newRow("tone") << 0 << "0123456789" << QByteArray("ATDT0123456789;\r");
    QTest::newRow("pulse, number as typed") << 1 << "01 23 45" << QByteArray("ATDP01 23 45;\r");
}

void TestDialer::dialsAndAsksToPickUp()
{
    QFETCH(int, type);
    QFETCH(QString, typed);
    QFETCH(QByteArray, dialLine);
    m_state.dialer.TypeNumerotation = type;
    m_state.NumeroAppel = QStringLiteral("01 02 03");
    DIALER window(m_state, m_services, nullptr, 20);

    bool checkedWhileDialing = false;
    m_modem->onCommand = [&](const QByteArray& command) {
        if (!command.startsWith("ATD"))
            return;
        QCOMPARE(window.statusLabel()->text(), QStringLiteral("Composition - ") + typed);
        QVERIFY(!window.dialButton()->isEnabled());
        QVERIFY(!window.quitButton()->isEnabled());
        QVERIFY(!window.dialAction()->isEnabled());
        QVERIFY(window.cancelButton()->isEnabled());
        checkedWhileDialing = true;
        m_modem->send("\r\nOK\r\n");
    };
    m_dialogs.expectInput(Prompt, InputTitle, typed, QStringLiteral("01 02 03"));
    m_dialogs.expectMessage(PickUp, vbInformation, QStringLiteral("Communication en cours"));
    m_dialogs.whenShown([&] {
        QVERIFY(window.handsetDownPicture()->isHidden());
        QVERIFY(!window.pickUpPicture()->isHidden());
        // The line is still held while the user picks up the handset.
        QVERIFY(window.modem().portOpen());
        QVERIFY(!m_modem->received().contains("ATH"));
    });
    window.dialButton()->click();

    QVERIFY(checkedWhileDialing);
    QCOMPARE(m_modem->received(), "ATZ\rATQ0V1E1S0=0\r" + dialLine + "ATH\r");
    QCOMPARE(m_ports->requested, QStringList{QStringLiteral("/dev/ttyS1")});
    QVERIFY(!window.modem().portOpen());
    QCOMPARE(m_state.NumeroAppel, typed);
    checkIdle(window);
    QVERIFY(!window.pickUpPicture()->isHidden()); // until the next dial
}

void TestDialer::cancelEndsTheWait()
{
    DIALER window(m_state, m_services, nullptr, 20);
    m_modem->onCommand = [&](const QByteArray& command) {
        if (!command.startsWith("ATD"))
            return;
        m_modem->send("\r\nok\r\n");
        QTimer::singleShot(150, &window, [&] { window.cancelButton()->click(); });
    };
    m_dialogs.expectInput(Prompt, InputTitle, QStringLiteral("0123456789"));
    window.dial();

    QCOMPARE(m_modem->received(), QByteArray("ATZ\rATQ0V1E1S0=0\rATDT0123456789;\rATH\r"));
    QVERIFY(!window.modem().portOpen());
    QVERIFY(!window.handsetDownPicture()->isHidden());
    QVERIFY(window.pickUpPicture()->isHidden());
    QCOMPARE(m_dialogs.shown.size(), 1); // the input box only
    checkIdle(window);
}

void TestDialer::emptyAnswerKeepsNumberAndSendsNothing()
{
    m_state.NumeroAppel = QStringLiteral("01 02");
    DIALER window(m_state, m_services, nullptr, 20);
    m_dialogs.expectInput(Prompt, InputTitle, QString(), QStringLiteral("01 02"));
    window.dial();
    QCOMPARE(m_state.NumeroAppel, QStringLiteral("01 02"));
    QVERIFY(m_ports->requested.isEmpty());
    QVERIFY(m_modem->received().isEmpty());
    checkIdle(window);

    // The same number is proposed again.
    m_dialogs.expectInput(Prompt, InputTitle, QString(), QStringLiteral("01 02"));
    window.dialAction()->trigger();
}

void TestDialer::portThatCannotBeOpened()
{
    FakeSerialPortFactory failing;
    failing.openResult = false;
    m_services.serial = &failing;
    DIALER window(m_state, m_services, nullptr, 20);
    m_dialogs.expectInput(Prompt, InputTitle, QStringLiteral("0123456789"));
    m_dialogs.expectMessage(PortError, vbExclamation, QStringLiteral("Erreur"));
    window.dial();
    QVERIFY(failing.written.isEmpty());
    QCOMPARE(failing.writes, 0);
    checkIdle(window);

    // Quitting afterwards sends nothing either.
    window.quitButton()->click();
    QCOMPARE(failing.writes, 0);
}

void TestDialer::serialPartMissingIsSaidSo()
{
    // The program's own ports, from its services module, which this test program does not have
    // beside it: the reason is told, not the port's usual message.
    const auto ports = moduleSerialPorts();
    m_services.serial = ports.get();
    QString why;
    QVERIFY(!servicesModule(&why));
    QVERIFY2(why.contains(QStringLiteral("elvarine-services.so")), qPrintable(why));
    DIALER window(m_state, m_services, nullptr, 20);
    m_dialogs.expectInput(Prompt, InputTitle, QStringLiteral("0123456789"));
    m_dialogs.expectMessage(why, vbExclamation, QStringLiteral("Erreur"));
    window.dial();
    checkIdle(window);
}

void TestDialer::numberTheModemCannotDialIsSaidSo()
{
    // A stored number holding a line break, proposed as it is.
    m_state.NumeroAppel = QStringLiteral("01\r\nATH");
    DIALER window(m_state, m_services, nullptr, 20);
    m_dialogs.expectInput(Prompt, InputTitle, QStringLiteral("01\r\nATH"));
    m_dialogs.expectMessage(ModemDial::failureMessage(ModemDial::Result::BadNumber), vbExclamation,
                            QStringLiteral("Erreur"));
    window.dialButton()->click();
    QVERIFY(m_ports->requested.isEmpty());
    QVERIFY(m_modem->received().isEmpty());
    checkIdle(window);
}

void TestDialer::closingWhileWaitingHangsUp_data()
{
    QTest::addColumn<bool>("duringPause");
    QTest::newRow("waiting for the modem") << false;
    QTest::newRow("during a pause") << true;
}

void TestDialer::closingWhileWaitingHangsUp()
{
    QFETCH(bool, duringPause);
    DIALER window(m_state, m_services, nullptr, duringPause ? 3000 : 20);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    m_modem->onCommand = [&](const QByteArray& command) {
        // Closed right after the first command, or while the modem says nothing.
        if (duringPause == command.startsWith("ATZ"))
            QTimer::singleShot(50, &window, [&] { window.close(); });
    };
    m_dialogs.expectInput(Prompt, InputTitle, QStringLiteral("0123456789"));
    window.dial();

    const QByteArray expected = duringPause
                                    ? QByteArray("ATZ\rATH\r")
                                    : QByteArray("ATZ\rATQ0V1E1S0=0\rATDT0123456789;\rATH\r");
    QCOMPARE(m_modem->received(), expected);
    QVERIFY(!window.modem().portOpen());
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QCOMPARE(m_dialogs.shown.size(), 1);
}

void TestDialer::quitWithoutDial()
{
    DIALER window(m_state, m_services);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.quitButton()->click();
    QVERIFY(!window.isVisible());
    QVERIFY(m_dialogs.shown.isEmpty());
    QVERIFY(m_ports->requested.isEmpty());
}

void TestDialer::configurerChangesNextDial()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    m_state.CheminAppli = dir.path();
    DIALER window(m_state, m_services, nullptr, 20);
    QTimer::singleShot(0, &window, [] {
        auto* portWindow = qobject_cast<PortCom*>(QApplication::activeModalWidget());
        QVERIFY(portWindow);
        portWindow->portOption(4)->click();
        portWindow->pulseOption()->click();
        portWindow->okButton()->click();
    });
    window.configureAction()->trigger();
    QCOMPARE(readWholeFile(dir.filePath(QStringLiteral("Telephon.cfg"))).value_or(""),
             QByteArray("1\r\n4\r\n0\r\n"));

    m_modem->onCommand = [&](const QByteArray& command) {
        if (command.startsWith("ATD"))
            m_modem->send("OK");
    };
    m_dialogs.expectInput(Prompt, InputTitle, QStringLiteral("12"));
    m_dialogs.expectMessage(PickUp, vbInformation, QStringLiteral("Communication en cours"));
    window.dial();
    QCOMPARE(m_ports->requested, QStringList{QStringLiteral("/dev/ttyS3")});
    QCOMPARE(m_modem->received(), QByteArray("ATZ\rATQ0V1E1S0=0\rATDP12;\rATH\r"));
}

QTEST_MAIN(TestDialer)
#include "tst_dialer.moc"

#include "datacolumns.h"
#include "fakemodem.h"
#include "phone/modemdial.h"

#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(ModemDial::Result)

namespace
{

const QByteArray SetUp = "ATZ\rATQ0V1E1S0=0\r";

DialerSettings settingsFor(int type, int port)
{
    DialerSettings s;
    s.TypeNumerotation = type;
    s.NumPort = port;
    return s;
}

} // namespace

class TestModemDial : public QObject
{
    Q_OBJECT
private slots:
    void dialCommand_data();
    void dialCommand();
    void dialsThroughPseudoTerminal_data();
    void dialsThroughPseudoTerminal();
    void answerSplitAcrossReads();
    void onlyOkEndsTheWait_data();
    void onlyOkEndsTheWait();
    void cancelDuringPauseActsAfterDialCommand();
    void setUpFailures_data();
    void setUpFailures();
    void cancelLeftByFailedDialDoesNotStopNextOne();
    void stopEndsPauseOrWait_data();
    void stopEndsPauseOrWait();
    void realPortThatCannotBeOpened();
    void numberWithOtherThanDialingCharactersIsNotSent_data();
    void numberWithOtherThanDialingCharactersIsNotSent();
    void lineClosedDuringTheWaitEndsIt();
};

void TestModemDial::dialCommand_data()
{
    addColumns<int, QString, QByteArray>("type", "number", "command");
    QTest::newRow("tone") << 0 << "0123456789" << QByteArray("ATDT0123456789;\r");
    QTest::newRow("pulse") << 1 << "0123456789" << QByteArray("ATDP0123456789;\r");
    QTest::newRow("as typed") << 0 << "01 23.45-67,89" << QByteArray("ATDT01 23.45-67,89;\r");
    QTest::newRow("other mode") << 2 << "0123456789" << QByteArray();
    QTest::newRow("negative mode") << -1 << "0123456789" << QByteArray();
}

void TestModemDial::dialCommand()
{
    QFETCH(int, type);
    QFETCH(QString, number);
    QFETCH(QByteArray, command);
    QCOMPARE(ModemDial::dialCommand(type, number), command);
}

void TestModemDial::dialsThroughPseudoTerminal_data()
{
    addColumns<int, int, QString, QString, QByteArray>("type", "port", "number", "device",
                                                       "dialLine");
    QTest::newRow("tone on COM2") << 0 << 2 << "0123456789"
                                  << "/dev/ttyS1" << QByteArray("ATDT0123456789;\r");
    QTest::newRow("pulse on COM1") << 1 << 1 << "0123456789"
                                   << "/dev/ttyS0" << QByteArray("ATDP0123456789;\r");
    QTest::newRow("spaces kept on COM4") << 0 << 4 << "01 23 45"
                                         << "/dev/ttyS3" << QByteArray("ATDT01 23 45;\r");
    QTest::newRow("every dialing character")
        << 0 << 2 << "+33 (0)1-23.45,W*#P6T wpt"
        << "/dev/ttyS1" << QByteArray("ATDT+33 (0)1-23.45,W*#P6T wpt;\r");
}

void TestModemDial::dialsThroughPseudoTerminal()
{
    QFETCH(int, type);
    QFETCH(int, port);
    QFETCH(QString, number);
    QFETCH(QString, device);
    QFETCH(QByteArray, dialLine);

    FakeModem modem;
    QVERIFY(modem.isValid());
    RedirectingPortFactory factory(modem.slavePath());
    termios line{};
    bool lineRead = false;
    // A real modem echoes and answers every command; the answers to the set-up are dropped.
    modem.onCommand = [&](const QByteArray& command) {
        if (command.startsWith("ATD")) {
            line = modem.lineSettings();
            lineRead = true;
        }
        modem.send(command + "\r\nOK\r\n");
    };

    ModemDial dial(&factory, 30);
    QCOMPARE(dial.dial(number, settingsFor(type, port)), ModemDial::Result::Answered);
    QVERIFY(dial.portOpen());
    dial.hangUp();
    QVERIFY(!dial.portOpen());

    QCOMPARE(modem.received(), SetUp + dialLine + "ATH\r");
    QCOMPARE(factory.requested, QStringList{device});

    // 1200 baud, 8 data bits, no parity, 1 stop bit, no handshaking.
    QVERIFY(lineRead);
    QCOMPARE(cfgetospeed(&line), speed_t(B1200));
    QCOMPARE(cfgetispeed(&line), speed_t(B1200));
    QCOMPARE(line.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(line.c_cflag & PARENB, tcflag_t(0));
    QCOMPARE(line.c_cflag & CSTOPB, tcflag_t(0));
    QCOMPARE(line.c_cflag & CRTSCTS, tcflag_t(0));
    QCOMPARE(line.c_iflag & (IXON | IXOFF), tcflag_t(0));
}

void TestModemDial::answerSplitAcrossReads()
{
    FakeModem modem;
    QVERIFY(modem.isValid());
    RedirectingPortFactory factory(modem.slavePath());
    bool restSent = false;
    modem.onCommand = [&](const QByteArray& command) {
        if (!command.startsWith("ATD"))
            return;
        modem.send("O");
        QTimer::singleShot(80, &modem, [&] {
            modem.send("K\r\n");
            restSent = true;
        });
    };
    ModemDial dial(&factory, 10);
    QCOMPARE(dial.dial("0123456789", settingsFor(0, 2)), ModemDial::Result::Answered);
    QVERIFY(restSent); // the "O" alone did not end the wait
    dial.hangUp();
    QCOMPARE(modem.received(), SetUp + "ATDT0123456789;\rATH\r");
}

void TestModemDial::onlyOkEndsTheWait_data()
{
    addColumns<QByteArray, QByteArray>("setUpReply", "dialReply");
    QTest::newRow("lower case ok") << QByteArray() << QByteArray("\r\nok\r\n");
    QTest::newRow("mixed case") << QByteArray() << QByteArray("\r\nOk\r\n");
    QTest::newRow("letters apart") << QByteArray() << QByteArray("O\r\nK\r\n");
    QTest::newRow("set-up answers dropped") << QByteArray("\r\nOK\r\n") << QByteArray();
    QTest::newRow("busy") << QByteArray("\r\nOK\r\n") << QByteArray("\r\nBUSY\r\n");
}

void TestModemDial::onlyOkEndsTheWait()
{
    QFETCH(QByteArray, setUpReply);
    QFETCH(QByteArray, dialReply);

    FakeModem modem;
    QVERIFY(modem.isValid());
    RedirectingPortFactory factory(modem.slavePath());
    ModemDial dial(&factory, 40);
    modem.onCommand = [&](const QByteArray& command) {
        if (!command.startsWith("ATD")) {
            modem.send(setUpReply);
            return;
        }
        modem.send(dialReply);
        QTimer::singleShot(200, &dial, [&] { dial.cancel(); });
    };

    QCOMPARE(dial.dial("0123456789", settingsFor(0, 2)), ModemDial::Result::Cancelled);
    QVERIFY(!dial.AppelAnnule()); // the wait took the cancel
    dial.hangUp();
    QCOMPARE(modem.received(), SetUp + "ATDT0123456789;\rATH\r");
}

void TestModemDial::cancelDuringPauseActsAfterDialCommand()
{
    FakeModem modem;
    QVERIFY(modem.isValid());
    RedirectingPortFactory factory(modem.slavePath());
    ModemDial dial(&factory, 60);
    QTimer::singleShot(10, &dial, [&] { dial.cancel(); });
    QCOMPARE(dial.dial("0123456789", settingsFor(1, 2)), ModemDial::Result::Cancelled);
    // Both pauses ran to their end and the dial command went out before the cancel acted.
    QCOMPARE(modem.received(), SetUp + "ATDP0123456789;\r");
    dial.hangUp();
}

void TestModemDial::setUpFailures_data()
{
    addColumns<bool, bool, int, int, ModemDial::Result, QByteArray>(
        "opens", "takesSettings", "dtr", "failWriteAt", "result", "written");
    const int done = int(SerialPort::Outcome::Done);
    const int unsupported = int(SerialPort::Outcome::Unsupported);
    const int failed = int(SerialPort::Outcome::Failed);
    const QByteArray all = SetUp + "ATDT0123;\r";
    QTest::newRow("cannot be opened")
        << false << true << done << -1 << ModemDial::Result::PortError << QByteArray();
    QTest::newRow("line settings refused")
        << true << false << done << -1 << ModemDial::Result::PortError << QByteArray();
    QTest::newRow("DTR refused") << true << true << failed << -1 << ModemDial::Result::PortError
                                 << QByteArray();
    QTest::newRow("line without DTR")
        << true << true << unsupported << -1 << ModemDial::Result::Answered << all;
    QTest::newRow("first command not sent")
        << true << true << done << 0 << ModemDial::Result::PortError << QByteArray();
    QTest::newRow("second command not sent")
        << true << true << done << 1 << ModemDial::Result::PortError << QByteArray("ATZ\r");
    // Once the dial command goes out, failures no longer end the dial: it waits.
    QTest::newRow("dial command not sent")
        << true << true << done << 2 << ModemDial::Result::Cancelled << SetUp;
}

void TestModemDial::setUpFailures()
{
    QFETCH(bool, opens);
    QFETCH(bool, takesSettings);
    QFETCH(int, dtr);
    QFETCH(int, failWriteAt);
    QFETCH(ModemDial::Result, result);
    QFETCH(QByteArray, written);

    FakeSerialPortFactory factory;
    factory.openResult = opens;
    factory.settingsResult = takesSettings;
    factory.dtrResult = SerialPort::Outcome(dtr);
    factory.failWriteAt = failWriteAt;
    factory.dialReply = "OK\r\n";
    ModemDial dial(&factory, 5);
    QTimer::singleShot(150, &dial, [&] { dial.cancel(); });
    QCOMPARE(dial.dial("0123", settingsFor(0, 3)), result);
    QCOMPARE(factory.written, written);
    QCOMPARE(factory.requested, QStringList{QStringLiteral("/dev/ttyS2")});
    if (result == ModemDial::Result::Answered) {
        QCOMPARE(factory.lineSettings.baudRate, 1200);
        QCOMPARE(factory.lineSettings.dataBits, 8);
        QCOMPARE(factory.lineSettings.parity, SerialLineSettings::NoParity);
        QCOMPARE(factory.lineSettings.stopBits, 1);
    }
}

void TestModemDial::cancelLeftByFailedDialDoesNotStopNextOne()
{
    FakeSerialPortFactory factory;
    factory.failWriteAt = 1;
    ModemDial dial(&factory, 40);
    QTimer::singleShot(5, &dial, [&] { dial.cancel(); });
    QCOMPARE(dial.dial("0123", settingsFor(0, 2)), ModemDial::Result::PortError);
    QVERIFY(dial.AppelAnnule()); // the failed dial never reached its wait

    factory.failWriteAt = -1;
    factory.dialReply = "OK\r\n";
    factory.dialReplyDelayMs = 30;
    factory.written.clear();
    QCOMPARE(dial.dial("0123", settingsFor(0, 2)), ModemDial::Result::Answered);
    QCOMPARE(factory.written, SetUp + "ATDT0123;\r");
}

void TestModemDial::stopEndsPauseOrWait_data()
{
    addColumns<int, int, QByteArray>("pauseMs", "stopAfterMs", "written");
    // A pause the stop did not end would hold the test far past its time limit.
    QTest::newRow("during the first pause") << 3600000 << 20 << QByteArray("ATZ\rATH\r");
    QTest::newRow("waiting for the modem") << 5 << 100 << SetUp + "ATDT0123;\rATH\r";
}

void TestModemDial::stopEndsPauseOrWait()
{
    QFETCH(int, pauseMs);
    QFETCH(int, stopAfterMs);
    QFETCH(QByteArray, written);

    FakeSerialPortFactory factory;
    ModemDial dial(&factory, pauseMs);
    QTimer::singleShot(stopAfterMs, &dial, [&] { dial.stop(); });
    QCOMPARE(dial.dial("0123", settingsFor(0, 2)), ModemDial::Result::Stopped);
    QVERIFY(!dial.busy());
    dial.hangUp();
    QCOMPARE(factory.written, written);
    QVERIFY(!dial.portOpen());
}

void TestModemDial::realPortThatCannotBeOpened()
{
    QtSerialPortFactory real;
    ModemDial dial(&real, 5);
    // Port 0 has no device at all.
    QCOMPARE(dial.dial("0123", settingsFor(0, 0)), ModemDial::Result::PortError);
    QVERIFY(!dial.portOpen());

    QtSerialPort missing(QStringLiteral("/nonexistent/ttyS1"));
    QVERIFY(!missing.open());
    QVERIFY(!missing.write("ATZ\r"));
    QCOMPARE(missing.setDataTerminalReady(true), SerialPort::Outcome::Failed);
}

void TestModemDial::numberWithOtherThanDialingCharactersIsNotSent_data()
{
    QTest::addColumn<QString>("number");
    // Hayes commands after the dial: the modem would reset and store its settings.
    QTest::newRow("commands after a semicolon") << QStringLiteral("0123;&F&W;");
    QTest::newRow("CR LF and a second command") << QStringLiteral("01\r\nATH");
    QTest::newRow("line feed") << QStringLiteral("01 23\n");
    QTest::newRow("tab") << QStringLiteral("01\t23");
    QTest::newRow("delete") << QStringLiteral("01\x7f");
    QTest::newRow("euro") << QStringLiteral("01 €");
    QTest::newRow("accent") << QStringLiteral("poste é");
    QTest::newRow("modifier of another command") << QStringLiteral("0123!");
    QTest::newRow("letters") << QStringLiteral("0800 FLEURS");
}

void TestModemDial::numberWithOtherThanDialingCharactersIsNotSent()
{
    QFETCH(QString, number);
    FakeModem modem;
    QVERIFY(modem.isValid());
    RedirectingPortFactory factory(modem.slavePath());
    ModemDial dial(&factory, 5);
    QTimer::singleShot(2000, &dial, [&] { dial.cancel(); }); // should it ever wait
    QCOMPARE(dial.dial(number, settingsFor(0, 2)), ModemDial::Result::BadNumber);
    // Refused before the port is even opened: not a byte reaches the modem.
    QVERIFY(!dial.portOpen());
    QVERIFY(factory.requested.isEmpty());
    QCOMPARE(modem.received(), QByteArray());
    QVERIFY(
        ModemDial::failureMessage(ModemDial::Result::BadNumber).contains("Rien n'a été envoyé"));
}

void TestModemDial::lineClosedDuringTheWaitEndsIt()
{
    FakeModem modem;
    QVERIFY(modem.isValid());
    RedirectingPortFactory factory(modem.slavePath());
    ModemDial dial(&factory, 10);
    bool closed = false;
    modem.onCommand = [&](const QByteArray& command) {
        if (!command.startsWith("ATD"))
            return;
        QTimer::singleShot(50, &modem, [&] {
            modem.hangUpLine();
            closed = true;
        });
    };
    // Should the wait not notice, the cancel ends it after a while.
    QTimer::singleShot(3000, &dial, [&] { dial.cancel(); });
    QCOMPARE(dial.dial("0123456789", settingsFor(0, 2)), ModemDial::Result::LineLost);
    QVERIFY(closed);
    // A few looks at the line, not a loop reading nothing as fast as it can.
    qWarning("reads %d", factory.reads);
    QVERIFY2(factory.reads <= 5, qPrintable(QStringLiteral("%1 reads").arg(factory.reads)));
    dial.hangUp();
    QVERIFY(!dial.portOpen());
    QVERIFY(ModemDial::failureMessage(ModemDial::Result::LineLost).contains("raccrochée"));
}

QTEST_MAIN(TestModemDial)
#include "tst_modemdial.moc"

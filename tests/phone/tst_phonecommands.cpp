#include "core/appstate.h"
#include "core/recordform.h"
#include "core/services.h"
#include "core/sqliteversion.h"
#include "datacolumns.h"
#include "fakemodem.h"
#include "fakeopener.h"
#include "fakes.h"
#include "phone/dialer.h"
#include "phone/phonecommands.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace
{

class FakeRecordForm : public RecordForm
{
public:
    QString fieldText(FieldBox box) const override { return boxes[size_t(box)]; }
    int listCount() const override { return 0; }
    int listIndex() const override { return -1; }
    void setListIndex(int) override {}
    std::array<QString, 16> boxes;
};

// The "&Composer" menu as the main window builds it.
struct TelMenu {
    void show(const AppState& state, const RecordForm& form)
    {
        showTelMenu(telMenuState(state.dialer, form), {tel[0], tel[1], tel[2]}, elvarine, windows);
    }
    QMenu menu;
    QAction* tel[3];
    QAction* elvarine;
    QAction* windows;
    TelMenu()
    {
        tel[0] = menu.addAction(QStringLiteral("N° Tel 1 : ") + QString(14, QLatin1Char('_')));
        tel[1] = menu.addAction(QStringLiteral("N° Tel 2 : ") + QString(14, QLatin1Char('_')));
        tel[2] = menu.addAction(QStringLiteral("N° Portable : ") + QString(12, QLatin1Char('_')));
        menu.addSeparator();
        QMenu* choice = menu.addMenu(QStringLiteral("Choix du numéroteur d'appel"));
        elvarine = choice->addAction(QStringLiteral("Numéroteur de Elvarine"));
        elvarine->setCheckable(true);
        windows = choice->addAction(QStringLiteral("Numéroteur de Windows"));
        windows->setCheckable(true);
    }
};

const QString Number = QStringLiteral("01 23 45 67 89");

} // namespace

class TestPhoneCommands : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void menuCaptions_data();
    void menuCaptions();
    void menuOpeningSetsItemsAndCheckMarks_data();
    void menuOpeningSetsItemsAndCheckMarks();
    void telephonyHandlerGetsNumberWithSpaces_data();
    void telephonyHandlerGetsNumberWithSpaces();
    void desktopOpenerAnswerIsSeen_data();
    void desktopOpenerAnswerIsSeen();
    void refusedCallNamesNumber();
    void modemDialerOpensWithNumberPreset();
    void otherChoiceDoesNothing();
    void missingDialerWarns_data();
    void missingDialerWarns();

private:
    AppState m_state;
    ScriptedDialogs m_dialogs;
    FakeDesktopServices m_desktop;
    FakeSerialPortFactory m_ports;
    Services m_services;
    FakeRecordForm m_form;
};

void TestPhoneCommands::init()
{
    m_state = AppState();
    m_dialogs.clear();
    m_dialogs.shown.clear();
    m_desktop = FakeDesktopServices();
    m_ports = FakeSerialPortFactory();
    m_services = Services();
    m_services.dialogs = &m_dialogs;
    m_services.desktop = &m_desktop;
    m_services.serial = &m_ports;
    m_form = FakeRecordForm();
    m_form.boxes[0] = QStringLiteral("Martin");
    m_form.boxes[1] = QStringLiteral("Louise");
}

void TestPhoneCommands::cleanup()
{
    QVERIFY2(m_dialogs.done(), qPrintable(m_dialogs.pending()));
}

void TestPhoneCommands::menuCaptions_data()
{
    addColumns<QString, QString, QString, QStringList, QList<bool>>("tel1", "tel2", "mobile",
                                                                    "captions", "enabled");
    const QString none19(19, QLatin1Char('_'));
    const QString none16(16, QLatin1Char('_'));
    QTest::newRow("all filled") << Number << "02.40.12.34.56"
                                << " 06 12 "
                                << QStringList{"N° Tel 1 : " + Number, "N° Tel 2 : 02.40.12.34.56",
                                               "N° Portable :  06 12 "}
                                << QList<bool>{true, true, true};
    QTest::newRow("empty fields") << " "
                                  << ""
                                  << "7"
                                  << QStringList{"N° Tel 1 : " + none19, "N° Tel 2 : " + none19,
                                                 "N° Portable : " + none16}
                                  << QList<bool>{false, false, false};
    QTest::newRow("two characters count")
        << "12"
        << " "
        << "  " << QStringList{"N° Tel 1 : 12", "N° Tel 2 : " + none19, "N° Portable :   "}
        << QList<bool>{true, false, true};
}

void TestPhoneCommands::menuCaptions()
{
    QFETCH(QString, tel1);
    QFETCH(QString, tel2);
    QFETCH(QString, mobile);
    QFETCH(QStringList, captions);
    QFETCH(QList<bool>, enabled);
    m_form.boxes[size_t(FieldBox::Telephone)] = tel1;
    m_form.boxes[size_t(FieldBox::Telephone1)] = tel2;
    m_form.boxes[size_t(FieldBox::Portable)] = mobile;
    const TelMenuState menu = telMenuState(m_state.dialer, m_form);
    const QList<FieldBox> boxes{FieldBox::Telephone, FieldBox::Telephone1, FieldBox::Portable};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(menu.items[size_t(i)].box, boxes[i]);
        QCOMPARE(menu.items[size_t(i)].caption, captions[i]);
        QCOMPARE(menu.items[size_t(i)].enabled, enabled[i]);
    }
}

void TestPhoneCommands::menuOpeningSetsItemsAndCheckMarks_data()
{
    addColumns<int, bool, bool, bool, bool>("choice", "elvarineBefore", "windowsBefore",
                                            "elvarineAfter", "windowsAfter");
    QTest::newRow("own dialer") << 0 << false << true << true << false;
    QTest::newRow("desktop dialer") << 1 << true << false << false << true;
    QTest::newRow("other value leaves both") << 3 << true << true << true << true;
}

void TestPhoneCommands::menuOpeningSetsItemsAndCheckMarks()
{
    QFETCH(int, choice);
    QFETCH(bool, elvarineBefore);
    QFETCH(bool, windowsBefore);
    QFETCH(bool, elvarineAfter);
    QFETCH(bool, windowsAfter);
    TelMenu menu;
    menu.elvarine->setChecked(elvarineBefore);
    menu.windows->setChecked(windowsBefore);
    m_state.dialer.ChoixNumeroteur = choice;
    m_form.boxes[7] = Number;
    m_form.boxes[15] = QStringLiteral("x");

    menu.show(m_state, m_form);
    QCOMPARE(menu.elvarine->isChecked(), elvarineAfter);
    QCOMPARE(menu.windows->isChecked(), windowsAfter);
    QCOMPARE(menu.tel[0]->text(), "N° Tel 1 : " + Number);
    QVERIFY(menu.tel[0]->isEnabled());
    QCOMPARE(menu.tel[1]->text(), "N° Tel 2 : " + QString(19, QLatin1Char('_')));
    QVERIFY(!menu.tel[1]->isEnabled());
    QCOMPARE(menu.tel[2]->text(), "N° Portable : " + QString(16, QLatin1Char('_')));
    QVERIFY(!menu.tel[2]->isEnabled());

    // The next record's numbers replace the captions.
    m_form.boxes[7] = QStringLiteral(" ");
    m_form.boxes[15] = QStringLiteral("06 & 07");
    menu.show(m_state, m_form);
    QVERIFY(!menu.tel[0]->isEnabled());
    // "&" shows as itself: it makes no shortcut letter of the next character.
    QCOMPARE(menu.tel[2]->text(), QStringLiteral("N° Portable : 06 && 07"));
    QVERIFY(QKeySequence::mnemonic(menu.tel[2]->text()).isEmpty());
    QVERIFY(menu.tel[2]->isEnabled());
}

void TestPhoneCommands::telephonyHandlerGetsNumberWithSpaces_data()
{
    addColumns<int, QString, QByteArray>("box", "number", "address");
    QTest::newRow("Tel 1 with spaces") << 7 << Number << QByteArray("tel:01%2023%2045%2067%2089");
    QTest::newRow("Tel 2 international")
        << 8 << "+33 1 23 45 67 89" << QByteArray("tel:+33%201%2023%2045%2067%2089");
    QTest::newRow("mobile with dots") << 15 << "06.12.34.56.78" << QByteArray("tel:06.12.34.56.78");
    QTest::newRow("mobile odd characters") << 15 << " 06/12#3" << QByteArray("tel:%2006%2F12%233");
}

void TestPhoneCommands::telephonyHandlerGetsNumberWithSpaces()
{
    QFETCH(int, box);
    QFETCH(QString, number);
    QFETCH(QByteArray, address);
    m_state.dialer.ChoixNumeroteur = 1;
    m_form.boxes[size_t(box)] = number;
    dialTelephone(fieldBox(box), m_state, m_services, m_form, {});
    QCOMPARE(m_desktop.opened.size(), 1);
    const QUrl url = m_desktop.opened.first();
    QCOMPARE(url.toEncoded(), address);
    QCOMPARE(url.scheme(), QStringLiteral("tel"));
    QCOMPARE(url.path(), number); // decoded, it is the number as displayed
    QVERIFY(m_ports.requested.isEmpty());
}

void TestPhoneCommands::desktopOpenerAnswerIsSeen_data()
{
    addColumns<QByteArray, bool>("opener", "refused");
    QTest::newRow("handed to the telephony program") << QByteArray("exit 0") << false;
    QTest::newRow("no telephony program") << QByteArray("exit 4") << true;
}

void TestPhoneCommands::desktopOpenerAnswerIsSeen()
{
    QFETCH(QByteArray, opener);
    QFETCH(bool, refused);
    // Through the desktop's own opener, as the program runs it.
    FakeOpener fake(opener);
    QVERIFY(fake.isValid());
    QtDesktopServices desktop;
    m_services.desktop = &desktop;
    m_state.dialer.ChoixNumeroteur = 1;
    m_form.boxes[8] = Number;
    if (refused)
        m_dialogs.expectMessage(QStringLiteral("Ce numéro n'a pas pu être appelé : ") + Number +
                                    QStringLiteral("\r\n\r\nVérifier qu'aucune autre application "
                                                   "ne mobilise le port de communication."),
                                vbCritical,
                                QStringLiteral("Erreur de numérotation, ") + sqliteVersionText());
    dialTelephone(FieldBox::Telephone1, m_state, m_services, m_form, {});
    QCOMPARE(fake.arguments(), QStringLiteral("tel:01%2023%2045%2067%2089\n"));
}

void TestPhoneCommands::refusedCallNamesNumber()
{
    const QString version = sqliteVersionText();
    QVERIFY2(
        QRegularExpression(QStringLiteral("^\\d+\\.\\d+(\\.\\d+)*$")).match(version).hasMatch(),
        qPrintable(version));
    m_state.dialer.ChoixNumeroteur = 1;
    m_desktop.openResult = false;
    m_form.boxes[15] = Number;
    m_dialogs.expectMessage(QStringLiteral("Ce numéro n'a pas pu être appelé : ") + Number +
                                QStringLiteral("\r\n\r\nVérifier qu'aucune autre application ne "
                                               "mobilise le port de communication."),
                            vbCritical, QStringLiteral("Erreur de numérotation, ") + version);
    dialTelephone(FieldBox::Portable, m_state, m_services, m_form, {});
    QCOMPARE(m_desktop.opened.size(), 1);
}

void TestPhoneCommands::modemDialerOpensWithNumberPreset()
{
    m_state.dialer.ChoixNumeroteur = 0;
    m_state.NumeroAppel = QStringLiteral("99");
    m_form.boxes[7] = Number;
    int runs = 0;
    dialTelephone(FieldBox::Telephone, m_state, m_services, m_form, [&] {
        ++runs;
        // The modem dialer, as the main window opens it, finds the number proposed.
        DIALER dialer(m_state, m_services);
        QCOMPARE(m_state.NumeroAppel, Number);
        QVERIFY(m_ports.requested.isEmpty()); // nothing until "Composer"
        // The input box proposes the number with its spaces.
        m_dialogs.expectInput(QStringLiteral("Tapez le numéro de téléphone:"),
                              QStringLiteral("Numéro de téléphone"), QString(), Number);
        dialer.dialButton()->click();
    });
    QCOMPARE(runs, 1);
    QVERIFY(m_ports.requested.isEmpty());
    QVERIFY(m_desktop.opened.isEmpty());
}

void TestPhoneCommands::otherChoiceDoesNothing()
{
    m_state.dialer.ChoixNumeroteur = 2;
    m_form.boxes[7] = Number;
    int runs = 0;
    dialTelephone(FieldBox::Telephone, m_state, m_services, m_form, [&] { ++runs; });
    QCOMPARE(runs, 0);
    QVERIFY(m_desktop.opened.isEmpty());
    QVERIFY(m_state.NumeroAppel.isEmpty());
    QVERIFY(m_dialogs.shown.isEmpty());
}

void TestPhoneCommands::missingDialerWarns_data()
{
    QTest::addColumn<int>("choice");
    QTest::newRow("modem dialer") << 0;
    QTest::newRow("desktop dialer") << 1;
}

void TestPhoneCommands::missingDialerWarns()
{
    QFETCH(int, choice);
    m_state.dialer.ChoixNumeroteur = choice;
    m_services.serial = nullptr;
    m_services.desktop = nullptr;
    m_form.boxes[7] = Number;
    m_dialogs.expectMessage(QStringLiteral("Numéroteur d'appel Dialer.exe non trouvé !\r"
                                           "Installer le numéroteur d'appel de Windows."),
                            vbExclamation, QStringLiteral("Avertissement"));
    int runs = 0;
    dialTelephone(FieldBox::Telephone, m_state, m_services, m_form, [&] { ++runs; });
    QCOMPARE(runs, 0);
}

QTEST_MAIN(TestPhoneCommands)
#include "tst_phonecommands.moc"

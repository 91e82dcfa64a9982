// The commands other windows and modules provide, as the main window runs them.
#include "envelopes/frmutil.h"
#include "envelopes/impenv.h"
#include "mainwindowfixture.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

namespace
{

// Closes the modal window that opens next, after checking it is a `Window`.
template <typename Window> void closeWhenShown(bool& seen)
{
    QTimer::singleShot(0, [&seen] {
        if (auto* window = qobject_cast<Window*>(QApplication::activeModalWidget())) {
            seen = true;
            window->reject();
        }
    });
}

QAction* act(frmElvarine& w, const char* name)
{
    return w.findChild<QAction*>(QString::fromLatin1(name));
}

} // namespace

class TestMainWindowCommands : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyCommandHasItsActionInPlace_data();
    void everyCommandHasItsActionInPlace();
    void mailAndWebAddressesOfTheRecord();
    void composerMenuShowsTheNumbers();
    void envelopeAndSenderWindowsOpenModally();

private:
    std::unique_ptr<MainWindowFixture> m_built; // a window for the checks of its build
};

void TestMainWindowCommands::initTestCase()
{
    m_built = std::make_unique<MainWindowFixture>();
    m_built->start();
}

void TestMainWindowCommands::cleanupTestCase()
{
    m_built.reset();
}

void TestMainWindowCommands::everyCommandHasItsActionInPlace_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < kCommandCount; ++i)
        QTest::newRow(kCommandTable[i].objectName) << i;
}

void TestMainWindowCommands::everyCommandHasItsActionInPlace()
{
    QFETCH(int, row);
    const CommandRow& command = kCommandTable[row];
    QVERIFY(command.handler.valid());
    frmElvarine& w = *m_built->w;
    QAction* action = w.command(command.id);
    QVERIFY(action);
    // Its name is its own: the one action found by it.
    const QString name = QString::fromLatin1(command.objectName);
    QVERIFY(!name.isEmpty());
    const QList<QAction*> named = w.findChildren<QAction*>(name);
    QCOMPARE(named.size(), 1);
    QCOMPARE(named.first(), action);
    if (command.menu != Menu::None) {
        auto* menu =
            w.findChild<QMenu*>(QString::fromLatin1(kMenuTable[int(command.menu)].objectName));
        QVERIFY(menu);
        QVERIFY(menu->actions().contains(action));
    }
    // The toolbar button is the same action, its widget named after its place.
    if (command.toolbarIndex > 0) {
        QCOMPARE(w.toolbarButton(command.toolbarIndex), action);
        auto* button =
            w.findChild<QToolButton*>(QStringLiteral("Toolbar1_%1").arg(command.toolbarIndex));
        QVERIFY(button);
        QCOMPARE(button->defaultAction(), action);
    } else {
        for (int i = 1; i <= kToolbarButtons; ++i)
            QVERIFY(w.toolbarButton(i) != action);
    }
}

void TestMainWindowCommands::mailAndWebAddressesOfTheRecord()
{
    MainWindowFixture f;
    frmElvarine& w =
        f.startWith({{"Durand", "Marie", QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
                      QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
                      " marie@exemple.fr ", QVariant(), "www.exemple.fr"}});
    w.Mnu_Edition_Click();
    QCOMPARE(act(w, "Mnu_Mail")->text(), QStringLiteral("Envoyer un courrier : marie@exemple.fr"));
    QCOMPARE(act(w, "Mnu_ConnectURL")->text(), QStringLiteral("Se connecter URL : www.exemple.fr"));
    act(w, "Mnu_Mail")->trigger();
    act(w, "Mnu_ConnectURL")->trigger();
    QCOMPARE(f.desktop.opened.size(), 2);
    QCOMPARE(f.desktop.opened[0].toString(), QStringLiteral("mailto:marie@exemple.fr"));
    QCOMPARE(f.desktop.opened[1].toString(), QStringLiteral("http://www.exemple.fr"));
    QVERIFY(act(w, "Mnu_ConnectInternet")->isEnabled());
}

void TestMainWindowCommands::composerMenuShowsTheNumbers()
{
    MainWindowFixture f;
    frmElvarine& w =
        f.startWith({{"Durand", "Marie", QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
                      "01 23 45 67 89", " ", QVariant(), QVariant(), QVariant(), QVariant(),
                      QVariant(), QVariant(), "x"}});
    w.Mnu_Tel_Click();
    QCOMPARE(act(w, "Mnu_Tel1")->text(), QStringLiteral("N° Tel 1 : 01 23 45 67 89"));
    QVERIFY(act(w, "Mnu_Tel1")->isEnabled());
    QCOMPARE(act(w, "Mnu_Tel2")->text(),
             QStringLiteral("N° Tel 2 : ") + QString(19, QLatin1Char('_')));
    QVERIFY(!act(w, "Mnu_Tel2")->isEnabled());
    QCOMPARE(act(w, "Mnu_Tel3")->text(),
             QStringLiteral("N° Portable : ") + QString(16, QLatin1Char('_')));
    QVERIFY(act(w, "Mnu_TelElvarine")->isChecked());
    QVERIFY(!act(w, "Mnu_TelWindows")->isChecked());
    // The desktop's dialer gets the number as displayed.
    act(w, "Mnu_TelWindows")->trigger();
    QCOMPARE(f.state.dialer.ChoixNumeroteur, 1);
    act(w, "Mnu_Tel1")->trigger();
    QCOMPARE(f.desktop.opened.value(0).toString(QUrl::FullyEncoded),
             QStringLiteral("tel:01%2023%2045%2067%2089"));
}

void TestMainWindowCommands::envelopeAndSenderWindowsOpenModally()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Durand", "Marie"}});
    bool envelope = false;
    closeWhenShown<ImpEnv>(envelope);
    w.toolbarButton(3)->trigger();
    QVERIFY(envelope);
    bool sender = false;
    closeWhenShown<FrmUtil>(sender);
    act(w, "Mnu_Utilisateur")->trigger();
    QVERIFY(sender);
}

QTEST_MAIN(TestMainWindowCommands)
#include "tst_mainwindowcommands.moc"

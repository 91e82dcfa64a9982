// The commands other windows and modules provide, as the main window runs them.
#include "envelopes/frmutil.h"
#include "envelopes/impenv.h"
#include "mainwindowfixture.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QTimer>

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
    void mailAndWebAddressesOfTheRecord();
    void composerMenuShowsTheNumbers();
    void envelopeAndSenderWindowsOpenModally();
};

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

// The main window while "Synchroniser maintenant" waits, first on the keyring, then on a
// server that holds its answer: the user's keys, clicks and the window manager's close request,
// sent through the X server, reach nothing but the progress window; when the answers come the
// program is alive, the same file open and whole, and the synchronisation done.
#include "httpfront.h"
#include "mainwindowfixture.h"
#include "syncfixture.h"
#include "userdriver.h"
#include "x11input.h"

#include <QAction>
#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <atomic>

class TestSyncWait : public QObject
{
    Q_OBJECT
private slots:
    void userCommandsWaitForTheSynchronisation();
};

void TestSyncWait::userCommandsWaitForTheSynchronisation()
{
    if (!x11::available())
        QSKIP("needs the X server (Xvfb) and xdotool");
    RadicaleServer server;
    QVERIFY(server.start());
    CardClient phone(server.root(), server.user(), server.password());
    QVERIFY(phone.makeAddressBook(server.addressBook()));
    phone.putCard(server.addressBook(), QStringLiteral("sand.vcf"),
                  vcard(QStringLiteral("sand"), QStringLiteral("Sand"), QStringLiteral("George")));
    // Every request waits until the test lets the server answer.
    std::atomic<bool> serverHeld{true};
    std::atomic<int> held{0};
    HttpFront slow(
        [&](const FrontRequest&) {
            ++held;
            FrontAnswer a;
            a.ready = [&serverHeld] { return !serverHeld.load(); };
            return a;
        },
        server.root());

    MainWindowFixture f;
    MemoryPasswordStore keyring;
    bool keyringHeld = true;
    keyring.holdReads = [&keyringHeld] { return keyringHeld; };
    keyring.kept.insert(QStringLiteral("alice@127.0.0.1:%1").arg(slow.port()), server.password());
    f.services.passwords = &keyring;
    const QString adb = f.path(QStringLiteral("Elvarine.adb"));
    makeAddressFile(adb, {{"Zola", "Émile"}, {"Hugo", "Victor"}, {"Curie", "Marie"}});
    {
        auto db = Database::OpenDatabase(adb);
        SyncSettings s;
        s.server = slow.root().toString();
        s.user = server.user();
        s.collection = slow.root().resolved(QUrl(QStringLiteral("alice/contacts/"))).toString();
        s.collectionName = QStringLiteral("Contacts");
        SyncStore(db->sql()).saveSettings(s);
    }
    frmElvarine& w = f.start();
    UserDriver d(&w);
    QVERIFY(d.activate());
    QWidget* main = &w;
    auto* toolbar = w.findChild<QToolBar*>();
    QVERIFY(toolbar);

    QStringList seen; // what each wait looked like
    const auto tryEverything = [&] {
        QWidget* progress = QApplication::activeModalWidget();
        if (!progress) {
            seen << QStringLiteral("aucune fenêtre modale");
        } else {
            // The progress window has the focus: keys typed go to it.
            QTRY_VERIFY(progress->isActiveWindow());
            QStringList buttons;
            for (QPushButton* b : progress->findChildren<QPushButton*>())
                buttons << b->text();
            auto* bar = qobject_cast<QProgressDialog*>(progress);
            seen << progress->objectName() + QLatin1Char('|') + buttons.join(QLatin1Char(',')) +
                        QLatin1Char('|') + (bar ? bar->labelText() : QString());
        }
        d.keys(QKeySequence(QStringLiteral("Ctrl+O")));
        d.keys(QKeySequence(QStringLiteral("Ctrl+N")));
        d.keys(QKeySequence(QStringLiteral("Ctrl+F4")));
        d.alt(QLatin1Char('s'));
        // Keys sent to the main window itself, and typed after a click gave it the focus.
        for (const char* keys : {"ctrl+o", "ctrl+n", "ctrl+F4", "alt+s", "alt+f"})
            QVERIFY(x11::keysTo(main, QString::fromLatin1(keys)));
        QVERIFY(x11::keysFocusing(main, QStringLiteral("ctrl+o")));
        // Clicks on Nouveau, Supprimer (the button and the toolbar's), Quitter.
        QVERIFY(x11::click(toolbar->widgetForAction(w.command(Command::Nouveau))));
        QVERIFY(x11::click(w.findChild<QPushButton*>(QStringLiteral("cmdDelete"))));
        QVERIFY(x11::click(toolbar->widgetForAction(w.toolbarButton(15))));
        QVERIFY(x11::click(toolbar->widgetForAction(w.command(Command::Fermer))));
        // The window manager's close button.
        x11::closeRequest(main);
        QVERIFY(x11::sync());
        QVERIFY(main->isVisible());
        QCOMPARE(QApplication::activeModalWidget(), progress);
    };
    // While the keyring waits, then (once it answered) while the server does: each wait is
    // seen from the event loop the synchronisation waits in.
    int phase = 0;
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (phase == 0 && keyring.reads >= 1) {
            phase = 1;
            tryEverything();
            keyringHeld = false;
        } else if (phase == 1 && held.load() >= 1) {
            phase = 2;
            tryEverything();
            serverHeld = false;
        }
    });
    watch.start();
    f.dialogs.expectMessageStartingWith(
        QStringLiteral("Synchronisation de « Elvarine.adb » avec le carnet « Contacts » : "
                       "terminée.\rEnvoyé au serveur : 3 nouvelle(s) fiche(s), 0 modifiée(s), 0 "
                       "supprimée(s).\rReçu du serveur : 1 nouvelle(s) fiche(s)"),
        vbInformation, QStringLiteral("Synchroniser maintenant"));
    const bool chosen = d.chooseMenu(w.command(Command::SynchroniserMaintenant));
    watch.stop();
    keyringHeld = false; // (when a check above failed: the run ends all the same)
    serverHeld = false;
    QVERIFY(chosen);
    QCOMPARE(phase, 2);
    // Nothing the user did got through: no dialog came, no other file was opened.
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(seen, QStringList({"frmProgression|Annuler|Lecture du mot de passe dans le trousseau "
                                "du bureau...",
                                "frmProgression|Annuler|Synchronisation avec le carnet « Contacts "
                                "»..."}));
    QVERIFY(w.isVisible());
    QCOMPARE(w.binding().DatabaseName, adb);
    QCOMPARE(listLines(w),
             QStringList({"Curie Marie", "Hugo Victor", "Sand George", "Zola Émile"}));
    QCOMPARE(runSqlite3(adb, QStringLiteral("PRAGMA integrity_check;")).trimmed(),
             QStringLiteral("ok"));
    QCOMPARE(readAddressFile(adb).size(), 4);
    QCOMPARE(phone.cards(server.addressBook()).size(), 4);

    // Once it is over, the same clicks reach the window again.
    QVERIFY(x11::focus(main));
    QTRY_VERIFY(w.isActiveWindow());
    f.dialogs.expectMessageStartingWith(QStringLiteral("Voulez-vous vraiment supprimer la fiche ?"),
                                        vbYesNo + vbQuestion, QStringLiteral("Supprimer la fiche"),
                                        vbNo);
    QVERIFY(x11::click(w.findChild<QPushButton*>(QStringLiteral("cmdDelete"))));
    QVERIFY(x11::sync());
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
}

SYNC_TEST_MAIN(TestSyncWait, QApplication)
#include "tst_syncwait_x11.moc"

// The synchronisation as the user meets it in the main window: the two Fichier menu entries,
// the settings window, the password prompt, the pending record, the progress window's
// "Annuler", the summary, and the synchronisation at opening. Against a real radicale server.
#include "mainwindowfixture.h"
#include "modaldriver.h"
#include "platform/servicesmodule.h"
#include "syncfixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

namespace
{

void typeInto(QWidget* box, const QString& text)
{
    if (!box->window()->isActiveWindow()) {
        box->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(box->window()));
    }
    box->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), box);
    typeText(QApplication::focusWidget(), text);
}

// An address file linked to the server's address book, with or without "at opening".
void linkFile(const QString& path, const RadicaleServer& server, bool atOpening)
{
    auto db = Database::OpenDatabase(path);
    SyncSettings s;
    s.server = server.root().toString();
    s.user = server.user();
    s.collection = server.addressBook().toString();
    s.collectionName = QStringLiteral("Contacts");
    s.atOpening = atOpening;
    SyncStore(db->sql()).saveSettings(s);
}

} // namespace

class TestSyncWindows : public QObject
{
    Q_OBJECT
private slots:
    void menuEntries();
    void settingsWindowThenSynchroniseNow();
    void pendingRecordAsksFirst();
    void passwordAskedThenConflictReport();
    void annulerStopsAndNextRunResumes();
    void synchronisedAtOpening();

private:
    struct Setup {
        MainWindowFixture fixture;
        RadicaleServer server;
        CardClient phone{server.root(), server.user(), server.password()};
        MemoryPasswordStore keyring;
        QString key() const
        {
            return server.user() + QStringLiteral("@127.0.0.1:") +
                   QString::number(server.root().port());
        }
    };
    // The main window on "Elvarine.adb" holding `rows`, and the server with its address book.
    std::unique_ptr<Setup> start(const QList<QVariantList>& rows, bool link = true);
};

std::unique_ptr<TestSyncWindows::Setup> TestSyncWindows::start(const QList<QVariantList>& rows,
                                                               bool link)
{
    auto s = std::make_unique<Setup>();
    if (!s->server.start() || !s->phone.makeAddressBook(s->server.addressBook()))
        return nullptr;
    s->fixture.services.passwords = &s->keyring;
    const QString adb = s->fixture.path(QStringLiteral("Elvarine.adb"));
    makeAddressFile(adb, rows);
    if (link) {
        linkFile(adb, s->server, false);
        s->keyring.kept.insert(s->key(), s->server.password());
    }
    s->fixture.start();
    s->fixture.w->activateWindow();
    if (!QTest::qWaitForWindowActive(s->fixture.w.get()))
        return nullptr;
    return s;
}

void TestSyncWindows::menuEntries()
{
    // Without an address file the entries are off; with one, on, reached by their mnemonics.
    MainWindowFixture f;
    frmElvarine& w = f.start();
    QCOMPARE(w.command(Command::Synchronisation)->text(), QStringLiteral("&Synchronisation..."));
    QCOMPARE(w.command(Command::SynchroniserMaintenant)->text(),
             QStringLiteral("Synchroniser &maintenant"));
    QVERIFY(!w.command(Command::Synchronisation)->isEnabled());
    QVERIFY(!w.command(Command::SynchroniserMaintenant)->isEnabled());

    auto s = start({{"Zola", "Émile"}}, false);
    QVERIFY(s);
    frmElvarine& open = *s->fixture.w;
    QVERIFY(open.command(Command::Synchronisation)->isEnabled());
    QVERIFY(open.command(Command::SynchroniserMaintenant)->isEnabled());
    // Every mnemonic of the Fichier menu is its own.
    QMenu* fichier = open.findChild<QMenu*>(QStringLiteral("Mnu_Fichier"));
    QVERIFY(fichier);
    QStringList letters;
    for (QAction* a : fichier->actions()) {
        const qsizetype amp = a->text().indexOf(QLatin1Char('&'));
        if (amp >= 0 && amp + 1 < a->text().size())
            letters << a->text().mid(amp + 1, 1).toLower();
    }
    QCOMPARE(QSet<QString>(letters.begin(), letters.end()).size(), letters.size());
    QVERIFY(letters.contains(QStringLiteral("s")) && letters.contains(QStringLiteral("m")));

    // Alt+F, S opens the settings window; without settings the fields are empty.
    bool shown = false;
    QString server = QStringLiteral("?");
    int books = -1;
    ModalDriver driver(
        [&](QWidget* modal) {
            if (modal->objectName() != QLatin1String("frmSynchronisation"))
                return false;
            shown = true;
            server = modal->findChild<QLineEdit*>(QStringLiteral("txtServeur"))->text();
            books = modal->findChild<QComboBox*>(QStringLiteral("cboCarnet"))->count();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            return true;
        },
        true);
    QTest::keyClick(&open, Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget() == fichier);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_S);
    QTRY_VERIFY(shown);
    QCOMPARE(server, QString());
    QCOMPARE(books, 0);
    // "Synchroniser maintenant" on a file without settings says where to set them.
    s->fixture.dialogs.expectMessage(
        QStringLiteral("Ce fichier d'adresses n'est relié à aucun carnet d'adresses : "
                       "choisissez-le d'abord dans « Synchronisation... »."),
        vbExclamation, QStringLiteral("Synchroniser maintenant"));
    open.command(Command::SynchroniserMaintenant)->trigger();
    QVERIFY2(s->fixture.dialogs.done(), qPrintable(s->fixture.dialogs.pending()));
}

void TestSyncWindows::settingsWindowThenSynchroniseNow()
{
    auto s = start({{"Zola", "Émile", "", "", "", "75009", "Paris"}, {"Hugo", "Victor"}}, false);
    QVERIFY(s);
    frmElvarine& w = *s->fixture.w;
    bool done = false;
    QString refusal;
    QStringList found;
    ModalDriver driver(
        [&](QWidget* modal) {
            if (modal->objectName() != QLatin1String("frmSynchronisation"))
                return false;
            auto* status = modal->findChild<QLabel*>(QStringLiteral("lblEtat"));
            auto* find = modal->findChild<QPushButton*>(QStringLiteral("cmdChercher"));
            // A wrong password first: the server's refusal is shown, nothing is listed.
            typeInto(modal->findChild<QLineEdit*>(QStringLiteral("txtServeur")),
                     s->server.root().toString());
            typeInto(modal->findChild<QLineEdit*>(QStringLiteral("txtUtilisateur")),
                     s->server.user());
            auto* password = modal->findChild<QLineEdit*>(QStringLiteral("txtMotDePasse"));
            typeInto(password, QStringLiteral("faux"));
            QTest::mouseClick(find, Qt::LeftButton);
            refusal = status->text();
            password->clear();
            typeInto(password, s->server.password());
            // From the server's root: the principal, its home, its address book.
            QTest::mouseClick(find, Qt::LeftButton);
            auto* books = modal->findChild<QComboBox*>(QStringLiteral("cboCarnet"));
            for (int i = 0; i < books->count(); ++i)
                found << books->itemText(i) + QLatin1Char('|') + books->itemData(i).toString();
            QTest::mouseClick(modal->findChild<QCheckBox*>(QStringLiteral("chkTrousseau")),
                              Qt::LeftButton);
            QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("cmdOK")),
                              Qt::LeftButton);
            done = true;
            return true;
        },
        true);
    w.command(Command::Synchronisation)->trigger();
    QVERIFY(done);
    QVERIFY2(refusal.contains(QStringLiteral("(erreur 401)")), qPrintable(refusal));
    QCOMPARE(found, QStringList{QStringLiteral("Contacts|") + s->server.addressBook().toString()});
    QCOMPARE(s->keyring.kept.value(s->key()), s->server.password());
    const SyncSettings saved = SyncStore(s->fixture.w->binding().database()->sql()).loadSettings();
    QCOMPARE(saved.collection, s->server.addressBook().toString());
    QCOMPARE(saved.user, s->server.user());

    // "Synchroniser maintenant": the password from the keyring, a summary at the end.
    s->phone.putCard(
        s->server.addressBook(), QStringLiteral("sand.vcf"),
        vcard(QStringLiteral("sand"), QStringLiteral("Sand"), QStringLiteral("George")));
    s->fixture.dialogs.expectMessageStartingWith(
        QStringLiteral("Synchronisation de « Elvarine.adb » avec le carnet « Contacts » : "
                       "terminée.\rEnvoyé au serveur : 2 nouvelle(s) fiche(s), 0 modifiée(s), 0 "
                       "supprimée(s).\rReçu du serveur : 1 nouvelle(s) fiche(s)"),
        vbInformation, QStringLiteral("Synchroniser maintenant"));
    w.command(Command::SynchroniserMaintenant)->trigger();
    QVERIFY2(s->fixture.dialogs.done(), qPrintable(s->fixture.dialogs.pending()));
    QCOMPARE(listLines(w), QStringList({"Hugo Victor", "Sand George", "Zola Émile"}));
    QCOMPARE(s->phone.cards(s->server.addressBook()).size(), 3);
}

void TestSyncWindows::pendingRecordAsksFirst()
{
    auto s = start({{"Zola", "Émile"}});
    QVERIFY(s);
    frmElvarine& w = *s->fixture.w;
    QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("cmdUpdate")), Qt::LeftButton);
    typeInto(w.field(FieldBox::Ville), QStringLiteral("Médan"));
    QVERIFY(w.recordPending());
    const QString question =
        QStringLiteral("La fiche en cours n'est pas enregistrée. L'enregistrer avant de "
                       "synchroniser ?");
    // No: nothing is synchronised, the typing stays.
    s->fixture.dialogs.expectMessage(question, vbYesNo + vbQuestion,
                                     QStringLiteral("Synchroniser maintenant"), vbNo);
    w.command(Command::SynchroniserMaintenant)->trigger();
    QVERIFY(w.recordPending());
    QCOMPARE(w.fieldText(FieldBox::Ville), QStringLiteral("Médan"));
    QVERIFY(s->phone.cards(s->server.addressBook()).isEmpty());
    // Yes: stored, then synchronised with what was typed.
    s->fixture.dialogs.expectMessage(question, vbYesNo + vbQuestion,
                                     QStringLiteral("Synchroniser maintenant"), vbYes);
    s->fixture.dialogs.expectMessageStartingWith(
        QStringLiteral("Synchronisation de « Elvarine.adb »"), vbInformation,
        QStringLiteral("Synchroniser maintenant"));
    w.command(Command::SynchroniserMaintenant)->trigger();
    QVERIFY2(s->fixture.dialogs.done(), qPrintable(s->fixture.dialogs.pending()));
    QVERIFY(!w.recordPending());
    const QMap<QString, QByteArray> cards = s->phone.cards(s->server.addressBook());
    QCOMPARE(cards.size(), 1);
    QCOMPARE(readCard(cards.first()).contact[Field::Ville], QStringLiteral("Médan"));
}

void TestSyncWindows::passwordAskedThenConflictReport()
{
    auto s = start({{"Martin", "Marie", "", "", "", "", "Brest"}});
    QVERIFY(s);
    frmElvarine& w = *s->fixture.w;
    // No keyring on this desktop: the password is asked at each synchronisation.
    s->keyring.kept.clear();
    s->keyring.available = false;
    int prompts = 0;
    QString report;
    ModalDriver driver(
        [&](QWidget* modal) {
            if (modal->objectName() == QLatin1String("frmMotDePasse")) {
                ++prompts;
                typeInto(modal->findChild<QLineEdit*>(QStringLiteral("txtMotDePasse")),
                         s->server.password());
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                return true;
            }
            if (modal->objectName() == QLatin1String("frmBilanSynchro")) {
                report =
                    modal->findChild<QPlainTextEdit*>(QStringLiteral("txtBilan"))->toPlainText();
                QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("cmdFermer")),
                                  Qt::LeftButton);
                return true;
            }
            return false;
        },
        true);
    s->fixture.dialogs.expectMessageStartingWith(
        QStringLiteral("Synchronisation de « Elvarine.adb »"), vbInformation,
        QStringLiteral("Synchroniser maintenant"));
    w.command(Command::SynchroniserMaintenant)->trigger();
    QCOMPARE(prompts, 1);
    QVERIFY(s->keyring.kept.isEmpty());

    // Marie changed on both sides: the summary window names her.
    w.setListIndex(0);
    QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("cmdUpdate")), Qt::LeftButton);
    QLineEdit* town = qobject_cast<QLineEdit*>(w.field(FieldBox::Ville));
    town->clear();
    typeInto(town, QStringLiteral("Quimper"));
    QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("cmdRefresh")), Qt::LeftButton);
    const QMap<QString, QByteArray> cards = s->phone.cards(s->server.addressBook());
    QByteArray card = cards.first();
    card.replace(";Brest;", ";Rennes;");
    s->phone.putCard(s->server.addressBook(), cards.firstKey(), card);
    w.command(Command::SynchroniserMaintenant)->trigger();
    QCOMPARE(prompts, 2);
    QVERIFY2(report.contains(QStringLiteral("les deux versions sont gardées")) &&
                 report.contains(QStringLiteral("  - Martin Marie")),
             qPrintable(report));
    QCOMPARE(listLines(w), QStringList({"Martin Marie", "Martin Marie"}));
    QVERIFY2(s->fixture.dialogs.done(), qPrintable(s->fixture.dialogs.pending()));
}

void TestSyncWindows::annulerStopsAndNextRunResumes()
{
    QList<QVariantList> rows;
    for (int i = 0; i < 300; ++i)
        rows << QVariantList{QStringLiteral("Nom%1").arg(i, 3, 10, QLatin1Char('0')),
                             QStringLiteral("Prénom")};
    auto s = start(rows);
    QVERIFY(s);
    frmElvarine& w = *s->fixture.w;
    QString report;
    bool pressed = false;
    QTimer press;
    press.setInterval(20);
    QObject::connect(&press, &QTimer::timeout, [&] {
        auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (pressed || !progress || !progress->isVisible() || progress->value() < 10)
            return;
        auto* annuler = progress->findChild<QPushButton*>();
        if (!annuler || annuler->text() != QLatin1String("Annuler"))
            return;
        QTest::mouseClick(annuler, Qt::LeftButton);
        pressed = true;
    });
    press.start();
    ModalDriver driver(
        [&](QWidget* modal) {
            if (modal->objectName() != QLatin1String("frmBilanSynchro"))
                return false;
            report = modal->findChild<QPlainTextEdit*>(QStringLiteral("txtBilan"))->toPlainText();
            QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("cmdFermer")),
                              Qt::LeftButton);
            return true;
        },
        true);
    w.command(Command::SynchroniserMaintenant)->trigger();
    QVERIFY(pressed);
    QVERIFY2(report.contains(QStringLiteral("annulée")), qPrintable(report));
    const int sent = int(s->phone.cards(s->server.addressBook()).size());
    QVERIFY2(sent < 300, qPrintable(QString::number(sent)));
    press.stop();

    s->fixture.dialogs.expectMessageStartingWith(
        QStringLiteral("Synchronisation de « Elvarine.adb »"), vbInformation,
        QStringLiteral("Synchroniser maintenant"));
    w.command(Command::SynchroniserMaintenant)->trigger();
    QVERIFY2(s->fixture.dialogs.done(), qPrintable(s->fixture.dialogs.pending()));
    QCOMPARE(s->phone.cards(s->server.addressBook()).size(), 300);
    QCOMPARE(w.listCount(), 300);
}

void TestSyncWindows::synchronisedAtOpening()
{
    auto s = start({{"Zola", "Émile"}}, false);
    QVERIFY(s);
    frmElvarine& w = *s->fixture.w;
    const QString other = s->fixture.path(QStringLiteral("autre.adb"));
    makeAddressFile(other, {{"Hugo", "Victor"}});
    linkFile(other, s->server, true);
    s->keyring.kept.insert(s->key(), s->server.password());
    s->phone.putCard(
        s->server.addressBook(), QStringLiteral("sand.vcf"),
        vcard(QStringLiteral("sand"), QStringLiteral("Sand"), QStringLiteral("George")));
    // Opening the file synchronises it, silently when all went well.
    FileDialogRequest open;
    open.title = QStringLiteral("Ouvrir le fichier");
    open.filter = QStringLiteral("Elvarine (*.adb)|*.adb");
    s->fixture.dialogs.expectOpenFile(open, other);
    w.command(Command::Ouvrir)->trigger();
    QVERIFY2(s->fixture.dialogs.done(), qPrintable(s->fixture.dialogs.pending()));
    QCOMPARE(listLines(w), QStringList({"Hugo Victor", "Sand George"}));
    QCOMPARE(s->phone.cards(s->server.addressBook()).size(), 2);

    // The program's own CardDAV client comes from its services module, which this test program
    // does not have beside it: Synchroniser maintenant says so and changes nothing.
    const auto missing = moduleDavClients();
    s->fixture.services.davClients = missing.get();
    QString why;
    QVERIFY(!servicesModule(&why));
    s->fixture.dialogs.expectMessage(why, vbExclamation, QStringLiteral("Synchroniser maintenant"));
    w.command(Command::SynchroniserMaintenant)->trigger();
    QVERIFY2(s->fixture.dialogs.done(), qPrintable(s->fixture.dialogs.pending()));
    QCOMPARE(listLines(w), QStringList({"Hugo Victor", "Sand George"}));
    QVERIFY(w.command(Command::SynchroniserMaintenant)->isEnabled());
}

SYNC_TEST_MAIN(TestSyncWindows, QApplication)
#include "tst_syncwindows.moc"

// Ordinary sequences of keys and clicks in the main window, driven as a user drives them, each
// ending with the address file read back through the record engine.
#include "contacts/contactscommands.h"
#include "datacolumns.h"
#include "mainwindowfixture.h"
#include "platform/qtdialogs.h"
#include "userdriver.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

namespace
{

const QString kSaveQuestion =
    QStringLiteral("Enregistrer les modifications de la fiche en cours ?");
constexpr int kSaveStyle = vbYesNoCancel + vbQuestion;
const QString kBrowse = QStringLiteral("DEEEDDEEH");
const QString kModifyingUnchanged = QStringLiteral("EDDDEEDDV");
const QString kOpenChanged = QStringLiteral("EDDDEEDDH");

QPushButton* button(const frmElvarine& w, const char* name)
{
    return w.findChild<QPushButton*>(QString::fromLatin1(name));
}

QToolBar* toolbar(const frmElvarine& w)
{
    return w.findChild<QToolBar*>(QStringLiteral("Toolbar1"));
}

bool isFieldBox(const frmElvarine& w, const QWidget* widget)
{
    for (FieldBox box : kAllFieldBoxes) {
        if (w.field(box) == widget)
            return true;
    }
    return false;
}

QList<QVariantList> stored(const MainWindowFixture& f)
{
    return readAddressFile(f.path(QStringLiteral("Elvarine.adb")));
}

// Modifier, then the caret at the end of `box` (clicked), ready to type.
void modifyBox(UserDriver& user, frmElvarine& w, FieldBox box)
{
    user.alt(QLatin1Char('M'));
    QTRY_COMPARE(workflowControls(w), kModifyingUnchanged);
    user.click(w.field(box));
    user.key(Qt::Key_End, box == FieldBox::Notes ? Qt::ControlModifier : Qt::NoModifier);
}

// Alt+T, Actualiser.
void actualiser(UserDriver& user, frmElvarine& w)
{
    user.alt(QLatin1Char('T'));
    QTRY_COMPARE(workflowControls(w), kBrowse);
}

} // namespace

class TestUserSequences : public QObject
{
    Q_OBJECT
private slots:
    void modifyThenCancelChangesNothing_data();
    void modifyThenCancelChangesNothing();
    void toolbarRecordButtonsSettleTheOpenRecord_data();
    void toolbarRecordButtonsSettleTheOpenRecord();
    void fileCommandsAskForTheOpenRecord_data();
    void fileCommandsAskForTheOpenRecord();
    void printWindowsAfterAnOpenRecord_data();
    void printWindowsAfterAnOpenRecord();
    void printAllAfterAnOpenRecord_data();
    void printAllAfterAnOpenRecord();
    void searchReadsTheForm_data();
    void searchReadsTheForm();
    void notesKeepTheirLineBreaks_data();
    void notesKeepTheirLineBreaks();
    void mnemonicsReachTheirControl_data();
    void mnemonicsReachTheirControl();
    void enterAndDownLeaveTheNextBoxUnselected();
    void windowShortcutsWorkFromTheBoxes_data();
    void windowShortcutsWorkFromTheBoxes();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void searchAgainAndPasteAfterAnotherWindow();
    void nameIsMandatory_data();
    void nameIsMandatory();
};

void TestUserSequences::modifyThenCancelChangesNothing_data()
{
    addColumns<QVariant, QString>("nom", "how");
    for (const char* how : {"mouse", "mnemonics", "toolbar"}) {
        QTest::addRow("one space, %s", how) << QVariant(QStringLiteral(" ")) << how;
        QTest::addRow("null, %s", how) << QVariant() << how;
    }
}

void TestUserSequences::modifyThenCancelChangesNothing()
{
    QFETCH(QVariant, nom);
    QFETCH(QString, how);
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{nom, "Marie", " "}, {"Zola", "Émile"}});
    UserDriver user(&w);
    QCOMPARE(w.fieldText(FieldBox::Prenom), QStringLiteral("Marie"));

    if (how == QLatin1String("mouse"))
        user.click(button(w, "cmdUpdate"));
    else if (how == QLatin1String("mnemonics"))
        user.alt(QLatin1Char('M'));
    else
        user.click(toolbar(w), w.toolbarButton(17));
    QTRY_COMPARE(workflowControls(w), kModifyingUnchanged);
    // Modifier does not move the focus into a box.
    QVERIFY(!isFieldBox(w, user.focus()));

    if (how == QLatin1String("mnemonics"))
        user.alt(QLatin1Char('N'));
    else
        user.click(button(w, "CmdAnnul"));
    QTRY_COMPARE(workflowControls(w), kBrowse);
    QCOMPARE(user.focus(), w.list());
    // Moving to the next name would store whatever had changed.
    user.key(Qt::Key_Down);
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Zola"));

    QVERIFY2(f.dialogs.shown.isEmpty(), qPrintable(f.dialogs.shown.join(QLatin1Char('\n'))));
    const QVariantList row = stored(f).at(0);
    QCOMPARE(row[0].isNull(), nom.isNull());
    QCOMPARE(row[0].toString(), nom.toString());
    QCOMPARE(row[2].toString(), QStringLiteral(" "));
}

void TestUserSequences::toolbarRecordButtonsSettleTheOpenRecord_data()
{
    addColumns<bool, int, int>("adding", "toolbarIndex", "answer");
    QTest::addColumn<QString>("deleteAsked"); // the record named by Supprimer's question
    QTest::addColumn<QString>("controls");
    QTest::addColumn<QString>("shownNom"); // "-": not checked
    QTest::addColumn<QStringList>("storedNoms");
    QTest::newRow("modifying, Supprimer, stored")
        << false << 15 << int(vbYes) << "DurandNeuf Marie" << kBrowse << "-" << QStringList{"Zola"};
    QTest::newRow("modifying, Supprimer, dropped")
        << false << 15 << int(vbNo) << "Durand Marie" << kBrowse << "-" << QStringList{"Zola"};
    QTest::newRow("modifying, Supprimer, kept open")
        << false << 15 << int(vbCancel) << "" << kOpenChanged << "DurandNeuf"
        << QStringList{"Durand", "Zola"};
    QTest::newRow("adding, Supprimer, stored")
        << true << 15 << int(vbYes) << "Neuf " << kBrowse << "-" << QStringList{"Durand", "Zola"};
    QTest::newRow("modifying, Ajouter, stored") << false << 14 << int(vbYes) << "" << kOpenChanged
                                                << "" << QStringList{"DurandNeuf", "Zola"};
    QTest::newRow("adding, Ajouter, dropped")
        << true << 14 << int(vbNo) << "" << kOpenChanged << "" << QStringList{"Durand", "Zola"};
    QTest::newRow("adding, Modifier, stored")
        << true << 17 << int(vbYes) << "" << kModifyingUnchanged << "Neuf"
        << QStringList{"Durand", "Zola", "Neuf"};
}

void TestUserSequences::toolbarRecordButtonsSettleTheOpenRecord()
{
    QFETCH(bool, adding);
    QFETCH(int, toolbarIndex);
    QFETCH(int, answer);
    QFETCH(QString, deleteAsked);
    QFETCH(QString, controls);
    QFETCH(QString, shownNom);
    QFETCH(QStringList, storedNoms);
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Durand", "Marie"}, {"Zola", "Émile"}});
    UserDriver user(&w);
    if (adding) {
        user.click(toolbar(w), w.toolbarButton(14));
        QCOMPARE(user.focus(), w.field(FieldBox::Nom));
    } else {
        user.click(toolbar(w), w.toolbarButton(17));
        user.click(w.field(FieldBox::Nom));
        user.key(Qt::Key_End);
    }
    user.type(QStringLiteral("Neuf"));
    // The push buttons are off; the toolbar's record buttons stay on.
    QCOMPARE(workflowControls(w), kOpenChanged);

    f.dialogs.expectMessage(kSaveQuestion, kSaveStyle, QStringLiteral("Elvarine"), answer);
    if (!deleteAsked.isEmpty())
        f.dialogs.expectMessage(QStringLiteral("Voulez-vous vraiment supprimer la fiche ?\r") +
                                    deleteAsked,
                                vbYesNo + vbQuestion, QStringLiteral("Supprimer la fiche"), vbYes);
    user.click(toolbar(w), w.toolbarButton(toolbarIndex));
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));

    QTRY_COMPARE(workflowControls(w), controls);
    if (shownNom != QLatin1String("-"))
        QCOMPARE(w.fieldText(FieldBox::Nom), shownNom);
    QStringList noms;
    for (const QVariantList& row : stored(f))
        noms << row[0].toString();
    QCOMPARE(noms, storedNoms);
}

void TestUserSequences::fileCommandsAskForTheOpenRecord_data()
{
    addColumns<QString, int>("how", "answer");
    for (const char* how : {"Ctrl+O", "toolbar Ouvrir", "menu Ouvrir", "Ctrl+N", "toolbar Nouveau",
                            "menu Importer", "menu Exporter"}) {
        QTest::addRow("%s, yes", how) << how << int(vbYes);
        QTest::addRow("%s, no", how) << how << int(vbNo);
        QTest::addRow("%s, cancel", how) << how << int(vbCancel);
    }
}

void TestUserSequences::fileCommandsAskForTheOpenRecord()
{
    QFETCH(QString, how);
    QFETCH(int, answer);
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Durand", "Marie"}});
    UserDriver user(&w);
    modifyBox(user, w, FieldBox::Prenom);
    user.type(QStringLiteral("-Anne"));

    const QString adb = QStringLiteral("Elvarine (*.adb)|*.adb");
    f.dialogs.expectMessage(kSaveQuestion, kSaveStyle, QStringLiteral("Elvarine"), answer);
    if (answer != vbCancel) {
        // The command goes on; its file dialog is cancelled.
        if (how.contains(QLatin1String("Ouvr")) || how == QLatin1String("Ctrl+O"))
            f.dialogs.expectOpenFile(fileRequest(QStringLiteral("Ouvrir le fichier"), adb),
                                     std::nullopt);
        else if (how.contains(QLatin1String("Nouveau")) || how == QLatin1String("Ctrl+N"))
            f.dialogs.expectSaveFile(
                fileRequest(QStringLiteral("Créer un fichier d'adresses"), adb), std::nullopt);
        else if (how.contains(QLatin1String("Importer")))
            f.dialogs.expectOpenFile(fileRequest(QStringLiteral("Importer des contacts"),
                                                 QString::fromUtf8(kImportFilter)),
                                     std::nullopt);
        else
            f.dialogs.expectSaveFile(fileRequest(QStringLiteral("Exporter les contacts"),
                                                 QString::fromUtf8(kExportFilter),
                                                 cdlOFNOverwritePrompt),
                                     std::nullopt);
    }
    if (how.startsWith(QLatin1String("Ctrl")))
        user.keys(QKeySequence(how));
    else if (how == QLatin1String("toolbar Ouvrir"))
        user.click(toolbar(w), w.toolbarButton(2));
    else if (how == QLatin1String("toolbar Nouveau"))
        user.click(toolbar(w), w.toolbarButton(1));
    else if (how == QLatin1String("menu Ouvrir"))
        QVERIFY(user.chooseMenu(w.command(Command::Ouvrir)));
    else if (how == QLatin1String("menu Importer"))
        QVERIFY(user.chooseMenu(w.command(Command::ImporterContacts)));
    else
        QVERIFY(user.chooseMenu(w.command(Command::ExporterContacts)));
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));

    const QString prenom = stored(f).at(0).at(1).toString();
    QCOMPARE(prenom, answer == vbYes ? QStringLiteral("Marie-Anne") : QStringLiteral("Marie"));
    QCOMPARE(w.fieldText(FieldBox::Prenom),
             answer == vbCancel ? QStringLiteral("Marie-Anne") : prenom);
    QCOMPARE(workflowControls(w), answer == vbCancel ? kOpenChanged : kBrowse);
}

void TestUserSequences::printWindowsAfterAnOpenRecord_data()
{
    addColumns<QString, bool, int>("window", "shortcut", "answer");
    for (const char* window : {"ImpEtiq", "ImpEnv"}) {
        for (bool shortcut : {true, false}) {
            QTest::addRow("%s, %s, yes", window, shortcut ? "shortcut" : "toolbar")
                << window << shortcut << int(vbYes);
            QTest::addRow("%s, %s, no", window, shortcut ? "shortcut" : "toolbar")
                << window << shortcut << int(vbNo);
        }
    }
}

void TestUserSequences::printWindowsAfterAnOpenRecord()
{
    QFETCH(QString, window);
    QFETCH(bool, shortcut);
    QFETCH(int, answer);
    const bool label = window == QLatin1String("ImpEtiq");
    MainWindowFixture f;
    frmElvarine& w =
        f.startWith({{"Abel", "Ana"}, {"Bernard", "Luc"}, {"Durand", "Marie"}, {"Zola", "Émile"}});
    UserDriver user(&w);
    modifyBox(user, w, FieldBox::Prenom);
    user.type(QStringLiteral("e"));

    f.dialogs.expectMessage(kSaveQuestion, kSaveStyle, QStringLiteral("Elvarine"), answer);
    QString opened;
    UserDriver::whenModalShown([&](QWidget* modal) {
        opened = modal->objectName();
        UserDriver inWindow(modal);
        // ">>", then Quitter.
        inWindow.click(modal->findChild<QPushButton*>(label ? QStringLiteral("Command6")
                                                            : QStringLiteral("Command4")));
        inWindow.click(modal->findChild<QPushButton*>(QStringLiteral("Command2")));
    });
    // The shortcut goes from the box being edited.
    QCOMPARE(user.focus(), w.field(FieldBox::Prenom));
    if (shortcut)
        user.keys(QKeySequence(label ? QStringLiteral("Ctrl+E") : QStringLiteral("Ctrl+I")));
    else
        user.click(toolbar(w), w.toolbarButton(label ? 4 : 3));
    QCOMPARE(opened, window);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));

    // Back in the main window, on the next record, every control as a selection leaves it.
    QVERIFY(user.activate());
    QCOMPARE(workflowControls(w), kBrowse);
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Bernard"));
    QCOMPARE(stored(f).at(0).at(1).toString(),
             answer == vbYes ? QStringLiteral("Anae") : QStringLiteral("Ana"));
    // And it answers the keyboard again.
    user.alt(QLatin1Char('M'));
    QTRY_COMPARE(workflowControls(w), kModifyingUnchanged);
}

void TestUserSequences::printAllAfterAnOpenRecord_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("stored") << int(vbYes);
    QTest::newRow("dropped") << int(vbNo);
}

void TestUserSequences::printAllAfterAnOpenRecord()
{
    QFETCH(int, answer);
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Durand", "Marie"}, {"Zola", "Émile"}});
    UserDriver user(&w);
    user.alt(QLatin1Char('A'));
    QTRY_COMPARE(user.focus(), w.field(FieldBox::Nom));
    user.type(QStringLiteral("Martin"));

    f.dialogs.expectMessage(kSaveQuestion, kSaveStyle, QStringLiteral("Elvarine"), answer);
    f.dialogs.expectMessage(QStringLiteral("Imprimer l'état du fichier ?\r          Confirmez"),
                            vbYesNo + vbQuestion + vbDefaultButton2,
                            QStringLiteral("Impression de toutes les fiches"), vbYes);
    QVERIFY(user.chooseMenu(w.command(Command::ImprimToutesFiches)));
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));

    QStringList names;
    for (const QString& line : f.printer.printed) {
        if (line.startsWith(QLatin1String("Nom : ")))
            names << line;
    }
    QStringList expected{QStringLiteral("Nom : Durand Prénom : Marie")};
    if (answer == vbYes)
        expected << QStringLiteral("Nom : Martin Prénom : ");
    expected << QStringLiteral("Nom : Zola Prénom : Émile");
    QCOMPARE(names, expected);
    QCOMPARE(f.printer.documents, 1);
    QCOMPARE(stored(f).size(), answer == vbYes ? 3 : 2);
}

void TestUserSequences::searchReadsTheForm_data()
{
    addColumns<bool, QString>("adding", "searched");
    QTest::addColumn<int>("answer"); // to the save question; 0: not asked
    addColumns<QString, bool, bool>("shown", "stillOpen", "typingStored");
    QTest::newRow("modifying, found in the form")
        << false << "qqqq" << 0 << "Durand" << true << false;
    QTest::newRow("adding, found in the form") << true << "qqqq" << 0 << "Qqqq" << true << false;
    QTest::newRow("found elsewhere, stored")
        << false << "zola" << int(vbYes) << "Zola" << false << true;
    QTest::newRow("found elsewhere, dropped")
        << false << "zola" << int(vbNo) << "Zola" << false << false;
    QTest::newRow("found elsewhere, kept open")
        << false << "zola" << int(vbCancel) << "Durand" << true << false;
}

void TestUserSequences::searchReadsTheForm()
{
    QFETCH(bool, adding);
    QFETCH(QString, searched);
    QFETCH(int, answer);
    QFETCH(QString, shown);
    QFETCH(bool, stillOpen);
    QFETCH(bool, typingStored);
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Durand", "Marie"}, {"Zola", "Émile"}});
    UserDriver user(&w);
    if (adding) {
        user.alt(QLatin1Char('A'));
        QTRY_COMPARE(user.focus(), w.field(FieldBox::Nom));
    } else {
        modifyBox(user, w, FieldBox::Adresse);
    }
    user.type(QStringLiteral("Qqqq"));

    f.dialogs.expectInput(QStringLiteral("Entrez la chaîne de caractères à rechercher"),
                          QStringLiteral("Chaîne de caractère à rechercher"), searched);
    if (answer)
        f.dialogs.expectMessage(kSaveQuestion, kSaveStyle, QStringLiteral("Elvarine"), answer);
    user.key(Qt::Key_F2);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));

    QCOMPARE(w.fieldText(FieldBox::Nom), shown);
    QCOMPARE(workflowControls(w), stillOpen ? kOpenChanged : kBrowse);
    const auto rows = stored(f);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0][3].toString(), typingStored ? QStringLiteral("Qqqq") : QString());
}

void TestUserSequences::notesKeepTheirLineBreaks_data()
{
    addColumns<QString, bool>("notes", "paste");
    for (bool paste : {true, false}) {
        const char* how = paste ? "copy and paste" : "typing";
        QTest::addRow("CR LF, %s", how) << QStringLiteral("ligne 1\r\nligne 2") << paste;
        QTest::addRow("LF, %s", how) << QStringLiteral("ligne 1\nligne 2") << paste;
    }
}

void TestUserSequences::notesKeepTheirLineBreaks()
{
    QFETCH(QString, notes);
    QFETCH(bool, paste);
    MainWindowFixture f;
    frmElvarine& w =
        f.startWith({{"Durand", "Marie", QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
                      QVariant(), QVariant(), QVariant(), QVariant(), notes}});
    UserDriver user(&w);
    const QString lineBreak =
        notes.contains(QLatin1Char('\r')) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    if (paste) {
        user.key(Qt::Key_F4);
        user.key(Qt::Key_F5);
        const auto rows = stored(f);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[1][11].toString(), notes);
    } else {
        modifyBox(user, w, FieldBox::Notes);
        user.key(Qt::Key_Return);
        user.type(QStringLiteral("ligne 3"));
        actualiser(user, w);
        QCOMPARE(stored(f).at(0).at(11).toString(), notes + lineBreak + QStringLiteral("ligne 3"));
    }
}

void TestUserSequences::mnemonicsReachTheirControl_data()
{
    addColumns<QString, char>("setup", "letter");
    QTest::addColumn<QString>("expected"); // a menu's objectName, or the workflow's controls
    QTest::newRow("Fichier") << "" << 'F' << "Mnu_Fichier";
    QTest::newRow("Edition") << "" << 'E' << "Mnu_Edition";
    QTest::newRow("Composer") << "" << 'C' << "Mnu_Tel";
    QTest::newRow("Ajouter") << "" << 'A' << kOpenChanged;
    QTest::newRow("Modifier") << "" << 'M' << kModifyingUnchanged;
    QTest::newRow("Annuler") << "modify" << 'N' << kBrowse;
    QTest::newRow("Actualiser") << "modify,type" << 'T' << kBrowse;
    QTest::newRow("Supprimer") << "" << 'S' << kBrowse;
}

void TestUserSequences::mnemonicsReachTheirControl()
{
    QFETCH(QString, setup);
    QFETCH(char, letter);
    QFETCH(QString, expected);
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Durand", "Marie"}, {"Zola", "Émile"}});
    UserDriver user(&w);
    if (setup.contains(QLatin1String("modify")))
        modifyBox(user, w, FieldBox::Nom);
    if (setup.contains(QLatin1String("type")))
        user.type(QStringLiteral("x"));
    if (letter == 'S')
        f.dialogs.expectMessage(
            QStringLiteral("Voulez-vous vraiment supprimer la fiche ?\rDurand Marie"), 36,
            QStringLiteral("Supprimer la fiche"), vbNo);

    user.alt(QLatin1Char(letter));
    if (expected.startsWith(QLatin1String("Mnu_"))) {
        QTRY_VERIFY(QApplication::activePopupWidget());
        QCOMPARE(QApplication::activePopupWidget()->objectName(), expected);
        QApplication::activePopupWidget()->close();
    } else {
        QTRY_COMPARE(workflowControls(w), expected);
    }
    QTRY_VERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    if (letter == 'T')
        QCOMPARE(stored(f).at(0).at(0).toString(), QStringLiteral("Durandx"));
}

void TestUserSequences::enterAndDownLeaveTheNextBoxUnselected()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Durand", "Marie", "Acme"}});
    UserDriver user(&w);
    modifyBox(user, w, FieldBox::Nom);
    for (auto [key, next] : {std::pair(Qt::Key_Return, FieldBox::Prenom),
                             std::pair(Qt::Key_Down, FieldBox::Societe)}) {
        user.key(key);
        QCOMPARE(user.focus(), w.field(next));
        auto* box = static_cast<QLineEdit*>(w.field(next));
        QVERIFY(!box->hasSelectedText());
        QCOMPARE(box->cursorPosition(), box->text().size());
    }
    // The next key typed adds to the text, it does not replace it.
    user.type(QStringLiteral(" SA"));
    actualiser(user, w);
    const QVariantList row = stored(f).at(0);
    QCOMPARE(row[0].toString(), QStringLiteral("Durand"));
    QCOMPARE(row[1].toString(), QStringLiteral("Marie"));
    QCOMPARE(row[2].toString(), QStringLiteral("Acme SA"));
}

void TestUserSequences::windowShortcutsWorkFromTheBoxes_data()
{
    addColumns<FieldBox, QString>("box", "keys");
    for (FieldBox box : {FieldBox::Nom, FieldBox::Notes}) {
        const char* name = box == FieldBox::Nom ? "Nom" : "Notes";
        QTest::addRow("%s, Ctrl+E", name) << box << "Ctrl+E";
        QTest::addRow("%s, Ctrl+C", name) << box << "Ctrl+C";
    }
}

void TestUserSequences::windowShortcutsWorkFromTheBoxes()
{
    QFETCH(FieldBox, box);
    QFETCH(QString, keys);
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Durand", "Marie"}});
    UserDriver user(&w);
    modifyBox(user, w, box);
    QCOMPARE(user.focus(), w.field(box));
    const QString text = w.fieldText(box);
    QString opened;
    if (keys == QLatin1String("Ctrl+E")) {
        UserDriver::whenModalShown([&](QWidget* modal) {
            opened = modal->objectName();
            UserDriver(modal).click(modal->findChild<QPushButton*>(QStringLiteral("Command2")));
        });
    }
    user.keys(QKeySequence(keys));
    if (keys == QLatin1String("Ctrl+E"))
        QCOMPARE(opened, QStringLiteral("ImpEtiq"));
    else
        QCOMPARE(f.printer.calls.count(QStringLiteral("PrintSetup")), 1);
    QCOMPARE(w.fieldText(box), text);
    QVERIFY2(f.dialogs.shown.isEmpty(), qPrintable(f.dialogs.shown.join(QLatin1Char('\n'))));
}

void TestUserSequences::enterPressesTheFocusedButton_data()
{
    addColumns<QString, QString, int, QString>("setup", "name", "key", "expected");
    QTest::newRow("Modifier, Enter") << ""
                                     << "cmdUpdate" << int(Qt::Key_Return) << kModifyingUnchanged;
    QTest::newRow("Modifier, keypad Enter")
        << ""
        << "cmdUpdate" << int(Qt::Key_Enter) << kModifyingUnchanged;
    QTest::newRow("Ajouter") << ""
                             << "cmdAdd" << int(Qt::Key_Return) << kOpenChanged;
    QTest::newRow("Annuler") << "modify"
                             << "CmdAnnul" << int(Qt::Key_Return) << kBrowse;
    QTest::newRow("Actualiser") << "modify,type"
                                << "cmdRefresh" << int(Qt::Key_Return) << kBrowse;
}

void TestUserSequences::enterPressesTheFocusedButton()
{
    QFETCH(QString, setup);
    QFETCH(QString, name);
    QFETCH(int, key);
    QFETCH(QString, expected);
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Durand", "Marie"}});
    UserDriver user(&w);
    if (setup.contains(QLatin1String("modify")))
        modifyBox(user, w, FieldBox::Nom);
    if (setup.contains(QLatin1String("type")))
        user.type(QStringLiteral("x"));
    // Tab up to the button, then Enter. Annuler is given the focus directly: tabbing through the
    // boxes would change the record (an empty box left gets one space), and hide Annuler.
    QPushButton* target = button(w, qPrintable(name));
    if (name == QLatin1String("CmdAnnul"))
        target->setFocus(Qt::TabFocusReason);
    for (int presses = 0; presses < 40 && user.focus() != target; ++presses)
        user.key(Qt::Key_Tab);
    QCOMPARE(user.focus(), target);
    user.key(key);
    QCOMPARE(workflowControls(w), expected);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    if (setup.contains(QLatin1String("type")))
        QCOMPARE(stored(f).at(0).at(0).toString(), QStringLiteral("Durandx"));
}

void TestUserSequences::searchAgainAndPasteAfterAnotherWindow()
{
    MainWindowFixture f;
    frmElvarine& w =
        f.startWith({{"Abel", "Léa"}, {"Bernard", "Léa"}, {"Durand", "Léa"}, {"Zola", "Émile"}});
    UserDriver user(&w);
    f.dialogs.expectInput(QStringLiteral("Entrez la chaîne de caractères à rechercher"),
                          QStringLiteral("Chaîne de caractère à rechercher"),
                          QStringLiteral("léa"));
    user.key(Qt::Key_F2);
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Abel"));
    // F3 at once, the Edition menu never opened.
    user.key(Qt::Key_F3);
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Bernard"));
    user.key(Qt::Key_F4);

    // Another window opened and closed from the menu.
    QString opened;
    UserDriver::whenModalShown([&](QWidget* modal) {
        opened = modal->objectName();
        UserDriver(modal).click(modal->findChild<QPushButton*>(QStringLiteral("Command1")));
    });
    QVERIFY(user.chooseMenu(w.command(Command::OptionR)));
    QCOMPARE(opened, QStringLiteral("OptionRec"));
    QVERIFY(user.activate());

    user.key(Qt::Key_F3);
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Durand"));
    user.key(Qt::Key_F5);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    const auto rows = stored(f);
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows[4][0].toString(), QStringLiteral("Bernard"));
}

void TestUserSequences::nameIsMandatory_data()
{
    QTest::addColumn<bool>("adding");   // Ajouter, else Modifier of Durand with its name erased
    QTest::addColumn<bool>("tabAgain"); // after the message, Tab again instead of typing a name
    QTest::newRow("Ajouter, then the name") << true << false;
    QTest::newRow("Ajouter, then Tab again") << true << true;
    QTest::newRow("Modifier, name erased, then the name") << false << false;
    QTest::newRow("Modifier, name erased, then Tab again") << false << true;
}

void TestUserSequences::nameIsMandatory()
{
    QFETCH(bool, adding);
    QFETCH(bool, tabAgain);
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Durand", "Marie"}});
    // The desktop's own message box: it takes the keyboard while it is up, as it does for a user.
    QtDialogs desktop;
    f.services.dialogs = &desktop;
    UserDriver user(&w);
    QStringList messages;
    const auto answerWithReturn = [&messages] {
        UserDriver::whenModalShown([&messages](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                messages << box->windowTitle() + QLatin1Char('|') + box->text();
            QTest::keyClick(modal, Qt::Key_Return);
        });
    };
    const QString message = QStringLiteral("Erreur|Saisie obligatoire pour le nom !");
    QWidget* nom = w.field(FieldBox::Nom);

    if (adding) {
        user.alt(QLatin1Char('A'));
    } else {
        user.alt(QLatin1Char('M'));
        QTRY_VERIFY(nom->isEnabled());
        user.click(nom);
        user.key(Qt::Key_End);
        for (int i = 0; i < 6; ++i)
            user.key(Qt::Key_Backspace);
    }
    QTRY_COMPARE(QApplication::focusWidget(), nom);
    // Leaving the empty name: the message, the box empty again, the focus back in it.
    answerWithReturn();
    user.key(Qt::Key_Tab);
    QTRY_COMPARE(messages, QStringList{message});
    // The window gets the keyboard back from the closed message box, as a desktop gives it.
    QVERIFY(user.activate());
    QTRY_COMPARE(QApplication::focusWidget(), nom);
    QCOMPARE(w.fieldText(FieldBox::Nom), QString());
    if (tabAgain) {
        answerWithReturn();
        user.key(Qt::Key_Tab);
        QTRY_COMPARE(messages, (QStringList{message, message}));
        QVERIFY(user.activate());
        QTRY_COMPARE(QApplication::focusWidget(), nom);
        QCOMPARE(w.fieldText(FieldBox::Nom), QString());
    } else {
        user.type(QStringLiteral("Clavier"));
    }
    if (tabAgain && !adding) {
        // A record changed without a name is not stored: Actualiser asks for the name again,
        // and the form stays open on it.
        answerWithReturn();
        user.alt(QLatin1Char('T'));
        QTRY_COMPARE(messages, (QStringList{message, message, message}));
        QVERIFY(user.activate());
        QTRY_COMPARE(QApplication::focusWidget(), nom);
        QVERIFY(w.recordPending());
        QCOMPARE(w.fieldText(FieldBox::Nom), QString());
    } else {
        // A new record with nothing typed is dropped without a word.
        user.alt(QLatin1Char('T'));
        QTRY_COMPARE(workflowControls(w), kBrowse);
    }
    QStringList names;
    for (const QVariantList& r : stored(f))
        names << r[0].toString();
    // Never a record without a name, never the empty mark before the name typed.
    const QStringList expected = tabAgain ? QStringList{"Durand"}
                                 : adding ? QStringList{"Durand", "Clavier"}
                                          : QStringList{"Clavier"};
    QCOMPARE(names, expected);
}

QTEST_MAIN(TestUserSequences)
#include "tst_usersequences.moc"

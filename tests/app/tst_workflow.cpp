#include "app/escapewatch.h"
#include "app/helpwindow.h"
#include "datacolumns.h"
#include "mainwindowfixture.h"
#include "userdriver.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

namespace
{

QVariantList rec(const QString& nom, const QString& prenom, const QString& ville = QString())
{
    QVariantList r{nom,
                   prenom,
                   QVariant(),
                   QVariant(),
                   QVariant(),
                   QVariant(),
                   ville.isNull() ? QVariant() : QVariant(ville)};
    return r;
}

QString controls(frmElvarine& w)
{
    return workflowControls(w);
}

void activate(frmElvarine& w)
{
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

} // namespace

class TestWorkflow : public QObject
{
    Q_OBJECT
private slots:
    void stateTable_data();
    void stateTable();
    void toolbarAddDeleteModifyStayEnabled();
    void enterMovesInTheBoxOrder();
    void enterInNotesMakesANewLine();
    void emptyNameIsReportedAndTheFocusReturns();
    void oneSpaceRuleOnEnteringAndLeaving();
    void untouchedNewRecordIsDropped();
    void newRecordStoresOnlyVisitedBoxes();
    void deletingDownToTheLastRecord();
    void identicalNamesReachEachTheirOwnRecord();
    void namesDifferingOnlyInCase();
    void listSortsAccentsWithTheirLetter();
    void statusBarPanels();
    void escapeIsWatchedOnlyWhileALoopRuns();
    void startupWithoutStartupDatabase();
    void startupWithoutDefaultFile();
    void startupWithEmptyDefaultFile();
    void startupWithZeroByteDefaultFile();
    void refusedStoreKeepsTheRecordInTheForm();
    void quitWithPendingRecord_data();
    void quitWithPendingRecord();
    void quitWithoutPendingRecordIsImmediate();
    void menusAndToolbar();
    void helpOpensAtItsContents();
    void helpWindowOverTheMainWindowClosesOnEscape();
};

void TestWorkflow::stateTable_data()
{
    addColumns<QString, QString>("steps", "expected");
    //                                   F2 L1 Add Del Ref tb16 Upd Clo Annul
    QTest::newRow("browse after open") << ""
                                       << "DEEEDDEEH";
    QTest::newRow("adding") << "add"
                            << "EDDDEEDDH";
    QTest::newRow("modifying, nothing changed") << "update"
                                                << "EDDDEEDDV";
    QTest::newRow("modifying, changed") << "update,type"
                                        << "EDDDEEDDH";
    QTest::newRow("modifying, entering a one-space box") << "update,enter3"
                                                         << "EDDDEEDDH";
    QTest::newRow("annuler") << "update,annul"
                             << "DEEEDDEEH";
    QTest::newRow("actualiser after adding") << "add,type,refresh"
                                             << "DEEEDDEEH";
    QTest::newRow("actualiser after modifying") << "update,type,refresh"
                                                << "DEEEDDEEH";
    QTest::newRow("selecting a name") << "select1"
                                      << "DEEEDDEEH";
    QTest::newRow("deleting") << "delete"
                              << "DEEEDDEEH";
    // Toolbar button 14 while a record is open without changes: that one closes, a new one opens.
    QTest::newRow("toolbar Ajouter while modifying") << "update,add"
                                                     << "EDDDEEDDH";
    QTest::newRow("toolbar Modifier while adding") << "add,update"
                                                   << "EDDDEEDDV";
    // A command selecting another name while a record is being added: the untouched addition
    // is closed as Actualiser closes it, never leaving every control off.
    QTest::newRow("selection while adding") << "add,select1"
                                            << "DEEEDDEEH";
}

void TestWorkflow::stateTable()
{
    QFETCH(QString, steps);
    QFETCH(QString, expected);
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Durand", "Marie"), {"Bernard", "Luc", " ", " "}});
    for (const QString& step : steps.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (step == QLatin1String("add"))
            w.cmdAdd_Click();
        else if (step == QLatin1String("update"))
            w.cmdUpdate_Click();
        else if (step == QLatin1String("type"))
            w.setFieldText(FieldBox::Nom, QStringLiteral("Nouveau"));
        else if (step == QLatin1String("enter3")) {
            // Bernard is the first line; his Adresse holds one space.
            QCOMPARE(w.fieldText(FieldBox::Adresse), QStringLiteral(" "));
            activate(w);
            w.field(FieldBox::Adresse)->setFocus();
        } else if (step == QLatin1String("annul"))
            w.CmdAnnul_Click();
        else if (step == QLatin1String("refresh"))
            w.cmdRefresh_Click();
        else if (step == QLatin1String("select1"))
            w.setListIndex(1);
        else if (step == QLatin1String("delete")) {
            f.dialogs.expectMessage(
                QStringLiteral("Voulez-vous vraiment supprimer la fiche ?\rBernard Luc"), 36,
                QStringLiteral("Supprimer la fiche"), vbYes);
            w.cmdDelete_Click();
        }
    }
    QCOMPARE(controls(w), expected);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
}

void TestWorkflow::toolbarAddDeleteModifyStayEnabled()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Durand", "Marie")});
    for (auto step : {&frmElvarine::cmdAdd_Click, &frmElvarine::cmdRefresh_Click,
                      &frmElvarine::cmdUpdate_Click}) {
        (w.*step)();
        for (int b : {14, 15, 17})
            QVERIFY(w.toolbarButton(b)->isEnabled());
    }
}

void TestWorkflow::enterMovesInTheBoxOrder()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Durand", "Marie")});
    activate(w);
    w.cmdUpdate_Click();
    const FieldBox order[] = {
        FieldBox::Nom,       FieldBox::Prenom,     FieldBox::Societe,   FieldBox::Adresse,
        FieldBox::Adresse1,  FieldBox::CodePostal, FieldBox::Ville,     FieldBox::Pays,
        FieldBox::Telephone, FieldBox::Telephone1, FieldBox::Fax,       FieldBox::Portable,
        FieldBox::Email,     FieldBox::Url,        FieldBox::Reference, FieldBox::Notes};
    w.field(FieldBox::Nom)->setFocus();
    for (int i = 0; i + 1 < 16; ++i) {
        QCOMPARE(QApplication::focusWidget(), w.field(order[i]));
        QTest::keyClick(w.field(order[i]), i % 2 ? Qt::Key_Down : Qt::Key_Return);
        QVERIFY2(QApplication::focusWidget() == w.field(order[i + 1]),
                 qPrintable(QStringLiteral("Enter in box %1").arg(boxNumber(order[i]))));
    }
    QVERIFY(f.dialogs.done());
}

void TestWorkflow::enterInNotesMakesANewLine()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Durand", "Marie")});
    activate(w);
    w.cmdUpdate_Click();
    w.field(FieldBox::Notes)->setFocus();
    typeText(w.field(FieldBox::Notes), QStringLiteral("ligne 1"));
    QTest::keyClick(w.field(FieldBox::Notes), Qt::Key_Return);
    typeText(w.field(FieldBox::Notes), QStringLiteral("ligne 2"));
    QCOMPARE(QApplication::focusWidget(), w.field(FieldBox::Notes));
    QCOMPARE(w.fieldText(FieldBox::Notes), QStringLiteral("ligne 1\nligne 2"));
    w.cmdRefresh_Click();
    QCOMPARE(readAddressFile(f.path(QStringLiteral("Elvarine.adb"))).first().at(11).toString(),
             QStringLiteral("ligne 1\nligne 2"));
}

void TestWorkflow::emptyNameIsReportedAndTheFocusReturns()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Durand", "Marie")});
    activate(w);
    w.cmdAdd_Click();
    QCOMPARE(QApplication::focusWidget(), w.field(FieldBox::Nom));
    f.dialogs.expectMessage(QStringLiteral("Saisie obligatoire pour le nom !"), 16,
                            QStringLiteral("Erreur"));
    QTest::keyClick(w.field(FieldBox::Nom), Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), w.field(FieldBox::Nom));
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(w.fieldText(FieldBox::Prenom), QStringLiteral(" "));
    // The box is empty again, ready for the name; the next box was left with one space.
    QCOMPARE(w.fieldText(FieldBox::Nom), QString());
    // Typing a name and moving on asks nothing more.
    typeText(w.field(FieldBox::Nom), QStringLiteral("Zola"));
    QTest::keyClick(w.field(FieldBox::Nom), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), w.field(FieldBox::Prenom));
    QVERIFY(f.dialogs.done());
}

void TestWorkflow::oneSpaceRuleOnEnteringAndLeaving()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Durand", "Marie", " "}});
    activate(w);
    w.cmdUpdate_Click();
    w.field(FieldBox::Societe)->setFocus(); // Société holds one space
    QCOMPARE(w.fieldText(FieldBox::Societe), QString());
    QVERIFY(w.findChild<QPushButton*>(QStringLiteral("CmdAnnul"))->isHidden());
    w.field(FieldBox::Adresse)->setFocus(); // leaving it empty
    QCOMPARE(w.fieldText(FieldBox::Societe), QStringLiteral(" "));
    auto* adresse = static_cast<QLineEdit*>(w.field(FieldBox::Adresse));
    QCOMPARE(adresse->text(), QString()); // null shows as empty
    w.field(FieldBox::Adresse1)->setFocus();
    QCOMPARE(adresse->text(), QStringLiteral(" "));
    w.cmdRefresh_Click();
    const auto row = readAddressFile(f.path(QStringLiteral("Elvarine.adb"))).first();
    QCOMPARE(row.at(2).toString(), QStringLiteral(" "));
    QCOMPARE(row.at(3).toString(), QStringLiteral(" "));
    QVERIFY(row.at(4).isNull()); // Adresse1 was entered but not left
}

void TestWorkflow::untouchedNewRecordIsDropped()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Durand", "Marie"), rec("Bernard", "Luc")});
    activate(w);
    w.setListIndex(1);
    w.cmdAdd_Click();
    w.toolbarButton(16)->trigger();
    QVERIFY(f.dialogs.done());
    QCOMPARE(readAddressFile(f.path(QStringLiteral("Elvarine.adb"))).size(), 2);
    QCOMPARE(w.listIndex(), 0);
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Bernard"));
}

void TestWorkflow::newRecordStoresOnlyVisitedBoxes()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Durand", "Marie")});
    activate(w);
    w.cmdAdd_Click();
    typeText(w.field(FieldBox::Nom), QStringLiteral("Éluard"));
    QTest::keyClick(w.field(FieldBox::Nom), Qt::Key_Return);
    QTest::keyClick(w.field(FieldBox::Prenom), Qt::Key_Return); // Prénom left empty: one space
    w.cmdRefresh_Click();
    const auto rows = readAddressFile(f.path(QStringLiteral("Elvarine.adb")));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1][0].toString(), QStringLiteral("Éluard"));
    QCOMPARE(rows[1][1].toString(), QStringLiteral(" "));
    QVERIFY(rows[1][2].isNull());
    QCOMPARE(listLines(w),
             (QStringList{QStringLiteral("Durand Marie"), QStringLiteral("Éluard  ")}));
}

void TestWorkflow::deletingDownToTheLastRecord()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Durand", "Marie"), rec("Bernard", "Luc")});
    w.setListIndex(1);
    f.dialogs.expectMessage(
        QStringLiteral("Voulez-vous vraiment supprimer la fiche ?\rDurand Marie"), 36,
        QStringLiteral("Supprimer la fiche"), vbNo);
    w.cmdDelete_Click();
    QCOMPARE(readAddressFile(f.path(QStringLiteral("Elvarine.adb"))).size(), 2);
    f.dialogs.expectMessage(
        QStringLiteral("Voulez-vous vraiment supprimer la fiche ?\rDurand Marie"), 36,
        QStringLiteral("Supprimer la fiche"), vbYes);
    w.cmdDelete_Click();
    QCOMPARE(listLines(w), QStringList{QStringLiteral("Bernard Luc")});
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Bernard"));
    f.dialogs.expectMessage(
        QStringLiteral("La première fiche ne peut pas être supprimée !\r         "
                       "Vous ne pouvez que la modifier ."),
        64, QStringLiteral("Avertissement"));
    w.cmdDelete_Click();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    const auto rows = readAddressFile(f.path(QStringLiteral("Elvarine.adb")));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][0].toString(), QStringLiteral("Bernard"));
}

void TestWorkflow::identicalNamesReachEachTheirOwnRecord()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Dupont", "Jean", "Lyon"), rec("Abel", "Paul", "Nice"),
                                  rec("Dupont", "Jean", "Brest"), rec("Dupont", "Jean", "Metz")});
    QCOMPARE(listLines(w), (QStringList{"Abel Paul", "Dupont Jean", "Dupont Jean", "Dupont Jean"}));
    const QString villes[] = {"Nice", "Lyon", "Brest", "Metz"};
    const int positions[] = {2, 1, 3, 4};
    for (int i : {2, 0, 3, 1}) {
        w.setListIndex(i);
        QCOMPARE(w.fieldText(FieldBox::Ville), villes[i]);
        QCOMPARE(w.ActualPosition, positions[i]);
    }
    // The third Dupont can be modified and deleted like any other record.
    w.setListIndex(3);
    w.cmdUpdate_Click();
    w.setFieldText(FieldBox::Prenom, QStringLiteral("Jeanne"));
    w.cmdRefresh_Click();
    QCOMPARE(readAddressFile(f.path(QStringLiteral("Elvarine.adb")))[3][1].toString(),
             QStringLiteral("Jeanne"));
    w.setListIndex(2);
    QCOMPARE(w.fieldText(FieldBox::Ville), QStringLiteral("Brest"));
    f.dialogs.expectMessage(
        QStringLiteral("Voulez-vous vraiment supprimer la fiche ?\rDupont Jean"), 36,
        QStringLiteral("Supprimer la fiche"), vbYes);
    w.cmdDelete_Click();
    const auto rows = readAddressFile(f.path(QStringLiteral("Elvarine.adb")));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[2][6].toString(), QStringLiteral("Metz"));
}

void TestWorkflow::namesDifferingOnlyInCase()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("dupont", "jean", "Lyon"), rec("DUPONT", "JEAN", "Brest"),
                                  rec("Dupont", "Jean", "Metz")});
    // Letter case does not order the list: equal names keep their stored order.
    QCOMPARE(listLines(w), (QStringList{"dupont jean", "DUPONT JEAN", "Dupont Jean"}));
    w.setListIndex(2);
    QCOMPARE(w.fieldText(FieldBox::Ville), QStringLiteral("Metz"));
    w.setListIndex(1);
    QCOMPARE(w.fieldText(FieldBox::Ville), QStringLiteral("Brest"));
    w.setListIndex(0);
    QCOMPARE(w.fieldText(FieldBox::Ville), QStringLiteral("Lyon"));
    QCOMPARE(w.ActualPosition, 1);
}

void TestWorkflow::listSortsAccentsWithTheirLetter()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Fabre", "Luc"), rec("Éluard", "Paul"), rec("Dupont", "Jean"),
                                  rec("Eymard", "Rémi"), rec("eluard", "Anne"), rec("Zoé", "")});
    QCOMPARE(listLines(w), (QStringList{"Dupont Jean", "eluard Anne", "Éluard Paul", "Eymard Rémi",
                                        "Fabre Luc", "Zoé "}));
}

void TestWorkflow::statusBarPanels()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Durand", "Marie", QVariant(), QVariant(), QVariant(), "69003",
                                   "Lyon", QVariant(), QVariant(), "04 11 22 33 44"}});
    QCOMPARE(w.panelText(1), QStringLiteral("Durand Marie "));
    QCOMPARE(w.panelText(2), QStringLiteral("69003 Lyon "));
    QCOMPARE(w.panelText(3), QStringLiteral("Tel 1 :   Fax : 04 11 22 33 44 "));
}

void TestWorkflow::escapeIsWatchedOnlyWhileALoopRuns()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Durand", "Marie")});
    activate(w);
    int& stop = f.state.search.DemandeArret;
    QTest::keyClick(w.list(), Qt::Key_Escape);
    QCOMPARE(stop, 0);
    {
        const EscapeWatch watch(w, stop);
        QTest::keyClick(w.list(), Qt::Key_A);
        QCOMPARE(stop, 0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(stop, 1);
        // Escape in another window is that window's own.
        stop = 0;
        QWidget other;
        QTest::keyClick(&other, Qt::Key_Escape);
        QCOMPARE(stop, 0);
    }
    QTest::keyClick(w.list(), Qt::Key_Escape);
    QCOMPARE(stop, 0);
}

void TestWorkflow::startupWithoutStartupDatabase()
{
    MainWindowFixture f(false);
    makeAddressFile(f.path(QStringLiteral("Elvarine.adb")), {rec("Durand", "Marie")});
    const QString message =
        QStringLiteral("Fichier Elvarine.mdb non trouvé !\rRéinstaller Elvarine.");
    f.dialogs.expectMessage(message, 16, QStringLiteral("Erreur"));
    frmElvarine& w = f.start();
    QCOMPARE(f.state.FicAnOuvre, 0);
    QCOMPARE(w.windowTitle(), QStringLiteral("Elvarine"));
    QVERIFY(w.findChild<QGroupBox*>(QStringLiteral("Frame2"))->isHidden());
    // Each activation checks again.
    f.dialogs.expectMessage(message, 16, QStringLiteral("Erreur"));
    w.Form_Activate();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
}

void TestWorkflow::startupWithoutDefaultFile()
{
    MainWindowFixture f;
    frmElvarine& w = f.start();
    QCOMPARE(w.windowTitle(), QStringLiteral("Elvarine"));
    QVERIFY(w.findChild<QGroupBox*>(QStringLiteral("Frame2"))->isHidden());
    QVERIFY(w.findChild<QGroupBox*>(QStringLiteral("Frame1"))->isHidden());
    QVERIFY(w.list()->isHidden());
    QVERIFY(!w.findChild<QMenu*>(QStringLiteral("Mnu_Edition"))->menuAction()->isEnabled());
    QVERIFY(!w.findChild<QMenu*>(QStringLiteral("Mnu_Impression"))->menuAction()->isEnabled());
    QCOMPARE(w.findChild<QPushButton*>(QStringLiteral("cmdClose"))->toolTip(),
             QStringLiteral("Quitter l'elvarine"));
    // A default file made meanwhile is opened at the next activation.
    makeAddressFile(f.path(QStringLiteral("Elvarine.adb")), {rec("Durand", "Marie")});
    w.Form_Activate();
    QCOMPARE(f.state.FicAnOuvre, 1);
    QCOMPARE(w.windowTitle(), QStringLiteral("Elvarine ") + f.path(QStringLiteral("Elvarine.adb")));
    QVERIFY(w.findChild<QMenu*>(QStringLiteral("Mnu_Edition"))->menuAction()->isEnabled());
}

void TestWorkflow::startupWithEmptyDefaultFile()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({});
    QCOMPARE(f.state.FicAnOuvre, 1);
    QCOMPARE(listLines(w), QStringList{QStringLiteral(" ")});
    QCOMPARE(w.listIndex(), 0);
    QCOMPARE(w.fieldText(FieldBox::Nom), QString());
    QCOMPARE(readAddressFile(f.path(QStringLiteral("Elvarine.adb"))).size(), 1);
}

void TestWorkflow::startupWithZeroByteDefaultFile()
{
    MainWindowFixture f;
    QFile empty(f.path(QStringLiteral("Elvarine.adb")));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    f.dialogs.expectMessageStartingWith(
        QStringLiteral("Le fichier ") + f.path(QStringLiteral("Elvarine.adb")) +
            QStringLiteral(" n'est pas un fichier d'adresses valide."),
        16, QStringLiteral("Erreur"));
    frmElvarine& w = f.start();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.state.FicAnOuvre, 0);
    QCOMPARE(w.windowTitle(), QStringLiteral("Elvarine"));
    QCOMPARE(QFileInfo(f.path(QStringLiteral("Elvarine.adb"))).size(), 0);
}

void TestWorkflow::refusedStoreKeepsTheRecordInTheForm()
{
    MainWindowFixture f;
    // A file whose Pays column holds 10 characters at most.
    const QString path = f.path(QStringLiteral("Elvarine.adb"));
    runSqlite3(path, QStringLiteral("CREATE TABLE Elvarine (Nom TEXT(50), \"Prénom\" TEXT(50), "
                                    "\"Société\" TEXT(50), Adresse TEXT(50), Adresse1 TEXT(50), "
                                    "\"Code postal\" TEXT(5), Ville TEXT(40), \"Téléphone\" "
                                    "TEXT(20), \"Téléphone1\" TEXT(20), Fax TEXT(20), "
                                    "\"Référence\" TEXT(50), Notes TEXT(255), \"E-mail\" TEXT(50), "
                                    "Pays TEXT(10), URL TEXT(50), Portable TEXT(50));"
                                    "INSERT INTO Elvarine (Nom) VALUES ('Durand');"));
    frmElvarine& w = f.start();
    w.cmdUpdate_Click();
    w.setFieldText(FieldBox::Pays, QStringLiteral("République tchèque"));
    f.dialogs.expectMessageStartingWith(
        QStringLiteral(
            "Le gestionnaire d'erreurs des données a rencontré l'erreur:Le champ « Pays »"),
        0, QStringLiteral("Elvarine"));
    w.cmdRefresh_Click();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    // Still being modified, nothing lost, nothing cut.
    QVERIFY(w.findChild<QGroupBox*>(QStringLiteral("Frame2"))->isEnabled());
    QCOMPARE(w.fieldText(FieldBox::Pays), QStringLiteral("République tchèque"));
    QVERIFY(readAddressFile(path).first().at(13).isNull());
    w.setFieldText(FieldBox::Pays, QStringLiteral("Tchéquie"));
    w.cmdRefresh_Click();
    QCOMPARE(readAddressFile(path).first().at(13).toString(), QStringLiteral("Tchéquie"));
    QVERIFY(!w.findChild<QGroupBox*>(QStringLiteral("Frame2"))->isEnabled());
}

void TestWorkflow::quitWithPendingRecord_data()
{
    addColumns<QString, int, bool, QString>("how", "answer", "ended", "stored");
    for (const char* how : {"menu", "toolbar", "close box"}) {
        QTest::addRow("%s, yes", how) << how << int(vbYes) << true << "Nouveau";
        QTest::addRow("%s, no", how) << how << int(vbNo) << true << "";
        QTest::addRow("%s, cancel", how) << how << int(vbCancel) << false << "";
    }
}

void TestWorkflow::quitWithPendingRecord()
{
    QFETCH(QString, how);
    QFETCH(int, answer);
    QFETCH(bool, ended);
    QFETCH(QString, stored);
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Durand", "Marie")});
    QSignalSpy endedSpy(&w, &frmElvarine::programEnded);
    w.cmdAdd_Click();
    w.setFieldText(FieldBox::Nom, QStringLiteral("Nouveau"));
    f.dialogs.expectMessage(QStringLiteral("Enregistrer les modifications de la fiche en cours ?"),
                            35, QStringLiteral("Elvarine"), answer);
    if (how == QLatin1String("menu"))
        w.findChild<QAction*>(QStringLiteral("Mnu_Fermer"))->trigger();
    else if (how == QLatin1String("toolbar"))
        w.toolbarButton(6)->trigger();
    else
        w.close();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(endedSpy.count(), ended ? 1 : 0);
    QCOMPARE(w.isVisible(), !ended);
    QCOMPARE(f.state.FicAnOuvre, ended ? 0 : 1);
    const auto rows = readAddressFile(f.path(QStringLiteral("Elvarine.adb")));
    QCOMPARE(rows.size(), stored.isEmpty() ? 1 : 2);
    if (!stored.isEmpty())
        QCOMPARE(rows[1][0].toString(), stored);
    if (!ended) {
        QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Nouveau"));
        QVERIFY(w.findChild<QGroupBox*>(QStringLiteral("Frame2"))->isEnabled());
    }
}

void TestWorkflow::quitWithoutPendingRecordIsImmediate()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Durand", "Marie")});
    QSignalSpy endedSpy(&w, &frmElvarine::programEnded);
    w.cmdUpdate_Click(); // modifying, nothing typed
    w.findChild<QAction*>(QStringLiteral("Mnu_Fermer"))->trigger();
    QCOMPARE(endedSpy.count(), 1);
    QVERIFY(f.dialogs.done());
}

void TestWorkflow::menusAndToolbar()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Durand", "Marie")});
    struct Item {
        const char* name;
        const char* caption;
        QKeySequence key;
    };
    const Item items[] = {
        {"Mnu_Nouveau", "&Nouveau", QKeySequence(Qt::CTRL | Qt::Key_N)},
        {"Mnu_Ouvrir", "&Ouvrir", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"Mnu_ImpEnv", "Imprimer enveloppe pour adresse", QKeySequence(Qt::CTRL | Qt::Key_I)},
        {"Mnu_ImprimEtiq", "Imprimer &étiquette pour adresse", QKeySequence(Qt::CTRL | Qt::Key_E)},
        {"Mnu_ApercuFICHE", "&Aperçu avant impression de la fiche", QKeySequence()},
        {"Mnu_ApercuTOUTESFICHES", "Aperçu a&vant impression de l'état du fichier", QKeySequence()},
        {"Mnu_ConfIMP", "&Configurer l'imprimante", QKeySequence(Qt::CTRL | Qt::Key_C)},
        {"Mnu_Calibrer", "Cali&brer l'imprimante...", QKeySequence()},
        {"Mnu_Fermer", "&Quitter", QKeySequence(Qt::CTRL | Qt::Key_F4)},
        {"Mnu_CopieFiche", "&Copier la fiche en cours", QKeySequence(Qt::Key_F4)},
        {"Mnu_CollerFiche", "Co&ller la sélection dans une nouvelle fiche",
         QKeySequence(Qt::Key_F5)},
        {"Mnu_Rechercher", "&Rechercher", QKeySequence(Qt::Key_F2)},
        {"Mnu_Suivant", "&Suivant", QKeySequence(Qt::Key_F3)},
        // The number items show the record's numbers, here none.
        {"Mnu_Tel1", "N° Tel 1 : ___________________", QKeySequence()},
        {"Mnu_Tel3", "N° Portable : ________________", QKeySequence()},
        {"Mnu_Apropos", "A propos...", QKeySequence()},
    };
    for (const Item& item : items) {
        auto* a = w.findChild<QAction*>(QString::fromLatin1(item.name));
        QVERIFY2(a, item.name);
        QCOMPARE(a->text(), QString::fromUtf8(item.caption));
        QCOMPARE(a->shortcut(), item.key);
    }
    const QString tips[21] = {{},
                              "Nouveau Fichier",
                              "Ouvrir un fichier",
                              "Imprimer Enveloppe",
                              "Imprimer Etiquette",
                              "Configurer l'imprimante",
                              "Quitter le programme",
                              {},
                              "Copier la fiche en cours",
                              "Coller dans une nouvelle fiche",
                              {},
                              "Rechercher",
                              "Rechercher suivant",
                              {},
                              "Ajouter une fiche",
                              "Supprimer la fiche en cours",
                              "Actualiser la liste",
                              "Modifier la fiche en cours",
                              {},
                              "Aide",
                              "A Propos"};
    for (int i = 1; i <= 20; ++i) {
        QAction* b = w.toolbarButton(i);
        QVERIFY(b);
        QCOMPARE(b->isSeparator(), tips[i].isEmpty());
        if (!tips[i].isEmpty())
            QCOMPARE(b->toolTip(), tips[i]);
    }
    f.dialogs.expectMessage(
        QStringLiteral("Elvarine : Version 1.3.2\r\rGestion d'Elvarine Personnel"), 64,
        QStringLiteral("A propos"));
    w.toolbarButton(20)->trigger();
    QVERIFY(f.dialogs.done());
    // Every box is announced by its caption.
    QCOMPARE(w.field(FieldBox::Email)->accessibleName(), QStringLiteral("E-Mail"));
    QCOMPARE(static_cast<QLineEdit*>(w.field(FieldBox::Portable))->maxLength(), 20);
    QCOMPARE(static_cast<QLineEdit*>(w.field(FieldBox::CodePostal))->maxLength(), 5);
}

void TestWorkflow::helpOpensAtItsContents()
{
    MainWindowFixture f;
    frmElvarine& w = f.start();
    f.dialogs.expectMessage(QStringLiteral("Fichier d'aide ") +
                                f.path(QStringLiteral("Elvarine.HLP")) +
                                QStringLiteral(" introuvable !"),
                            48, QStringLiteral("Erreur"));
    w.Mnu_Aide_Click();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QVERIFY(QFile::copy(QStringLiteral(ELVARINE_PROGRAM_DIR "/Elvarine.HLP"),
                        f.path(QStringLiteral("Elvarine.HLP"))));
    w.toolbarButton(19)->trigger();
    auto* help = w.findChild<HelpWindow*>(QStringLiteral("HelpWindow"));
    QVERIFY(help);
    QVERIFY(help->isVisible());
    const QString text = help->browser()->toPlainText();
    QVERIFY(text.startsWith(QStringLiteral("Aide d'Elvarine — Sommaire")));
    // Every window and command of the program has its section.
    for (const char* section :
         {"La fenêtre principale", "Rechercher une fiche", "Imprimer des étiquettes",
          "Imprimer des enveloppes", "Définition de l'utilisateur",
          "Composer un numéro de téléphone", "Ports de communication",
          "Courrier, site Internet et connexion à Internet"})
        QVERIFY2(text.contains(QString::fromUtf8(section)), section);
}

void TestWorkflow::helpWindowOverTheMainWindowClosesOnEscape()
{
    MainWindowFixture f;
    frmElvarine& w = f.start();
    QVERIFY(QFile::copy(QStringLiteral(ELVARINE_PROGRAM_DIR "/Elvarine.HLP"),
                        f.path(QStringLiteral("Elvarine.HLP"))));
    UserDriver user(&w);
    // Twice: the second time after the main window moved.
    for (const QPoint place : {QPoint(30, 20), QPoint(10, 150)}) {
        w.move(place);
        QVERIFY(user.activate());
        user.keys(QKeySequence(Qt::Key_F1));
        auto* help = w.findChild<HelpWindow*>(QStringLiteral("HelpWindow"));
        QVERIFY(help);
        QTRY_VERIFY(help->isActiveWindow());
        QVERIFY((help->frameGeometry().center() - w.frameGeometry().center()).manhattanLength() <=
                1);
        // Escape to the help's focused widget closes the help, not the program.
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus && focus->window() == help);
        QTest::keyClick(focus, Qt::Key_Escape);
        QTRY_VERIFY(!help->isVisible());
        QVERIFY(w.isVisible());
    }
}

QTEST_MAIN(TestWorkflow)
#include "tst_workflow.moc"

// The print commands as the main window runs them, on its own name list and record form.
#include "core/recordform.h"
#include "labels/impetiq.h"
#include "mainwindowfixture.h"
#include "printer/previewsurface.h"
#include "printer/printpreview.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestMainWindowPrinting : public QObject
{
    Q_OBJECT
private slots:
    void currentRecordSheet();
    void allRecordsInListOrderEachOnce();
    void previewFromTheMenuPrintsNothingAndMovesNothing();
    void orientationMarksFollowThePrinter();
    void labelWindowMovesTheMainWindowsRecord();
};

void TestMainWindowPrinting::currentRecordSheet()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith(
        {{"Durand", "Marie", QVariant(), QVariant(), QVariant(), "69003", "Lyon", QVariant(),
          QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), "France"}});
    f.dialogs.expectMessage(
        QStringLiteral("Imprimer la fiche Durand Marie ?\r           Confirmez"), 4 + 32 + 256,
        QStringLiteral("Impression de la fiche en cours"), vbYes);
    f.dialogs.expectMessage(
        QStringLiteral("Imprimer une autre fiche à la suite ?\r         Confirmez"), 4 + 32 + 256,
        QStringLiteral("Impression d'une autre fiche"), vbNo);
    w.findChild<QAction*>(QStringLiteral("Mnu_imprimFICHE"))->trigger();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.printer.printed.size(), 13);
    QCOMPARE(f.printer.printed.value(1), QStringLiteral("Nom : Durand Prénom : Marie"));
    QCOMPARE(f.printer.printed.value(6), QStringLiteral("Pays :France"));
    QCOMPARE(f.printer.documents, 1);
}

void TestMainWindowPrinting::allRecordsInListOrderEachOnce()
{
    MainWindowFixture f;
    frmElvarine& w =
        f.startWith({{"Dupont", "Jean", QVariant(), QVariant(), QVariant(), QVariant(), "Lyon"},
                     {"Abel", "Paul"},
                     {"Dupont", "Jean", QVariant(), QVariant(), QVariant(), QVariant(), "Metz"}});
    w.setListIndex(2);
    f.dialogs.expectMessage(QStringLiteral("Imprimer l'état du fichier ?\r          Confirmez"),
                            4 + 32 + 256, QStringLiteral("Impression de toutes les fiches"), vbYes);
    w.findChild<QAction*>(QStringLiteral("Mnu_imprimTOUTESFICHES"))->trigger();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QStringList villes;
    for (const QString& line : f.printer.printed) {
        if (line.startsWith(QStringLiteral("Code postal : ")))
            villes << line.section(QStringLiteral(" Ville : "), 1);
    }
    QCOMPARE(villes, (QStringList{QString(), "Lyon", "Metz"}));
    QCOMPARE(f.printer.documents, 1);
    // Actualiser ran: the first line is selected again.
    QCOMPARE(w.listIndex(), 0);
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Abel"));
}

void TestMainWindowPrinting::previewFromTheMenuPrintsNothingAndMovesNothing()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Dupont", "Jean"}, {"Abel", "Paul"}, {"Martin", "Luc"}});
    w.setListIndex(1);
    for (const char* name : {"Mnu_ApercuFICHE", "Mnu_ApercuTOUTESFICHES"}) {
        int pagesShown = -1;
        QTimer::singleShot(0, &w, [&] {
            auto* preview = qobject_cast<PrintPreview*>(QApplication::activeModalWidget());
            if (!preview)
                return;
            preview->activateWindow();
            if (!QTest::qWaitForWindowActive(preview))
                return;
            QTRY_VERIFY(preview->document().complete());
            pagesShown = preview->document().pageCount();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        w.findChild<QAction*>(QString::fromLatin1(name))->trigger();
        QVERIFY2(pagesShown > 0, name);
        QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
        QCOMPARE(f.printer.documents, 0);
        QCOMPARE(w.listIndex(), 1);
        QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Dupont"));
    }
}

void TestMainWindowPrinting::orientationMarksFollowThePrinter()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Durand", "Marie"}});
    auto* port = w.findChild<QAction*>(QStringLiteral("Mnu_ImpPort"));
    auto* pays = w.findChild<QAction*>(QStringLiteral("Mnu_ImpPays"));
    f.printer.orientationValue = 2;
    w.Mnu_Fichier_Click();
    QVERIFY(!port->isChecked());
    QVERIFY(pays->isChecked());
    f.printer.orientationValue = 1;
    w.Mnu_Fichier_Click();
    QVERIFY(port->isChecked());
    QVERIFY(!pays->isChecked());
    // Landscape chosen: the marks show what the printer then reports.
    pays->trigger();
    QVERIFY(port->isChecked());
    QVERIFY(!pays->isChecked());
    f.printer.orientationValue = 2;
    pays->trigger();
    QVERIFY(!port->isChecked());
    QVERIFY(pays->isChecked());
    // No printer: the message, and the marks stay as they were, whatever was clicked.
    f.printer.names.clear();
    f.dialogs.expectMessage(QStringLiteral("Aucune imprimante n'est disponible"), 0,
                            QStringLiteral("Elvarine"));
    port->trigger();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QVERIFY(!port->isChecked());
    QVERIFY(pays->isChecked());
}

void TestMainWindowPrinting::labelWindowMovesTheMainWindowsRecord()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith(
        {{"Durand", "Marie", QVariant(), "12 rue des Lilas", QVariant(), "69003", "Lyon"},
         {"Bernard", "Luc"}});
    f.state.copy.FicheCopieeOK = 1;
    w.Mnu_Edition_Click();
    QVERIFY(w.toolbarButton(9)->isEnabled());
    QString preview;
    QTimer::singleShot(0, [&] {
        auto* window = qobject_cast<ImpEtiq*>(QApplication::activeModalWidget());
        QVERIFY(window);
        // Last record of the list, then the window closes.
        window->moveButton(ListMove::Last)->click();
        preview = window->findChild<QLabel*>(QStringLiteral("Label15"))->text();
        window->closeButton()->click();
    });
    w.toolbarButton(4)->trigger();
    QCOMPARE(preview, QStringLiteral("Durand Marie\n12 rue des Lilas\n\n69003 Lyon\n"));
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Durand"));
    QCOMPARE(w.listIndex(), 1);
    // Back in the main window: its commands follow the program's state again.
    QVERIFY(w.toolbarButton(9)->isEnabled());
}

QTEST_MAIN(TestMainWindowPrinting)
#include "tst_mainwindowprinting.moc"

// The real printer surface on a machine without any printer: this test points CUPS at a print
// server that does not exist before anything asks it for printers.

#include "core/appstate.h"
#include "core/services.h"
#include "cupsjobs.h"
#include "memoryrecordform.h"
#include "output/recordsheet.h"
#include "pdftext.h"
#include "printer/cupsprintersettings.h"
#include "printer/orientationcommands.h"
#include "printer/orientationmarks.h"
#include "printer/qtprintersurface.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

namespace
{

using Fixture = CupsFixture;

} // namespace

class TestNoPrinter : public QObject
{
    Q_OBJECT
private slots:
    void surfaceReportsNoPrinterQuickly();
    void recordSheetShowsThePrinterError();
    void orientationCommandSaysNoPrinter();
    void printingToAFileStillWorks();
};

void TestNoPrinter::surfaceReportsNoPrinterQuickly()
{
    Fixture f;
    QVERIFY(f.surface.printerNames().isEmpty());
    QCOMPARE(f.surface.deviceName(), QString());
    QVERIFY_THROWS_EXCEPTION(NoPrinterError, f.surface.orientation());
    // Drawing fails instead of printing nowhere.
    QVERIFY_THROWS_EXCEPTION(NoPrinterError, f.surface.print(QStringLiteral("Perdu")));
    QVERIFY_THROWS_EXCEPTION(NoPrinterError, f.surface.line(0, 0, 10, 10, 0));
    QVERIFY(!f.surface.documentOpen());
    QVERIFY(f.surface.textHeight(QStringLiteral("x")) > 0);
    f.surface.endDoc();
    f.surface.killDoc();
    QVERIFY(!f.settings.orientation(QStringLiteral("Absente")).has_value());
    QVERIFY(!f.settings.store(QStringLiteral("Absente"), 2));
}

void TestNoPrinter::recordSheetShowsThePrinterError()
{
    Fixture f;
    MemoryRecordForm form({boxTexts({"Moreau", "Zoé"})});
    f.dialogs
        .expectMessage(QStringLiteral("Imprimer la fiche Moreau Zoé ?\r           Confirmez"), 292,
                       QStringLiteral("Impression de la fiche en cours"), vbYes)
        .expectMessage(
            QStringLiteral("Erreur sur l'imprimante !\rAucune imprimante n'est disponible."), 16,
            QStringLiteral("Erreur"));
    printCurrentRecordSheet(f.services, form);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QVERIFY(!f.surface.documentOpen());

    int refreshed = 0;
    f.dialogs
        .expectMessage(QStringLiteral("Imprimer l'état du fichier ?\r          Confirmez"), 292,
                       QStringLiteral("Impression de toutes les fiches"), vbYes)
        .expectMessage(
            QStringLiteral("Erreur sur l'imprimante !\rAucune imprimante n'est disponible."), 16,
            QStringLiteral("Erreur"));
    QVERIFY(!printAllRecordSheets(f.services, form, [&] { ++refreshed; }));
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(refreshed, 0);
}

void TestNoPrinter::orientationCommandSaysNoPrinter()
{
    Fixture f;
    QAction port, pays;
    port.setCheckable(true);
    pays.setCheckable(true);
    port.setChecked(true);
    for (int wanted : {1, 2}) {
        f.dialogs.expectMessage(QStringLiteral("Aucune imprimante n'est disponible"), 0,
                                QStringLiteral("Elvarine"));
        showOrientation(changeOrientation(f.services, wanted), &port, &pays);
        QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
        QVERIFY(port.isChecked());
        QVERIFY(!pays.isChecked());
    }
    refreshOrientationMarks(f.services, &port, &pays); // the Fichier menu opening: silent
    QVERIFY(port.isChecked());
}

void TestNoPrinter::printingToAFileStillWorks()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("sans-imprimante.pdf"));
    Fixture f;
    f.surface.setOutputFile(pdf);
    f.surface.print(QStringLiteral("Sans imprimante"));
    f.surface.endDoc();
    QCOMPARE(pdfPages(pdf), (QList<QStringList>{{QStringLiteral("Sans imprimante")}}));
}

int main(int argc, char** argv)
{
    QTemporaryDir home;
    // No print server to talk to, and no user options file to read.
    qputenv("CUPS_SERVER", QFile::encodeName(home.filePath(QStringLiteral("no-cups.sock"))));
    qputenv("CUPS_SERVERROOT", QFile::encodeName(home.path()));
    qputenv("HOME", QFile::encodeName(home.path()));
    QApplication app(argc, argv);
    TestNoPrinter test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_noprinter.moc"

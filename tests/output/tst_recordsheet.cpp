#include "core/appstate.h"
#include "core/services.h"
#include "datacolumns.h"
#include "memoryrecordform.h"
#include "output/recordsheet.h"
#include "printingfixture.h"
#include "recordingprinter.h"
#include "scripteddialogs.h"

#include <QTest>

Q_DECLARE_METATYPE(BoxTexts)

namespace
{

const QString kAskOne = QStringLiteral("Impression de la fiche en cours");
const QString kAskNext = QStringLiteral("Impression d'une autre fiche");
const QString kAskAll = QStringLiteral("Impression de toutes les fiches");
const QString kNextText =
    QStringLiteral("Imprimer une autre fiche à la suite ?\r         Confirmez");
const QString kAllText = QStringLiteral("Imprimer l'état du fichier ?\r          Confirmez");
// The message of a failure, with the recording printer's reason on its second line.
const QString kError =
    QStringLiteral("Erreur sur l'imprimante !\rL'imprimante a refusé le document.");
constexpr int kQuestion = 292; // Yes/No, question icon, No as default
constexpr int kCritical = 16;

QString askOneText(const QString& nom, const QString& prenom)
{
    return QStringLiteral("Imprimer la fiche ") + nom + QLatin1Char(' ') + prenom +
           QStringLiteral(" ?\r           Confirmez");
}

BoxTexts fullRecord()
{
    return boxTexts({"Durand", "Hélène", "Société Générale", "12 rue de l'Église", "Bâtiment B",
                     "75011", "Paris", "01 43 55 12 12", "01 43 55 12 13", "01 43 55 12 14",
                     "Réf-7", "Amie d'enfance", "France", "helene@exemple.fr", "www.exemple.fr",
                     "06 12 34 56 78"});
}

QStringList fullBlock()
{
    return {QString(),
            "Nom : Durand Prénom : Hélène",
            "Société : Société Générale",
            "Adresse : 12 rue de l'Église",
            "Adresse : Bâtiment B",
            "Code postal : 75011 Ville : Paris",
            "Pays :France",
            "N° Tel 1 : 01 43 55 12 12 N° Tel 2 : 01 43 55 12 13",
            "N° FAX : 01 43 55 12 14 N° Portable : 06 12 34 56 78",
            "E-Mail : helene@exemple.fr",
            "Accès URL : www.exemple.fr",
            "Référence : Réf-7",
            "Notes : Amie d'enfance"};
}

// The expected block of a record, built independently of the code under test.

using Fixture = RecordingPrintFixture;

} // namespace

class TestRecordSheet : public QObject
{
    Q_OBJECT
private slots:
    void block_data();
    void block();
    void oneRecordEndsTheDocumentOnNo();
    void noToTheFirstQuestionPrintsNothing();
    void twoRecordsFollowInOneDocument();
    void failureShowsTheMessageAndAbandonsTheDocument_data();
    void failureShowsTheMessageAndAbandonsTheDocument();
    void allRecordsInListOrderThenRefresh();
    void duplicateNamesPrintEachRecordOnce();
    void emptyFileSendsNoPageButRefreshes();
    void noToTheAllRecordsQuestion();
    void allRecordsFailureSkipsTheRefresh();
    void sixtyRecordsRunAcrossPages();
    void allRecordsEndsASheetLeftOpen();
};

void TestRecordSheet::block_data()
{
    addColumns<BoxTexts, QStringList>("record", "lines");

    QTest::newRow("every field") << fullRecord() << fullBlock();

    QStringList emptyLines{QString(),
                           "Nom :  Prénom : ",
                           "Société : ",
                           "Adresse : ",
                           "Adresse : ",
                           "Code postal :  Ville : ",
                           "Pays :",
                           "N° Tel 1 :  N° Tel 2 : ",
                           "N° FAX :  N° Portable : ",
                           "E-Mail : ",
                           "Accès URL : ",
                           "Référence : ",
                           "Notes : "};
    QTest::newRow("all empty") << BoxTexts{} << emptyLines;

    // Stored empty fields are one space: printed as they are, not trimmed.
    BoxTexts spaces;
    spaces.fill(QStringLiteral(" "));
    spaces[0] = QStringLiteral("Martin");
    QStringList spaceLines = sheetBlockOf(spaces);
    QTest::newRow("stored spaces") << spaces << spaceLines;

    BoxTexts noCountry = fullRecord();
    noCountry[12].clear();
    QStringList noCountryLines = fullBlock();
    noCountryLines[6] = QStringLiteral("Pays :");
    QTest::newRow("no country") << noCountry << noCountryLines;
}

void TestRecordSheet::block()
{
    QFETCH(BoxTexts, record);
    QFETCH(QStringList, lines);
    MemoryRecordForm form({record});
    QCOMPARE(recordSheetLines(form), lines);

    Fixture f;
    f.dialogs.expectMessage(askOneText(record[0], record[1]), kQuestion, kAskOne, vbYes)
        .expectMessage(kNextText, kQuestion, kAskNext, vbNo);
    printCurrentRecordSheet(f.services, form);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.printer.printed, lines);
}

void TestRecordSheet::oneRecordEndsTheDocumentOnNo()
{
    Fixture f;
    MemoryRecordForm form({fullRecord()});
    f.dialogs.expectMessage(askOneText("Durand", "Hélène"), kQuestion, kAskOne, vbYes)
        .expectMessage(kNextText, kQuestion, kAskNext, vbNo);
    printCurrentRecordSheet(f.services, form);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    // The record sheet sets neither font nor position nor scale: only its lines, then the end.
    QCOMPARE(f.printer.calls.size(), 14);
    QVERIFY(f.printer.calls.first().startsWith(QLatin1String("Print 0 0 \"\"")));
    QCOMPARE(f.printer.calls.last(), QStringLiteral("EndDoc"));
    QCOMPARE(f.printer.documents, 1);
    QVERIFY(!f.printer.docOpen);
}

void TestRecordSheet::noToTheFirstQuestionPrintsNothing()
{
    Fixture f;
    MemoryRecordForm form({fullRecord()});
    f.dialogs.expectMessage(askOneText("Durand", "Hélène"), kQuestion, kAskOne, vbNo);
    printCurrentRecordSheet(f.services, form);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QVERIFY(f.printer.calls.isEmpty());
    QVERIFY(!f.printer.docOpen);
}

void TestRecordSheet::twoRecordsFollowInOneDocument()
{
    Fixture f;
    BoxTexts second = boxTexts({"Noël", "François"});
    MemoryRecordForm form({fullRecord(), second});
    f.dialogs.expectMessage(askOneText("Durand", "Hélène"), kQuestion, kAskOne, vbYes)
        .expectMessage(kNextText, kQuestion, kAskNext, vbYes);
    printCurrentRecordSheet(f.services, form);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QVERIFY(f.printer.docOpen); // left open for the next sheet
    QCOMPARE(f.printer.documents, 0);

    form.setListIndex(1);
    f.dialogs.expectMessage(askOneText("Noël", "François"), kQuestion, kAskOne, vbYes)
        .expectMessage(kNextText, kQuestion, kAskNext, vbNo);
    printCurrentRecordSheet(f.services, form);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.printer.printed, sheetBlockOf(fullRecord()) + sheetBlockOf(second));
    QCOMPARE(f.printer.documents, 1);
    QCOMPARE(f.printer.calls.count(QStringLiteral("EndDoc")), 1);
    // The second block continues below the first.
    QCOMPARE(
        f.printer.calls[13],
        QStringLiteral("Print 0 %1 \"\"").arg(qRound(13 * f.printer.lineHeight() * 100) / 100.0));
}

void TestRecordSheet::failureShowsTheMessageAndAbandonsTheDocument_data()
{
    addColumns<int, int>("failAt", "printedBefore");
    QTest::newRow("first line") << 1 << 0;
    QTest::newRow("middle of the block") << 7 << 6;
    QTest::newRow("at the end of the document") << 14 << 13;
}

void TestRecordSheet::failureShowsTheMessageAndAbandonsTheDocument()
{
    QFETCH(int, failAt);
    QFETCH(int, printedBefore);
    Fixture f;
    MemoryRecordForm form({fullRecord()});
    f.printer.failAt = failAt;
    f.dialogs.expectMessage(askOneText("Durand", "Hélène"), kQuestion, kAskOne, vbYes);
    if (failAt == 14)
        f.dialogs.expectMessage(kNextText, kQuestion, kAskNext, vbNo);
    f.dialogs.expectMessage(kError, kCritical, QStringLiteral("Erreur"));
    printCurrentRecordSheet(f.services, form);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.printer.printed.size(), printedBefore);
    QCOMPARE(f.printer.calls.last(), QStringLiteral("KillDoc"));
    QVERIFY(!f.printer.docOpen);
    QCOMPARE(f.printer.documents, 0);
}

void TestRecordSheet::allRecordsInListOrderThenRefresh()
{
    Fixture f;
    const BoxTexts a = boxTexts({"Zola", "Émile"});
    const BoxTexts b = boxTexts({"Aubert", "Cécile"});
    const BoxTexts c = boxTexts({"Martin", "Luc"});
    MemoryRecordForm form({a, b, c});
    form.listOrder = {1, 2, 0};
    int refreshed = 0;
    f.dialogs.expectMessage(kAllText, kQuestion, kAskAll, vbYes);
    const bool done = printAllRecordSheets(f.services, form, [&] { ++refreshed; });
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QVERIFY(done);
    QCOMPARE(refreshed, 1);
    QCOMPARE(form.selections, (QList<int>{0, 1, 2}));
    QCOMPARE(f.printer.printed, sheetBlockOf(b) + sheetBlockOf(c) + sheetBlockOf(a));
    QCOMPARE(f.printer.documents, 1);
    QCOMPARE(f.printer.calls.last(), QStringLiteral("EndDoc"));
}

void TestRecordSheet::duplicateNamesPrintEachRecordOnce()
{
    Fixture f;
    const BoxTexts first = boxTexts({"Dupont", "Marie", "Première"});
    const BoxTexts other = boxTexts({"Caron", "Paul"});
    const BoxTexts second = boxTexts({"Dupont", "Marie", "Seconde"});
    MemoryRecordForm form({first, other, second});
    form.sortList();
    f.dialogs.expectMessage(kAllText, kQuestion, kAskAll, vbYes);
    QVERIFY(printAllRecordSheets(f.services, form, {}));
    QCOMPARE(f.printer.printed, sheetBlockOf(other) + sheetBlockOf(first) + sheetBlockOf(second));
}

void TestRecordSheet::emptyFileSendsNoPageButRefreshes()
{
    Fixture f;
    MemoryRecordForm form;
    int refreshed = 0;
    f.dialogs.expectMessage(kAllText, kQuestion, kAskAll, vbYes);
    QVERIFY(printAllRecordSheets(f.services, form, [&] { ++refreshed; }));
    QVERIFY(f.printer.printed.isEmpty());
    QCOMPARE(f.printer.calls, QStringList{QStringLiteral("EndDoc")});
    QCOMPARE(f.printer.documents, 0);
    QCOMPARE(refreshed, 1);
}

void TestRecordSheet::noToTheAllRecordsQuestion()
{
    Fixture f;
    MemoryRecordForm form({fullRecord()});
    int refreshed = 0;
    f.dialogs.expectMessage(kAllText, kQuestion, kAskAll, vbNo);
    QVERIFY(!printAllRecordSheets(f.services, form, [&] { ++refreshed; }));
    QVERIFY(f.printer.calls.isEmpty());
    QVERIFY(form.selections.isEmpty());
    QCOMPARE(refreshed, 0);
}

void TestRecordSheet::allRecordsFailureSkipsTheRefresh()
{
    Fixture f;
    MemoryRecordForm form(frenchRecords(5));
    f.printer.failAt = 13 * 2 + 4; // inside the third block
    int refreshed = 0;
    f.dialogs.expectMessage(kAllText, kQuestion, kAskAll, vbYes)
        .expectMessage(kError, kCritical, QStringLiteral("Erreur"));
    QVERIFY(!printAllRecordSheets(f.services, form, [&] { ++refreshed; }));
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(refreshed, 0);
    QCOMPARE(form.selections, (QList<int>{0, 1, 2})); // stays on the record reached
    QCOMPARE(form.listIndex(), 2);
    QCOMPARE(f.printer.calls.last(), QStringLiteral("KillDoc"));
    QCOMPARE(f.printer.killed, 1);
    QCOMPARE(f.printer.documents, 0);
}

void TestRecordSheet::sixtyRecordsRunAcrossPages()
{
    Fixture f;
    MemoryRecordForm form(frenchRecords(60));
    form.sortList();
    QStringList expected;
    for (int record : form.listOrder)
        expected += sheetBlockOf(form.records[size_t(record)]);
    f.dialogs.expectMessage(kAllText, kQuestion, kAskAll, vbYes);
    QVERIFY(printAllRecordSheets(f.services, form, {}));
    QCOMPARE(f.printer.printed.size(), 780);
    QCOMPARE(f.printer.printed, expected);
    const int perPage = int(f.printer.pageHeight / f.printer.lineHeight());
    QCOMPARE(f.printer.pages, (780 + perPage - 1) / perPage);
    QCOMPARE(f.printer.calls.count(QStringLiteral("NewPage")), f.printer.pages - 1);
    QCOMPARE(f.printer.documents, 1);
}

void TestRecordSheet::allRecordsEndsASheetLeftOpen()
{
    // A sheet printed "à la suite" is still open: the all-records print joins it and ends it.
    Fixture f;
    MemoryRecordForm form({fullRecord()});
    f.dialogs.expectMessage(askOneText("Durand", "Hélène"), kQuestion, kAskOne, vbYes)
        .expectMessage(kNextText, kQuestion, kAskNext, vbYes)
        .expectMessage(kAllText, kQuestion, kAskAll, vbYes);
    printCurrentRecordSheet(f.services, form);
    QVERIFY(printAllRecordSheets(f.services, form, {}));
    QCOMPARE(f.printer.printed, sheetBlockOf(fullRecord()) + sheetBlockOf(fullRecord()));
    QCOMPARE(f.printer.documents, 1);
}

QTEST_GUILESS_MAIN(TestRecordSheet)
#include "tst_recordsheet.moc"

#include "core/appstate.h"
#include "core/services.h"
#include "datacolumns.h"
#include "fakerecordform.h"
#include "labels/addressblock.h"
#include "labels/labelsheet.h"
#include "labels/printparamsfile.h"
#include "printingfixture.h"
#include "recordingprinter.h"
#include "scripteddialogs.h"

#include <QTest>

namespace
{

const QString kBlock = QStringLiteral("M. Durand Marie\r\nAteliers Lebrun\r\n12 rue des "
                                      "Lilas\r\n\r\n69003 Lyon\r\nFrance");

struct Fixture : RecordingPrintFixture {
    Fixture()
    {
        state.print = defaultPrintParams(QStringLiteral("Arial"), 0);
        state.address.BlocAdresse = kBlock;
    }
    void expectConfirmation(int answer = vbYes)
    {
        const PrintConfirmation c = labelPrintConfirmation(
            state.label.ModeImpression, state.label.NbEtiquettes, state.label.NumEtiquette);
        dialogs.expectMessage(c.question, 36, c.title, answer);
    }
};

// The calls that draw one label's frame, cut outline and text, corner (x, y), default size.
QStringList labelCalls(double x, double y, bool frame = true, bool cut = true)
{
    auto n = [](double v) { return QString::number(qRound(v * 100) / 100.0); };
    QStringList c;
    if (frame) {
        c << "DrawStyle 0";
        c << QStringLiteral("Line %1 %2 %3 %2 0 0").arg(n(x + 2), n(y + 2), n(x + 88));
        c << QStringLiteral("Line %1 %2 %1 %3 0 0").arg(n(x + 88), n(y + 2), n(y + 43));
        c << QStringLiteral("Line %1 %2 %3 %2 0 0").arg(n(x + 88), n(y + 43), n(x + 2));
        c << QStringLiteral("Line %1 %2 %1 %3 0 0").arg(n(x + 2), n(y + 2), n(y + 43));
    }
    if (cut) {
        c << "DrawStyle 3";
        c << QStringLiteral("Line %1 %2 %3 %2 0 3").arg(n(x), n(y), n(x + 90));
        c << QStringLiteral("Line %1 %2 %1 %3 0 3").arg(n(x + 90), n(y), n(y + 45));
        c << QStringLiteral("Line %1 %2 %3 %2 0 3").arg(n(x + 90), n(y + 45), n(x));
        c << QStringLiteral("Line %1 %2 %1 %3 0 3").arg(n(x), n(y), n(y + 45));
    }
    c << "ScaleMode 6"
      << "FontName Arial"
      << "FontSize 10"
      << "FontBold 0"
      << "FontItalic 0"
      << "ForeColor 0";
    const QStringList texts{"M. Durand Marie", "Ateliers Lebrun", "12 rue des Lilas", "",
                            "69003 Lyon",      "France"};
    const double h = 10 * 25.4 / 72; // one line of a 10 point font
    for (int k = 1; k <= texts.size(); ++k)
        c << QStringLiteral("Print %1 %2 \"%3\"").arg(n(x + 7), n(y + k * h), texts[k - 1]);
    return c;
}

} // namespace

class TestLabelSheet : public QObject
{
    Q_OBJECT
private slots:
    void corners_data();
    void corners();
    void confirmations_data();
    void confirmations();
    void labelOneAndTwoWithTheDefaults_data();
    void labelOneAndTwoWithTheDefaults();
    void positionFourWithSeparators();
    void threeIdenticalLabelsOnOnePage();
    void bothOptionsOffPrintsOnlyText();
    void textTakesThePrintFontAndColour();
    void answeringNoPrintsNothing();
    void printerFailureDropsTheDocument_data();
    void printerFailureDropsTheDocument();
};

void TestLabelSheet::corners_data()
{
    addColumns<double, double, int, double, double>("sepH", "sepV", "position", "x", "y");
    QTest::newRow("1") << 0.0 << 0.0 << 1 << 5.0 << 0.0;
    QTest::newRow("2") << 0.0 << 0.0 << 2 << 95.0 << 0.0;
    QTest::newRow("7") << 0.0 << 0.0 << 7 << 5.0 << 135.0;
    QTest::newRow("10") << 0.0 << 0.0 << 10 << 95.0 << 180.0;
    QTest::newRow("4 with separators") << 5.0 << 3.0 << 4 << 100.0 << 48.0;
    QTest::newRow("9 with separators") << 5.0 << 3.0 << 9 << 5.0 << 192.0;
}

void TestLabelSheet::corners()
{
    QFETCH(double, sepH);
    QFETCH(double, sepV);
    QFETCH(int, position);
    QFETCH(double, x);
    QFETCH(double, y);
    PrintParams p = defaultPrintParams(QStringLiteral("Arial"), 0);
    p.SepHorizontal = sepH;
    p.SepVertical = sepV;
    const LabelCorner c = labelCorner(p, position);
    QCOMPARE(c.x, x);
    QCOMPARE(c.y, y);
}

void TestLabelSheet::confirmations_data()
{
    addColumns<int, int, int, QString, QString>("mode", "count", "number", "title", "question");
    QTest::newRow("selected label 3") << 0 << 8 << 3 << "Impression de l'étiquette N°  3"
                                      << "Confirmer l'impression de la l'étiquette N°  3";
    QTest::newRow("selected label 10") << 0 << 8 << 10 << "Impression de l'étiquette N°  10"
                                       << "Confirmer l'impression de la l'étiquette N°  10";
    QTest::newRow("page of 3") << 1 << 3 << 5 << "Impression de 3 étiquettes "
                               << "Confirmer l'impression d'une page de 3 étiquettes identiques";
    QTest::newRow("page of 10") << 1 << 10 << 0 << "Impression de 10 étiquettes "
                                << "Confirmer l'impression d'une page de 10 étiquettes identiques";
}

void TestLabelSheet::confirmations()
{
    QFETCH(int, mode);
    QFETCH(int, count);
    QFETCH(int, number);
    QFETCH(QString, title);
    QFETCH(QString, question);
    const PrintConfirmation c = labelPrintConfirmation(mode, count, number);
    QCOMPARE(c.title, title);
    QCOMPARE(c.question, question);
}

void TestLabelSheet::labelOneAndTwoWithTheDefaults_data()
{
    addColumns<int, double>("position", "x");
    QTest::newRow("label 1") << 1 << 5.0;
    QTest::newRow("label 2") << 2 << 95.0;
}

void TestLabelSheet::labelOneAndTwoWithTheDefaults()
{
    QFETCH(int, position);
    QFETCH(double, x);
    Fixture f;
    f.state.label.ModeImpression = 0;
    f.state.label.NumEtiquette = position;
    f.expectConfirmation();
    QVERIFY(printLabelCommand(f.state, f.services));
    QStringList expected{"ScaleMode 6", "ScaleMode 6"};
    expected << labelCalls(x, 0) << "EndDoc";
    QCOMPARE(f.printer.calls, expected);
    // Frames (7,2)-(93,43) and (97,2)-(183,43); text from x = 12 and 102 mm.
    QCOMPARE(f.printer.calls[3], position == 1 ? QStringLiteral("Line 7 2 93 2 0 0")
                                               : QStringLiteral("Line 97 2 183 2 0 0"));
    QVERIFY(f.printer.calls.contains(position == 1 ? "Print 12 3.53 \"M. Durand Marie\""
                                                   : "Print 102 3.53 \"M. Durand Marie\""));
    QCOMPARE(f.printer.documents, 1);
    QCOMPARE(f.state.label.PosX, x);
    QCOMPARE(f.state.label.PosY, 0.0);
    // The print lines lost their leading line feed.
    QCOMPARE(f.state.address.Lignes[2], QStringLiteral("Ateliers Lebrun\r"));
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
}

void TestLabelSheet::positionFourWithSeparators()
{
    Fixture f;
    f.state.print.SepHorizontal = 5;
    f.state.print.SepVertical = 3;
    f.state.label.NumEtiquette = 4;
    DecoupeAdresse(f.state.address);
    QVERIFY(Imprim1carte(f.state, f.services));
    QStringList expected{"ScaleMode 6"};
    expected << labelCalls(100, 48) << "EndDoc";
    QCOMPARE(f.printer.calls, expected);
}

void TestLabelSheet::threeIdenticalLabelsOnOnePage()
{
    Fixture f;
    f.state.label.ModeImpression = 1;
    f.state.label.NbEtiquettes = 3;
    f.state.label.NumEtiquette = 9; // the selection plays no part
    f.expectConfirmation();
    QVERIFY(printLabelCommand(f.state, f.services));
    QStringList expected{"ScaleMode 6", "ScaleMode 6"};
    expected << labelCalls(5, 0) << labelCalls(95, 0) << labelCalls(5, 45) << "EndDoc";
    QCOMPARE(f.printer.calls, expected);
    QCOMPARE(f.printer.documents, 1);
    QCOMPARE(f.printer.pages, 1);
    QCOMPARE(f.printer.printed.count(QStringLiteral("France")), 3);
    QCOMPARE(f.state.label.PosX, 5.0); // the last position printed
    QCOMPARE(f.state.label.PosY, 45.0);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
}

void TestLabelSheet::bothOptionsOffPrintsOnlyText()
{
    Fixture f;
    f.state.print.ImprimerCadre = false;
    f.state.print.ImprimerDecoupe = false;
    DecoupeAdresse(f.state.address);
    QVERIFY(Imprim10Cartes(f.state, f.services, 2));
    QStringList expected{"ScaleMode 6"};
    expected << labelCalls(5, 0, false, false) << labelCalls(95, 0, false, false) << "EndDoc";
    QCOMPARE(f.printer.calls, expected);
}

void TestLabelSheet::textTakesThePrintFontAndColour()
{
    Fixture f;
    f.state.print.FontName = QStringLiteral("Courier");
    f.state.print.FontSize = 20;
    f.state.print.FontBold = true;
    f.state.print.ForeColor = 255;
    f.state.label.NumEtiquette = 1;
    DecoupeAdresse(f.state.address);
    QVERIFY(Imprim1carte(f.state, f.services));
    QVERIFY(f.printer.calls.contains("FontName Courier"));
    QVERIFY(f.printer.calls.contains("FontBold 1"));
    QVERIFY(f.printer.calls.contains("ForeColor 255"));
    // Lines stay black; the text steps by one line of the larger font (7.06 mm).
    QVERIFY(f.printer.calls.contains("Line 7 2 93 2 0 0"));
    QVERIFY(f.printer.calls.contains("Print 12 7.06 \"M. Durand Marie\""));
    QVERIFY(f.printer.calls.contains("Print 12 28.22 \"\""));
}

void TestLabelSheet::answeringNoPrintsNothing()
{
    Fixture f;
    f.state.label.NumEtiquette = 3;
    f.expectConfirmation(vbNo);
    QVERIFY(!printLabelCommand(f.state, f.services));
    QVERIFY(f.printer.calls.isEmpty());
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
}

void TestLabelSheet::printerFailureDropsTheDocument_data()
{
    addColumns<int, int>("mode", "failAt");
    QTest::newRow("one label, second line") << 0 << 2;
    QTest::newRow("one label, a text line") << 0 << 12;
    QTest::newRow("page, second label") << 1 << 20;
    QTest::newRow("page, at its end") << 1 << 43;
}

void TestLabelSheet::printerFailureDropsTheDocument()
{
    QFETCH(int, mode);
    QFETCH(int, failAt);
    Fixture f;
    f.state.label.ModeImpression = mode;
    f.state.label.NbEtiquettes = 3;
    f.state.label.NumEtiquette = 2;
    f.printer.failAt = failAt;
    f.expectConfirmation();
    f.dialogs.expectMessage(
        QStringLiteral("Erreur d'impression !\rL'imprimante a refusé le document."), 16,
        QStringLiteral("Erreur"));
    QVERIFY(!printLabelCommand(f.state, f.services));
    QCOMPARE(f.printer.calls.last(), QStringLiteral("KillDoc"));
    QCOMPARE(f.printer.documents, 0);
    QCOMPARE(f.printer.killed, 1);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
}

QTEST_MAIN(TestLabelSheet)
#include "tst_labelsheet.moc"

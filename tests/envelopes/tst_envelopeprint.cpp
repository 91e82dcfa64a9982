#include "core/appstate.h"
#include "core/services.h"
#include "datacolumns.h"
#include "envelopes/envelopeprint.h"
#include "envelopes/senderprofile.h"
#include "printingfixture.h"
#include "recordingprinter.h"
#include "scripteddialogs.h"
#include "senderprofiles.h"

#include <QTest>

namespace
{

// Numbers as the recording printer writes them.
QString mm(double v)
{
    return QString::number(qRound(v * 100) / 100.0);
}

double lineHeight(double points)
{
    return points * 25.4 / 72.0;
}

const QString kBlock = QStringLiteral(
    "M. Durand Marie\r\nAteliers Lebrun\r\n12 rue des Lilas\r\n\r\n69003 Lyon\r\nFrance");
const QStringList kAddressLines{"M. Durand Marie", "Ateliers Lebrun", "12 rue des Lilas", "",
                                "69003 Lyon",      "France"};

struct Fixture : RecordingPrintFixture {
    Fixture()
    {
        SenderProfile& s = state.sender;
        s = jeanDupont(s, "DejaVu Serif", 8.5, 255, "France");
        AffichExpediteur(s);
        state.print.FontName = "DejaVu Sans";
        state.print.FontSize = 12;
        state.print.FontBold = true;
        state.print.ForeColor = 65280;
        state.address.BlocAdresse = kBlock;
        const EnvelopeFormat f = envelopeFormat(EnvelopeFormatId::F220x110);
        state.label.PosX = f.PosX;
        state.label.PosY = f.PosY;
    }
};

// The calls of a sender label drawn from `s`.
QStringList senderCalls(const SenderProfile& s, const QStringList& texts)
{
    const double l = s.MarginLeft, t = s.MarginTop, w = s.FrameWidth, h = s.FrameHeight;
    const QString c = QString::number(senderColorRef(s.TextColor));
    QStringList calls{"ScaleMode 6",
                      "DrawStyle 0",
                      QStringList{"Line", mm(l), mm(t), mm(l + w), mm(t), c, "0"}.join(' '),
                      QStringList{"Line", mm(l + w), mm(t), mm(l + w), mm(t + h), c, "0"}.join(' '),
                      QStringList{"Line", mm(l + w), mm(t + h), mm(l), mm(t + h), c, "0"}.join(' '),
                      QStringList{"Line", mm(l), mm(t + h), mm(l), mm(t), c, "0"}.join(' '),
                      "ScaleMode 6",
                      "FontName " + s.FontName,
                      "FontSize " + mm(s.FontSize),
                      "FontBold 0",
                      "FontItalic 0",
                      "ForeColor " + c};
    double y = t;
    for (const QString& text : texts) {
        y += lineHeight(s.FontSize);
        calls << "ScaleMode 6" << QStringLiteral("Print %1 %2 \"%3\"").arg(mm(l + 2), mm(y), text);
    }
    return calls;
}

QStringList addressCalls(const AppState& state)
{
    QStringList calls{"ScaleMode 6", "FontName DejaVu Sans", "FontSize 12",
                      "FontBold 1",  "FontItalic 0",         "ForeColor 65280"};
    double y = state.label.PosY;
    for (const QString& text : kAddressLines) {
        y += lineHeight(12);
        calls << "ScaleMode 6"
              << QStringLiteral("Print %1 %2 \"%3\"").arg(mm(state.label.PosX), mm(y), text);
    }
    return calls;
}

const QStringList kSenderTexts{"Jean Dupont", "12 rue des Roses", "", "75011 Paris", "France", ""};

} // namespace

class TestEnvelopePrint : public QObject
{
    Q_OBJECT
private slots:
    void formats_data();
    void formats();
    void addressAndSenderOn220x110();
    void senderSplitsIntoSixLines();
    void headerExpPrefixesTheFirstLine();
    void zeroFrameStillPrintsTheText();
    void negativeMarginsAreNotCorrected();
    void confirmations_data();
    void confirmations();
    void failedSenderLabelStillPrintsTheAddress();
    void failedAddressIsAbandoned();
    void failedEndOfSenderLabel();
    void marginAdvice();
};

void TestEnvelopePrint::formats_data()
{
    addColumns<int, QString, int, int, bool>("id", "caption", "x", "y", "landscape");
    QTest::newRow("160 x 115") << int(EnvelopeFormatId::F160x115) << "Enveloppe 160 x 115 mm" << 70
                               << 50 << false;
    QTest::newRow("220 x 110") << int(EnvelopeFormatId::F220x110) << "Enveloppe 220 x 110 mm" << 100
                               << 45 << false;
    QTest::newRow("230 x 160") << int(EnvelopeFormatId::F230x160) << "Enveloppe 230 x 160 mm" << 100
                               << 90 << true;
}

void TestEnvelopePrint::formats()
{
    QFETCH(int, id);
    QFETCH(QString, caption);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(bool, landscape);
    const EnvelopeFormat f = envelopeFormat(EnvelopeFormatId(id));
    QCOMPARE(f.caption, caption);
    QCOMPARE(f.PosX, x);
    QCOMPARE(f.PosY, y);
    QCOMPARE(f.landscapeNotice, landscape);
    QVERIFY(!f.customPosition);
    const EnvelopeFormat custom = envelopeFormat(EnvelopeFormatId::Custom);
    QCOMPARE(custom.caption, QStringLiteral("Enveloppe personnalisée marges paramétrées"));
    QVERIFY(custom.customPosition);
}

void TestEnvelopePrint::addressAndSenderOn220x110()
{
    Fixture f;
    f.dialogs.expectMessage("Confirmer l'impression de l'adresse \ret de l étiquette "
                            "expéditeur ?",
                            vbYesNo + vbQuestion, "Impression de l'adresse sur enveloppe", vbYes);
    printEnvelopeCommand(f.state, f.services, EnvelopeContent::AddressAndSender);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    const QStringList expected = QStringList{"ScaleMode 6"} +
                                 senderCalls(f.state.sender, kSenderTexts) + addressCalls(f.state) +
                                 QStringList{"EndDoc"};
    QCOMPARE(f.printer.calls, expected);
    QCOMPARE(f.printer.documents, 1);
    QVERIFY(!f.printer.calls.contains("NewPage"));
    // Frame at the margins, address from x = 100 mm, first line at 45 mm plus one line.
    QVERIFY(f.printer.calls.contains("Line 20 10 65 10 255 0"));
    QVERIFY(f.printer.calls.contains(
        QStringLiteral("Print 100 %1 \"M. Durand Marie\"").arg(mm(45 + lineHeight(12)))));
}

void TestEnvelopePrint::senderSplitsIntoSixLines()
{
    Fixture f;
    DecoupeExpediteur(f.state);
    QCOMPARE(f.state.address.NbLignes, 6);
    QCOMPARE(f.state.address.Lignes[1], QStringLiteral("Jean Dupont\r"));
    QCOMPARE(f.state.address.Lignes[3], QStringLiteral("\n\r"));
    // The last line keeps the line feed of the final break; printing drops it.
    QCOMPARE(f.state.address.Lignes[6], QStringLiteral("\n"));
}

void TestEnvelopePrint::headerExpPrefixesTheFirstLine()
{
    Fixture f;
    f.state.sender.HeaderExp = 1;
    AffichExpediteur(f.state.sender);
    f.dialogs.expectMessage("Confirmer l'impression de l'étiquette expéditeur ?",
                            vbYesNo + vbQuestion,
                            "Impression de l'étiquette expéditeur sur enveloppe", vbYes);
    printEnvelopeCommand(f.state, f.services, EnvelopeContent::SenderOnly);
    QStringList texts = kSenderTexts;
    texts[0] = "Exp : Jean Dupont";
    QCOMPARE(f.printer.printed, texts);
    QCOMPARE(f.printer.calls.last(), QStringLiteral("EndDoc"));
    QCOMPARE(f.printer.documents, 1);
}

void TestEnvelopePrint::zeroFrameStillPrintsTheText()
{
    Fixture f;
    f.state.sender.FrameWidth = 0;
    f.state.sender.FrameHeight = 0;
    QVERIFY(ImprimExpediteur(f.state, f.services));
    QCOMPARE(f.printer.calls, senderCalls(f.state.sender, kSenderTexts));
    QCOMPARE(f.printer.calls.filter("Line 20 10 20 10 255 0").size(), 4);
    QVERIFY(f.printer.docOpen); // the caller ends the document
}

void TestEnvelopePrint::negativeMarginsAreNotCorrected()
{
    Fixture f;
    f.state.sender.MarginLeft = -5;
    f.state.sender.MarginTop = -8;
    QVERIFY(ImprimExpediteur(f.state, f.services));
    QCOMPARE(f.printer.calls, senderCalls(f.state.sender, kSenderTexts));
    QVERIFY(f.printer.calls.contains("Line -5 -8 40 -8 255 0"));
    QVERIFY(f.printer.calls.contains(
        QStringLiteral("Print -3 %1 \"Jean Dupont\"").arg(mm(-8 + lineHeight(8.5)))));
}

void TestEnvelopePrint::confirmations_data()
{
    addColumns<int, QString, QString>("content", "title", "message");
    QTest::newRow("sender only") << int(EnvelopeContent::SenderOnly)
                                 << "Impression de l'étiquette expéditeur sur enveloppe"
                                 << "Confirmer l'impression de l'étiquette expéditeur ?";
    QTest::newRow("address only") << int(EnvelopeContent::AddressOnly)
                                  << "Impression de l'adresse sur enveloppe"
                                  << "Confirmer l'impression de l'adresse ?";
    QTest::newRow("both") << int(EnvelopeContent::AddressAndSender)
                          << "Impression de l'adresse sur enveloppe"
                          << "Confirmer l'impression de l'adresse \ret de l étiquette "
                             "expéditeur ?";
}

void TestEnvelopePrint::confirmations()
{
    QFETCH(int, content);
    QFETCH(QString, title);
    QFETCH(QString, message);
    {
        Fixture f;
        f.dialogs.expectMessage(message, vbYesNo + vbQuestion, title, vbNo);
        printEnvelopeCommand(f.state, f.services, EnvelopeContent(content));
        QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
        QVERIFY(f.printer.calls.isEmpty());
    }
    Fixture f;
    f.dialogs.expectMessage(message, vbYesNo + vbQuestion, title, vbYes);
    printEnvelopeCommand(f.state, f.services, EnvelopeContent(content));
    QCOMPARE(f.printer.documents, 1);
    const bool address = EnvelopeContent(content) != EnvelopeContent::SenderOnly;
    const bool sender = EnvelopeContent(content) != EnvelopeContent::AddressOnly;
    QCOMPARE(f.printer.printed.contains("69003 Lyon"), address);
    QCOMPARE(f.printer.printed.contains("12 rue des Roses"), sender);
    QCOMPARE(f.printer.calls.filter("Line").size(), sender ? 4 : 0);
}

void TestEnvelopePrint::failedSenderLabelStillPrintsTheAddress()
{
    Fixture f;
    f.printer.failAt = 3; // the frame's third line
    f.dialogs.expectMessage("Erreur d'impression !\rL'imprimante a refusé le document.", vbCritical,
                            "Erreur");
    ImprimEnveloppe(f.state, f.services, EnvelopeContent::AddressAndSender);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.printer.killed, 1);
    QCOMPARE(f.printer.documents, 1);
    const int kill = f.printer.calls.indexOf("KillDoc");
    QCOMPARE(f.printer.calls.mid(kill + 1), addressCalls(f.state) + QStringList{"EndDoc"});
    QCOMPARE(f.printer.printed, kAddressLines);
}

void TestEnvelopePrint::failedAddressIsAbandoned()
{
    Fixture f;
    f.printer.failAt = 2; // the second address line
    f.dialogs.expectMessage("Erreur d'impression !\rL'imprimante a refusé le document.", vbCritical,
                            "Erreur");
    ImprimEnveloppe(f.state, f.services, EnvelopeContent::AddressOnly);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.printer.calls.last(), QStringLiteral("KillDoc"));
    QCOMPARE(f.printer.killed, 1);
    QCOMPARE(f.printer.documents, 0);
    QVERIFY(!f.printer.calls.contains("EndDoc"));
}

void TestEnvelopePrint::failedEndOfSenderLabel()
{
    Fixture f;
    f.printer.failAt = 4 + 6 + 1; // the end of the document
    f.dialogs.expectMessage("Erreur d'impression !\rL'imprimante a refusé le document.", vbCritical,
                            "Erreur");
    printSenderLabel(f.state, f.services);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.printer.killed, 1);
    QCOMPARE(f.printer.documents, 0);
}

void TestEnvelopePrint::marginAdvice()
{
    ScriptedDialogs dialogs;
    dialogs.expectMessage("Les marges hautes et gauches ne prennent pas\n"
                          "en compte les marges non imprimables de\n"
                          "l'imprimante pour la feuille ou  l'enveloppe !\n\n"
                          "Il faut déduire les marges non imprimables\n"
                          "de l'imprimante pour les valeurs des marges.",
                          vbInformation, "Avertissement");
    showMarginAdvice(dialogs);
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
    QCOMPARE(marginAdviceText().split('\n').size(), 6);
}

QTEST_MAIN(TestEnvelopePrint)
#include "tst_envelopeprint.moc"

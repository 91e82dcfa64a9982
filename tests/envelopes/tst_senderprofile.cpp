#include "core/appstate.h"
#include "core/services.h"
#include "core/settingsfile.h"
#include "datacolumns.h"
#include "envelopes/senderprofile.h"
#include "envelopes/senderprofilefile.h"
#include "filebytes.h"
#include "platform/programfolder.h"
#include "scripteddialogs.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/resource.h>

namespace
{

// The largest memory the process has held so far, in kB.
long peakMemoryKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

const QString kOpenError = QStringLiteral("Erreur d'ouverture du fichier utilisateur !");

// A profile with every field away from the defaults, to see which ones a read changes.
SenderProfile before()
{
    SenderProfile p;
    p.Ligne1 = "avant 1";
    p.Ligne2 = "avant 2";
    p.Ligne3 = "avant 3";
    p.Ligne4 = "avant 4";
    p.Ligne5 = "avant 5";
    p.FontName = "Avant";
    p.FontSize = 14;
    p.FontBold = true;
    p.FontItalic = true;
    p.TextColor = 255;
    p.FrameWidth = 1;
    p.FrameHeight = 2;
    p.MarginLeft = 3;
    p.MarginTop = 4;
    p.HeaderExp = 1;
    return p;
}

} // namespace

class TestSenderProfile : public QObject
{
    Q_OBJECT
private slots:
    void texteExp_data();
    void texteExp();
    void savesByteForByte();
    void roundTripsWhateverTheLineStructure();
    void headerMinusOneReadsBack();
    void fileEndingAfterTheColourKeepsWhatWasRead();
    void valueOfTheWrongKind_data();
    void valueOfTheWrongKind();
    void quotedValueHoldingADoubleQuote();
    void savedDoubleQuoteDoesNotShiftTheValues();
    void colours_data();
    void colours();
    void missingFileIsReported();
    void hugeFileIsRefusedWithoutReadingIt();
    void startupWithoutDefaultFile();
    void startupLoadsDefaultFile();
    void startupWithDamagedDefaultFileKeepsDefaults();
    void failedWriteLeavesTheFile();

private:
    QTemporaryDir m_dir;
};

void TestSenderProfile::texteExp_data()
{
    addColumns<QStringList, int, QString>("lines", "header", "text");
    const QStringList empty{"", "", "", "", ""};
    QTest::newRow("empty") << empty << 0 << "\r\n\r\n\r\n\r\n\r\n";
    QTest::newRow("empty with Exp") << empty << 1 << "Exp : \r\n\r\n\r\n\r\n\r\n";
    QTest::newRow("any header but 0") << empty << -1 << "Exp : \r\n\r\n\r\n\r\n\r\n";
    QTest::newRow("third line empty")
        << QStringList{"Jean Dupont", "12 rue des Roses", "", "75011 Paris", "France"} << 0
        << "Jean Dupont\r\n12 rue des Roses\r\n\r\n75011 Paris\r\nFrance\r\n";
}

void TestSenderProfile::texteExp()
{
    QFETCH(QStringList, lines);
    QFETCH(int, header);
    QFETCH(QString, text);
    SenderProfile p;
    for (int n = 1; n <= 5; ++n)
        senderLine(p, n) = lines[n - 1];
    p.HeaderExp = header;
    AffichExpediteur(p);
    QCOMPARE(p.TexteExp, text);
}

void TestSenderProfile::savesByteForByte()
{
    SenderProfile p;
    p.Ligne1 = "Jean Dupont";
    p.Ligne4 = "75011 Paris";
    p.Ligne5 = "Fran\u00e7ais \u20ac";
    p.FontName = "DejaVu Sans";
    p.FontSize = 8.25;
    p.FontItalic = true;
    p.TextColor = 16711680; // blue, ten million and more
    p.FrameWidth = 45;
    p.FrameHeight = 20.5;
    p.MarginLeft = -3;
    p.MarginTop = 10;
    p.HeaderExp = 1;
    const QString path = m_dir.filePath("save.UTI");
    QVERIFY(writeSenderProfile(p, path));
    const QByteArray expected = "\"Jean Dupont\",\"\"\r\n"
                                "\"\"\r\n"
                                "\"75011 Paris\"\r\n"
                                "\"Fran\xe7"
                                "ais \x80\"\r\n"
                                "\"DejaVu Sans\"\r\n"
                                "8.25\r\n"
                                "#FALSE#\r\n"
                                "#TRUE#\r\n"
                                "16711680\r\n"
                                "45\r\n"
                                "20.5\r\n"
                                "-3\r\n"
                                "10\r\n"
                                "1\r\n";
    QCOMPARE(fileBytes(path), expected);

    SenderProfile back = before();
    QVERIFY(readSenderProfile(expected, back));
    QCOMPARE(back.Ligne1, p.Ligne1);
    QCOMPARE(back.Ligne2, QString());
    QCOMPARE(back.Ligne5, p.Ligne5);
    QCOMPARE(back.FontName, p.FontName);
    QCOMPARE(back.FontSize, 8.25);
    QCOMPARE(back.FontBold, false);
    QCOMPARE(back.FontItalic, true);
    QCOMPARE(back.TextColor, 16711680.0);
    QCOMPARE(back.FrameHeight, 20.5);
    QCOMPARE(back.MarginLeft, -3.0);
    QCOMPARE(back.HeaderExp, 1);
    QCOMPARE(back.TexteExp,
             QStringLiteral("Exp : Jean Dupont\r\n\r\n\r\n75011 Paris\r\n") + p.Ligne5 + "\r\n");
}

void TestSenderProfile::roundTripsWhateverTheLineStructure()
{
    // One value per line, exponent forms, spaces before values.
    const QByteArray bytes = "\"a\"\r\n\"b\"\r\n\"c\"\r\n\"d\"\r\n\"e\"\r\n\"Arial\"\r\n"
                             "1.2E+01\r\n#TRUE#\r\n  #FALSE#\r\n6.5280E+04\r\n"
                             "1E+02,30,-5.5,0\r\n0";
    SenderProfile p = before();
    QVERIFY(readSenderProfile(bytes, p));
    QCOMPARE(p.Ligne5, QStringLiteral("e"));
    QCOMPARE(p.FontSize, 12.0);
    QCOMPARE(p.FontBold, true);
    QCOMPARE(p.FontItalic, false);
    QCOMPARE(p.TextColor, 65280.0);
    QCOMPARE(p.FrameWidth, 100.0);
    QCOMPARE(p.FrameHeight, 30.0);
    QCOMPARE(p.MarginLeft, -5.5);
    QCOMPARE(p.MarginTop, 0.0);
    QCOMPARE(p.HeaderExp, 0);

    // The same values all on one line read the same.
    SenderProfile q = before();
    QByteArray oneLine = bytes;
    oneLine.replace("\r\n", ",");
    QVERIFY(readSenderProfile(oneLine, q));
    QCOMPARE(q.TexteExp, p.TexteExp);
    QCOMPARE(q.MarginLeft, -5.5);
}

void TestSenderProfile::headerMinusOneReadsBack()
{
    SenderProfile p;
    p.Ligne1 = "Jean";
    p.HeaderExp = -1;
    SenderProfile back;
    QVERIFY(readSenderProfile(senderProfileBytes(p), back));
    QCOMPARE(back.HeaderExp, -1);
    QVERIFY(back.TexteExp.startsWith("Exp : Jean\r\n"));
}

void TestSenderProfile::fileEndingAfterTheColourKeepsWhatWasRead()
{
    const QString path = m_dir.filePath("short.UTI");
    QVERIFY(writeWholeFile(path, "\"L1\",\"L2\"\r\n\"L3\"\r\n\"L4\"\r\n\"L5\"\r\n\"Courier\"\r\n"
                                 "11\r\n#FALSE#\r\n#FALSE#\r\n65280\r\n"));
    SenderProfile p = before();
    ScriptedDialogs dialogs;
    dialogs.expectMessage(kOpenError, vbCritical, "Erreur");
    QVERIFY(!ChargeFileUtil(p, dialogs, path));
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
    // Read before the end: lines, face, bold, italic, colour.
    QCOMPARE(p.Ligne1, QStringLiteral("L1"));
    QCOMPARE(p.Ligne5, QStringLiteral("L5"));
    QCOMPARE(p.FontName, QStringLiteral("Courier"));
    QCOMPARE(p.FontBold, false);
    QCOMPARE(p.FontItalic, false);
    QCOMPARE(p.TextColor, 65280.0);
    // The size waits for the whole file; the rest was never reached.
    QCOMPARE(p.FontSize, 14.0);
    QCOMPARE(p.FrameWidth, 1.0);
    QCOMPARE(p.FrameHeight, 2.0);
    QCOMPARE(p.MarginLeft, 3.0);
    QCOMPARE(p.MarginTop, 4.0);
    QCOMPARE(p.HeaderExp, 1);
}

void TestSenderProfile::valueOfTheWrongKind_data()
{
    addColumns<QByteArray, double, double>("bytes", "frameWidth", "fontSize");
    const QByteArray head = "\"a\",\"b\"\r\n\"c\"\r\n\"d\"\r\n\"e\"\r\n\"F\"\r\n";
    QTest::newRow("text for the width")
        << head + "9\r\n#TRUE#\r\n#FALSE#\r\n0\r\n\"large\"\r\n20\r\n20\r\n10\r\n0\r\n"
        << 1.0 << 14.0;
    QTest::newRow("text for the size")
        << head + "\"grand\"\r\n#TRUE#\r\n#FALSE#\r\n0\r\n50\r\n20\r\n20\r\n10\r\n0\r\n"
        << 50.0 << 14.0;
    QTest::newRow("header out of range")
        << head + "9\r\n#TRUE#\r\n#FALSE#\r\n0\r\n50\r\n20\r\n20\r\n10\r\n40000\r\n"
        << 50.0 << 14.0;
    QTest::newRow("a billion points")
        << head + "1E9\r\n#TRUE#\r\n#FALSE#\r\n0\r\n50\r\n20\r\n20\r\n10\r\n0\r\n"
        << 50.0 << 14.0;
    // No colour: the reading stops there.
    QTest::newRow("colour -1")
        << head + "9\r\n#TRUE#\r\n#FALSE#\r\n-1\r\n50\r\n20\r\n20\r\n10\r\n0\r\n"
        << 1.0 << 14.0;
    QTest::newRow("colour above white")
        << head + "9\r\n#TRUE#\r\n#FALSE#\r\n16777300\r\n50\r\n20\r\n20\r\n10\r\n0\r\n"
        << 1.0 << 14.0;
    QTest::newRow("zero size") << head +
                                      "0\r\n#TRUE#\r\n#FALSE#\r\n0\r\n50\r\n20\r\n20\r\n10\r\n0\r\n"
                               << 50.0 << 14.0;
}

void TestSenderProfile::valueOfTheWrongKind()
{
    QFETCH(QByteArray, bytes);
    QFETCH(double, frameWidth);
    QFETCH(double, fontSize);
    SenderProfile p = before();
    QVERIFY(!readSenderProfile(bytes, p));
    QCOMPARE(p.Ligne1, QStringLiteral("a"));
    QCOMPARE(p.FrameWidth, frameWidth);
    QCOMPARE(p.FontSize, fontSize);
}

void TestSenderProfile::quotedValueHoldingADoubleQuote()
{
    const QByteArray bytes = "\"Jean \"Le Grand\" Dupont\",\"12 rue \"des\" Roses\"\r\n"
                             "\"c\"\r\n\"d\"\r\n\"e\"\r\n\"Arial\"\r\n9\r\n#TRUE#\r\n#FALSE#\r\n"
                             "255\r\n50\r\n25\r\n15\r\n5\r\n1\r\n";
    SenderProfile p = before();
    QVERIFY(readSenderProfile(bytes, p));
    QCOMPARE(p.Ligne1, QStringLiteral("Jean \"Le Grand\" Dupont"));
    QCOMPARE(p.Ligne2, QStringLiteral("12 rue \"des\" Roses"));
    QCOMPARE(p.Ligne3, QStringLiteral("c"));
    QCOMPARE(p.FontName, QStringLiteral("Arial"));
    QCOMPARE(p.FontSize, 9.0);
    QCOMPARE(p.TextColor, 255.0);
    QCOMPARE(p.FrameWidth, 50.0);
    QCOMPARE(p.MarginTop, 5.0);
    QCOMPARE(p.HeaderExp, 1);
}

void TestSenderProfile::savedDoubleQuoteDoesNotShiftTheValues()
{
    SenderProfile p;
    p.Ligne1 = "Société \"Le Coin\", Paris";
    p.Ligne2 = "dit \"le Grand\"";
    p.Ligne3 = "\"";
    p.FontName = "Arial";
    p.FrameWidth = 60;
    p.HeaderExp = 1;
    SenderProfile back;
    QVERIFY(readSenderProfile(senderProfileBytes(p), back));
    // A quote that would end the text early comes back as an apostrophe; the others as written.
    QCOMPARE(back.Ligne1, QStringLiteral("Société \"Le Coin', Paris"));
    QCOMPARE(back.Ligne2, p.Ligne2);
    QCOMPARE(back.Ligne3, p.Ligne3);
    QCOMPARE(back.FontName, QStringLiteral("Arial"));
    QCOMPARE(back.FrameWidth, 60.0);
    QCOMPARE(back.HeaderExp, 1);
}

void TestSenderProfile::colours_data()
{
    addColumns<QByteArray, double>("written", "colour");
    QTest::newRow("white, whole") << QByteArray("16777215") << 16777215.0;
    QTest::newRow("white, older exponent form") << QByteArray("1.677722E+07") << 16777215.0;
    QTest::newRow("blue, exponent form") << QByteArray("1.671168E+07") << 16711680.0;
    QTest::newRow("fraction") << QByteArray("255.4") << 255.0;
}

void TestSenderProfile::colours()
{
    QFETCH(QByteArray, written);
    QFETCH(double, colour);
    const QByteArray bytes = "\"\",\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"Arial\"\r\n8.5\r\n#FALSE#\r\n"
                             "#FALSE#\r\n" +
                             written + "\r\n45\r\n20\r\n20\r\n10\r\n0\r\n";
    SenderProfile p;
    QVERIFY(readSenderProfile(bytes, p));
    QCOMPARE(p.TextColor, colour);
    // Written back as the whole number, it stays that colour.
    SenderProfile again;
    QVERIFY(readSenderProfile(senderProfileBytes(p), again));
    QCOMPARE(again.TextColor, colour);
    QVERIFY(senderProfileBytes(p).contains("\r\n" + QByteArray::number(qint64(colour)) + "\r\n"));
}

void TestSenderProfile::missingFileIsReported()
{
    SenderProfile p = before();
    ScriptedDialogs dialogs;
    dialogs.expectMessage(kOpenError, vbCritical, "Erreur");
    QVERIFY(!ChargeFileUtil(p, dialogs, m_dir.filePath("absent.UTI")));
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
    QCOMPARE(p.Ligne1, QStringLiteral("avant 1"));
    QCOMPARE(p.FontSize, 14.0);
}

void TestSenderProfile::hugeFileIsRefusedWithoutReadingIt()
{
    // A valid profile at its start, then 200 MB of nothing (a sparse file: no disk used).
    const QString path = m_dir.filePath("DEFAUT.UTI");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\"Jean\",\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"Arial\"\r\n9\r\n#TRUE#\r\n#FALSE#\r\n"
                "0\r\n50\r\n20\r\n20\r\n10\r\n0\r\n");
        QVERIFY(f.resize(200 * 1024 * 1024));
    }
    const long peakBefore = peakMemoryKb();
    SenderProfile p = before();
    ScriptedDialogs dialogs;
    dialogs.expectMessage(kOpenError, vbCritical, "Erreur");
    QVERIFY(!ChargeFileUtil(p, dialogs, path));
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
    QCOMPARE(p.Ligne1, QStringLiteral("avant 1"));
    QCOMPARE(p.FontSize, 14.0);
    const long grown = peakMemoryKb() - peakBefore;
    QVERIFY2(grown < 20 * 1024, qPrintable(QStringLiteral("%1 kB more at the peak").arg(grown)));
    // Up to the limit a file is read as usual.
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.resize(kLargestSettingsFile));
    f.close();
    dialogs.expectMessage(kOpenError, vbCritical, "Erreur"); // the zero bytes after the values
    SenderProfile q = before();
    ChargeFileUtil(q, dialogs, path);
    QCOMPARE(q.Ligne1, QStringLiteral("Jean"));
    QCOMPARE(q.HeaderExp, 0);
}

void TestSenderProfile::startupWithoutDefaultFile()
{
    QTemporaryDir folder;
    AppState state;
    state.CheminAppli = folder.path();
    state.sender = before();
    ScriptedDialogs dialogs; // no message
    Services services;
    services.dialogs = &dialogs;
    loadStartupSenderProfile(state, services);
    const SenderProfile& p = state.sender;
    QCOMPARE(p.Ligne1, QString());
    QCOMPARE(p.FontName, QGuiApplication::font().family());
    QCOMPARE(p.FontSize, 8.5);
    QCOMPARE(p.FontBold, false);
    QCOMPARE(p.TextColor, 0.0);
    QCOMPARE(p.FrameWidth, 45.0);
    QCOMPARE(p.FrameHeight, 20.0);
    QCOMPARE(p.MarginLeft, 20.0);
    QCOMPARE(p.MarginTop, 10.0);
    QCOMPARE(p.HeaderExp, 0);
    QCOMPARE(p.TexteExp, QStringLiteral("\r\n\r\n\r\n\r\n\r\n"));
    QCOMPARE(state.FicUtilCharge, QString());
}

void TestSenderProfile::startupLoadsDefaultFile()
{
    QTemporaryDir folder;
    SenderProfile saved;
    saved.Ligne1 = "Jean Dupont";
    saved.FontName = "Courier";
    saved.FontSize = 12;
    saved.MarginTop = 15;
    QVERIFY(writeSenderProfile(saved, folder.filePath("DEFAUT.UTI")));
    AppState state;
    state.CheminAppli = folder.path();
    ScriptedDialogs dialogs;
    Services services;
    services.dialogs = &dialogs;
    loadStartupSenderProfile(state, services);
    QCOMPARE(state.sender.Ligne1, QStringLiteral("Jean Dupont"));
    QCOMPARE(state.sender.FontSize, 12.0);
    QCOMPARE(state.sender.MarginTop, 15.0);
    QCOMPARE(state.sender.TexteExp, QStringLiteral("Jean Dupont\r\n\r\n\r\n\r\n\r\n"));
    QCOMPARE(state.FicUtilCharge, folder.filePath("DEFAUT.UTI"));
}

void TestSenderProfile::startupWithDamagedDefaultFileKeepsDefaults()
{
    QTemporaryDir folder;
    QVERIFY(writeWholeFile(folder.filePath("DEFAUT.UTI"), "\"Jean\",\"rue\"\r\n"));
    AppState state;
    state.CheminAppli = folder.path();
    ScriptedDialogs dialogs;
    dialogs.expectMessage(kOpenError, vbCritical, "Erreur");
    Services services;
    services.dialogs = &dialogs;
    loadStartupSenderProfile(state, services);
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
    QCOMPARE(state.sender.Ligne1, QStringLiteral("Jean"));
    QCOMPARE(state.sender.FrameWidth, 45.0);
    QCOMPARE(state.sender.FontSize, 8.5);
}

void TestSenderProfile::failedWriteLeavesTheFile()
{
    SenderProfile p;
    QVERIFY(!writeSenderProfile(p, m_dir.filePath("no-such-folder/x.UTI")));
}

QTEST_MAIN(TestSenderProfile)
#include "tst_senderprofile.moc"

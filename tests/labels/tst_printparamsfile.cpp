#include "core/appstate.h"
#include "core/services.h"
#include "datacolumns.h"
#include "filebytes.h"
#include "labels/printfontpreview.h"
#include "labels/printparamsfile.h"
#include "platform/colorref.h"
#include "platform/commondialog.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QString kFilter = QStringLiteral("Fichiers de configuration (*.PAR)|*.PAR");

FileDialogRequest openRequest(const QString& fileName = QString())
{
    return fileRequest(QStringLiteral("Ouvrir"), kFilter, 0, 1, fileName);
}

FileDialogRequest saveRequest()
{
    return fileRequest(QStringLiteral("Enregistrer"), kFilter, 2);
}

// A set unlike the defaults in every stored field.
PrintParams unusual()
{
    PrintParams p;
    p.MargeGauche = 12.5;
    p.MargeHaute = -3;
    p.SepHorizontal = 9.75;
    p.SepVertical = 0.1;
    p.LargeurEtiq = 123.456789012345;
    p.HauteurEtiq = 38.1;
    p.ImprimerCadre = false;
    p.ImprimerDecoupe = true;
    p.FontName = QStringLiteral("Société Sans");
    p.FontSize = 8.25;
    p.FontBold = true;
    p.FontItalic = true;
    p.ForeColor = 16711680;
    return p;
}

void compareStored(const PrintParams& a, const PrintParams& b)
{
    QCOMPARE(a.MargeGauche, b.MargeGauche);
    QCOMPARE(a.MargeHaute, b.MargeHaute);
    QCOMPARE(a.SepHorizontal, b.SepHorizontal);
    QCOMPARE(a.SepVertical, b.SepVertical);
    QCOMPARE(a.LargeurEtiq, b.LargeurEtiq);
    QCOMPARE(a.HauteurEtiq, b.HauteurEtiq);
    QCOMPARE(a.ImprimerCadre, b.ImprimerCadre);
    QCOMPARE(a.ImprimerDecoupe, b.ImprimerDecoupe);
    QCOMPARE(a.FontName, b.FontName);
    QCOMPARE(a.FontSize, b.FontSize);
    QCOMPARE(a.FontBold, b.FontBold);
    QCOMPARE(a.FontItalic, b.FontItalic);
    QCOMPARE(a.ForeColor, b.ForeColor);
}

} // namespace

class TestPrintParamsFile : public QObject
{
    Q_OBJECT
private slots:
    void defaultsFileByteForByte();
    void saveThenLoad_data();
    void saveThenLoad();
    void flagsCountOnlyWhenTrue_data();
    void flagsCountOnlyWhenTrue();
    void fileOfOnlyLineOne();
    void missingFileClearsOnlyTheFlags();
    void unreadableItemsKeepTheirField();
    void sizeOrColourNoPrinterCanDrawIsUnreadable_data();
    void sizeOrColourNoPrinterCanDrawIsUnreadable();
    void failedWriteSaysSo();
    void cancelledLoadReadsTheEarlierFileAgain();
    void loadWithNoFileEverChosenReadsNothing();
    void saveDialogGivesThePathOrNothing();
    void windowTitles();
    void startupWithoutDefaultFile();
    void startupWithDefaultFile();
    void envelopeWriterTakesThePreviewFontAndTheHeldGeometry();
};

void TestPrintParamsFile::defaultsFileByteForByte()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("DEFAUT.PAR"));
    QVERIFY(writePrintParamsFile(path, defaultPrintParams(QStringLiteral("Arial"), 0), nullptr));
    QCOMPARE(fileBytes(path), QByteArray("5,0,0,0,90,45\r\n#TRUE#,#TRUE#\r\n\"Arial\"\r\n10\r\n"
                                         "#FALSE#\r\n#FALSE#\r\n0\r\n"));
}

void TestPrintParamsFile::saveThenLoad_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("defaults") << 0;
    QTest::newRow("every field changed") << 1;
    QTest::newRow("font name with a quote before a comma") << 2;
}

void TestPrintParamsFile::saveThenLoad()
{
    QFETCH(int, which);
    PrintParams saved = which == 0 ? defaultPrintParams(QStringLiteral("Arial"), 0) : unusual();
    if (which == 2)
        saved.FontName = QStringLiteral("Police \"Titre\", grasse");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("A.PAR"));
    QVERIFY(writePrintParamsFile(path, saved, nullptr));
    PrintParams loaded = which == 0 ? unusual() : defaultPrintParams(QStringLiteral("Arial"), 0);
    LoadFileConfig(path, loaded);
    if (which == 2) {
        // The quote is kept as an apostrophe; the values after the name are read where they were.
        QCOMPARE(loaded.FontName, QStringLiteral("Police \"Titre', grasse"));
        saved.FontName = loaded.FontName;
    }
    compareStored(loaded, saved);
    if (which == 1) {
        const QList<QByteArray> lines = fileBytes(path).split('\n');
        QCOMPARE(lines.value(0), QByteArray("12.5,-3,9.75,0.1,123.456789012345,38.1\r"));
        QCOMPARE(lines.value(2), QByteArray("\"Soci\xe9t\xe9 Sans\"\r")); // Windows-1252
        QCOMPARE(lines.value(3), QByteArray("8.25\r"));
        QCOMPARE(lines.value(6), QByteArray("16711680\r"));
    }
}

void TestPrintParamsFile::flagsCountOnlyWhenTrue_data()
{
    addColumns<QByteArray, bool, bool>("line2", "cadre", "decoupe");
    QTest::newRow("1,1") << QByteArray("1,1") << false << false;
    QTest::newRow("-1,#TRUE#") << QByteArray("-1,#TRUE#") << true << true;
    QTest::newRow("#FALSE#,#TRUE#") << QByteArray("#FALSE#,#TRUE#") << false << true;
    QTest::newRow("texts") << QByteArray("\"#TRUE#\",oui") << false << false;
}

void TestPrintParamsFile::flagsCountOnlyWhenTrue()
{
    QFETCH(QByteArray, line2);
    QFETCH(bool, cadre);
    QFETCH(bool, decoupe);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("F.PAR"));
    writeFile(path,
              "5,0,0,0,90,45\r\n" + line2 + "\r\n\"Arial\"\r\n10\r\n#FALSE#\r\n#FALSE#\r\n0\r\n");
    PrintParams p = unusual();
    p.ImprimerCadre = !cadre;
    p.ImprimerDecoupe = !decoupe;
    LoadFileConfig(path, p);
    QCOMPARE(p.ImprimerCadre, cadre);
    QCOMPARE(p.ImprimerDecoupe, decoupe);
    QCOMPARE(p.FontName, QStringLiteral("Arial")); // the items after the flags still read
    QCOMPARE(p.ForeColor, 0);
}

void TestPrintParamsFile::fileOfOnlyLineOne()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("L1.PAR"));
    writeFile(path, "7,1.5,2,3,70,37\r\n");
    PrintParams p = unusual();
    p.ImprimerCadre = true;
    LoadFileConfig(path, p);
    QCOMPARE(p.MargeGauche, 7.0);
    QCOMPARE(p.MargeHaute, 1.5);
    QCOMPARE(p.SepHorizontal, 2.0);
    QCOMPARE(p.SepVertical, 3.0);
    QCOMPARE(p.LargeurEtiq, 70.0);
    QCOMPARE(p.HauteurEtiq, 37.0);
    QVERIFY(!p.ImprimerCadre);
    QVERIFY(!p.ImprimerDecoupe);
    QCOMPARE(p.FontName, unusual().FontName);
    QCOMPARE(p.FontSize, unusual().FontSize);
    QCOMPARE(p.FontBold, true);
    QCOMPARE(p.ForeColor, unusual().ForeColor);
}

void TestPrintParamsFile::missingFileClearsOnlyTheFlags()
{
    QTemporaryDir dir;
    PrintParams p = unusual();
    p.ImprimerCadre = p.ImprimerDecoupe = true;
    LoadFileConfig(dir.filePath(QStringLiteral("absent.PAR")), p);
    PrintParams expected = unusual();
    expected.ImprimerCadre = expected.ImprimerDecoupe = false;
    compareStored(p, expected);
}

void TestPrintParamsFile::unreadableItemsKeepTheirField()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("BAD.PAR"));
    // A text where a margin belongs, a size that is no number, a colour out of range.
    writeFile(path, "6,abc,1,2,80,40\r\n#TRUE#,#FALSE#\r\nVerdana\r\ngrand\r\n-1\r\n0\r\n"
                    "99999999999\r\n");
    PrintParams p = unusual();
    LoadFileConfig(path, p);
    QCOMPARE(p.MargeGauche, 6.0);
    QCOMPARE(p.MargeHaute, unusual().MargeHaute);
    QCOMPARE(p.SepHorizontal, 1.0);
    QCOMPARE(p.HauteurEtiq, 40.0);
    QVERIFY(p.ImprimerCadre);
    QVERIFY(!p.ImprimerDecoupe);
    QCOMPARE(p.FontName, QStringLiteral("Verdana")); // an unquoted text is a text
    QCOMPARE(p.FontSize, unusual().FontSize);
    QCOMPARE(p.FontBold, true);
    QCOMPARE(p.FontItalic, false);
    QCOMPARE(p.ForeColor, unusual().ForeColor);
}

void TestPrintParamsFile::sizeOrColourNoPrinterCanDrawIsUnreadable_data()
{
    addColumns<QByteArray, QByteArray>("size", "colour");
    QTest::addColumn<double>("fontSize"); // read back; the earlier value when unreadable
    QTest::addColumn<int>("foreColor");
    const double keptSize = unusual().FontSize;
    const int keptColour = unusual().ForeColor;
    QTest::newRow("a billion points, colour -1")
        << QByteArray("1E9") << QByteArray("-1") << keptSize << keptColour;
    QTest::newRow("negative size, above white")
        << QByteArray("-10") << QByteArray("16777216") << keptSize << keptColour;
    QTest::newRow("size that is 0 in single precision")
        << QByteArray("3E-65") << QByteArray("0") << keptSize << 0;
    QTest::newRow("zero size, far above white")
        << QByteArray("0") << QByteArray("99999999") << keptSize << keptColour;
    QTest::newRow("just over the largest size")
        << QByteArray("512.5") << QByteArray("0") << keptSize << 0;
    QTest::newRow("largest size, white")
        << QByteArray("512") << QByteArray("16777215") << 512.0 << 16777215;
    QTest::newRow("half a point, blue")
        << QByteArray("0.5") << QByteArray("16711680") << 0.5 << 16711680;
}

void TestPrintParamsFile::sizeOrColourNoPrinterCanDrawIsUnreadable()
{
    QFETCH(QByteArray, size);
    QFETCH(QByteArray, colour);
    QFETCH(double, fontSize);
    QFETCH(int, foreColor);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("HORS.PAR"));
    writeFile(path, "6,1,2,3,80,40\r\n#TRUE#,#TRUE#\r\n\"Verdana\"\r\n" + size +
                        "\r\n#FALSE#\r\n#FALSE#\r\n" + colour + "\r\n");
    PrintParams p = unusual();
    LoadFileConfig(path, p);
    QCOMPARE(p.FontSize, fontSize);
    QCOMPARE(p.ForeColor, foreColor);
    // The items around them are read as usual.
    QCOMPARE(p.HauteurEtiq, 40.0);
    QCOMPARE(p.FontName, QStringLiteral("Verdana"));
    QCOMPARE(p.FontBold, false);
    QCOMPARE(p.FontItalic, false);
}

void TestPrintParamsFile::failedWriteSaysSo()
{
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    dialogs.expectMessage(QStringLiteral("Erreur de sauvegarde!"), 16, QStringLiteral("Erreur"));
    QVERIFY(!writePrintParamsFile(dir.filePath(QStringLiteral("no/such/folder/X.PAR")), unusual(),
                                  &dialogs));
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
}

void TestPrintParamsFile::cancelledLoadReadsTheEarlierFileAgain()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ETIQ.PAR"));
    QVERIFY(writePrintParamsFile(path, unusual(), nullptr));

    AppState state;
    state.CheminAppli = dir.path();
    ScriptedDialogs dialogs;
    CommonDialog dialog(dialogs);
    dialogs.expectOpenFile(openRequest(), path);
    QCOMPARE(chargerParametres(state, dialog), std::optional<QString>(path));
    QCOMPARE(state.FicParam, path);
    compareStored(state.print, unusual());

    // Changed since, then the load dialog is cancelled: the earlier file is read again.
    state.print = defaultPrintParams(QStringLiteral("Arial"), 0);
    CommonDialog otherWindow(dialogs); // the choice is shared by both windows
    dialogs.expectOpenFile(openRequest(path), std::nullopt, true);
    QCOMPARE(chargerParametres(state, otherWindow), std::optional<QString>(path));
    QCOMPARE(state.FicParam, path);
    compareStored(state.print, unusual());
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
}

void TestPrintParamsFile::loadWithNoFileEverChosenReadsNothing()
{
    AppState state;
    state.print = unusual();
    ScriptedDialogs dialogs;
    CommonDialog dialog(dialogs);
    dialogs.expectOpenFile(openRequest(), std::nullopt);
    QCOMPARE(chargerParametres(state, dialog), std::nullopt);
    QVERIFY(state.FicParam.isEmpty());
    compareStored(state.print, unusual());
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
}

void TestPrintParamsFile::saveDialogGivesThePathOrNothing()
{
    AppState state;
    state.FicParam = QStringLiteral("/tmp/earlier.PAR");
    ScriptedDialogs dialogs;
    CommonDialog dialog(dialogs);
    dialogs.expectSaveFile(saveRequest(), std::nullopt);
    QCOMPARE(choisirFichierParametres(state, dialog), std::nullopt);
    QCOMPARE(state.FicParam, QStringLiteral("/tmp/earlier.PAR"));
    dialogs.expectSaveFile(saveRequest(), QStringLiteral("/tmp/new.PAR"));
    QCOMPARE(choisirFichierParametres(state, dialog),
             std::optional<QString>(QStringLiteral("/tmp/new.PAR")));
    QCOMPARE(state.FicParam, QStringLiteral("/tmp/new.PAR"));
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
}

void TestPrintParamsFile::windowTitles()
{
    QCOMPARE(paramWindowTitle(QString()), QStringLiteral("Paramétrage de l'impression DEFAUT"));
    QCOMPARE(paramWindowTitle(QStringLiteral("/home/léa/Etiquettes/avery.par")),
             QStringLiteral("Paramétrage de l'impression AVERY.PAR"));
}

void TestPrintParamsFile::startupWithoutDefaultFile()
{
    QTemporaryDir dir;
    AppState state;
    state.CheminAppli = dir.path();
    state.print.MargeGauche = 99;
    Services services;
    loadStartupPrintParams(state, services);
    compareStored(state.print, defaultPrintParams(
                                   QApplication::font().family(),
                                   colorRef(QApplication::palette().color(QPalette::WindowText))));
    QVERIFY(!state.print.FontName.isEmpty());
    QCOMPARE(state.print.FontSize, 10.0);
}

void TestPrintParamsFile::startupWithDefaultFile()
{
    QTemporaryDir dir;
    QVERIFY(writePrintParamsFile(dir.filePath(QStringLiteral("DEFAUT.PAR")), unusual(), nullptr));
    AppState state;
    state.CheminAppli = dir.path();
    Services services;
    loadStartupPrintParams(state, services);
    compareStored(state.print, unusual());

    // A damaged start-up file still leaves a usable font.
    writeFile(dir.filePath(QStringLiteral("DEFAUT.PAR")), "4,4\r\n");
    loadStartupPrintParams(state, services);
    QCOMPARE(state.print.MargeGauche, 4.0);
    QCOMPARE(state.print.LargeurEtiq, 90.0);
    QCOMPARE(state.print.FontName, QApplication::font().family());
    QVERIFY(!state.print.ImprimerCadre);
}

void TestPrintParamsFile::envelopeWriterTakesThePreviewFontAndTheHeldGeometry()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ENV.PAR"));
    PrintParams held = unusual();
    QLabel preview;
    applyPrintFont(preview, held);

    // The envelope window's font dialog: the preview and the font fields take the choice.
    ScriptedDialogs dialogs;
    FontSpec chosen;
    chosen.name = QStringLiteral("Courier");
    chosen.size = 14;
    chosen.underline = true;
    FontSpec preset;
    preset.name = held.FontName;
    preset.size = held.FontSize;
    preset.bold = preset.italic = true;
    dialogs.expectFont(chosen, preset);
    choosePrintFont(dialogs, preview, held);
    QCOMPARE(held.FontName, QStringLiteral("Courier"));
    QVERIFY(held.FontUnderline);
    QVERIFY(!held.FontBold);
    QCOMPARE(held.ForeColor, 16711680);

    dialogs.expectColor(std::nullopt, 16711680u); // cancelled: nothing changes
    choosePrintColor(dialogs, preview, held);
    QCOMPARE(held.ForeColor, 16711680);
    dialogs.expectColor(255u, 16711680u);
    choosePrintColor(dialogs, preview, held);
    QCOMPARE(held.ForeColor, 255);
    QCOMPARE(colorRef(preview.palette().color(QPalette::WindowText)), 255u);

    QVERIFY(writeParamsWithPreviewFont(held, preview, path, &dialogs));
    QCOMPARE(fileBytes(path), QByteArray("12.5,-3,9.75,0.1,123.456789012345,38.1\r\n"
                                         "#FALSE#,#TRUE#\r\n\"Courier\"\r\n14\r\n#FALSE#\r\n"
                                         "#FALSE#\r\n255\r\n"));
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
}

QTEST_MAIN(TestPrintParamsFile)
#include "tst_printparamsfile.moc"

#include "core/appstate.h"
#include "core/services.h"
#include "datacolumns.h"
#include "envelopes/frmutil.h"
#include "envelopes/senderprofile.h"
#include "envelopes/senderprofilefile.h"
#include "recordingprinter.h"
#include "scripteddialogs.h"
#include "senderprofiles.h"
#include "userdriver.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QString kFilter = QStringLiteral("Fichiers utilisateur (*.UTI)|*.uti");

FileDialogRequest openRequest(const QString& fileName)
{
    return fileRequest(QStringLiteral("Ouvrir un fichier utilisateur"), kFilter, 8192, 1, fileName);
}

FileDialogRequest saveRequest()
{
    return fileRequest(QStringLiteral("Enregistrer Sous"), kFilter, 2);
}

// Types `text` into `w` one character at a time, as the keyboard would.
void type(QWidget* w, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

using MeasureField = double SenderProfile::*;

struct Fixture {
    QTemporaryDir folder;
    AppState state;
    ScriptedDialogs dialogs;
    RecordingPrinter printer;
    Services services;
    std::unique_ptr<FrmUtil> window;

    Fixture()
    {
        state.CheminAppli = folder.path();
        services.dialogs = &dialogs;
        services.printer = &printer;
        SenderProfile& s = state.sender;
        s = defaultSenderProfile();
        s = jeanDupont(s, "DejaVu Serif", 11, 16711680);
        s.FontBold = true;
        s.MarginLeft = -12.5;
        AffichExpediteur(s);
    }
    FrmUtil& open()
    {
        window = std::make_unique<FrmUtil>(state, services);
        window->show();
        return *window;
    }
    QString preview() const { return window->preview()->text(); }
};

} // namespace

class TestFrmUtil : public QObject
{
    Q_OBJECT
private slots:
    void controlsAndMenu();
    void showsTheProfile();
    void headerMinusOneShowsExpWithTheBoxCleared();
    void editsGoIntoTheProfileAtOnce();
    void measureKeyFilter_data();
    void measureKeyFilter();
    void pastedMeasureReadsItsLeadingNumber();
    void headerCheckSetsHeaderExp();
    void nouveauKeepsFontColourAndExp();
    void nouveauAnsweredNo();
    void saveAsWritesWhereTheUserChose();
    void openProposesTheSavedPathAndLoads();
    void openCancelledOrFailing();
    void failedSaveIsReported();
    void fontAndColour();
    void testPrint();
    void measuresShowWholeValuesAndKeepTheTypingLimit_data();
    void measuresShowWholeValuesAndKeepTheTypingLimit();
    void openingAProfileSetsTheExpBoxAndItsEffect_data();
    void openingAProfileSetsTheExpBoxAndItsEffect();
    void keysWorkFromTheTextBoxes_data();
    void keysWorkFromTheTextBoxes();
};

void TestFrmUtil::controlsAndMenu()
{
    Fixture f;
    FrmUtil& w = f.open();
    QCOMPARE(w.windowTitle(), QStringLiteral("Définition de l'utilisateur"));
    QList<QLineEdit*> boxes;
    for (int line = 1; line <= kSenderLineCount; ++line)
        boxes << w.lineBox(line);
    for (int i = 0; i < kSenderMeasureCount; ++i)
        boxes << w.measureBox(SenderMeasure(i));
    for (int n = 1; n <= 9; ++n) {
        QLineEdit* e = w.findChild<QLineEdit*>(QStringLiteral("Text%1").arg(n));
        QVERIFY(e);
        QCOMPARE(e, boxes[n - 1]);
        // What can be typed; a longer value loaded shows whole.
        QCOMPARE(e->maxLength(), std::max(n <= 5 ? 50 : 3, int(e->text().size())));
        QVERIFY(!e->accessibleName().isEmpty());
    }
    const QStringList labels{"Nom Prénom Société :",
                             "Adresse :",
                             "Code postal Ville :",
                             "Pays :",
                             "Largeur :",
                             "Hauteur :",
                             "",
                             "Marge gauche :",
                             "Marge haute :"};
    for (int i = 0; i < labels.size(); ++i) {
        if (labels[i].isEmpty())
            continue;
        QLabel* l = w.findChild<QLabel*>(QStringLiteral("Label%1").arg(i + 1));
        QVERIFY2(l, qPrintable(labels[i]));
        QCOMPARE(l->text(), labels[i]);
        QVERIFY(l->buddy());
    }
    QCOMPARE(w.findChild<QGroupBox*>("Frame3")->title(), QStringLiteral("Cadre en mm "));
    QCOMPARE(w.findChild<QGroupBox*>("Frame4")->title(), QStringLiteral("Marges en mm "));
    QCOMPARE(w.headerCheck()->text(), QStringLiteral("Expéditeur en entête ( Exp : )"));
    auto* test = w.findChild<QPushButton*>("Command3");
    QCOMPARE(test->text(), QStringLiteral("Test impression"));
    QCOMPARE(test->toolTip(), QStringLiteral("Imprime une étiquette expéditeur"));
    QCOMPARE(w.findChild<QPushButton*>("Command1")->text(), QStringLiteral("&Police d'impression"));
    QCOMPARE(w.findChild<QPushButton*>("Command2")->text(),
             QStringLiteral("&Couleur d'impression"));
    const QList<QPair<QString, QString>> items{
        {"Mnu_Nouveau", "Ctrl+N"}, {"Mnu_Ouvrir", "Ctrl+O"},  {"Mnu_EnregisterSous", "Ctrl+E"},
        {"Mnu_police", "Ctrl+P"},  {"Mnu_Couleur", "Ctrl+C"}, {"Mnu_Quitter", "Ctrl+Q"}};
    for (const auto& [name, key] : items) {
        QAction* a = w.findChild<QAction*>(name);
        QVERIFY2(a, qPrintable(name));
        QCOMPARE(a->shortcut().toString(), key);
    }
}

void TestFrmUtil::showsTheProfile()
{
    Fixture f;
    f.state.FicUtilCharge = "/profils/DEFAUT.UTI";
    FrmUtil& w = f.open();
    QCOMPARE(w.windowTitle(), QStringLiteral("Définition utilisateur /profils/DEFAUT.UTI"));
    QCOMPARE(w.lineBox(1)->text(), QStringLiteral("Jean Dupont"));
    QCOMPARE(w.measureBox(SenderMeasure::FrameWidth)->text(), QStringLiteral("45"));
    QCOMPARE(w.measureBox(SenderMeasure::FrameHeight)->text(), QStringLiteral("20"));
    QCOMPARE(w.measureBox(SenderMeasure::MarginTop)->text(), QStringLiteral("10"));
    // A loaded value longer than what can be typed shows whole, as the profile holds it.
    QCOMPARE(f.state.sender.MarginLeft, -12.5);
    QCOMPARE(w.measureBox(SenderMeasure::MarginLeft)->text(), QStringLiteral("-12.5"));
    QCOMPARE(f.preview(), QStringLiteral("Jean Dupont\n12 rue des Roses\n\n75011 Paris\n\n"));
    QCOMPARE(w.preview()->font().family(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(w.preview()->font().pointSizeF(), 11.0);
    QVERIFY(w.preview()->font().bold());
    QCOMPARE(w.preview()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QVERIFY(!w.headerCheck()->isChecked());
}

void TestFrmUtil::headerMinusOneShowsExpWithTheBoxCleared()
{
    Fixture f;
    f.state.sender.HeaderExp = -1;
    FrmUtil& w = f.open();
    QVERIFY(!w.headerCheck()->isChecked());
    QVERIFY(f.preview().startsWith("Exp : Jean Dupont\n"));
    QCOMPARE(f.state.sender.HeaderExp, -1);
}

void TestFrmUtil::editsGoIntoTheProfileAtOnce()
{
    Fixture f;
    FrmUtil& w = f.open();
    w.lineBox(3)->setFocus();
    type(w.lineBox(3), "Bâtiment é");
    QCOMPARE(f.state.sender.Ligne3, QStringLiteral("Bâtiment é"));
    QCOMPARE(
        f.state.sender.TexteExp,
        QStringLiteral("Jean Dupont\r\n12 rue des Roses\r\nBâtiment é\r\n75011 Paris\r\n\r\n"));
    QVERIFY(f.preview().contains("\nBâtiment é\n"));
    type(w.lineBox(5), QString(60, 'x'));
    QCOMPARE(f.state.sender.Ligne5, QString(50, 'x'));
    w.measureBox(SenderMeasure::FrameHeight)->clear();
    type(w.measureBox(SenderMeasure::FrameHeight), "35");
    QCOMPARE(f.state.sender.FrameHeight, 35.0);
    // Closing keeps the edits.
    w.findChild<QAction*>("Mnu_Quitter")->trigger();
    QVERIFY(!w.isVisible());
    QCOMPARE(f.state.sender.Ligne3, QStringLiteral("Bâtiment é"));
}

void TestFrmUtil::measureKeyFilter_data()
{
    addColumns<SenderMeasure, QString, QString, double>("box", "typed", "shown", "value");
    QTest::newRow("width, letter") << SenderMeasure::FrameWidth << "1a2"
                                   << "12" << 12.0;
    QTest::newRow("width, minus and point") << SenderMeasure::FrameWidth << "-4.5"
                                            << "45" << 45.0;
    QTest::newRow("height, space") << SenderMeasure::FrameHeight << "2 0"
                                   << "20" << 20.0;
    QTest::newRow("left margin, minus") << SenderMeasure::MarginLeft << "-5x"
                                        << "-5" << -5.0;
    QTest::newRow("top margin, three at most") << SenderMeasure::MarginTop << "-123"
                                               << "-12" << -12.0;
}

void TestFrmUtil::measureKeyFilter()
{
    QFETCH(SenderMeasure, box);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(double, value);
    Fixture f;
    FrmUtil& w = f.open();
    QLineEdit* e = w.measureBox(box);
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    QCOMPARE(e->text(), QString());
    type(e, typed);
    // A letter typed with Alt held does not get in either.
    QTest::keyClick(e, Qt::Key_X, Qt::AltModifier);
    QCOMPARE(e->text(), shown);
    const double fields[] = {f.state.sender.FrameWidth, f.state.sender.FrameHeight,
                             f.state.sender.MarginLeft, f.state.sender.MarginTop};
    QCOMPARE(fields[int(box)], value);
}

void TestFrmUtil::pastedMeasureReadsItsLeadingNumber()
{
    Fixture f;
    FrmUtil& w = f.open();
    QGuiApplication::clipboard()->setText("12a");
    w.measureBox(SenderMeasure::FrameWidth)->selectAll();
    w.measureBox(SenderMeasure::FrameWidth)->paste();
    QCOMPARE(w.measureBox(SenderMeasure::FrameWidth)->text(), QStringLiteral("12a"));
    QCOMPARE(f.state.sender.FrameWidth, 12.0);
}

void TestFrmUtil::headerCheckSetsHeaderExp()
{
    Fixture f;
    FrmUtil& w = f.open();
    w.headerCheck()->click();
    QCOMPARE(f.state.sender.HeaderExp, 1);
    QVERIFY(f.preview().startsWith("Exp : Jean Dupont"));
    w.headerCheck()->click();
    QCOMPARE(f.state.sender.HeaderExp, 0);
    QVERIFY(f.preview().startsWith("Jean Dupont"));
}

void TestFrmUtil::nouveauKeepsFontColourAndExp()
{
    Fixture f;
    f.state.sender.HeaderExp = 1;
    f.state.sender.FrameWidth = 70;
    f.state.FicUtilCharge = "/profils/a.UTI";
    FrmUtil& w = f.open();
    f.dialogs.expectMessage("Nouveau fichier ? Confirmez.", vbYesNo + vbQuestion,
                            "Nouveau fichier utilisateur", vbYes);
    w.findChild<QAction*>("Mnu_Nouveau")->trigger();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    const SenderProfile& s = f.state.sender;
    for (int n = 1; n <= 5; ++n) {
        QCOMPARE(senderLine(s, n), QString());
        QCOMPARE(w.lineBox(n)->text(), QString());
    }
    QCOMPARE(s.FrameWidth, 45.0);
    QCOMPARE(s.FrameHeight, 20.0);
    QCOMPARE(s.MarginLeft, 20.0);
    QCOMPARE(s.MarginTop, 10.0);
    QCOMPARE(w.measureBox(SenderMeasure::FrameWidth)->text(), QStringLiteral("45"));
    QCOMPARE(w.measureBox(SenderMeasure::MarginLeft)->text(), QStringLiteral("20"));
    QCOMPARE(s.FontName, QStringLiteral("DejaVu Serif"));
    QCOMPARE(s.FontSize, 11.0);
    QVERIFY(s.FontBold);
    QCOMPARE(s.TextColor, 16711680.0);
    QCOMPARE(s.HeaderExp, 1);
    QVERIFY(w.headerCheck()->isChecked());
    QCOMPARE(f.preview(), QStringLiteral("Exp : \n\n\n\n\n"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Définition utilisateur /profils/a.UTI"));
    QVERIFY(QDir(f.folder.path()).entryList(QDir::Files).isEmpty());
}

void TestFrmUtil::nouveauAnsweredNo()
{
    Fixture f;
    FrmUtil& w = f.open();
    f.dialogs.expectMessage("Nouveau fichier ? Confirmez.", vbYesNo + vbQuestion,
                            "Nouveau fichier utilisateur", vbNo);
    w.newProfile();
    QCOMPARE(f.state.sender.Ligne1, QStringLiteral("Jean Dupont"));
    QCOMPARE(w.lineBox(1)->text(), QStringLiteral("Jean Dupont"));
}

void TestFrmUtil::saveAsWritesWhereTheUserChose()
{
    Fixture f;
    QTemporaryDir elsewhere;
    // A profile of the same name in the program folder must stay as it is.
    const QString inProgram = f.folder.filePath("perso.UTI");
    {
        QFile old(inProgram);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("ancien");
    }
    const QString chosen = elsewhere.filePath("perso.UTI");
    FrmUtil& w = f.open();
    f.dialogs.expectSaveFile(saveRequest(), chosen);
    w.findChild<QAction*>("Mnu_EnregisterSous")->trigger();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QFile saved(chosen);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), senderProfileBytes(f.state.sender));
    QFile old(inProgram);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("ancien"));
    QCOMPARE(f.state.FicUtil, chosen);
    QCOMPARE(w.windowTitle(), QStringLiteral("Définition de l'utilisateur")); // unchanged

    // "Ouvrir" then proposes that file.
    f.dialogs.expectOpenFile(openRequest(chosen), std::nullopt, true);
    w.openProfile();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));

    // A cancelled save writes nothing and keeps the remembered file.
    f.dialogs.expectSaveFile(saveRequest(), std::nullopt);
    w.saveProfileAs();
    QCOMPARE(f.state.FicUtil, chosen);
}

void TestFrmUtil::openProposesTheSavedPathAndLoads()
{
    Fixture f;
    QTemporaryDir elsewhere;
    SenderProfile other;
    other.Ligne1 = "Marie Martin";
    other.FontName = "DejaVu Sans Mono";
    other.FontSize = 9;
    other.TextColor = 65280;
    other.FrameWidth = 60;
    other.MarginTop = -4;
    other.HeaderExp = 1;
    const QString path = elsewhere.filePath("marie.UTI");
    QVERIFY(writeSenderProfile(other, path));
    f.state.FicUtil = path;
    FrmUtil& w = f.open();
    f.dialogs.expectOpenFile(openRequest(path), path, true);
    w.findChild<QAction*>("Mnu_Ouvrir")->trigger();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.state.sender.Ligne1, QStringLiteral("Marie Martin"));
    QCOMPARE(w.lineBox(1)->text(), QStringLiteral("Marie Martin"));
    QCOMPARE(w.lineBox(2)->text(), QString());
    QCOMPARE(w.measureBox(SenderMeasure::FrameWidth)->text(), QStringLiteral("60"));
    QCOMPARE(w.measureBox(SenderMeasure::MarginTop)->text(), QStringLiteral("-4"));
    QVERIFY(w.headerCheck()->isChecked());
    QCOMPARE(w.preview()->font().family(), QStringLiteral("DejaVu Sans Mono"));
    QCOMPARE(w.preview()->font().pointSizeF(), 9.0);
    QCOMPARE(w.preview()->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    QVERIFY(f.preview().startsWith("Exp : Marie Martin\n"));
    QCOMPARE(w.windowTitle(), "Définition utilisateur " + path);
    QCOMPARE(f.state.FicUtilCharge, path);
    QCOMPARE(QDir::currentPath(), QDir(f.folder.path()).canonicalPath());
}

void TestFrmUtil::openCancelledOrFailing()
{
    Fixture f;
    FrmUtil& w = f.open();
    f.dialogs.expectOpenFile(openRequest(QString()), std::nullopt, true);
    w.openProfile();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(w.windowTitle(), QStringLiteral("Définition de l'utilisateur"));

    // A file cut short after the colour: message, the window keeps what it showed.
    const QString path = f.folder.filePath("court.UTI");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\"Autre\",\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"Courier\"\r\n20\r\n#FALSE#\r\n"
               "#FALSE#\r\n0\r\n");
    file.close();
    f.dialogs.expectOpenFile(openRequest(QString()), path);
    f.dialogs.expectMessage("Erreur d'ouverture du fichier utilisateur !", vbCritical, "Erreur");
    w.openProfile();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.state.sender.Ligne1, QStringLiteral("Autre"));
    QCOMPARE(f.state.sender.FontSize, 11.0);
    QCOMPARE(w.lineBox(1)->text(), QStringLiteral("Jean Dupont"));
    QCOMPARE(w.preview()->font().family(), QStringLiteral("DejaVu Serif"));
}

void TestFrmUtil::failedSaveIsReported()
{
    Fixture f;
    FrmUtil& w = f.open();
    const QString path = f.folder.filePath("absent/perso.UTI");
    f.dialogs.expectSaveFile(saveRequest(), path);
    f.dialogs.expectMessage("Erreur de sauvegarde!", vbCritical, "Erreur");
    w.saveProfileAs();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(f.state.FicUtil, QString());
}

void TestFrmUtil::fontAndColour()
{
    Fixture f;
    FrmUtil& w = f.open();
    FontSpec preset;
    preset.name = "DejaVu Serif";
    preset.size = 11;
    preset.bold = true;
    FontSpec chosen;
    chosen.name = "DejaVu Sans";
    chosen.size = 9.5;
    chosen.italic = true;
    chosen.underline = true; // not taken
    f.dialogs.expectFont(chosen, preset);
    w.findChild<QAction*>("Mnu_police")->trigger();
    const SenderProfile& s = f.state.sender;
    QCOMPARE(s.FontName, QStringLiteral("DejaVu Sans"));
    QCOMPARE(s.FontSize, 9.5);
    QVERIFY(!s.FontBold);
    QVERIFY(s.FontItalic);
    QVERIFY(!w.preview()->font().underline());
    // Cancelling changes nothing.
    f.dialogs.expectFont(std::nullopt);
    w.chooseFont();
    QCOMPARE(s.FontName, QStringLiteral("DejaVu Sans"));
    QCOMPARE(s.FontSize, 9.5);

    f.dialogs.expectColor(16777215, 16711680);
    w.findChild<QPushButton*>("Command2")->click();
    QCOMPARE(s.TextColor, 16777215.0);
    QCOMPARE(w.preview()->palette().color(QPalette::WindowText), QColor(Qt::white));
    f.dialogs.expectColor(std::nullopt, 16777215);
    w.chooseColour();
    QCOMPARE(s.TextColor, 16777215.0);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
}

void TestFrmUtil::testPrint()
{
    Fixture f;
    FrmUtil& w = f.open();
    const QString text = QStringLiteral("Confirmer l'impression de l'étiquette expéditeur?");
    const QString title = QStringLiteral("Impression de l'étiquette expéditeur sur enveloppe");
    f.dialogs.expectMessage(text, vbYesNo + vbQuestion, title, vbNo);
    w.printTestLabel();
    QVERIFY(f.printer.calls.isEmpty());
    f.dialogs.expectMessage(text, vbYesNo + vbQuestion, title, vbYes);
    w.findChild<QPushButton*>("Command3")->click();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.printer.documents, 1);
    QCOMPARE(f.printer.calls.filter("Line").size(), 4);
    QCOMPARE(f.printer.printed.first(), QStringLiteral("Jean Dupont"));
    QCOMPARE(f.printer.calls.last(), QStringLiteral("EndDoc"));
}

void TestFrmUtil::measuresShowWholeValuesAndKeepTheTypingLimit_data()
{
    addColumns<int, double, QString>("measure", "value", "shown");
    QTest::addColumn<QString>("typed"); // over the whole text
    QTest::addColumn<QString>("kept");
    QTest::newRow("width 12.25") << int(SenderMeasure::FrameWidth) << 12.25 << "12.25"
                                 << "12345"
                                 << "123";
    QTest::newRow("left -12.5") << int(SenderMeasure::MarginLeft) << -12.5 << "-12.5"
                                << "-1234"
                                << "-12";
    QTest::newRow("top 7") << int(SenderMeasure::MarginTop) << 7.0 << "7"
                           << "98765"
                           << "987";
}

void TestFrmUtil::measuresShowWholeValuesAndKeepTheTypingLimit()
{
    QFETCH(int, measure);
    QFETCH(double, value);
    QFETCH(QString, shown);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    Fixture f;
    const MeasureField field[] = {&SenderProfile::FrameWidth, &SenderProfile::FrameHeight,
                                  &SenderProfile::MarginLeft, &SenderProfile::MarginTop};
    f.state.sender.*field[measure] = value;
    FrmUtil& w = f.open();
    UserDriver user(&w);
    QLineEdit* box = w.measureBox(SenderMeasure(measure));
    QCOMPARE(box->text(), shown);
    // The whole text replaced by typing: three characters at most.
    user.click(box);
    user.key(Qt::Key_Home);
    user.key(Qt::Key_End, Qt::ShiftModifier);
    user.type(typed);
    QCOMPARE(box->text(), kept);
    QCOMPARE(f.state.sender.*field[measure], kept.toDouble());
}

void TestFrmUtil::openingAProfileSetsTheExpBoxAndItsEffect_data()
{
    QTest::addColumn<int>("before"); // HeaderExp when the window opens
    QTest::addColumn<int>("loaded"); // HeaderExp of the file opened
    addColumns<bool, int, bool>("ticked", "after", "exp");
    QTest::newRow("ticked, 2 loaded") << 1 << 2 << false << 0 << false;
    QTest::newRow("ticked, 0 loaded") << 1 << 0 << false << 0 << false;
    QTest::newRow("ticked, 1 loaded") << 1 << 1 << true << 1 << true;
    QTest::newRow("cleared, 1 loaded") << 0 << 1 << true << 1 << true;
    // The box does not change: the value stays as loaded, and only 0 leaves "Exp : " out.
    QTest::newRow("cleared, -1 loaded") << 0 << -1 << false << -1 << true;
}

void TestFrmUtil::openingAProfileSetsTheExpBoxAndItsEffect()
{
    QFETCH(int, before);
    QFETCH(int, loaded);
    QFETCH(bool, ticked);
    QFETCH(int, after);
    QFETCH(bool, exp);
    Fixture f;
    SenderProfile file = f.state.sender;
    file.HeaderExp = loaded;
    const QString path = f.folder.filePath(QStringLiteral("AUTRE.UTI"));
    QVERIFY(writeSenderProfile(file, path));
    f.state.sender.HeaderExp = before;
    FrmUtil& w = f.open();
    QCOMPARE(w.headerCheck()->isChecked(), before == 1);

    UserDriver user(&w);
    user.click(w.lineBox(1));
    f.dialogs.expectOpenFile(openRequest(QString()), path);
    user.keys(QKeySequence(QStringLiteral("Ctrl+O")));
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(w.headerCheck()->isChecked(), ticked);
    QCOMPARE(f.state.sender.HeaderExp, after);
    QCOMPARE(f.preview().startsWith(QLatin1String("Exp : ")), exp);
    QCOMPARE(f.state.sender.TexteExp.startsWith(QLatin1String("Exp : ")), exp);
}

void TestFrmUtil::keysWorkFromTheTextBoxes_data()
{
    addColumns<QString, QString, QString>("focus", "keys", "dialog");
    for (const char* box : {"Text1", "Text8"}) {
        QTest::addRow("%s, Ctrl+E", box) << box << "Ctrl+E"
                                         << "save";
        QTest::addRow("%s, Ctrl+C", box) << box << "Ctrl+C"
                                         << "colour";
        QTest::addRow("%s, Ctrl+P", box) << box << "Ctrl+P"
                                         << "font";
        QTest::addRow("%s, Ctrl+N", box) << box << "Ctrl+N"
                                         << "new";
    }
    // Enter on a focused button presses it.
    QTest::newRow("Test impression, Enter") << "Command3"
                                            << "Return"
                                            << "print";
    QTest::newRow("Couleur, Enter") << "Command2"
                                    << "Return"
                                    << "colour";
}

void TestFrmUtil::keysWorkFromTheTextBoxes()
{
    QFETCH(QString, focus);
    QFETCH(QString, keys);
    QFETCH(QString, dialog);
    Fixture f;
    FrmUtil& w = f.open();
    UserDriver user(&w);
    auto* target = w.findChild<QWidget*>(focus);
    if (qobject_cast<QLineEdit*>(target))
        user.click(target);
    else
        target->setFocus(Qt::TabFocusReason); // tabbed to
    QCOMPARE(user.focus(), target);
    const auto* box = qobject_cast<QLineEdit*>(target);
    const QString text = box ? box->text() : QString();

    if (dialog == QLatin1String("save"))
        f.dialogs.expectSaveFile(saveRequest(), std::nullopt);
    else if (dialog == QLatin1String("colour"))
        f.dialogs.expectColor(std::nullopt);
    else if (dialog == QLatin1String("font"))
        f.dialogs.expectFont(std::nullopt);
    else if (dialog == QLatin1String("new"))
        f.dialogs.expectMessage(QStringLiteral("Nouveau fichier ? Confirmez."),
                                vbYesNo + vbQuestion, QStringLiteral("Nouveau fichier utilisateur"),
                                vbNo);
    else
        f.dialogs.expectMessage(
            QStringLiteral("Confirmer l'impression de l'étiquette expéditeur?"),
            vbYesNo + vbQuestion,
            QStringLiteral("Impression de l'étiquette expéditeur sur enveloppe"), vbNo);
    user.keys(QKeySequence(keys));
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    if (box)
        QCOMPARE(box->text(), text);
}

QTEST_MAIN(TestFrmUtil)
#include "tst_frmutil.moc"

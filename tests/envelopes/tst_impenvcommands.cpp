#include "envelopes/frmutil.h"
#include "impenvfixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

namespace
{

QString mm(double v)
{
    return QString::number(qRound(v * 100) / 100.0);
}

double lineHeight(double points)
{
    return points * 25.4 / 72.0;
}

} // namespace

class TestImpEnvCommands : public QObject
{
    Q_OBJECT
private slots:
    void printCommand();
    void printCommandSenderOnlyOrRefused();
    void envelopeOwnPaperSize();
    void orientation();
    void orientationWithNoPrinter();
    void senderWindowRefreshesTheSenderPreview();
    void fontAndColour();
    void parametersLoadAndSave();
    void marginAdviceAndPrintSetup();
};

void TestImpEnvCommands::printCommand()
{
    Fixture f;
    ImpEnv& w = f.open();
    w.formatOption(EnvelopeFormatId::F220x110)->click();         // 220 x 110
    w.contentOption(EnvelopeContent::AddressAndSender)->click(); // address and sender label
    f.dialogs.expectMessage(
        QStringLiteral("Confirmer l'impression de l'adresse \ret de l étiquette expéditeur ?"), 36,
        QStringLiteral("Impression de l'adresse sur enveloppe"), vbYes);
    QTest::mouseClick(w.printButton(), Qt::LeftButton);
    QVERIFY(f.verifyDone());
    QCOMPARE(f.printer.documents, 1);
    QCOMPARE(f.printer.calls.count(QStringLiteral("EndDoc")), 1);
    QVERIFY(f.printer.calls.contains("Line 20 10 65 10 255 0"));
    QVERIFY(f.printer.calls.contains(
        QStringLiteral("Print 22 %1 \"Jean Dupont\"").arg(mm(10 + lineHeight(9)))));
    QVERIFY(f.printer.calls.contains(
        QStringLiteral("Print 100 %1 \"Durand Marie\"").arg(mm(45 + lineHeight(10)))));
    QCOMPARE(f.printer.printed, (QStringList{"Jean Dupont", "12 rue des Roses", "", "75011 Paris",
                                             "", "", "Durand Marie", "Ateliers Lebrun",
                                             "12 rue des Lilas", "", "69003 Lyon", ""}));

    // A position of its own, through the menu item.
    w.contentOption(EnvelopeContent::AddressOnly)->click();
    w.formatOption(EnvelopeFormatId::Custom)->click();
    w.leftScrollBar()->setValue(123);
    w.topScrollBar()->setValue(67);
    f.printer.calls.clear();
    f.dialogs.expectMessage(QStringLiteral("Confirmer l'impression de l'adresse ?"), 36,
                            QStringLiteral("Impression de l'adresse sur enveloppe"), vbYes);
    f.action("Mnu_ImprimEnv")->trigger();
    QVERIFY(f.verifyDone());
    QVERIFY(f.printer.calls.filter("Line").isEmpty());
    QVERIFY(f.printer.calls.contains(
        QStringLiteral("Print 123 %1 \"Durand Marie\"").arg(mm(67 + lineHeight(10)))));
    QCOMPARE(f.printer.documents, 2);
}

void TestImpEnvCommands::printCommandSenderOnlyOrRefused()
{
    Fixture f;
    ImpEnv& w = f.open();
    w.contentOption(EnvelopeContent::SenderOnly)->click();
    f.dialogs.expectMessage(
        QStringLiteral("Confirmer l'impression de l'étiquette expéditeur ?"), 36,
        QStringLiteral("Impression de l'étiquette expéditeur sur enveloppe"), vbNo);
    QTest::mouseClick(w.printButton(), Qt::LeftButton);
    QVERIFY(f.verifyDone());
    QVERIFY(f.printer.calls.isEmpty());

    f.dialogs.expectMessage(
        QStringLiteral("Confirmer l'impression de l'étiquette expéditeur ?"), 36,
        QStringLiteral("Impression de l'étiquette expéditeur sur enveloppe"), vbYes);
    f.action("Mnu_ImprimEnv")->trigger();
    QVERIFY(f.verifyDone());
    QCOMPARE(f.printer.documents, 1);
    QVERIFY(f.printer.printed.contains("Jean Dupont"));
    QVERIFY(!f.printer.printed.contains("Durand Marie"));

    // A printer failure is reported and the document dropped.
    f.printer.failAt = 3;
    f.dialogs.expectMessage(
        QStringLiteral("Confirmer l'impression de l'étiquette expéditeur ?"), 36,
        QStringLiteral("Impression de l'étiquette expéditeur sur enveloppe"), vbYes);
    f.dialogs.expectMessage(
        QStringLiteral("Erreur d'impression !\rL'imprimante a refusé le document."), 16,
        QStringLiteral("Erreur"));
    QTest::mouseClick(w.printButton(), Qt::LeftButton);
    QVERIFY(f.verifyDone());
    QCOMPARE(f.printer.killed, 1);
    QCOMPARE(f.printer.documents, 1);
}

void TestImpEnvCommands::envelopeOwnPaperSize()
{
    Fixture f;
    ImpEnv& w = f.open();
    const auto print = [&] {
        f.dialogs.expectMessage(QStringLiteral("Confirmer l'impression de l'adresse ?"), 36,
                                QStringLiteral("Impression de l'adresse sur enveloppe"), vbYes);
        QTest::mouseClick(w.printButton(), Qt::LeftButton);
        QVERIFY(f.verifyDone());
    };
    // A4 unless asked, whatever the format.
    QVERIFY(!w.ownPaperCheck()->isChecked());
    w.formatOption(EnvelopeFormatId::F220x110)->click();
    print();
    QCOMPARE(f.printer.papers, QStringList{QStringLiteral("A4")});

    // The envelope's own size, in landscape as its address reads; the address keeps its place.
    QTest::mouseClick(w.ownPaperCheck(), Qt::LeftButton);
    QVERIFY(f.state.envelope.OwnSize);
    f.printer.calls.clear();
    print();
    QCOMPARE(f.printer.papers.last(), QStringLiteral("110x220 mm 2"));
    QVERIFY(f.printer.calls.contains(
        QStringLiteral("Print 100 %1 \"Durand Marie\"").arg(mm(45 + lineHeight(10)))));
    w.formatOption(EnvelopeFormatId::F160x115)->click();
    print();
    QCOMPARE(f.printer.papers.last(), QStringLiteral("115x160 mm 2"));

    // A custom envelope starts with the size of the one chosen before; its size can be set.
    w.formatOption(EnvelopeFormatId::F230x160)->click();
    w.formatOption(EnvelopeFormatId::Custom)->click();
    QCOMPARE(w.customWidthBox()->value(), 230);
    QCOMPARE(w.customHeightBox()->value(), 160);
    w.customWidthBox()->setValue(150);
    w.customHeightBox()->setValue(200);
    print();
    QCOMPARE(f.printer.papers.last(), QStringLiteral("150x200 mm 1"));

    // The choice lasts for the run; each opening starts again with 160 x 115.
    w.close();
    ImpEnv& again = f.open();
    QVERIFY(again.ownPaperCheck()->isChecked());
    QCOMPARE(QSizeF(f.state.envelope.Width, f.state.envelope.Height), QSizeF(160, 115));
}

void TestImpEnvCommands::orientation()
{
    Fixture f;
    ImpEnv& w = f.open();
    QCOMPARE(f.label("Label10"), QStringLiteral("En cours : Portrait"));
    QTest::mouseClick(w.landscapeButton(), Qt::LeftButton);
    QCOMPARE(f.printer.orientationValue, 2);
    QCOMPARE(f.label("Label10"), QStringLiteral("En cours : Paysage"));
    QVERIFY(f.action("Mnu_ImpPays")->isChecked());
    QVERIFY(!f.action("Mnu_ImpPort")->isChecked());
    QVERIFY(f.printer.calls.contains("Duplex 1"));

    f.action("Mnu_ImpPort")->trigger();
    QCOMPARE(f.printer.orientationValue, 1);
    QCOMPARE(f.label("Label10"), QStringLiteral("En cours : Portrait"));
    QVERIFY(f.action("Mnu_ImpPort")->isChecked());
    QVERIFY(!f.action("Mnu_ImpPays")->isChecked());

    // Choosing the orientation already set keeps its mark.
    f.action("Mnu_ImpPort")->trigger();
    QVERIFY(f.action("Mnu_ImpPort")->isChecked());

    // Opening the menu shows what the printer really has, without touching the status label.
    f.printer.orientationValue = 2;
    emit f.child<QMenu>("Mnu_Enveloppe")->aboutToShow();
    QVERIFY(f.action("Mnu_ImpPays")->isChecked());
    QVERIFY(!f.action("Mnu_ImpPort")->isChecked());
    QCOMPARE(f.label("Label10"), QStringLiteral("En cours : Portrait"));
    QVERIFY(f.verifyDone());
}

void TestImpEnvCommands::orientationWithNoPrinter()
{
    Fixture f;
    ImpEnv& w = f.open();
    f.printer.names.clear();
    const QString message = QStringLiteral("Aucune imprimante n'est disponible");
    f.dialogs.expectMessage(message, 0, QStringLiteral("Elvarine"));
    QTest::mouseClick(w.landscapeButton(), Qt::LeftButton);
    QVERIFY(f.verifyDone());
    // The menu item's own click does not leave a mark either.
    f.dialogs.expectMessage(message, 0, QStringLiteral("Elvarine"));
    f.action("Mnu_ImpPays")->trigger();
    QVERIFY(f.verifyDone());
    f.dialogs.expectMessage(message, 0, QStringLiteral("Elvarine"));
    f.action("Mnu_ImpPort")->trigger();
    QVERIFY(f.verifyDone());
    QCOMPARE(f.label("Label10"), QStringLiteral("En cours : Portrait"));
    QVERIFY(f.action("Mnu_ImpPort")->isChecked());
    QVERIFY(!f.action("Mnu_ImpPays")->isChecked());
    QCOMPARE(f.printer.orientationValue, 1);
}

void TestImpEnvCommands::senderWindowRefreshesTheSenderPreview()
{
    Fixture f;
    ImpEnv& w = f.open();
    w.contentOption(EnvelopeContent::AddressAndSender)->click();
    FontSpec preset;
    preset.name = QStringLiteral("Courier");
    preset.size = 9;
    preset.italic = true;
    FontSpec chosen;
    chosen.name = QStringLiteral("DejaVu Sans");
    chosen.size = 14;
    chosen.bold = true;
    f.dialogs.expectFont(chosen, preset);
    f.dialogs.expectColor(65280u, 255u);
    bool sawSenderWindow = false;
    QTimer::singleShot(0, [&] {
        auto* sender = qobject_cast<FrmUtil*>(QApplication::activeModalWidget());
        if (!sender)
            return;
        sawSenderWindow = true;
        sender->lineBox(1)->setFocus();
        sender->lineBox(1)->selectAll();
        for (const QChar c : QStringLiteral("Zoé Lambert"))
            QTest::sendKeyEvent(QTest::Click, sender->lineBox(1), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        sender->headerCheck()->click();
        sender->fontButton()->click();
        sender->colourButton()->click();
        sender->findChild<QAction*>(QStringLiteral("Mnu_Quitter"))->trigger();
    });
    f.action("Mnu_Utilisateur")->trigger();
    QVERIFY(sawSenderWindow);
    QVERIFY(f.verifyDone());
    QCOMPARE(w.senderPreview()->text(),
             QStringLiteral("Exp : Zoé Lambert\n12 rue des Roses\n\n75011 Paris\n\n"));
    QCOMPARE(w.senderPreview()->font().family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(w.senderPreview()->font().pointSizeF(), 14.0);
    QVERIFY(w.senderPreview()->font().bold());
    QVERIFY(!w.senderPreview()->font().italic());
    QCOMPARE(w.senderPreview()->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    QVERIFY(w.isVisible());
    QVERIFY(f.shown("Label9"));
}

void TestImpEnvCommands::fontAndColour()
{
    Fixture f;
    ImpEnv& w = f.open();
    FontSpec chosen{QStringLiteral("Courier"), 12, true, false, true, false};
    f.choosePrintFont(chosen);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(w.addressPreview()->font().underline());
    QVERIFY(f.state.print.FontBold);
    QVERIFY(f.state.print.FontUnderline);

    f.dialogs.expectColor(std::nullopt, 0u);
    f.action("Mnu_Couleur")->trigger();
    QCOMPARE(f.state.print.ForeColor, 0);
    f.dialogs.expectColor(16711680u, 0u);
    f.action("Mnu_Couleur")->trigger();
    QCOMPARE(f.state.print.ForeColor, 16711680);
    QCOMPARE(w.addressPreview()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    // The sender preview is not touched.
    QCOMPARE(w.senderPreview()->font().family(), QStringLiteral("Courier"));
    QCOMPARE(w.senderPreview()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(f.verifyDone());
}

void TestImpEnvCommands::parametersLoadAndSave()
{
    Fixture f;
    QTemporaryDir dir;
    f.state.CheminAppli = dir.path();
    f.state.print.MargeGauche = 7.5; // as the label window left it
    f.state.print.ImprimerDecoupe = false;
    ImpEnv& w = f.open();
    const QString filter = QStringLiteral("Fichiers de configuration (*.PAR)|*.PAR");

    FontSpec chosen;
    chosen.name = QStringLiteral("Courier");
    chosen.size = 11;
    f.dialogs.expectFont(chosen);
    f.action("Mnu_Police")->trigger();
    const QString path = dir.filePath(QStringLiteral("enveloppe.par"));
    FileDialogRequest save;
    save.title = QStringLiteral("Enregistrer");
    save.filter = filter;
    save.flags = 2;
    f.dialogs.expectSaveFile(save, path);
    f.action("Mnu_SauvePAram")->trigger();
    QVERIFY(f.verifyDone());
    QCOMPARE(fileContents(path),
             QByteArray("7.5,0,0,0,90,45\r\n#TRUE#,#FALSE#\r\n\"Courier\"\r\n11\r\n"
                        "#FALSE#\r\n#FALSE#\r\n0\r\n"));
    QCOMPARE(f.state.FicParam, path);
    QCOMPARE(w.windowTitle(), QStringLiteral("Impression des enveloppes"));

    // A cancelled save writes nothing and says nothing; a failed one says so.
    f.dialogs.expectSaveFile(save, std::nullopt);
    f.action("Mnu_SauvePAram")->trigger();
    f.dialogs.expectSaveFile(save, dir.filePath(QStringLiteral("none/x.par")));
    f.dialogs.expectMessage(QStringLiteral("Erreur de sauvegarde!"), 16, QStringLiteral("Erreur"));
    f.action("Mnu_SauvePAram")->trigger();
    QVERIFY(f.verifyDone());

    // Loading shows the file's font; cancelling the next load reads the same file again.
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "7,1,2,3,70,37\r\n#TRUE#,#TRUE#\r\n\"Serif\"\r\n13\r\n#FALSE#\r\n#TRUE#\r\n255\r\n");
    }
    f.state.FicParam = path;
    FileDialogRequest open;
    open.title = QStringLiteral("Ouvrir");
    open.filter = filter;
    open.fileName = path;
    f.dialogs.expectOpenFile(open, std::nullopt, true);
    f.action("Mnu_ChargeParam")->trigger();
    QVERIFY(f.verifyDone());
    QCOMPARE(f.state.print.LargeurEtiq, 70.0);
    QCOMPARE(w.addressPreview()->font().family(), QStringLiteral("Serif"));
    QCOMPARE(w.addressPreview()->font().pointSizeF(), 13.0);
    QVERIFY(w.addressPreview()->font().italic());
    QCOMPARE(w.addressPreview()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

void TestImpEnvCommands::marginAdviceAndPrintSetup()
{
    Fixture f;
    ImpEnv& w = f.open();
    f.dialogs.expectMessage(marginAdviceText(), 64, QStringLiteral("Avertissement"));
    QTest::mouseClick(w.marginHelpButton(), Qt::LeftButton);
    QVERIFY(f.verifyDone());

    // A cancelled print setup is silent.
    f.printer.printSetupAnswer = false;
    f.action("Mnu_ConfImp")->trigger();
    QCOMPARE(f.printer.calls, QStringList{"PrintSetup"});
    QVERIFY(f.verifyDone());

    f.action("Mnu_Fermer")->trigger();
    QVERIFY(!f.window->isVisible());
}

QTEST_MAIN(TestImpEnvCommands)
#include "tst_impenvcommands.moc"

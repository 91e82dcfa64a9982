#include "impetiqfixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

class TestImpEtiqCommands : public QObject
{
    Q_OBJECT
private slots:
    void savingFromTheWindow();
    void loadingIntoTheWindow();
    void defaultParameters();
    void orientationCommands();
    void noPrinterForOrientation();
    void fontColourAndPrintSetup();
};

void TestImpEtiqCommands::savingFromTheWindow()
{
    Fixture f;
    QTemporaryDir dir;
    f.state.CheminAppli = dir.path();
    ImpEtiq& w = f.open();
    // Pasted: the key filter lets it through.
    w.geometryBox(GeometryField::LeftMargin)->setText(QStringLiteral("12.5cm"));
    w.geometryBox(GeometryField::Height)->setText(QString());
    f.child<QCheckBox>("Check1")->setCheckState(Qt::PartiallyChecked);
    const QString path = dir.filePath(QStringLiteral("planche.par"));
    FileDialogRequest request;
    request.title = QStringLiteral("Enregistrer");
    request.filter = QStringLiteral("Fichiers de configuration (*.PAR)|*.PAR");
    request.flags = 2;
    f.dialogs.expectSaveFile(request, path);
    f.action("Mnu_SauveParam")->trigger();
    QVERIFY(f.verifyDone());
    QCOMPARE(fileContents(path),
             QByteArray("12.5,0,0,0,90,0\r\n#FALSE#,#TRUE#\r\n\"Arial\"\r\n10\r\n"
                        "#FALSE#\r\n#FALSE#\r\n0\r\n"));
    QCOMPARE(f.state.FicParam, path);
    QCOMPARE(w.windowTitle(), QStringLiteral("Paramétrage de l'impression PLANCHE.PAR"));

    // A cancelled save writes nothing and says nothing.
    QFile::remove(path);
    f.dialogs.expectSaveFile(request, std::nullopt);
    f.action("Mnu_SauveParam")->trigger();
    QVERIFY(f.verifyDone());
    QVERIFY(!QFile::exists(path));

    // A file that cannot be written.
    f.dialogs.expectSaveFile(request, dir.filePath(QStringLiteral("none/x.par")));
    f.dialogs.expectMessage(QStringLiteral("Erreur de sauvegarde!"), 16, QStringLiteral("Erreur"));
    f.action("Mnu_SauveParam")->trigger();
    QVERIFY(f.verifyDone());
}

void TestImpEtiqCommands::loadingIntoTheWindow()
{
    Fixture f;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("avery.par"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("7,1,2,3,70,37\r\n1,1\r\n\"Courier\"\r\n12\r\n#TRUE#\r\n#FALSE#\r\n255\r\n");
    }
    ImpEtiq& w = f.open();
    FileDialogRequest request;
    request.title = QStringLiteral("Ouvrir");
    request.filter = QStringLiteral("Fichiers de configuration (*.PAR)|*.PAR");
    f.dialogs.expectOpenFile(request, path);
    f.action("Mnu_ChargeParam")->trigger();
    QVERIFY(f.verifyDone());
    const QStringList shown{"7", "2", "1", "3", "70", "37"}; // Text1..Text6
    for (int i = 0; i < kGeometryFieldCount; ++i)
        QCOMPARE(w.geometryBox(GeometryField(i))->text(), shown[i]);
    QVERIFY(!f.child<QCheckBox>("Check1")->isChecked());
    QVERIFY(!f.child<QCheckBox>("Check2")->isChecked());
    QCOMPARE(w.addressPreview()->font().family(), QStringLiteral("Courier"));
    QVERIFY(w.addressPreview()->font().bold());
    QCOMPARE(w.addressPreview()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(w.windowTitle(), QStringLiteral("Paramétrage de l'impression AVERY.PAR"));

    // Cancelling the next load reads the same file again.
    selectAllAndType(w.geometryBox(GeometryField::Width), QStringLiteral("99"));
    request.fileName = path;
    f.dialogs.expectOpenFile(request, std::nullopt, true);
    f.action("Mnu_ChargeParam")->trigger();
    QVERIFY(f.verifyDone());
    QCOMPARE(w.geometryBox(GeometryField::Width)->text(), QStringLiteral("70"));
    QCOMPARE(f.state.print.LargeurEtiq, 70.0);
}

void TestImpEtiqCommands::defaultParameters()
{
    Fixture f;
    f.state.print.FontName = QStringLiteral("Courier");
    ImpEtiq& w = f.open();
    f.child<QRadioButton>("Option1")->click();
    selectAllAndType(w.countBox(), QStringLiteral("3"));
    selectAllAndType(w.geometryBox(GeometryField::LeftMargin), QStringLiteral("11"));
    selectAllAndType(w.geometryBox(GeometryField::Width), QStringLiteral("60"));
    f.child<QCheckBox>("Check1")->setChecked(false);
    w.setWindowTitle(QStringLiteral("x"));
    f.action("Mnu_ParamDefaut")->trigger();
    const QStringList geometry{"5", "0", "0", "0", "90", "45"};
    for (int i = 0; i < kGeometryFieldCount; ++i)
        QCOMPARE(w.geometryBox(GeometryField(i))->text(), geometry[i]);
    QCOMPARE(f.state.print.MargeGauche, 5.0);
    QCOMPARE(f.state.print.LargeurEtiq, 90.0);
    QCOMPARE(w.countBox()->text(), QStringLiteral("8"));
    QCOMPARE(f.state.label.NbEtiquettes, 8);
    QCOMPARE(f.child<QRadioButton>("Option1")->text(), QStringLiteral("8 étiquettes identiques"));
    QCOMPARE(w.printButton()->text(), QStringLiteral("&Imprimer 8 étiquettes"));
    QVERIFY(f.child<QCheckBox>("Check1")->isChecked());
    QVERIFY(f.state.print.ImprimerCadre);
    QCOMPARE(f.state.print.FontName, QStringLiteral("Courier"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Paramétrage de l'impression DEFAUT"));
    QVERIFY(f.verifyDone());
}

void TestImpEtiqCommands::orientationCommands()
{
    Fixture f;
    ImpEtiq& w = f.open();
    QTest::mouseClick(w.landscapeButton(), Qt::LeftButton);
    QCOMPARE(f.printer.orientationValue, 2);
    QCOMPARE(f.child<QLabel>("Label16")->text(), QStringLiteral("En cours : Paysage"));
    QVERIFY(f.action("Mnu_ImpPays")->isChecked());
    QVERIFY(!f.action("Mnu_ImpPort")->isChecked());
    f.action("Mnu_ImpPort")->trigger();
    QCOMPARE(f.child<QLabel>("Label16")->text(), QStringLiteral("En cours : Portrait"));
    QVERIFY(f.action("Mnu_ImpPort")->isChecked());
    QVERIFY(!f.action("Mnu_ImpPays")->isChecked());
    // Opening the menu shows what the printer really has.
    f.printer.orientationValue = 2;
    emit f.child<QMenu>("Mnu_Etiq")->aboutToShow();
    QCOMPARE(f.child<QLabel>("Label16")->text(), QStringLiteral("En cours : Paysage"));
    QVERIFY(f.action("Mnu_ImpPays")->isChecked());
    QVERIFY(f.verifyDone());
}

void TestImpEtiqCommands::noPrinterForOrientation()
{
    Fixture f;
    ImpEtiq& w = f.open();
    f.printer.names.clear();
    f.dialogs.expectMessage(QStringLiteral("Aucune imprimante n'est disponible"), 0,
                            QStringLiteral("Elvarine"));
    QTest::mouseClick(w.landscapeButton(), Qt::LeftButton);
    QVERIFY(f.verifyDone());
    QCOMPARE(f.child<QLabel>("Label16")->text(), QStringLiteral("En cours : Portrait"));
    QVERIFY(f.action("Mnu_ImpPort")->isChecked());
    QVERIFY(!f.action("Mnu_ImpPays")->isChecked());
}

void TestImpEtiqCommands::fontColourAndPrintSetup()
{
    Fixture f;
    ImpEtiq& w = f.open();
    FontSpec chosen{QStringLiteral("Courier"), 12, false, true, false, true};
    f.choosePrintFont(chosen);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(f.state.print.FontItalic);
    QVERIFY(f.state.print.FontStrikethru);

    f.dialogs.expectColor(65280u, 0u);
    f.action("Mnu_Couleur")->trigger();
    QCOMPARE(f.state.print.ForeColor, 65280);
    QCOMPARE(w.addressPreview()->palette().color(QPalette::WindowText), QColor(0, 255, 0));

    f.action("Mnu_ConfIMP")->trigger();
    QVERIFY(f.printer.calls.contains("PrintSetup"));
    QVERIFY(f.verifyDone());
}

QTEST_MAIN(TestImpEtiqCommands)
#include "tst_impetiqcommands.moc"

// The contacts windows and commands, driven as a user drives them.
#include "contacts/contactexport.h"
#include "contacts/contactscommands.h"
#include "contacts/csvmappingdialog.h"
#include "contacts/importsummarydialog.h"
#include "contacts/vcardreader.h"
#include "contacts/vcardwriter.h"
#include "datacolumns.h"
#include "fakerecordform.h"
#include "filebytes.h"
#include "mainwindowfixture.h"
#include "modaldriver.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace
{

void show(QWidget& w)
{
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

// Chooses `entry` in a combo box the way a user does: a click opens its list, the arrow keys
// move in it, Enter takes the entry.
void chooseWithKeys(QComboBox* combo, const QString& entry)
{
    QTest::mouseClick(combo, Qt::LeftButton);
    QTRY_VERIFY(QApplication::activePopupWidget());
    const int steps = combo->findText(entry) - combo->currentIndex();
    for (int i = 0; i < std::abs(steps); ++i)
        QTest::keyClick(QApplication::focusWidget(), steps > 0 ? Qt::Key_Down : Qt::Key_Up);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QCOMPARE(combo->currentText(), entry);
}

FileDialogRequest request(const QString& title, const char* filter, int filterIndex, int flags,
                          const QString& fileName = QString())
{
    return fileRequest(title, QString::fromUtf8(filter), flags, filterIndex, fileName);
}

} // namespace

class TestContactsWindows : public QObject
{
    Q_OBJECT
private slots:
    void mappingWindowDrivenByTheUser();
    void mappingWindowWithNothingChosenCannotImport();
    void summaryWindowSavesItsList();
    void importWithMappingWindowAndSummary();
    void cancelDuringImportLeavesTheFileAsItWas();
    void importWithNoFileOpenMakesTheDefaultFile();
    void exportFollowsTheFilterChosen_data();
    void exportFollowsTheFilterChosen();
    void exportOfTheRecordShown();

private:
    QTemporaryDir m_dir;
};

void TestContactsWindows::mappingWindowDrivenByTheUser()
{
    const CsvReadResult csv = readCsv("Qui;Courriel;Ville natale;Divers\r\n"
                                      "Durand;m@exemple.fr;Lyon;\"a\nb\"\r\n"
                                      "Petit;p@exemple.fr;Nancy;c\r\n");
    CsvMappingDialog w(csv.table);
    show(w);
    QCOMPARE(w.columnCount(), 4);
    QCOMPARE(w.columnName(2)->text(), QStringLiteral("Ville natale"));
    QCOMPARE(w.firstValues(3)->text(), QStringLiteral("a ↵ b | c"));
    QCOMPARE(w.fieldList(0)->count(), 17);
    // A name people give columns is proposed; the others are left out until chosen.
    QCOMPARE(w.fieldList(1)->currentText(), QStringLiteral("E-Mail"));
    QCOMPARE(w.fieldList(0)->currentText(), QStringLiteral("ignorer"));
    QCOMPARE(w.fieldList(2)->accessibleName(), QStringLiteral("Champ de la colonne Ville natale"));

    chooseWithKeys(w.fieldList(0), QStringLiteral("Nom"));
    chooseWithKeys(w.fieldList(2), QStringLiteral("Localité"));
    chooseWithKeys(w.fieldList(3), QStringLiteral("Notes"));
    chooseWithKeys(w.fieldList(3), QStringLiteral("ignorer"));

    // The first row is data after all.
    QTest::mouseClick(w.headerCheck(), Qt::LeftButton, {},
                      QPoint(8, w.headerCheck()->height() / 2));
    QVERIFY(!w.headerCheck()->isChecked());
    QCOMPARE(w.columnName(0)->text(), QStringLiteral("Colonne 1"));
    QCOMPARE(w.firstValues(0)->text(), QStringLiteral("Qui | Durand | Petit"));

    QTest::mouseClick(w.importButton(), Qt::LeftButton);
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(w.fields(), std::vector<int>({Field::Nom, Field::Email, Field::Ville, -1}));
    const CsvMapping mapping = w.mapping();
    QVERIFY(!mapping.headerRow);
    const std::vector<Contact> contacts = contactsOfCsv(csv.table, mapping);
    QCOMPARE(contacts.size(), size_t(3));
    QCOMPARE(contacts[1][Field::Ville], QStringLiteral("Lyon"));
}

void TestContactsWindows::mappingWindowWithNothingChosenCannotImport()
{
    const CsvReadResult csv = readCsv("A;B\r\n1;2\r\n");
    CsvMappingDialog w(csv.table);
    show(w);
    QVERIFY(!w.importButton()->isEnabled());
    chooseWithKeys(w.fieldList(1), QStringLiteral("Prénom"));
    QVERIFY(w.importButton()->isEnabled());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(w.result(), int(QDialog::Rejected));
}

void TestContactsWindows::summaryWindowSavesItsList()
{
    ImportSummary summary;
    summary.source = m_dir.filePath(QStringLiteral("contacts.vcf"));
    summary.read = 4;
    summary.imported = 2;
    summary.identical = 1;
    summary.empty = 1;
    summary.leftOut = {{2, "Sand George", Field::CodePostal, "360400", 5},
                       {3, "", Field::Notes, "une\nnote", 255}};
    ScriptedDialogs dialogs;
    ImportSummaryDialog w(summary, dialogs);
    show(w);
    QCOMPARE(w.counts()->text(),
             QStringLiteral("Fichier importé : %1\nFiches lues : 4\nFiches importées : 2\n"
                            "Fiches ignorées car identiques à une fiche du fichier : 1\n"
                            "Fiches vides ignorées : 1\n"
                            "Valeurs non importées (trop longues pour leur champ) : 2")
                 .arg(summary.source));
    QCOMPARE(w.leftOutList()->toPlainText(),
             QStringLiteral("Fiche n° 2 (Sand George), Code postal (5 caractères au plus) : "
                            "360400\nFiche n° 3 (sans nom), Notes (255 caractères au plus) : "
                            "une ↵ note"));

    const QString saved = m_dir.filePath(QStringLiteral("bilan.txt"));
    dialogs.expectSaveFile(request("Enregistrer le bilan", "Fichier texte (*.txt)|*.txt", 1,
                                   cdlOFNOverwritePrompt, "Bilan de l'importation.txt"),
                           saved, true);
    QTest::mouseClick(w.saveButton(), Qt::LeftButton);
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
    QCOMPARE(QString::fromUtf8(fileBytes(saved)), summary.text());

    // A second save through its mnemonic, to a folder that does not exist.
    const QString nowhere = m_dir.filePath(QStringLiteral("absent/bilan.txt"));
    dialogs
        .expectSaveFile(request("Enregistrer le bilan", "Fichier texte (*.txt)|*.txt", 1,
                                cdlOFNOverwritePrompt, saved),
                        nowhere, true)
        .expectMessageStartingWith(
            QStringLiteral("Impossible d'écrire le fichier %1.\r").arg(nowhere), vbCritical,
            QStringLiteral("Erreur"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::AltModifier);
    // A mnemonic presses the button the way a click does, a moment later.
    QTRY_VERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
    QVERIFY(w.isVisible());
    QTest::mouseClick(w.closeButton(), Qt::LeftButton);
    QVERIFY(!w.isVisible());
}

void TestContactsWindows::importWithMappingWindowAndSummary()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Zola", "Émile"}});
    const QString csv = f.path(QStringLiteral("liste.csv"));
    writeFile(csv, "Qui,Prénom usuel,Commune\r\nVerne,Jules,Nantes\r\nZola,Émile,\r\n"
                   "Aragon,Louis,Paris\r\n");
    f.dialogs.expectOpenFile(request("Importer des contacts", kImportFilter, 1, 0), csv);
    QString summaryShown;
    ModalDriver driver([&](QWidget* modal) {
        if (auto* mapping = qobject_cast<CsvMappingDialog*>(modal)) {
            modal->activateWindow();
            if (!QTest::qWaitForWindowActive(modal))
                return false;
            chooseWithKeys(mapping->fieldList(0), QStringLiteral("Nom"));
            chooseWithKeys(mapping->fieldList(1), QStringLiteral("Prénom"));
            chooseWithKeys(mapping->fieldList(2), QStringLiteral("Localité"));
            QTest::mouseClick(mapping->importButton(), Qt::LeftButton);
            return true;
        }
        if (auto* summary = qobject_cast<ImportSummaryDialog*>(modal)) {
            summaryShown = summary->counts()->text();
            QTest::mouseClick(summary->closeButton(), Qt::LeftButton);
            return true;
        }
        return false;
    });
    int refreshes = 0;
    QVERIFY(importContacts(f.state, f.services, w.binding(), &w, [&] {
        ++refreshes;
        w.cmdRefresh_Click();
    }));
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(refreshes, 1);
    QVERIFY2(summaryShown.contains("Fiches lues : 3\nFiches importées : 2\nFiches ignorées car "
                                   "identiques à une fiche du fichier : 1"),
             qPrintable(summaryShown));
    QCOMPARE(listLines(w), QStringList({"Aragon Louis", "Verne Jules", "Zola Émile"}));
    const QList<QVariantList> rows = readAddressFile(f.path(QStringLiteral("Elvarine.adb")));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[1][6].toString(), QStringLiteral("Nantes"));
    QCOMPARE(f.state.contacts.lastImport, csv);
}

void TestContactsWindows::importWithNoFileOpenMakesTheDefaultFile()
{
    // A first start: no address file yet. The start-up database is never written.
    MainWindowFixture f;
    frmElvarine& w = f.start();
    const QString mdb = f.path(QStringLiteral("Elvarine.mdb"));
    const QByteArray startup = fileBytes(mdb);
    const QString cards = f.path(QStringLiteral("amis.vcf"));
    writeFile(cards, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Verne;Jules;;;\r\nEND:VCARD\r\n"
                     "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Sand;George;;;\r\nEND:VCARD\r\n");
    f.dialogs.expectOpenFile(request("Importer des contacts", kImportFilter, 1, 0), cards);
    ModalDriver driver([](QWidget* modal) {
        if (auto* summary = qobject_cast<ImportSummaryDialog*>(modal)) {
            QTest::mouseClick(summary->closeButton(), Qt::LeftButton);
            return true;
        }
        return false;
    });
    w.command(Command::ImporterContacts)->trigger();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    // The default address file, made for them and opened, holds the contacts and nothing else.
    const QString adb = f.path(QStringLiteral("Elvarine.adb"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Elvarine ") + adb);
    QCOMPARE(listLines(w), QStringList({"Sand George", "Verne Jules"}));
    QCOMPARE(readAddressFile(adb).size(), 2);
    QCOMPARE(fileBytes(mdb), startup);

    // Cancelled with no file open: nothing is made.
    MainWindowFixture g;
    frmElvarine& v = g.start();
    g.dialogs.expectOpenFile(request("Importer des contacts", kImportFilter, 1, 0), std::nullopt);
    v.command(Command::ImporterContacts)->trigger();
    QVERIFY2(g.dialogs.done(), qPrintable(g.dialogs.pending()));
    QVERIFY(!QFile::exists(g.path(QStringLiteral("Elvarine.adb"))));
    QCOMPARE(v.windowTitle(), QStringLiteral("Elvarine"));
}

void TestContactsWindows::cancelDuringImportLeavesTheFileAsItWas()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Zola", "Émile"}, {"Hugo", "Victor"}});
    f.state.contacts.progressDelayMs = 0;
    std::vector<Contact> many;
    for (int i = 0; i < 40000; ++i) {
        Contact c;
        c[Field::Nom] = QStringLiteral("Nom%1").arg(i);
        c[Field::Prenom] = QStringLiteral("Prénom");
        many.push_back(c);
    }
    const QString cards = f.path(QStringLiteral("beaucoup.vcf"));
    writeFile(cards, writeVCards(many, VCardVersion::V30));
    const QString adb = f.path(QStringLiteral("Elvarine.adb"));
    const QByteArray before = QCryptographicHash::hash(fileBytes(adb), QCryptographicHash::Sha256);

    f.dialogs.expectOpenFile(request("Importer des contacts", kImportFilter, 1, 0), cards)
        .expectMessage(QStringLiteral("Importation annulée : le fichier d'adresses est resté tel "
                                      "qu'il était."),
                       vbInformation, QStringLiteral("Importer des contacts"));
    bool pressed = false;
    ModalDriver driver([&](QWidget* modal) {
        auto* progress = qobject_cast<QProgressDialog*>(modal);
        if (!progress || !progress->labelText().startsWith(QLatin1String("Importation")))
            return false;
        QPushButton* cancel = progress->findChild<QPushButton*>();
        if (!cancel || cancel->text() != QLatin1String("Annuler"))
            return false;
        QTest::mouseClick(cancel, Qt::LeftButton);
        pressed = true;
        return true;
    });
    QVERIFY(!importContacts(f.state, f.services, w.binding(), &w, [&] { w.cmdRefresh_Click(); }));
    QVERIFY(pressed);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(listLines(w), QStringList({"Hugo Victor", "Zola Émile"}));
    QCOMPARE(w.binding().recordset().RecordCount(), 2);
    QCOMPARE(QCryptographicHash::hash(fileBytes(adb), QCryptographicHash::Sha256), before);
}

void TestContactsWindows::exportFollowsTheFilterChosen_data()
{
    addColumns<int, QByteArray>("filter", "start");
    QTest::newRow("vCard 3.0") << 1 << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Victor Hugo");
    QTest::newRow("vCard 4.0") << 2 << QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Victor Hugo");
    QTest::newRow("CSV ;") << 3 << QByteArray("\xEF\xBB\xBFNom;Prénom;Société;");
    QTest::newRow("CSV ,") << 4 << QByteArray("\xEF\xBB\xBFNom,Prénom,Société,");
}

void TestContactsWindows::exportFollowsTheFilterChosen()
{
    QFETCH(int, filter);
    QFETCH(QByteArray, start);
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Zola", "Émile"}, {"Hugo", "Victor"}});
    const QString out = f.path(QStringLiteral("sortie"));
    f.dialogs
        .expectSaveFile(request("Exporter les contacts", kExportFilter, 1, cdlOFNOverwritePrompt,
                                "Contacts.vcf"),
                        out, true)
        .choosingFilter(filter)
        .expectMessage(QStringLiteral("2 fiches exportées dans %1.").arg(out), vbInformation,
                       QStringLiteral("Exporter les contacts"));
    QVERIFY(exportAllContacts(f.state, f.services, w.binding(), &w));
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QVERIFY2(fileBytes(out).startsWith(start), fileBytes(out).left(80).constData());
    QCOMPARE(f.state.contacts.exportFilter, filter);
}

void TestContactsWindows::exportOfTheRecordShown()
{
    FakeRecordForm form;
    form.records = {durand()};
    form.selected = 0;
    ScriptedDialogs dialogs;
    Services services;
    services.dialogs = &dialogs;
    AppState state;
    state.contacts.exportFilter = 2;
    const QString out = m_dir.filePath(QStringLiteral("durand.vcf"));
    dialogs
        .expectSaveFile(request("Exporter la fiche en cours", kExportFilter, 2,
                                cdlOFNOverwritePrompt, "Durand Marie.vcf"),
                        out, true)
        .choosingFilter(2)
        .expectMessage(QStringLiteral("La fiche Durand Marie a été exportée dans %1.").arg(out),
                       vbInformation, QStringLiteral("Exporter la fiche en cours"));
    QVERIFY(exportCurrentContact(state, services, form, nullptr));
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
    const QByteArray bytes = fileBytes(out);
    QVERIFY(bytes.contains("VERSION:4.0\r\n"));
    const VCardReadResult back = readVCards(bytes);
    QCOMPARE(back.contacts.size(), size_t(1));
    const Contact& c = back.contacts.front();
    QCOMPARE(c[Field::Societe], QStringLiteral("Ateliers Lebrun"));
    QCOMPARE(c[Field::Adresse], QStringLiteral("12 rue des Lilas"));
    QCOMPARE(c[Field::CodePostal], QStringLiteral("69003"));
    QCOMPARE(c[Field::Pays], QStringLiteral("France"));
    // Boxes holding one space are empty: nothing of them is written.
    QVERIFY(c[Field::Telephone].isNull());
    QVERIFY(!bytes.contains("TEL"));
}

QTEST_MAIN(TestContactsWindows)
#include "tst_contactswindows.moc"

// The main window on files other programs made or change while it runs: opening refusals with
// their own reasons, a damaged record, a record changed, moved or replaced before a store or
// Supprimer, a file on a full disk or a read-only medium.
#include "core/enginemessages.h"
#include "mainwindowfixture.h"
#include "otherprogram.h"
#include "smallfilesystem.h"
#include "userdriver.h"

#include <QApplication>
#include <QGroupBox>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QTest>

namespace
{

QVariantList person(const QString& nom, const QString& prenom)
{
    return {nom, prenom};
}

// The sixteen columns as this program creates them, with `numericColumn` declared INTEGER
// when given, and `extra` columns at the end.
QString tableSql(const QString& numericColumn = QString(), const QString& extra = QString())
{
    QStringList columns;
    for (int c = 0; c < kColumnCount; ++c) {
        const QString name = columnName(c);
        columns << QStringLiteral("\"%1\" %2")
                       .arg(name, name == numericColumn ? QStringLiteral("INTEGER")
                                                        : QStringLiteral("TEXT(50)"));
    }
    if (!extra.isEmpty())
        columns << extra;
    return QStringLiteral("CREATE TABLE Elvarine (%1);").arg(columns.join(QLatin1String(", ")));
}

void activate(frmElvarine& w)
{
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

void clickButton(frmElvarine& w, const char* name)
{
    auto* button = w.findChild<QPushButton*>(QString::fromLatin1(name));
    QVERIFY(button && button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
}

// Each record of the file at `path` as "Nom Ville", in stored order.
QStringList namesAndTowns(const QString& path)
{
    QStringList out;
    for (const QVariantList& r : readAddressFile(path))
        out << r[0].toString() + QLatin1Char(' ') + r[6].toString();
    return out;
}

QStringList storedNames(const QString& path)
{
    QStringList out;
    for (const QVariantList& r : readAddressFile(path))
        out << r[0].toString();
    return out;
}

QList<QVariantList> fiveRecords()
{
    QList<QVariantList> rows;
    for (const char* name : {"Alpha", "Bravo", "Charlie", "Delta", "Echo"})
        rows << QVariantList{
            QString::fromLatin1(name), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
            QStringLiteral("Lyon")};
    return rows;
}

// Shows the record named `nom` (the list is sorted and the names are unique).
void select(frmElvarine& w, const QString& nom)
{
    for (int i = 0; i < w.listCount(); ++i) {
        if (w.listText(i).startsWith(nom + QLatin1Char(' ')))
            w.setListIndex(i);
    }
    QCOMPARE(w.fieldText(FieldBox::Nom), nom);
}

} // namespace

class TestForeignFiles : public QObject
{
    Q_OBJECT
private slots:
    void openingSaysWhyTheFileWasRefused_data();
    void openingSaysWhyTheFileWasRefused();
    void damagedRecordIsSaidOnce();
    void supprimerKeepsARecordChangedElsewhere();
    void storeAgainAfterAnotherProgramCompactedTheFile_data();
    void storeAgainAfterAnotherProgramCompactedTheFile();
    void supprimerAfterAnotherProgramCompactedTheFile_data();
    void supprimerAfterAnotherProgramCompactedTheFile();
    void fileOnAFullOrReadOnlyDiskIsReadAndItsFirstStoreSaysWhy_data();
    void fileOnAFullOrReadOnlyDiskIsReadAndItsFirstStoreSaysWhy();
    void longValueIsKeptWholeAndTheWindowStaysUsable_data();
    void longValueIsKeptWholeAndTheWindowStaysUsable();
};

void TestForeignFiles::openingSaysWhyTheFileWasRefused_data()
{
    QTest::addColumn<QString>("condition");
    QTest::newRow("locked by another program") << "locked";
    QTest::newRow("trigger") << "trigger";
    QTest::newRow("numeric column") << "numeric";
    QTest::newRow("row number hidden") << "rowid";
}

void TestForeignFiles::openingSaysWhyTheFileWasRefused()
{
    QFETCH(QString, condition);
    MainWindowFixture f;
    frmElvarine& w = f.startWith({person(QStringLiteral("Durand"), QStringLiteral("Marie"))});
    const QString other = f.path(QStringLiteral("Autre.adb"));
    QString reason;
    std::unique_ptr<OtherProgram> holder;
    if (condition == QLatin1String("locked")) {
        makeAddressFile(other, {person(QStringLiteral("Zola"), QString())});
        holder = std::make_unique<OtherProgram>(other, QStringLiteral("BEGIN EXCLUSIVE;"), 30);
        QVERIFY(holder->waitUntilReady());
        reason = lockedFileMessage(other);
    } else if (condition == QLatin1String("trigger")) {
        makeAddressFile(other, {person(QStringLiteral("Zola"), QString())});
        runSqlite3(other, QStringLiteral("CREATE TRIGGER t AFTER INSERT ON Elvarine BEGIN DELETE "
                                         "FROM Elvarine WHERE rowid < new.rowid; END;"));
        reason = triggersMessage(other, {QStringLiteral("t")});
    } else if (condition == QLatin1String("numeric")) {
        runSqlite3(other, tableSql(QStringLiteral("Code postal")));
        reason =
            numericColumnMessage(other, QStringLiteral("Code postal"), QStringLiteral("INTEGER"));
    } else {
        runSqlite3(other,
                   tableSql(QString(), QStringLiteral("rowid TEXT, oid TEXT, _rowid_ TEXT")));
        reason = rowNumberHiddenMessage(other);
    }
    FileDialogRequest request;
    request.title = QStringLiteral("Ouvrir le fichier");
    request.filter = QStringLiteral("Elvarine (*.adb)|*.adb");
    f.dialogs.expectOpenFile(request, other);
    f.dialogs.expectMessage(reason + QStringLiteral("\rIl n'a pas été ouvert."), 16,
                            QStringLiteral("Erreur"));
    w.command(Command::Ouvrir)->trigger();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    // The file already open stays open.
    QCOMPARE(w.windowTitle(), QStringLiteral("Elvarine ") + f.path(QStringLiteral("Elvarine.adb")));
    QCOMPARE(listLines(w), QStringList{QStringLiteral("Durand Marie")});
}

void TestForeignFiles::damagedRecordIsSaidOnce()
{
    MainWindowFixture f;
    const QString path = f.path(QStringLiteral("Elvarine.adb"));
    // The damaged record is the list's first line: the one opening shows.
    makeAddressFile(path, {person(QStringLiteral("Martin"), QStringLiteral("Luc")),
                           person(QStringLiteral("Abel"), QStringLiteral("Anne"))});
    QVERIFY(damageRecord(path, 2));
    f.dialogs.expectMessage(damagedRecordMessage(path), 16, QStringLiteral("Erreur"));
    frmElvarine& w = f.start();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(listLines(w),
             (QStringList{QStringLiteral("Abel Anne"), QStringLiteral("Martin Luc")}));
    QCOMPARE(w.fieldText(FieldBox::Nom), QString());
    // The other record shows without a word; coming back to the damaged one says it again.
    activate(w);
    w.list()->setFocus();
    QTest::keyClick(w.list(), Qt::Key_Down);
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Martin"));
    QVERIFY(f.dialogs.shown.size() == 1);
    f.dialogs.expectMessage(damagedRecordMessage(path), 16, QStringLiteral("Erreur"));
    QTest::keyClick(w.list(), Qt::Key_Up);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
}

void TestForeignFiles::supprimerKeepsARecordChangedElsewhere()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({person(QStringLiteral("Durand"), QStringLiteral("Marie")),
                                  person(QStringLiteral("Bernard"), QStringLiteral("Luc"))});
    const QString path = f.path(QStringLiteral("Elvarine.adb"));
    activate(w);
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Bernard"));
    // Another program changes the record shown; the user then deletes it.
    runSqlite3(path, QStringLiteral("UPDATE Elvarine SET Ville = 'Brest' WHERE Nom = 'Bernard';"));
    f.dialogs.expectMessage(
        QStringLiteral("Voulez-vous vraiment supprimer la fiche ?\rBernard Luc"), 36,
        QStringLiteral("Supprimer la fiche"), vbYes);
    f.dialogs.expectMessage(recordChangedBeforeDeleteMessage(path), 48, QStringLiteral("Erreur"));
    clickButton(w, "cmdDelete");
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(readAddressFile(path).size(), 2);
    QCOMPARE(w.fieldText(FieldBox::Ville), QStringLiteral("Brest"));
    // Seen as it is now, it is deleted when the user asks again.
    f.dialogs.expectMessage(
        QStringLiteral("Voulez-vous vraiment supprimer la fiche ?\rBernard Luc"), 36,
        QStringLiteral("Supprimer la fiche"), vbYes);
    clickButton(w, "cmdDelete");
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(listLines(w), QStringList{QStringLiteral("Durand Marie")});
    QCOMPARE(readAddressFile(path).size(), 1);
}

void TestForeignFiles::longValueIsKeptWholeAndTheWindowStaysUsable_data()
{
    QTest::addColumn<int>("box");
    QTest::newRow("Notes") << int(FieldBox::Notes);
    QTest::newRow("Nom") << int(FieldBox::Nom);
}

void TestForeignFiles::longValueIsKeptWholeAndTheWindowStaysUsable()
{
    QFETCH(int, box);
    const FieldBox longBox = FieldBox(box);
    const QString column = columnName(columnOfBox(longBox));
    MainWindowFixture f;
    const QString path = f.path(QStringLiteral("Elvarine.adb"));
    makeAddressFile(path, {person(QStringLiteral("Aaron"), QStringLiteral("Paul")),
                           person(QStringLiteral("Durand"), QStringLiteral("Marie"))});
    // A megabyte on one line, stored by another program.
    const QString value = QStringLiteral("Aaron ") + QString(1 << 20, QLatin1Char('x'));
    runSqlite3(path, QStringLiteral("UPDATE Elvarine SET \"%1\" = 'Aaron ' || printf('%.%2c', "
                                    "'x') WHERE rowid = 1;")
                         .arg(column)
                         .arg(1 << 20));
    frmElvarine& w = f.start();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(w.fieldText(longBox), value);
    if (longBox == FieldBox::Nom)
        QCOMPARE(w.listText(0), value + QStringLiteral(" Paul"));

    // The user modifies another field of the record, as usual, and stores it.
    activate(w);
    clickButton(w, "cmdUpdate");
    w.field(longBox)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z);
    QCOMPARE(w.fieldText(longBox), value); // shown in part, it cannot be typed over
    w.field(FieldBox::Ville)->setFocus();
    typeText(QApplication::focusWidget(), QStringLiteral("Lyon"));
    clickButton(w, "cmdRefresh");
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(runSqlite3(path, QStringLiteral("SELECT Ville, \"%1\" = 'Aaron ' || printf('%.%2c', "
                                             "'x') FROM Elvarine WHERE rowid = 1;")
                                  .arg(column)
                                  .arg(1 << 20)),
             QStringLiteral("Lyon|1\n"));
    QCOMPARE(w.fieldText(longBox), value);

    // Delete empties the box, and another value can be typed in its place.
    clickButton(w, "cmdUpdate");
    w.field(longBox)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    QCOMPARE(w.fieldText(longBox), QString());
    typeText(QApplication::focusWidget(), QStringLiteral("Court"));
    clickButton(w, "cmdRefresh");
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(runSqlite3(path,
                        QStringLiteral("SELECT \"%1\" FROM Elvarine WHERE rowid = 1;").arg(column)),
             QStringLiteral("Court\n"));
}

void TestForeignFiles::storeAgainAfterAnotherProgramCompactedTheFile_data()
{
    QTest::addColumn<QString>("other"); // what another program does while Delta is open
    QTest::addColumn<int>("error");     // what the first store says
    QTest::addColumn<QStringList>("after");
    // Renumbered: Delta now where Echo was found, Echo under Delta's old number.
    QTest::newRow("compacted") << "DELETE FROM Elvarine WHERE Nom = 'Alpha'; VACUUM;"
                               << int(errMovedElsewhere)
                               << QStringList{"Bravo Lyon", "Charlie Lyon", "Delta Brest",
                                              "Echo Lyon"};
    // Delta deleted, and its number given to Echo: Delta comes back as a new record.
    QTest::newRow("deleted and compacted")
        << "DELETE FROM Elvarine WHERE Nom IN ('Alpha', 'Delta'); VACUUM;"
        << int(errDeletedElsewhere)
        << QStringList{"Bravo Lyon", "Charlie Lyon", "Echo Lyon", "Delta Brest"};
}

void TestForeignFiles::storeAgainAfterAnotherProgramCompactedTheFile()
{
    QFETCH(QString, other);
    QFETCH(int, error);
    QFETCH(QStringList, after);
    MainWindowFixture f;
    frmElvarine& w = f.startWith(fiveRecords());
    const QString path = f.path(QStringLiteral("Elvarine.adb"));
    UserDriver user(&w);
    select(w, QStringLiteral("Delta"));
    user.alt(QLatin1Char('M'));
    QTRY_VERIFY(w.field(FieldBox::Ville)->isEnabled());
    user.click(w.field(FieldBox::Ville));
    user.key(Qt::Key_End);
    for (int i = 0; i < 4; ++i)
        user.key(Qt::Key_Backspace);
    user.type(QStringLiteral("Brest"));
    int rc = -1;
    runSqlite3(path, other, &rc);
    QCOMPARE(rc, 0);
    const QStringList before = namesAndTowns(path);

    // The first store is refused; nothing of any record is touched, the typing stays.
    f.dialogs.expectMessage(error == errMovedElsewhere ? recordMovedElsewhereMessage(path)
                                                       : recordDeletedElsewhereMessage(path),
                            vbExclamation, QStringLiteral("Erreur"));
    user.alt(QLatin1Char('T'));
    QTRY_VERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(namesAndTowns(path), before);
    QCOMPARE(w.recordState(), RecordState::ModifyingChanged);
    QCOMPARE(w.fieldText(FieldBox::Ville), QStringLiteral("Brest"));

    // Stored again as told: onto Delta found again, or as a new record.
    user.alt(QLatin1Char('T'));
    QTRY_COMPARE(w.recordState(), RecordState::Browse);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.shown.join('\n')));
    QCOMPARE(namesAndTowns(path), after);
    QCOMPARE(w.listCount(), 4);
}

void TestForeignFiles::supprimerAfterAnotherProgramCompactedTheFile_data()
{
    QTest::addColumn<QString>("other"); // what another program does while Delta is shown
    QTest::addColumn<QStringList>("after");
    QTest::newRow("compacted") << "DELETE FROM Elvarine WHERE Nom = 'Alpha'; VACUUM;"
                               << QStringList{"Bravo", "Charlie", "Echo"};
    // Delta gone, and Foxtrot under its old number: nothing is deleted.
    QTest::newRow("replaced and compacted")
        << "DELETE FROM Elvarine WHERE Nom IN ('Alpha', 'Delta');"
           "INSERT INTO Elvarine (Nom) VALUES ('Foxtrot'); VACUUM;"
        << QStringList{"Bravo", "Charlie", "Echo", "Foxtrot"};
}

void TestForeignFiles::supprimerAfterAnotherProgramCompactedTheFile()
{
    QFETCH(QString, other);
    QFETCH(QStringList, after);
    MainWindowFixture f;
    frmElvarine& w = f.startWith(fiveRecords());
    const QString path = f.path(QStringLiteral("Elvarine.adb"));
    UserDriver user(&w);
    select(w, QStringLiteral("Delta"));
    runSqlite3(path, other);
    const bool moved = after.size() == 3;
    const QString question = QStringLiteral("Voulez-vous vraiment supprimer la fiche ?\rDelta ");
    f.dialogs.expectMessage(question, 36, QStringLiteral("Supprimer la fiche"), vbYes);
    f.dialogs.expectMessage(moved ? recordMovedBeforeDeleteMessage(path)
                                  : recordGoneBeforeDeleteMessage(path),
                            vbExclamation, QStringLiteral("Erreur"));
    user.alt(QLatin1Char('S'));
    QTRY_VERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    if (moved) {
        // Nothing deleted yet; Delta still shown, deleted from its new place when asked again.
        QCOMPARE(storedNames(path), (QStringList{"Bravo", "Charlie", "Delta", "Echo"}));
        QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Delta"));
        f.dialogs.expectMessage(question, 36, QStringLiteral("Supprimer la fiche"), vbYes);
        user.alt(QLatin1Char('S'));
        QTRY_VERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    }
    QCOMPARE(storedNames(path), after);
    QCOMPARE(w.listCount(), after.size());
}

void TestForeignFiles::fileOnAFullOrReadOnlyDiskIsReadAndItsFirstStoreSaysWhy_data()
{
    QTest::addColumn<bool>("full"); // else read-only
    QTest::newRow("full disk") << true;
    QTest::newRow("read-only medium") << false;
}

void TestForeignFiles::fileOnAFullOrReadOnlyDiskIsReadAndItsFirstStoreSaysWhy()
{
    QFETCH(bool, full);
    SmallFileSystem disk;
    if (!disk.isValid())
        QSKIP(qPrintable(disk.why()));
    const QString path = disk.filePath(QStringLiteral("Amis.adb"));
    makeAddressFile(path, {person(QStringLiteral("Zola"), QStringLiteral("Émile")),
                           person(QStringLiteral("Hugo"), QStringLiteral("Victor"))});
    QVERIFY(full ? disk.fill() : disk.makeReadOnly());
    const QList<QVariantList> rows = readAddressFile(path);

    // Opening and listing.
    MainWindowFixture f;
    frmElvarine& w = f.startWith({person(QStringLiteral("Durand"), QStringLiteral("Marie"))});
    FileDialogRequest request;
    request.title = QStringLiteral("Ouvrir le fichier");
    request.filter = QStringLiteral("Elvarine (*.adb)|*.adb");
    f.dialogs.expectOpenFile(request, path);
    w.command(Command::Ouvrir)->trigger();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(w.windowTitle(), QStringLiteral("Elvarine ") + path);
    QCOMPARE(listLines(w), (QStringList{"Hugo Victor", "Zola Émile"}));
    // Searching.
    f.dialogs.expectInput(QStringLiteral("Entrez la chaîne de caractères à rechercher"),
                          QStringLiteral("Chaîne de caractère à rechercher"),
                          QStringLiteral("zola"));
    w.command(Command::Rechercher)->trigger();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Zola"));
    // Printing.
    f.dialogs.expectMessage(QStringLiteral("Imprimer la fiche Zola Émile ?\r           Confirmez"),
                            4 + 32 + 256, QStringLiteral("Impression de la fiche en cours"), vbYes);
    f.dialogs.expectMessage(
        QStringLiteral("Imprimer une autre fiche à la suite ?\r         Confirmez"), 4 + 32 + 256,
        QStringLiteral("Impression d'une autre fiche"), vbNo);
    w.command(Command::ImprimFiche)->trigger();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.printer.documents, 1);
    // Exporting to another disk, as a script does.
    const QString cards = f.path(QStringLiteral("amis.vcf"));
    QProcess exporter;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    exporter.setProcessEnvironment(env);
    exporter.start(QStringLiteral(ELVARINE_PROGRAM_DIR "/Elvarine"),
                   {QStringLiteral("--export"), cards, path});
    QVERIFY(exporter.waitForFinished(60000));
    QVERIFY2(exporter.exitCode() == 0, exporter.readAllStandardError().constData());
    QFile exported(cards);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    QCOMPARE(exported.readAll().count("BEGIN:VCARD"), 2);

    // The first store says why the file cannot be written; the typing stays in the form.
    UserDriver user(&w);
    user.alt(QLatin1Char('M'));
    QTRY_VERIFY(w.field(FieldBox::Ville)->isEnabled());
    user.click(w.field(FieldBox::Ville));
    user.type(QStringLiteral("Paris"));
    f.dialogs.expectMessage(full ? diskFullMessage(path) : readOnlyFileMessage(path), vbExclamation,
                            QStringLiteral("Erreur"));
    user.alt(QLatin1Char('T'));
    QTRY_VERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QVERIFY(w.recordPending());
    QCOMPARE(w.fieldText(FieldBox::Ville), QStringLiteral("Paris"));
    QCOMPARE(readAddressFile(path), rows);
}

QTEST_MAIN(TestForeignFiles)
#include "tst_foreignfiles.moc"

// The main window on files other programs made or change while it runs: opening refusals with
// their own reasons, a damaged record, a record changed before Supprimer.
#include "core/enginemessages.h"
#include "fulldisk.h"
#include "mainwindowfixture.h"
#include "otherprogram.h"

#include <QApplication>
#include <QGroupBox>
#include <QListView>
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

} // namespace

class TestForeignFiles : public QObject
{
    Q_OBJECT
private slots:
    void openingSaysWhyTheFileWasRefused_data();
    void openingSaysWhyTheFileWasRefused();
    void damagedRecordIsSaidOnce();
    void supprimerKeepsARecordChangedElsewhere();
    void longValueIsKeptWholeAndTheWindowStaysUsable_data();
    void longValueIsKeptWholeAndTheWindowStaysUsable();
};

void TestForeignFiles::openingSaysWhyTheFileWasRefused_data()
{
    QTest::addColumn<QString>("condition");
    QTest::newRow("locked by another program") << "locked";
    QTest::newRow("full disk") << "full";
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
    FullDisk disk;
    if (condition == QLatin1String("locked")) {
        makeAddressFile(other, {person(QStringLiteral("Zola"), QString())});
        holder = std::make_unique<OtherProgram>(other, QStringLiteral("BEGIN EXCLUSIVE;"), 30);
        QVERIFY(holder->waitUntilReady());
        reason = lockedFileMessage(other);
    } else if (condition == QLatin1String("full")) {
        makeAddressFile(other, {person(QStringLiteral("Zola"), QString())});
        QVERIFY(disk.isValid());
        disk.setFull(true);
        reason = diskFullMessage(other);
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
    disk.setFull(false);
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
    runSqlite3(path, QStringLiteral("UPDATE Elvarine SET \"Prénom\" = 'Luc-Henri' WHERE Nom = "
                                    "'Bernard';"));
    f.dialogs.expectMessage(
        QStringLiteral("Voulez-vous vraiment supprimer la fiche ?\rBernard Luc"), 36,
        QStringLiteral("Supprimer la fiche"), vbYes);
    f.dialogs.expectMessage(recordChangedBeforeDeleteMessage(path), 48, QStringLiteral("Erreur"));
    clickButton(w, "cmdDelete");
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(readAddressFile(path).size(), 2);
    QCOMPARE(w.fieldText(FieldBox::Prenom), QStringLiteral("Luc-Henri"));
    // Seen as it is now, it is deleted when the user asks again.
    f.dialogs.expectMessage(
        QStringLiteral("Voulez-vous vraiment supprimer la fiche ?\rBernard Luc-Henri"), 36,
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
    // A megabyte on one line, stored by another program; every store that writes the column is
    // noted in a journal.
    const QString value = QStringLiteral("Aaron ") + QString(1 << 20, QLatin1Char('x'));
    runSqlite3(path, QStringLiteral("UPDATE Elvarine SET \"%1\" = 'Aaron ' || printf('%.%2c', "
                                    "'x') WHERE rowid = 1; CREATE TABLE journal (c TEXT); CREATE "
                                    "TRIGGER ecrit AFTER UPDATE OF \"%1\" ON Elvarine BEGIN "
                                    "INSERT INTO journal VALUES ('%1'); END;")
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
    QCOMPARE(runSqlite3(path, QStringLiteral("SELECT Ville, length(\"%1\") = %2 FROM Elvarine "
                                             "WHERE rowid = 1; SELECT count(*) FROM journal;")
                                  .arg(column)
                                  .arg(value.size())),
             QStringLiteral("Lyon|1\n0\n"));
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

QTEST_MAIN(TestForeignFiles)
#include "tst_foreignfiles.moc"

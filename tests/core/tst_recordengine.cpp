#include "addressfiles.h"
#include "core/enginemessages.h"
#include "core/recordbinding.h"
#include "core/recordengine.h"
#include "datacolumns.h"
#include "fulldisk.h"
#include "otherprogram.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <random>
#include <unistd.h>

namespace
{

// Field boxes without widgets: a box changes when the test types into it.
class Boxes : public BoundFields
{
public:
    QString text[16];
    bool changed[16] = {};
    QString fieldText(FieldBox box) const override { return text[boxNumber(box)]; }
    void showField(FieldBox box, const QString& t) override { text[boxNumber(box)] = t; }
    bool fieldChanged(FieldBox box) const override { return changed[boxNumber(box)]; }
    void clearChanged() override { std::fill(std::begin(changed), std::end(changed), false); }
    void type(int box, const QString& t)
    {
        text[box] = t;
        changed[box] = true;
    }
};

// The names stored in the file at `path`, in stored order.
QStringList storedNames(const QString& path)
{
    QStringList out;
    for (const QVariantList& r : readAddressFile(path))
        out << r[0].toString();
    return out;
}

QVariantList row(const QString& nom, const QString& prenom = QString())
{
    return {nom, prenom.isNull() ? QVariant() : QVariant(prenom)};
}

// The sixteen columns of an address table made by another program; `types` gives the declared
// type of each one (the same for all when it holds one entry). `extra` is added at the end.
QString foreignTable(const QStringList& types, const QString& extra = QString())
{
    QStringList columns;
    for (int c = 0; c < kColumnCount; ++c) {
        const QString type = types.size() == 1 ? types.first() : types.value(c);
        columns << QStringLiteral("\"%1\" %2").arg(columnName(c), type).trimmed();
    }
    if (!extra.isEmpty())
        columns << extra;
    return QStringLiteral("CREATE TABLE Elvarine (%1);").arg(columns.join(QLatin1String(", ")));
}

// The binding over the address file at `path`.
void attachFile(RecordBinding& data1, const QString& path)
{
    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    data1.attach(std::move(db), std::move(rs));
}

// The same, with every error the binding reports kept in `errors` ("number text") and
// answered 0.
void attachReporting(RecordBinding& data1, const QString& path, QStringList& errors)
{
    data1.Error = [&errors](int err, const QString& text, int& response) {
        errors << QString::number(err) + QLatin1Char(' ') + text;
        response = 0;
    };
    attachFile(data1, path);
}

} // namespace

class TestRecordEngine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void createdFileIsReadByTheSqliteProgram();
    void createRefusesAnExistingFile();
    void fileMadeBySqliteOpensInStoredOrder();
    void damagedFilesAreRefused_data();
    void damagedFilesAreRefused();
    void tooLongTextIsRefusedNotCut();
    void deletedRowStaysCurrentUntilTheNextMove();
    void addedRowsKeepTheOrderAdded();
    void storedRecordSurvivesAKill();
    void changesByAnotherProgramAreSeenOnRefresh();
    void bindingDropsAnUntouchedNewRow();
    void bindingWritesOnlyTheChangedBoxes();
    void bindingReportsARefusedStoreAndKeepsTheEdit();
    void storeChecksTheRowStillHoldsWhatWasRead_data();
    void storeChecksTheRowStillHoldsWhatWasRead();
    void deleteTakesNothingOfAnotherProgram_data();
    void deleteTakesNothingOfAnotherProgram();
    void numberedRowsAreWrittenOnlyWhileUnchanged();
    void columnNamedRowidDoesNotMergeTheRecords();
    void typedTextIsStoredAsTypedOrTheFileRefused_data();
    void typedTextIsStoredAsTypedOrTheFileRefused();
    void lockedFileIsNotCalledDamaged();
    void openingWaitsForAShortWriteLock();
    void fullDiskIsNotCalledReadOnly();
    void damagedRecordIsReportedNotShownEmpty();
    void scanGivesTheRowsInTheListsOrder();

private:
    QString m_sqlite3;
};

void TestRecordEngine::initTestCase()
{
    m_sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    QVERIFY2(!m_sqlite3.isEmpty(), "the sqlite3 program is needed (package sqlite3)");
}

void TestRecordEngine::createdFileIsReadByTheSqliteProgram()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Nouveau.adb"));
    makeAddressFile(path);
    int rc = -1;
    const QString out = runSqlite3(path, QStringLiteral("PRAGMA table_info(Elvarine);"), &rc);
    QCOMPARE(rc, 0);
    QStringList names;
    QStringList types;
    for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(QLatin1Char('|'));
        names << parts.value(1);
        types << parts.value(2);
    }
    QCOMPARE(names, (QStringList{"Nom", "Prénom", "Société", "Adresse", "Adresse1", "Code postal",
                                 "Ville", "Téléphone", "Téléphone1", "Fax", "Référence", "Notes",
                                 "E-mail", "Pays", "URL", "Portable"}));
    QCOMPARE(types.value(5), QStringLiteral("TEXT(5)"));
    QCOMPARE(types.value(11), QStringLiteral("TEXT(255)"));
    QCOMPARE(runSqlite3(path, QStringLiteral("SELECT name FROM sqlite_master;")).trimmed(),
             QStringLiteral("Elvarine"));
}

void TestRecordEngine::createRefusesAnExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.adb"));
    makeAddressFile(path);
    try {
        Database::CreateDatabase(path);
        QFAIL("an existing file was created again");
    } catch (const EngineError& e) {
        QCOMPARE(e.number, int(errExists));
    }
}

void TestRecordEngine::fileMadeBySqliteOpensInStoredOrder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("outside.adb"));
    // Columns in another order, other letter case, no sizes: the names are what count.
    int rc = -1;
    runSqlite3(path,
               QStringLiteral(
                   "CREATE TABLE elvarine (\"e-mail\" TEXT, Nom TEXT, \"Prénom\" TEXT, "
                   "\"Société\" TEXT, Adresse TEXT, Adresse1 TEXT, \"Code postal\" TEXT, Ville "
                   "TEXT, \"Téléphone\" TEXT, \"Téléphone1\" TEXT, Fax TEXT, \"Référence\" TEXT, "
                   "Notes TEXT, Pays TEXT, URL TEXT, Portable TEXT, extra INTEGER);"
                   "INSERT INTO elvarine (Nom, \"e-mail\") VALUES ('Zoé', 'z@exemple.fr');"
                   "INSERT INTO elvarine (Nom) VALUES ('Alain');"
                   "INSERT INTO elvarine (Nom) VALUES ('Marc');"),
               &rc);
    QCOMPARE(rc, 0);
    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    QCOMPARE(rs->RecordCount(), 3);
    QCOMPARE(rs->nomAt(0), QStringLiteral("Zoé"));
    QCOMPARE(rs->nomAt(2), QStringLiteral("Marc"));
    rs->MoveFirst();
    QCOMPARE(rs->Field(QStringLiteral("E-Mail")).toString(), QStringLiteral("z@exemple.fr"));
    QCOMPARE(rs->Field(QStringLiteral("NOM")).toString(), QStringLiteral("Zoé"));
    QVERIFY(rs->Field(QStringLiteral("Ville")).isNull());
    // Without a declared size a column keeps the standard one.
    rs->Edit();
    rs->setField(QStringLiteral("Code postal"), QStringLiteral("123456"));
    QVERIFY_THROWS_EXCEPTION(EngineError, rs->Update());
}

void TestRecordEngine::damagedFilesAreRefused_data()
{
    addColumns<QByteArray, QString, int>("content", "sql", "error");
    QTest::newRow("empty file") << QByteArray() << QString() << int(errNoTable);
    QByteArray noise;
    for (int i = 0; i < 4096; ++i)
        noise.append(char((i * 7919 + 13) % 251));
    QTest::newRow("random bytes") << noise << QString() << int(errNotDatabase);
    QTest::newRow("text file") << QByteArray("Nom;Prénom\nDurand;Marie\n") << QString()
                               << int(errNotDatabase);
    QTest::newRow("other table") << QByteArray() << "CREATE TABLE contacts (Nom TEXT);"
                                 << int(errNoTable);
    QTest::newRow("every name of the row number taken")
        << QByteArray() << foreignTable({"TEXT"}, "rowid TEXT, OID TEXT, _rowid_ TEXT")
        << int(errNoRowNumber);
    QTest::newRow("no row numbers")
        << QByteArray()
        << foreignTable({"TEXT"}, "k TEXT PRIMARY KEY").chopped(2) + ") WITHOUT ROWID;"
        << int(errNoRowNumber);
    // Its own writes would run it: adding a record here deletes the older ones.
    QTest::newRow("trigger") << QByteArray()
                             << foreignTable({"TEXT"}) +
                                    "CREATE TRIGGER t AFTER INSERT ON Elvarine BEGIN DELETE FROM "
                                    "Elvarine WHERE rowid < new.rowid; END;"
                             << int(errTriggers);
    QTest::newRow("missing column")
        << QByteArray()
        << "CREATE TABLE Elvarine (Nom TEXT, \"Prénom\" TEXT, \"Société\" TEXT, Adresse TEXT, "
           "Adresse1 TEXT, \"Code postal\" TEXT, Ville TEXT, \"Téléphone\" TEXT, \"Téléphone1\" "
           "TEXT, Fax TEXT, \"Référence\" TEXT, Notes TEXT, \"E-mail\" TEXT, Pays TEXT, URL TEXT);"
        << int(errNoColumn);
}

void TestRecordEngine::damagedFilesAreRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, sql);
    QFETCH(int, error);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.adb"));
    if (sql.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    } else {
        runSqlite3(path, sql);
    }
    const QByteArray before = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    try {
        auto db = Database::OpenDatabase(path);
        auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
        QFAIL("a damaged file was opened");
    } catch (const EngineError& e) {
        QCOMPARE(e.number, error);
        QVERIFY(!e.text.isEmpty());
    }
    // Looking at a file does not change it.
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestRecordEngine::tooLongTextIsRefusedNotCut()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.adb"));
    makeAddressFile(path, {row(QStringLiteral("Durand"))});
    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    rs->MoveFirst();
    rs->Edit();
    rs->setField(QStringLiteral("Nom"), QString(51, QLatin1Char('x')));
    try {
        rs->Update();
        QFAIL("51 characters were stored in a 50-character column");
    } catch (const EngineError& e) {
        QCOMPARE(e.number, int(errTooLong));
        QVERIFY(e.text.contains(QStringLiteral("Nom")));
    }
    rs->CancelUpdate();
    db.reset();
    QCOMPARE(readAddressFile(path).first().first().toString(), QStringLiteral("Durand"));
    // Exactly the size is accepted, accents counting as one character.
    auto db2 = Database::OpenDatabase(path);
    auto rs2 = db2->OpenRecordset(QStringLiteral("Elvarine"));
    rs2->MoveFirst();
    rs2->Edit();
    rs2->setField(QStringLiteral("Code postal"), QStringLiteral("éééé5"));
    rs2->Update();
}

void TestRecordEngine::deletedRowStaysCurrentUntilTheNextMove()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.adb"));
    makeAddressFile(path, {row("A"), row("B"), row("C")});
    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    rs->MoveTo(1);
    rs->Delete();
    QCOMPARE(rs->RecordCount(), 2);
    QVERIFY_THROWS_EXCEPTION(EngineError, rs->Field(0));
    rs->MoveNext();
    QCOMPARE(rs->Field(0).toString(), QStringLiteral("C"));
    rs->MoveNext();
    QVERIFY(rs->isEOF());
    QVERIFY_THROWS_EXCEPTION(EngineError, rs->MoveNext());
    // A row being added is not deleted in place of the row shown before it.
    rs->MoveFirst();
    rs->AddNew();
    QVERIFY_THROWS_EXCEPTION(EngineError, rs->Delete());
    rs->CancelUpdate();
    QCOMPARE(rs->RecordCount(), 2);
    db.reset();
    QCOMPARE(readAddressFile(path).size(), 2);
}

void TestRecordEngine::addedRowsKeepTheOrderAdded()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.adb"));
    makeAddressFile(path, {row("Zed"), row("Abel")});
    {
        auto db = Database::OpenDatabase(path);
        auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
        rs->MoveLast();
        rs->Delete(); // the last row: its number may be used again
        rs->AddNew();
        rs->setField(0, QStringLiteral("Marc"));
        rs->Update();
        rs->AddNew();
        rs->setField(0, QStringLiteral("Bea"));
        rs->Update();
    }
    const auto rows = readAddressFile(path);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0][0].toString(), QStringLiteral("Zed"));
    QCOMPARE(rows[1][0].toString(), QStringLiteral("Marc"));
    QCOMPARE(rows[2][0].toString(), QStringLiteral("Bea"));
    QVERIFY(rows[2][1].isNull()); // never set: null, not an empty text
}

void TestRecordEngine::storedRecordSurvivesAKill()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.adb"));
    makeAddressFile(path, {row("Avant")});
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--store-and-die"), path});
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    const auto rows = readAddressFile(path);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1][0].toString(), QStringLiteral("Après"));
    QCOMPARE(rows[0][0].toString(), QStringLiteral("Avant modifiée"));
}

void TestRecordEngine::changesByAnotherProgramAreSeenOnRefresh()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.adb"));
    makeAddressFile(path, {row("Un")});
    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    QVERIFY(!rs->stale());
    rs->MoveFirst();
    rs->Edit();
    rs->setField(0, QStringLiteral("Un bis"));
    rs->Update();
    QVERIFY(!rs->stale()); // our own store keeps the rows read in step
    QCOMPARE(rs->nomAt(0), QStringLiteral("Un bis"));
    runSqlite3(path, QStringLiteral("INSERT INTO Elvarine (Nom) VALUES ('Deux');"));
    QVERIFY(rs->stale());
    rs->Requery();
    QCOMPARE(rs->RecordCount(), 2);
    QCOMPARE(rs->nomAt(1), QStringLiteral("Deux"));
}

void TestRecordEngine::bindingDropsAnUntouchedNewRow()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.adb"));
    makeAddressFile(path, {row("Un")});
    Boxes boxes;
    RecordBinding data1(boxes);
    attachFile(data1, path);
    QCOMPARE(boxes.text[0], QStringLiteral("Un"));
    QVERIFY(data1.AddNew());
    QCOMPARE(boxes.text[0], QString());
    QVERIFY(data1.Refresh());
    QCOMPARE(data1.recordset().RecordCount(), 1);
    QCOMPARE(boxes.text[0], QStringLiteral("Un"));
}

void TestRecordEngine::bindingWritesOnlyTheChangedBoxes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.adb"));
    makeAddressFile(path, {row("Un")});
    Boxes boxes;
    RecordBinding data1(boxes);
    int validates = 0;
    int repositions = 0;
    data1.Validate = [&](int, int&) { ++validates; };
    data1.Reposition = [&] { ++repositions; };
    {
        attachFile(data1, path);
        data1.AddNew();
        boxes.type(0, QStringLiteral("Deux"));
        boxes.type(13, QStringLiteral("deux@exemple.fr")); // box 13 is the E-mail column
        boxes.type(3, QStringLiteral(" "));
        QVERIFY(data1.Refresh());
        QCOMPARE(data1.recordset().RecordCount(), 2);
        // Editing the first row: one box changed, the others stay as stored.
        boxes.type(1, QStringLiteral("Jean"));
        QVERIFY(data1.MoveTo(1));
    }
    QVERIFY(validates >= 2);
    QVERIFY(repositions >= 2);
    data1.attach(nullptr, nullptr);
    const auto rows = readAddressFile(path);
    QCOMPARE(rows[0][0].toString(), QStringLiteral("Un"));
    QCOMPARE(rows[0][1].toString(), QStringLiteral("Jean"));
    QCOMPARE(rows[1][0].toString(), QStringLiteral("Deux"));
    QCOMPARE(rows[1][12].toString(), QStringLiteral("deux@exemple.fr"));
    QCOMPARE(rows[1][3].toString(), QStringLiteral(" "));
    QVERIFY(rows[1][2].isNull());
    QVERIFY(rows[1][13].isNull()); // Pays, shown in box 12, never touched
}

void TestRecordEngine::bindingReportsARefusedStoreAndKeepsTheEdit()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.adb"));
    makeAddressFile(path, {row("Un")});
    Boxes boxes;
    RecordBinding data1(boxes);
    QStringList errors;
    attachReporting(data1, path, errors);
    data1.AddNew();
    boxes.type(0, QStringLiteral("Nouveau"));
    boxes.type(15, QString(30, QLatin1Char('6'))); // fits the box's column of 50
    boxes.type(5, QStringLiteral("1234567"));      // a 5-character column
    QVERIFY(!data1.Refresh());
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors.first().startsWith(QStringLiteral("3163 ")));
    QCOMPARE(boxes.text[0], QStringLiteral("Nouveau")); // still there to be corrected
    boxes.type(5, QStringLiteral("12345"));
    QVERIFY(data1.Refresh());
    QCOMPARE(data1.recordset().RecordCount(), 2);
}

void TestRecordEngine::storeChecksTheRowStillHoldsWhatWasRead_data()
{
    QTest::addColumn<QString>("other");        // what another program does meanwhile
    QTest::addColumn<int>("error");            // what the store then says
    QTest::addColumn<QStringList>("afterOne"); // Nom|Prénom|Société of each row after the refusal
    QTest::addColumn<QStringList>("afterTwo"); // ... after storing again
    // The record changed where it was: storing again writes the typing over that version.
    QTest::newRow("changed") << "UPDATE Elvarine SET \"Société\" = 'Autre' WHERE rowid = 2;"
                             << int(errChangedElsewhere) << QStringList{"Un||", "Deux||Autre"}
                             << QStringList{"Un||", "Deux|Jean|Autre"};
    // Under the same number, another name is another record: it is left alone, and storing
    // again adds the record shown.
    QTest::newRow("renamed") << "UPDATE Elvarine SET Nom = 'Deux (autre)' WHERE rowid = 2;"
                             << int(errDeletedElsewhere)
                             << QStringList{"Un||", "Deux (autre)||Société Deux"}
                             << QStringList{"Un||", "Deux (autre)||Société Deux",
                                            "Deux|Jean|Société Deux"};
    // The number of the deleted row is given again to the other program's new row.
    QTest::newRow("replaced") << "DELETE FROM Elvarine WHERE rowid = 2;"
                                 "INSERT INTO Elvarine (Nom) VALUES ('Autre');"
                              << int(errDeletedElsewhere) << QStringList{"Un||", "Autre||"}
                              << QStringList{"Un||", "Autre||", "Deux|Jean|Société Deux"};
    QTest::newRow("deleted") << "DELETE FROM Elvarine WHERE rowid = 2;" << int(errDeletedElsewhere)
                             << QStringList{"Un||"}
                             << QStringList{"Un||", "Deux|Jean|Société Deux"};
    // Compacted: the rows are numbered again, and the old number holds another record.
    QTest::newRow("compacted") << "DELETE FROM Elvarine WHERE rowid = 1;"
                                  "INSERT INTO Elvarine (Nom) VALUES ('Trois'); VACUUM;"
                               << int(errMovedElsewhere)
                               << QStringList{"Deux||Société Deux", "Trois||"}
                               << QStringList{"Deux|Jean|Société Deux", "Trois||"};
}

void TestRecordEngine::storeChecksTheRowStillHoldsWhatWasRead()
{
    QFETCH(QString, other);
    QFETCH(int, error);
    QFETCH(QStringList, afterOne);
    QFETCH(QStringList, afterTwo);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.adb"));
    makeAddressFile(path, {row("Un"), row("Deux")});
    const auto stored = [&] {
        QStringList rows;
        for (const QVariantList& r : readAddressFile(path))
            rows << QStringList{r[0].toString(), r[1].toString(), r[2].toString()}.join('|');
        return rows;
    };
    Boxes boxes;
    RecordBinding data1(boxes);
    QList<int> errors;
    QStringList texts;
    data1.Error = [&](int err, const QString& text, int& response) {
        errors << err;
        texts << text;
        response = 0;
    };
    attachFile(data1, path);
    QVERIFY(data1.MoveTo(1));
    // What this program stored a moment ago is what the row holds: no conflict with itself.
    boxes.type(2, QStringLiteral("Société"));
    QVERIFY(data1.MoveTo(1));
    boxes.type(2, QStringLiteral("Société Deux"));
    QVERIFY(data1.MoveTo(1));
    QCOMPARE(errors, QList<int>());

    int rc = -1;
    runSqlite3(path, other, &rc);
    QCOMPARE(rc, 0);
    boxes.type(1, QStringLiteral("Jean"));
    QVERIFY(!data1.Refresh());
    QCOMPARE(errors, QList<int>{error});
    QVERIFY(texts.first().contains(QStringLiteral("autre programme")));
    QVERIFY(texts.first().contains(path));
    // The typing stays, still to be stored; nothing of the other program's was overwritten.
    QCOMPARE(boxes.text[1], QStringLiteral("Jean"));
    QVERIFY(boxes.changed[1]);
    QCOMPARE(boxes.text[0], QStringLiteral("Deux"));
    QCOMPARE(stored(), afterOne);

    // Told, the user stores again: the typed box goes onto the row as it is now.
    QVERIFY(data1.Refresh());
    QCOMPARE(errors.size(), 1);
    data1.attach(nullptr, nullptr);
    QCOMPARE(stored(), afterTwo);
}

void TestRecordEngine::deleteTakesNothingOfAnotherProgram_data()
{
    QTest::addColumn<QString>("other");      // what another program does after the row showed
    QTest::addColumn<QString>("afterShown"); // ... and after the row was shown again
    QTest::addColumn<int>("error");          // what the delete says (0: deleted)
    QTest::addColumn<QStringList>("after");  // Nom of each row after the first delete
    QTest::addColumn<QStringList>("again");  // ... after deleting again what is then shown
    QTest::newRow("changed") << "UPDATE Elvarine SET \"Société\" = 'Autre' WHERE rowid = 2;"
                             << "" << int(errChangedElsewhere) << QStringList{"Un", "Deux"}
                             << QStringList{"Un"};
    // Another name under its number is another record: not deleted, nor is anything else.
    QTest::newRow("renamed") << "UPDATE Elvarine SET Nom = 'Deux (autre)' WHERE rowid = 2;"
                             << "" << int(errDeletedElsewhere) << QStringList{"Un", "Deux (autre)"}
                             << QStringList();
    QTest::newRow("replaced") << "DELETE FROM Elvarine WHERE rowid = 2;"
                                 "INSERT INTO Elvarine (Nom) VALUES ('Autre');"
                              << "" << int(errDeletedElsewhere) << QStringList{"Un", "Autre"}
                              << QStringList();
    QTest::newRow("deleted") << "DELETE FROM Elvarine WHERE rowid = 2;"
                             << "" << 0 << QStringList{"Un"} << QStringList();
    // Shown as deleted, then its number is taken by a record the user never saw.
    QTest::newRow("deleted, number taken later")
        << "DELETE FROM Elvarine WHERE rowid = 2;"
        << "INSERT INTO Elvarine (Nom) VALUES ('Autre');" << int(errDeletedElsewhere)
        << QStringList{"Un", "Autre"} << QStringList();
    // Compacted: found again at its new number, which it is deleted from when asked again.
    QTest::newRow("compacted") << "DELETE FROM Elvarine WHERE rowid = 1;"
                                  "INSERT INTO Elvarine (Nom) VALUES ('Trois'); VACUUM;"
                               << "" << int(errMovedElsewhere) << QStringList{"Deux", "Trois"}
                               << QStringList{"Trois"};
}

void TestRecordEngine::deleteTakesNothingOfAnotherProgram()
{
    QFETCH(QString, other);
    QFETCH(QString, afterShown);
    QFETCH(int, error);
    QFETCH(QStringList, after);
    QFETCH(QStringList, again);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.adb"));
    makeAddressFile(path, {row("Un"), row("Deux")});
    Boxes boxes;
    RecordBinding data1(boxes);
    data1.Error = [](int, const QString&, int& response) { response = 0; };
    attachFile(data1, path);
    QVERIFY(data1.MoveTo(1));
    int rc = -1;
    runSqlite3(path, other, &rc);
    QCOMPARE(rc, 0);
    if (!afterShown.isEmpty()) {
        data1.showCurrent();
        runSqlite3(path, afterShown);
    }
    try {
        data1.recordset().Delete();
        QCOMPARE(error, 0);
    } catch (const EngineError& e) {
        QCOMPARE(e.number, error);
        QVERIFY2(e.text.contains(QStringLiteral("autre programme")), qPrintable(e.text));
        QCOMPARE(storedNames(path), after);
        if (error == errDeletedElsewhere)
            return;
        // Shown as it is now, that record is deleted when the user asks again.
        data1.showCurrent();
        QCOMPARE(boxes.text[0], QStringLiteral("Deux"));
        data1.recordset().Delete();
        after = again;
    }
    QCOMPARE(storedNames(path), after);
}

void TestRecordEngine::numberedRowsAreWrittenOnlyWhileUnchanged()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.adb"));
    makeAddressFile(path, {row("Un"), row("Deux"), row("Trois")});
    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    std::vector<std::pair<qint64, RowValues>> rows;
    rs->readNumberedRows([&](qint64 rowid, RowValues& r) { rows.emplace_back(rowid, r); });
    QCOMPARE(rows.size(), size_t(3));
    RowValues changed = rows[0].second;
    changed[0] = QStringLiteral("Premier");
    QVERIFY(rs->updateRow(rows[0].first, rows[0].second, changed));
    // Another program changes the second row and deletes the third: neither is written over,
    // nor is the changed one deleted.
    runSqlite3(path, QStringLiteral("UPDATE Elvarine SET Ville = 'Brest' WHERE Nom = 'Deux';"
                                    "DELETE FROM Elvarine WHERE Nom = 'Trois';"));
    RowValues second = rows[1].second;
    second[0] = QStringLiteral("Second");
    QVERIFY(!rs->updateRow(rows[1].first, rows[1].second, second));
    QVERIFY(!rs->deleteRow(rows[1].first, rows[1].second));
    QVERIFY(!rs->updateRow(rows[2].first, rows[2].second, second));
    QCOMPARE(storedNames(path), (QStringList{"Premier", "Deux"}));
    // The row as it now is can be deleted.
    QVERIFY(rs->deleteRow(rows[0].first, changed));
    QCOMPARE(storedNames(path), (QStringList{"Deux"}));
}

void TestRecordEngine::columnNamedRowidDoesNotMergeTheRecords()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("outside.adb"));
    int rc = -1;
    // Every row holds the same number in its "rowid" column.
    runSqlite3(path,
               foreignTable({"TEXT"}, "rowid") +
                   "INSERT INTO Elvarine (Nom, rowid) VALUES ('A', 7), ('B', 7), ('C', 7);",
               &rc);
    QCOMPARE(rc, 0);
    Boxes boxes;
    RecordBinding data1(boxes);
    attachFile(data1, path);
    QCOMPARE(data1.recordset().RecordCount(), 3);
    QVERIFY(data1.MoveTo(1));
    QCOMPARE(boxes.text[0], QStringLiteral("B"));
    boxes.type(0, QStringLiteral("B modifié"));
    QVERIFY(data1.MoveTo(2));
    QCOMPARE(boxes.text[0], QStringLiteral("C"));
    data1.recordset().Delete();
    data1.attach(nullptr, nullptr);
    QCOMPARE(runSqlite3(path, QStringLiteral("SELECT Nom, rowid FROM Elvarine ORDER BY _rowid_;")),
             QStringLiteral("A|7\nB modifié|7\n"));
    // Read all at once (exports), the rows come in stored order, not in that column's.
    runSqlite3(path, QStringLiteral("INSERT INTO Elvarine (Nom, rowid) VALUES ('Z', 1);"));
    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    QStringList names;
    rs->readAllRows([&](RowValues& r) { names << r[0].toString(); });
    QCOMPARE(names, (QStringList{"A", "B modifié", "Z"}));
}

void TestRecordEngine::typedTextIsStoredAsTypedOrTheFileRefused_data()
{
    addColumns<QString, bool>("type", "accepted");
    QTest::newRow("TEXT(20)") << "TEXT(20)" << true;
    QTest::newRow("VARCHAR(20)") << "VARCHAR(20)" << true;
    QTest::newRow("CLOB") << "CLOB" << true;
    QTest::newRow("no type") << "" << true;
    QTest::newRow("BLOB") << "BLOB" << true;
    QTest::newRow("INTEGER") << "INTEGER" << false;
    QTest::newRow("BIGINT") << "BIGINT" << false;
    QTest::newRow("NUMERIC") << "NUMERIC" << false;
    QTest::newRow("DECIMAL(5)") << "DECIMAL(5)" << false;
    QTest::newRow("DATE") << "DATE" << false;
    QTest::newRow("REAL") << "REAL" << false;
    QTest::newRow("DOUBLE") << "DOUBLE PRECISION" << false;
}

void TestRecordEngine::typedTextIsStoredAsTypedOrTheFileRefused()
{
    QFETCH(QString, type);
    QFETCH(bool, accepted);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("outside.adb"));
    // The postal code and the telephone columns take the type; the others are texts.
    QStringList types;
    for (int c = 0; c < kColumnCount; ++c)
        types << (c == 5 || c == 7 ? type : QStringLiteral("TEXT"));
    int rc = -1;
    runSqlite3(path, foreignTable(types) + "INSERT INTO Elvarine (Nom) VALUES ('Durand');", &rc);
    QCOMPARE(rc, 0);
    try {
        auto db = Database::OpenDatabase(path);
        auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
        QVERIFY2(accepted, "a column that changes typed texts was accepted");
        rs->MoveFirst();
        rs->Edit();
        rs->setField(QStringLiteral("Code postal"), QStringLiteral("01000"));
        rs->setField(QStringLiteral("Téléphone"), QStringLiteral("0612345678"));
        rs->Update();
    } catch (const EngineError& e) {
        QVERIFY2(!accepted, qPrintable(e.text));
        QCOMPARE(e.number, int(errNumericColumn));
        QVERIFY2(e.text.contains(QStringLiteral("« Code postal »")), qPrintable(e.text));
        return;
    }
    QCOMPARE(runSqlite3(path, QStringLiteral("SELECT \"Code postal\", \"Téléphone\" FROM "
                                             "Elvarine;")),
             QStringLiteral("01000|0612345678\n"));
}

void TestRecordEngine::lockedFileIsNotCalledDamaged()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.adb"));
    makeAddressFile(path, {row("Un")});
    Boxes boxes;
    RecordBinding data1(boxes);
    {
        // Another program holds the file longer than opening waits.
        OtherProgram other(path, QStringLiteral("BEGIN EXCLUSIVE;"), 30);
        QVERIFY(other.waitUntilReady());
        try {
            auto db = Database::OpenDatabase(path);
            auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
            QFAIL("a locked file was opened");
        } catch (const EngineError& e) {
            QCOMPARE(e.number, int(errLocked));
            QVERIFY2(e.text.contains(QStringLiteral("verrouillé par un autre programme")),
                     qPrintable(e.text));
        }
    }
    attachFile(data1, path);
    QList<int> errors;
    data1.Error = [&](int err, const QString&, int& response) {
        errors << err;
        response = 0;
    };
    // Holding it too long while the user stores: the store says so and the typing stays.
    OtherProgram other(path, QStringLiteral("BEGIN EXCLUSIVE;"), 30);
    QVERIFY(other.waitUntilReady());
    boxes.type(0, QStringLiteral("Un bis"));
    QVERIFY(!data1.Refresh());
    QCOMPARE(errors, QList<int>{errBusy});
    QCOMPARE(boxes.text[0], QStringLiteral("Un bis"));
}

void TestRecordEngine::openingWaitsForAShortWriteLock()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.adb"));
    makeAddressFile(path, {row("Un")});
    OtherProgram other(
        path, QStringLiteral("BEGIN IMMEDIATE; INSERT INTO Elvarine (Nom) VALUES ('Deux');"), 1);
    QVERIFY(other.waitUntilReady());
    try {
        auto db = Database::OpenDatabase(path);
        auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    } catch (const EngineError& e) {
        QFAIL(qPrintable(QStringLiteral("%1 %2").arg(e.number).arg(e.text)));
    }
    QVERIFY(other.finish()); // and the other program could finish its own store meanwhile
    QCOMPARE(readAddressFile(path).size(), 2);
}

void TestRecordEngine::fullDiskIsNotCalledReadOnly()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.adb"));
    makeAddressFile(path, {row("Un")});
    FullDisk disk;
    QVERIFY(disk.isValid());
    disk.setFull(true);
    // Opening and reading write nothing: a full disk does not stop them.
    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    rs->MoveFirst();
    QCOMPARE(rs->Field(0).toString(), QStringLiteral("Un"));
    rs->Edit();
    rs->setField(0, QStringLiteral("Un bis"));
    try {
        rs->Update();
        QFAIL("a store on a full disk succeeded");
    } catch (const EngineError& e) {
        QCOMPARE(e.number, int(errDiskFull));
        QVERIFY2(e.text.contains(QStringLiteral("plein")), qPrintable(e.text));
    }
    disk.setFull(false);
    // The same edit goes in once there is room again.
    rs->Update();
    QCOMPARE(storedNames(path), QStringList{QStringLiteral("Un bis")});
}

void TestRecordEngine::damagedRecordIsReportedNotShownEmpty()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.adb"));
    makeAddressFile(path, {row("Un"), row("Deux")});
    QVERIFY(damageRecord(path, 2));
    Boxes boxes;
    RecordBinding data1(boxes);
    QStringList errors;
    attachReporting(data1, path, errors);
    QCOMPARE(boxes.text[0], QStringLiteral("Un"));
    QVERIFY(errors.isEmpty());
    QVERIFY(data1.MoveTo(1));
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().startsWith(QString::number(errDamagedRecord) +
                                       QStringLiteral(" Cette fiche")),
             qPrintable(errors.first()));
    QVERIFY(errors.first().contains(QStringLiteral("endommagée")));
    try {
        data1.recordset().Field(QStringLiteral("Notes"));
        QFAIL("a damaged record was read as an empty one");
    } catch (const EngineError& e) {
        QCOMPARE(e.number, int(errDamagedRecord));
    }
}

// Child mode: store a record, change another, then die without any clean-up.
static int storeAndDie(const QString& path)
{
    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    rs->AddNew();
    rs->setField(0, QStringLiteral("Après"));
    rs->Update();
    rs->MoveFirst();
    rs->Edit();
    rs->setField(0, QStringLiteral("Avant modifiée"));
    rs->Update();
    ::raise(SIGKILL);
    return 0;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--store-and-die")
        return storeAndDie(QString::fromLocal8Bit(argv[2]));
    TestRecordEngine test;
    return QTest::qExec(&test, argc, argv);
}
// The scan the search and the mailing read through: every wanted row once, in the list's order
// whatever their stored order, across the chunks it reads by, rows deleted by another program
// left out, null columns as empty texts, and nothing more after the visit says stop.
void TestRecordEngine::scanGivesTheRowsInTheListsOrder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.adb"));
    QList<QVariantList> rows;
    const int count = 3000;
    for (int r = 0; r < count; ++r) {
        QVariantList values(kColumnCount);
        values[0] = QStringLiteral("Nom%1").arg(r);
        if (r % 3)
            values[1] = QStringLiteral("Hélène %1").arg(r % 7);
        values[6] = r % 5 ? QVariant(QStringLiteral("Ville")) : QVariant();
        values[11] = QStringLiteral("note\u00e9 %1").arg(r);
        rows << values;
    }
    makeAddressFile(path, rows);
    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    runSqlite3(path, QStringLiteral("DELETE FROM Elvarine WHERE rowid IN (5, 1500, 2999);"));
    std::vector<int> positions(static_cast<size_t>(count));
    for (int p = 0; p < count; ++p)
        positions[size_t(p)] = p;
    std::shuffle(positions.begin(), positions.end(), std::mt19937(7));
    positions.insert(positions.begin() + 900, -1); // an entry without a record
    const std::vector<std::vector<int>> groups = {{0, 1}, {6}, {11}};
    auto expected = [&](int position) {
        const QVariantList& v = rows[position];
        return v[0].toString() + v[1].toString() + QChar(Recordset::kGroupSeparator) +
               v[6].toString() + QChar(Recordset::kGroupSeparator) + v[11].toString();
    };
    const int from = 37;
    std::vector<int> visited;
    rs->scanInOrder(positions, from, groups, [&](int index, const QString& text) {
        const int position = positions[size_t(index)];
        visited.push_back(text == expected(position) ? index : -1 - index);
        return true;
    });
    std::vector<int> wanted;
    for (int i = from; i < int(positions.size()); ++i) {
        const int p = positions[size_t(i)];
        if (p >= 0 && p != 4 && p != 1499 && p != 2998)
            wanted.push_back(i);
    }
    QCOMPARE(visited, wanted);
    int seen = 0;
    rs->scanInOrder(positions, 0, groups, [&](int, const QString&) { return ++seen < 700; });
    QCOMPARE(seen, 700);
}

#include "tst_recordengine.moc"

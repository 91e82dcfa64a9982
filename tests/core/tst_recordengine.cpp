#include "addressfiles.h"
#include "core/recordbinding.h"
#include "core/recordengine.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
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

QVariantList row(const QString& nom, const QString& prenom = QString())
{
    return {nom, prenom.isNull() ? QVariant() : QVariant(prenom)};
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
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("error");
    QTest::newRow("empty file") << QByteArray() << QString() << int(errNoTable);
    QByteArray noise;
    for (int i = 0; i < 4096; ++i)
        noise.append(char((i * 7919 + 13) % 251));
    QTest::newRow("random bytes") << noise << QString() << int(errNotDatabase);
    QTest::newRow("text file") << QByteArray("Nom;Prénom\nDurand;Marie\n") << QString()
                               << int(errNotDatabase);
    QTest::newRow("other table") << QByteArray() << "CREATE TABLE contacts (Nom TEXT);"
                                 << int(errNoTable);
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
    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    data1.attach(std::move(db), std::move(rs));
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
        auto db = Database::OpenDatabase(path);
        auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
        data1.attach(std::move(db), std::move(rs));
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
    data1.Error = [&](int err, const QString& text, int& response) {
        errors << QString::number(err) + QLatin1Char(' ') + text;
        response = 0;
    };
    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    data1.attach(std::move(db), std::move(rs));
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
#include "tst_recordengine.moc"

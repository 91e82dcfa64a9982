// Import into an address file (one transaction, identical records skipped, values that do not
// fit left out and listed, cancel leaves the file as it was) and export in name-list order.
#include "addressfiles.h"
#include "contacts/contactexport.h"
#include "contacts/contactimport.h"
#include "contacts/csvformat.h"
#include "contacts/vcardreader.h"
#include "contacts/vcardwriter.h"
#include "contactvalues.h"
#include "core/namelist.h"
#include "core/recordengine.h"
#include "filebytes.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

QStringList names(const QList<QVariantList>& rows)
{
    QStringList out;
    for (const QVariantList& r : rows)
        out << r[0].toString() + QLatin1Char('/') + r[1].toString();
    return out;
}

} // namespace

class TestContactImport : public QObject
{
    Q_OBJECT
private slots:
    void importAddsAfterTheRecordsAndReports();
    void cancelLeavesTheFileAsItWas_data();
    void cancelLeavesTheFileAsItWas();
    void exportFollowsTheNameList();
    void streamedImportOfALargeFile_data();
    void streamedImportOfALargeFile();
    void twinsFoundAmongManyRecordsAndNearTwinsKept();

private:
    QTemporaryDir m_dir;
};

void TestContactImport::importAddsAfterTheRecordsAndReports()
{
    const QString path = m_dir.filePath(QStringLiteral("import.adb"));
    // Stored as the record form stores: empty fields as one space, Notes with CR LF.
    makeAddressFile(path, {{"Zola", "Émile", " ", " ", " ", "75009", "Paris", " ", " ", " ", " ",
                            "J'accuse\r\n1898"},
                           {"Hugo", "Victor"}});
    const QString longNote = QString(300, QLatin1Char('n'));
    const std::vector<Contact> contacts = {
        // Identical to the first record: empty fields and line breaks written otherwise.
        contact({"Zola", "Émile", "", "", "", "75009", "Paris", "", "", "", "", "J'accuse\n1898"}),
        contact({"Sand", "George", "", "", "", "360400", "Nohant", "", "", "", "", longNote}),
        contact({"Colette", "Sidonie-Gabrielle"}),
        contact({"Colette", "Sidonie-Gabrielle"}), // twins in one file: both are records
        contact({"", "", "", "", "", "", "", "", "", "", "", "", "", "", "", ""}),
        contact({"Verne", "Jules", "", "", "", "", "", "", "", "", "", "", "",
                 QString(60, QLatin1Char('p'))}),
    };
    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    ImportSummary summary;
    QVERIFY(importContactsInto(*rs, contacts, summary));
    QCOMPARE(summary.read, 6);
    QCOMPARE(summary.imported, 4);
    QCOMPARE(summary.identical, 1);
    QCOMPARE(summary.empty, 1);
    QCOMPARE(summary.leftOutLines(),
             QStringList({"Fiche n° 2 (Sand George), Code postal (5 caractères au plus) : 360400",
                          "Fiche n° 2 (Sand George), Notes (255 caractères au plus) : " + longNote,
                          "Fiche n° 6 (Verne Jules), Pays (50 caractères au plus) : " +
                              QString(60, QLatin1Char('p'))}));
    // The record set follows: the name list sees the new records at once.
    QCOMPARE(rs->RecordCount(), 6);
    QCOMPARE(rs->nomAt(5), QStringLiteral("Verne"));
    db.reset();

    const QList<QVariantList> rows = readAddressFile(path);
    QCOMPARE(names(rows),
             QStringList({"Zola/Émile", "Hugo/Victor", "Sand/George", "Colette/Sidonie-Gabrielle",
                          "Colette/Sidonie-Gabrielle", "Verne/Jules"}));
    // Left-out values are not stored, nothing is cut; fields not given stay null.
    QVERIFY(rows[2][5].isNull());
    QCOMPARE(rows[2][6].toString(), QStringLiteral("Nohant"));
    QVERIFY(rows[2][11].isNull());
    QVERIFY(rows[3][2].isNull());
    QVERIFY(rows[5][13].isNull());

    const QString text = summary.text();
    QVERIFY(text.contains("Fiches lues : 6\nFiches importées : 4\nFiches ignorées car identiques "
                          "à une fiche du fichier : 1\nFiches vides ignorées : 1\nValeurs non "
                          "importées (trop longues pour leur champ) : 3\n  Fiche n° 2"));
}

void TestContactImport::cancelLeavesTheFileAsItWas_data()
{
    QTest::addColumn<int>("cancelAt"); // per mille of the whole run
    QTest::newRow("reading the records") << 1;
    QTest::newRow("checking the contacts") << 200;
    QTest::newRow("adding the records") << 600;
    QTest::newRow("at the very end") << 1000;
}

void TestContactImport::cancelLeavesTheFileAsItWas()
{
    QFETCH(int, cancelAt);
    const QString path = m_dir.filePath(QStringLiteral("cancel-%1.adb").arg(cancelAt));
    QList<QVariantList> rows;
    for (int i = 0; i < 3000; ++i)
        rows << QVariantList{QStringLiteral("Nom%1").arg(i), QStringLiteral("Prénom")};
    makeAddressFile(path, rows);
    std::vector<Contact> contacts;
    for (int i = 0; i < 5000; ++i)
        contacts.push_back(contact({QStringLiteral("Importé%1").arg(i), "Jean"}));
    const QByteArray before = fileHash(path);

    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    int reported = 0;
    ImportSummary summary;
    const bool done = importContactsInto(*rs, contacts, summary, [&](qint64 done, qint64 total) {
        reported = int(done * 1000 / total);
        return reported < cancelAt;
    });
    QVERIFY(!done);
    QCOMPARE(reported, cancelAt >= 1000 ? 1000 : reported);
    QCOMPARE(rs->RecordCount(), 3000);
    db.reset();
    QCOMPARE(fileHash(path), before);
    QCOMPARE(readAddressFile(path).size(), 3000);
}

void TestContactImport::exportFollowsTheNameList()
{
    const QString path = m_dir.filePath(QStringLiteral("order.adb"));
    makeAddressFile(path, {{"zola", "émile", "un"},
                           {"Éluard", "Paul"},
                           {"Ebrard", "Anne"},
                           {"Zola", "Émile", "deux"},
                           {QVariant(), "Sans nom"},
                           {"Œuvrard", "Luc"},
                           {"Dupont", "Jean"}});
    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    NameListModel list;
    list.fill(*rs);
    std::vector<Contact> contacts;
    QVERIFY(contactsInListOrder(*rs, contacts));
    QCOMPARE(int(contacts.size()), list.rowCount());
    QStringList exported;
    QStringList listed;
    for (int i = 0; i < list.rowCount(); ++i) {
        listed << list.line(i);
        exported << listLine(contacts[size_t(i)][Field::Nom], contacts[size_t(i)][Field::Prenom]);
    }
    QCOMPARE(exported, listed);
    // Records with the same line keep their stored order.
    QCOMPARE(contacts[5][Field::Societe], QStringLiteral("un"));
    QCOMPARE(contacts[6][Field::Societe], QStringLiteral("deux"));

    // The CSV export holds them in that order, after its header of captions.
    const CsvReadResult csv = readCsv(writeCsv(contacts, QLatin1Char(';')));
    QCOMPARE(csv.table.rows.front().mid(0, 3), QStringList({"Nom", "Prénom", "Société"}));
    QCOMPARE(csv.table.rows[1][1], QStringLiteral("Sans nom"));
    QCOMPARE(csv.table.rows[7][2], QStringLiteral("deux"));
}

void TestContactImport::streamedImportOfALargeFile_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("vCard") << "vcf";
    QTest::newRow("CSV") << "csv";
}

// A file of many chunks, read as a stream while it is stored, gives the records and the summary
// that the contacts read from the whole file at once give.
void TestContactImport::streamedImportOfALargeFile()
{
    QFETCH(QString, format);
    std::vector<Contact> source;
    for (int i = 0; i < 3000; ++i) {
        source.push_back(contact(
            {QStringLiteral("Nom%1 Lefèvre").arg(i % 1000), QStringLiteral("Zoë 😀%1").arg(i),
             i % 7 == 0 ? QStringLiteral("Société \"%1\"; ,").arg(i) : QString(), "", "",
             i % 11 == 0 ? QStringLiteral("1234567")
                         : QStringLiteral("75%1").arg(i % 100, 3, 10, QChar('0')),
             "Paris", "", "", "", "",
             i % 13 == 0 ? QString(300, QChar(u'é')) : QStringLiteral("ligne\nautre %1").arg(i)}));
    }
    const QByteArray bytes = format == QLatin1String("vcf") ? writeVCards(source, VCardVersion::V30)
                                                            : writeCsv(source, QLatin1Char(';'));
    QVERIFY(bytes.size() > 4 * ByteSource::kChunk);
    const QString contactsPath = m_dir.filePath(QStringLiteral("large.") + format);
    QFile f(contactsPath);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();

    // The whole file in one chunk, its contacts in memory.
    std::vector<Contact> whole;
    ByteSource all(bytes, bytes.size() + 1);
    if (format == QLatin1String("vcf")) {
        whole = readVCards(bytes).contacts;
    } else {
        const CsvReadResult csv = readCsv(all);
        whole = contactsOfCsv(csv.table, recognizeHeader(csv.table.rows.front()));
    }
    QCOMPARE(whole.size(), source.size());
    const QList<QVariantList> twin = {{"Nom5 Lefèvre", "Zoë 😀5", " ", " ", " ", "75005", "Paris",
                                       " ", " ", " ", " ", "ligne\r\nautre 5"}};
    const QString expectedPath = m_dir.filePath(QStringLiteral("whole-") + format + ".adb");
    const QString streamedPath = m_dir.filePath(QStringLiteral("streamed-") + format + ".adb");
    makeAddressFile(expectedPath, twin);
    makeAddressFile(streamedPath, twin);
    ImportSummary expected;
    {
        auto db = Database::OpenDatabase(expectedPath);
        auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
        QVERIFY(importContactsInto(*rs, whole, expected));
    }
    const ContactsFile file = readContactsFile(contactsPath);
    QVERIFY2(file.error.isEmpty(), qPrintable(file.error));
    QCOMPARE(file.count, 3000);
    ImportSummary streamed;
    {
        auto db = Database::OpenDatabase(streamedPath);
        auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
        QVERIFY(importContactsInto(*rs, file, streamed));
        QCOMPARE(rs->RecordCount(), 3000);
    }
    QCOMPARE(streamed.text(), expected.text());
    QCOMPARE(streamed.identical, 1);
    QCOMPARE(int(streamed.leftOut.size()), 273 + 231);
    QCOMPARE(readAddressFile(streamedPath), readAddressFile(expectedPath));
}

void TestContactImport::twinsFoundAmongManyRecordsAndNearTwinsKept()
{
    // Every record imported again is found, and a contact differing from a record by its last
    // character, a case, a text moved across two fields or an empty field that is not empty is
    // a new record: the twins are found among many by a digest of their texts.
    const int count = 2000;
    auto values = [](int i) {
        const QString n = QString::number(i);
        return QStringList{"Nom" + n, "Prénom" + n,
                           "",        "rue " + n,
                           "",        "750" + n.right(2),
                           "Paris",   "",
                           "",        "",
                           "",        "note\n" + n,
                           "",        "",
                           "",        "06 00 00 00 0" + n.right(1)};
    };
    QList<QVariantList> rows;
    std::vector<Contact> contacts;
    for (int i = 0; i < count; ++i) {
        // Stored as the record form stores: empty fields as one space, Notes with CR LF.
        QVariantList row;
        for (const QString& v : values(i))
            row << (v.isEmpty() ? QStringLiteral(" ") : QString(v).replace("\n", "\r\n"));
        rows << row;
        contacts.push_back(contact(values(i)));
    }
    for (int i = 0; i < count; ++i) {
        QStringList v = values(i);
        switch (i % 4) {
        case 0:
            v[15].back() = v[15].back() == u'9' ? u'8' : u'9';
            break;
        case 1:
            v[0] = v[0].toLower();
            break;
        case 2:
            v[0] += v[1].front(), v[1] = v[1].mid(1);
            break;
        default:
            v[4] = ".";
            break;
        }
        contacts.push_back(contact(v));
    }
    const QString path = m_dir.filePath(QStringLiteral("twins-among-many.adb"));
    makeAddressFile(path, rows);
    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    ImportSummary summary;
    QVERIFY(importContactsInto(*rs, contacts, summary));
    QCOMPARE(summary.identical, count);
    QCOMPARE(summary.imported, count);
    QCOMPARE(rs->RecordCount(), 2 * count);
}

QTEST_GUILESS_MAIN(TestContactImport)
#include "tst_contactimport.moc"

// The name list kept in step with the stores, the deletions and the pastes, against the list
// sorted anew from the file; the order of its lines; the list filter's index against the
// records' texts folded one by one, and over several blocks of texts against a plain search;
// the index read a chunk of rows at a time, a store getting in between two.
#include "addressfiles.h"
#include "core/listfilter.h"
#include "core/namelist.h"
#include "core/recordengine.h"

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <map>
#include <random>
#include <sqlite3.h>

class TestNameList : public QObject
{
    Q_OBJECT
private slots:
    void order();
    void followsRandomChangesAsASortAnew();
    void filterIndexFindsWhatFoldingEachRecordFinds();
    void filterIndexOverSeveralBlocksFindsWhatAPlainSearchFinds();
    void filterIndexIsReadInChunksAStoreCommitsBetween();
};

void TestNameList::order()
{
    // Letter case ignored, each accent with its letter just after it, equal lines in stored
    // order, spaces and signs before letters.
    const std::vector<QString> lines = {
        QStringLiteral("emile B"),     QStringLiteral("Élise A"),  QStringLiteral("Elise A"),
        QStringLiteral("ELISE A"),     QStringLiteral("Eloïse Z"), QStringLiteral("Zoé x"),
        QStringLiteral("Œuvre a"),     QStringLiteral("Oeuvre a"), QStringLiteral("Jean-Paul x"),
        QStringLiteral("Jean Paul x"), QStringLiteral("Jeanne x"), QStringLiteral(" ")};
    std::vector<QString> sorted;
    for (int i : alphabeticalOrder(lines))
        sorted.push_back(lines[size_t(i)]);
    const std::vector<QString> expected = {
        QStringLiteral(" "),           QStringLiteral("Elise A"),     QStringLiteral("ELISE A"),
        QStringLiteral("Élise A"),     QStringLiteral("Eloïse Z"),    QStringLiteral("emile B"),
        QStringLiteral("Jean Paul x"), QStringLiteral("Jean-Paul x"), QStringLiteral("Jeanne x"),
        QStringLiteral("Œuvre a"),     QStringLiteral("Oeuvre a"),    QStringLiteral("Zoé x")};
    QCOMPARE(sorted, expected);
    QCOMPARE(foldedForFilter(u"HÉLÈNE Œuvre Straße"), QStringLiteral("helene oeuvre strasse"));
}

void TestNameList::followsRandomChangesAsASortAnew()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.adb"));
    const QStringList noms = {"Durand",  "durand",   "Dürand", "Éric",   "eric",
                              "Zola",    "Ångström", "Martin", "MARTIN", " ",
                              "Le Gall", "Le-Gall",  "Lebrun", ""};
    const QStringList prenoms = {"Marie", "marie", "Émile", "Zoé", "", " ", "Anne"};
    std::mt19937 rng(11);
    auto pick = [&rng](const QStringList& l) {
        return l[std::uniform_int_distribution<int>(0, int(l.size()) - 1)(rng)];
    };
    QList<QVariantList> rows;
    for (int i = 0; i < 200; ++i)
        rows.append({pick(noms), pick(prenoms), QStringLiteral("ville %1").arg(i % 7)});
    makeAddressFile(path, rows);
    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));

    // The filter keeps the records whose name holds an "r".
    auto holds = [&rs](int position) {
        return rs->nomAt(position).contains(QLatin1Char('r'), Qt::CaseInsensitive);
    };
    NameListModel followed;
    followed.fill(*rs);
    int stepsFollowed = 0;
    for (int step = 0; step < 2000; ++step) {
        const int n = rs->RecordCount();
        const int what = std::uniform_int_distribution<int>(0, 9)(rng);
        const int at = std::uniform_int_distribution<int>(0, n - 1)(rng);
        if (what < 5) { // a store of one record, its name changed or not
            rs->MoveTo(at);
            rs->Edit();
            if (what < 3)
                rs->setField(0, pick(noms));
            if (what == 1)
                rs->setField(1, pick(prenoms));
            rs->setField(6, QStringLiteral("ville %1").arg(step % 5));
            rs->Update();
        } else if (what < 7 && n > 50) { // a deletion
            rs->MoveTo(at);
            rs->Delete();
        } else if (what < 8) { // a paste: one record added
            rs->AddNew();
            rs->setField(0, pick(noms));
            rs->setField(1, pick(prenoms));
            rs->Update();
        } else if (what < 9) { // an import of a few records
            std::vector<RowValues> added(size_t(std::uniform_int_distribution<int>(1, 4)(rng)));
            for (RowValues& r : added) {
                r[0] = pick(noms);
                r[1] = pick(prenoms);
                r[6] = QStringLiteral("ville 1%1").arg(step);
            }
            rs->appendRows(added);
        } else { // the filter set or dropped
            if (followed.filtered()) {
                followed.clearFilter();
            } else {
                std::vector<std::uint8_t> marks(static_cast<size_t>(n));
                for (int p = 0; p < n; ++p)
                    marks[size_t(p)] = holds(p);
                followed.setFilter(std::move(marks), holds);
            }
        }
        const bool wasFiltered = followed.filtered();
        followed.sync(*rs);
        QCOMPARE(followed.filtered(), wasFiltered); // followed in place, not sorted anew
        ++stepsFollowed;

        NameListModel anew;
        anew.fill(*rs);
        if (followed.filtered()) {
            std::vector<std::uint8_t> marks(size_t(rs->RecordCount()));
            for (int p = 0; p < rs->RecordCount(); ++p)
                marks[size_t(p)] = holds(p);
            anew.setFilter(std::move(marks), holds);
        }
        QCOMPARE(followed.positions(), anew.positions());
        QCOMPARE(followed.rowCount(), anew.rowCount());
        for (int row = 0; row < followed.rowCount(); row += 17) {
            QCOMPARE(followed.line(row), anew.line(row));
            QCOMPARE(followed.indexOfPosition(followed.recordPosition(row)), row);
        }
    }
    QCOMPARE(stepsFollowed, 2000);
}

void TestNameList::filterIndexFindsWhatFoldingEachRecordFinds()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.adb"));
    const QVariantList values = {QStringLiteral("Hélène"),
                                 QStringLiteral("HELENE"),
                                 QStringLiteral("he\u0301le\u0300ne"),
                                 QStringLiteral("Œuvre"),
                                 QStringLiteral("STRASSE"),
                                 QStringLiteral("Straße"),
                                 QStringLiteral("l'Été à Lyon"),
                                 QStringLiteral("Ångström 12"),
                                 QStringLiteral(""),
                                 QVariant(),
                                 QStringLiteral("Dürand"),
                                 QStringLiteral("durand"),
                                 QStringLiteral("𝄞 clé"),
                                 QStringLiteral("Zoë")};
    std::mt19937 rng(5);
    auto value = [&] {
        return values[std::uniform_int_distribution<int>(0, int(values.size()) - 1)(rng)];
    };
    // Short columns (a postcode) take the value's start.
    auto fitted = [&](int column) {
        const QVariant v = value();
        return v.isNull() ? v : QVariant(v.toString().left(column == 5 ? 5 : 30));
    };
    auto row = [&] {
        RowValues r;
        for (int c = 0; c < kColumnCount; ++c)
            r[size_t(c)] =
                std::uniform_int_distribution<int>(0, 3)(rng) == 0 ? fitted(c) : QVariant();
        r[0] = value();
        return r;
    };
    QList<QVariantList> rows;
    for (int i = 0; i < 120; ++i) {
        const RowValues r = row();
        rows.append(QVariantList(r.begin(), r.end()));
    }
    makeAddressFile(path, rows);
    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));

    // Typing ahead (each needle holding the one before) and starting again.
    const QStringList chains = {"h|he|hel|hele|helen|helene",
                                "e|ee|eel",
                                "dur|durand",
                                "oe|oeuv",
                                "ss|sse|strasse",
                                "l|l'|l'e|l'ete a",
                                "c|cle",
                                "E\u0301t",
                                "𝄞",
                                "e\x01",
                                "12|2"};
    std::vector<QString> needles;
    for (const QString& chain : chains) {
        for (const QString& n : chain.split(QLatin1Char('|')))
            needles.push_back(n);
    }
    quint64 answered = 0;
    RowNumbers found;
    QEventLoop answer;
    QTimer bound; // if never answered
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, &answer, &QEventLoop::quit);
    ListFilter filter([&](quint64 tag, RowNumbers rowids) {
        answered = tag;
        found = std::move(rowids);
        answer.quit();
    });
    size_t next = 0;
    for (quint64 step = 1; step <= 400; ++step) {
        const int n = rs->RecordCount();
        const int what = std::uniform_int_distribution<int>(0, 9)(rng);
        const int at = std::uniform_int_distribution<int>(0, n - 1)(rng);
        if (what < 4) { // a store
            rs->MoveTo(at);
            rs->Edit();
            const int column = std::uniform_int_distribution<int>(0, kColumnCount - 1)(rng);
            rs->setField(column, fitted(column));
            rs->Update();
        } else if (what < 6 && n > 60) { // a deletion
            rs->MoveTo(at);
            rs->Delete();
        } else if (what < 7) { // a paste
            rs->AddNew();
            rs->setField(0, value());
            rs->setField(9, value());
            rs->Update();
        } else if (what < 8) { // an import of a few
            std::vector<RowValues> added(size_t(std::uniform_int_distribution<int>(1, 5)(rng)));
            for (RowValues& r : added)
                r = row();
            rs->appendRows(added);
        } else if (what < 9 && step % 50 == 0) { // the rows read again
            rs->Requery();
        }
        filter.follow(*rs);
        // Several requests at once: only the latest is answered.
        const QString folded = foldedForFilter(needles[next++ % needles.size()]);
        if (step % 7 == 0)
            filter.request(QStringLiteral("x"), step * 2);
        filter.request(folded, step * 2 + 1);
        bound.start(20000);
        answer.exec();
        QCOMPARE(answered, step * 2 + 1);

        std::vector<qint64> expected;
        for (int p = 0; p < rs->RecordCount(); ++p) {
            if (foldedForFilter(rs->recordText(p)).contains(folded))
                expected.push_back(p);
        }
        const std::vector<std::uint8_t> marks = rs->marksOf(found);
        std::vector<qint64> got;
        for (size_t p = 0; p < marks.size(); ++p) {
            if (marks[p])
                got.push_back(qint64(p));
        }
        const std::vector<qint64> rowids = found.toVector();
        QVERIFY(std::adjacent_find(rowids.begin(), rowids.end(), std::greater_equal<qint64>()) ==
                rowids.end());
        QCOMPARE(got, expected);
        QCOMPARE(rowids.size(), expected.size()); // nothing found outside the record set
    }
}

void TestNameList::filterIndexOverSeveralBlocksFindsWhatAPlainSearchFinds()
{
    // Some megabytes of texts from few letters (many hits, needles across two entries'
    // texts), row numbers with gaps beyond 32 bits and below zero, one text longer than a
    // block; then rows written, deleted and added, each needle typed ahead letter by letter.
    std::mt19937 rng(11);
    const std::string letters = "aabdeu\x01";
    auto text = [&](int length) {
        std::string t;
        for (int i = 0; i < length; ++i)
            t.push_back(letters[std::uniform_int_distribution<size_t>(0, letters.size() - 1)(rng)]);
        return t;
    };
    std::map<qint64, std::string> rows;
    qint64 rowid = -5;
    for (int i = 0; i < 40000; ++i) {
        const int gap = std::uniform_int_distribution<int>(0, 999)(rng);
        rowid += gap == 0 ? (qint64(1) << 33) : gap < 500 ? 1 : gap;
        rows[rowid] = text(std::uniform_int_distribution<int>(0, 90)(rng));
    }
    rows.rbegin()->second = text(1200000);
    FilterIndex index;
    for (const auto& [r, t] : rows)
        index.append(r, t);
    index.shrink();

    const std::vector<std::string> needles = {"d",  "du",    "due",    "dueb", "b",   "ba",   "bab",
                                              "ua", "u\x01", "u\x01a", "e",    "eee", "eeee", "a"};
    for (int round = 0; round < 6; ++round) {
        for (const std::string& needle : needles) {
            RowNumbers found;
            QVERIFY(index.find(needle, found, [] { return false; }));
            std::vector<qint64> expected;
            for (const auto& [r, t] : rows) {
                if (t.find(needle) != std::string::npos)
                    expected.push_back(r);
            }
            QCOMPARE(found.toVector(), expected);
        }
        for (int i = 0; i < 300; ++i) {
            auto at = rows.begin();
            std::advance(at, std::uniform_int_distribution<size_t>(0, rows.size() - 1)(rng));
            const int what = std::uniform_int_distribution<int>(0, 2)(rng);
            if (what == 0) {
                at->second = text(40);
                index.set(at->first, &at->second);
            } else if (what == 1) {
                index.set(at->first, nullptr);
                rows.erase(at);
            } else {
                const qint64 added = at->first + 1;
                if (!rows.count(added)) {
                    rows[added] = text(30);
                    index.set(added, &rows[added]);
                }
            }
        }
    }
}

void TestNameList::filterIndexIsReadInChunksAStoreCommitsBetween()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.adb"));
    QList<QVariantList> rows;
    for (int i = 0; i < 10; ++i)
        rows.append({QStringLiteral("Nom%1").arg(i)});
    makeAddressFile(path, rows);
    const QString scanSql =
        Database::OpenDatabase(path)->OpenRecordset(QStringLiteral("Elvarine"))->filterScanSql();
    const QByteArray file = path.toUtf8();
    sqlite3* reader = nullptr;
    sqlite3* writer = nullptr; // no busy timeout: a reader holding the file fails its commit
    QCOMPARE(sqlite3_open_v2(file.constData(), &reader, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_open_v2(file.constData(), &writer, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    const QString update =
        QStringLiteral("UPDATE Elvarine SET %1 = ?1 WHERE rowid = ?2").arg(columnName(0));
    sqlite3_stmt* store = nullptr;
    QCOMPARE(sqlite3_prepare16_v2(writer, update.utf16(), -1, &store, nullptr), SQLITE_OK);
    auto rename = [&](qint64 rowid, const char* name) {
        sqlite3_bind_text(store, 1, name, -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(store, 2, rowid);
        const int rc = sqlite3_step(store);
        sqlite3_reset(store);
        return rc;
    };

    for (const int chunk : {1, 3, 5, 10, 11}) {
        for (qint64 rowid = 1; rowid <= 10; ++rowid)
            QCOMPARE(rename(rowid, QStringLiteral("Nom%1").arg(rowid - 1).toUtf8().constData()),
                     SQLITE_DONE);
        std::vector<qint64> read;
        std::vector<std::string> texts;
        std::vector<int> commits;
        const RowsRead end = readFoldedRows(
            reader, scanSql, chunk,
            [&](qint64 rowid, const std::string& text) {
                read.push_back(rowid);
                texts.push_back(text.substr(0, text.find('\x01')));
            },
            [&] {
                // Between two chunks: one row already read and the next one to read renamed.
                commits.push_back(rename(read.back(), "avant"));
                commits.push_back(rename(read.back() + 1, "apres"));
                return true;
            });
        QCOMPARE(end, RowsRead::Whole);
        QCOMPARE(read, (std::vector<qint64>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        QVERIFY(
            std::all_of(commits.begin(), commits.end(), [](int rc) { return rc == SQLITE_DONE; }));
        QCOMPARE(commits.size(), size_t(2 * (10 / chunk))); // after each full chunk
        for (size_t i = 0; i < texts.size(); ++i) {
            const bool renamedAhead = i % size_t(chunk) == 0 && i > 0;
            QCOMPARE(texts[i], renamedAhead ? std::string("apres") : "nom" + std::to_string(i));
        }
    }
    // Stopped between two chunks: the first chunk only.
    int chunks = 0;
    std::vector<qint64> read;
    QCOMPARE(readFoldedRows(
                 reader, scanSql, 4,
                 [&](qint64 rowid, const std::string&) { read.push_back(rowid); },
                 [&] { return ++chunks < 2; }),
             RowsRead::Stopped);
    QCOMPARE(read.size(), size_t(8));
    sqlite3_finalize(store);
    sqlite3_close(writer);
    sqlite3_close(reader);
}

QTEST_GUILESS_MAIN(TestNameList)
#include "tst_namelist.moc"

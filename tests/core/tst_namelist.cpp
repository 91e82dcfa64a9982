// The name list kept in step with the stores, the deletions and the pastes, against the list
// sorted anew from the file; the order of its lines.
#include "addressfiles.h"
#include "core/namelist.h"
#include "core/recordengine.h"

#include <QTemporaryDir>
#include <QTest>
#include <random>

class TestNameList : public QObject
{
    Q_OBJECT
private slots:
    void order();
    void followsRandomChangesAsASortAnew();
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

QTEST_GUILESS_MAIN(TestNameList)
#include "tst_namelist.moc"

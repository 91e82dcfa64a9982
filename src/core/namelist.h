#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class NameTable;
class Recordset;

// The list line of a record: name, one space, first name.
QString listLine(const QString& nom, const QString& prenom);

// The sort key of a list line, appended to `key`: lines compare as their keys compare byte by
// byte (French alphabetical order, letter case ignored, each accented letter with its letter and
// just after it; spaces and punctuation before digits, digits before letters).
void appendSortKey(QStringView line, std::string& key);

// Stored positions of `lines` in alphabetical order: French collation, letter case ignored,
// accents sorted with their letter; lines that compare equal keep their stored order.
std::vector<int> alphabeticalOrder(const std::vector<QString>& lines);

// `text` with letter case and accents taken away ("Hélène" → "helene"), for the list filter.
QString foldedForFilter(QStringView text);
void appendFolded(QStringView text, std::u16string& folded);

// The name list: one line per record in alphabetical order. Each line stands for its own
// record, so the n-th of several identical lines is the n-th such record in stored order.
// It keeps only the order (stored position by list index and the inverse); the lines' texts are
// read from the record set's name table when shown. A filter can keep only some lines.
class NameListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // Sorts every row of `rs` anew.
    void fill(const Recordset& rs);
    // Brings the list in step with `rs`: the records added, changed or deleted since the list
    // was last filled or brought in step are put at their places (a binary search each), the
    // others stay; the same lines in the same order as fill would give, and a filter stays
    // (the records stored since tested again). Falls back to fill when the rows were read
    // again or too many changed. Filling drops the filter.
    void sync(const Recordset& rs);
    void clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // The view asks it for every line it lays out: no virtual calls on the way.
    QModelIndex index(int row, int column = 0,
                      const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // By row shown (every line without a filter).
    QString line(int row) const;
    // Stored position of the record that row `row` stands for; -1 when out of range.
    int recordPosition(int row) const;
    // Row showing the record stored at `position`; -1 when none (or filtered out).
    int indexOfPosition(int position) const;
    // Stored position of each row shown, in list order.
    std::vector<int> positions() const;
    // Stored position of every line in list order, the filter aside.
    const std::vector<int>& allPositions() const { return m_positions; }
    // Lines in the whole list, the filter aside.
    int lineCount() const { return int(m_positions.size()); }

    // Filter: `matches` tells, by stored position, whether a record holds the filter's text
    // (its size the record count of the list); `test` says it for one record added or changed
    // later, while the filter stays. An empty `matches` without `test` shows every line.
    using RecordTest = std::function<bool(int position)>;
    void setFilter(std::vector<std::uint8_t> matches, RecordTest test);
    void clearFilter() { setFilter({}, {}); }
    bool filtered() const { return bool(m_test); }
    // The table version the list is in step with.
    std::uint64_t version() const { return m_version; }
    const NameTable* table() const { return m_names.get(); }

private:
    void rebuild(const Recordset& rs);
    bool follow(const Recordset& rs);
    void rebuildInverse();
    void rebuildShown();
    // True when the record at `a` sorts before the one at `b` (stored positions).
    bool before(const std::string& keyA, int a, int b) const;

    std::shared_ptr<const NameTable> m_names;
    std::uint64_t m_version = 0;
    std::vector<int> m_positions; // stored position, by list index
    std::vector<int> m_indexOf;   // list index, by stored position
    RecordTest m_test;
    std::vector<std::uint8_t> m_matches; // by stored position, while filtered
    std::vector<int> m_shown;            // list indexes shown, while filtered
};

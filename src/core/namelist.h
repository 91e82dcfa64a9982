#pragma once

#include <QAbstractListModel>
#include <QString>
#include <vector>

class Recordset;

// The list line of a record: name, one space, first name.
QString listLine(const QString& nom, const QString& prenom);

// Stored positions of `lines` in alphabetical order: French collation, letter case ignored,
// accents sorted with their letter; lines that compare equal keep their stored order.
std::vector<int> alphabeticalOrder(const std::vector<QString>& lines);

// The name list: one line per record, sorted once when filled. Each line stands for its own
// record, so the n-th of several identical lines is the n-th such record in stored order.
class NameListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // Fills the list from every row of `rs` in one pass.
    void fill(const Recordset& rs);
    void clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    QString line(int index) const;
    // Stored position of the record that entry `index` stands for; -1 when out of range.
    int recordPosition(int index) const;
    // List index of the entry that stands for the record stored at `position`; -1 when none.
    int indexOfPosition(int position) const;
    // Stored position of each entry, by list index.
    const std::vector<int>& positions() const { return m_positions; }

private:
    std::vector<QString> m_lines; // by list index
    std::vector<int> m_positions; // by list index
};

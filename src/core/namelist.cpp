#include "core/namelist.h"

#include "core/fieldrules.h"
#include "core/recordengine.h"

#include <QCollator>
#include <algorithm>
#include <numeric>

QString listLine(const QString& nom, const QString& prenom)
{
    return nom + QLatin1Char(' ') + prenom;
}

std::vector<int> alphabeticalOrder(const std::vector<QString>& lines)
{
    QCollator collator(QLocale(QLocale::French, QLocale::France));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(lines.size());
    for (const QString& l : lines)
        keys.push_back(collator.sortKey(l));
    std::vector<int> order(lines.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys](int a, int b) {
        return keys[size_t(a)].compare(keys[size_t(b)]) < 0;
    });
    return order;
}

void NameListModel::fill(const Recordset& rs)
{
    beginResetModel();
    const int n = rs.RecordCount();
    std::vector<QString> lines;
    lines.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        lines.push_back(listLine(rs.nomAt(i), rs.prenomAt(i)));
    m_positions = alphabeticalOrder(lines);
    m_lines.clear();
    m_lines.reserve(size_t(n));
    for (int pos : m_positions)
        m_lines.push_back(lines[size_t(pos)]);
    endResetModel();
}

void NameListModel::clear()
{
    beginResetModel();
    m_lines.clear();
    m_positions.clear();
    endResetModel();
}

int NameListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant NameListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_lines.size()))
        return QVariant();
    // The line shows the beginning of a very long name; line() keeps it whole.
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return shownPart(m_lines[size_t(index.row())]);
    return QVariant();
}

QString NameListModel::line(int index) const
{
    if (index < 0 || index >= int(m_lines.size()))
        return QString();
    return m_lines[size_t(index)];
}

int NameListModel::recordPosition(int index) const
{
    if (index < 0 || index >= int(m_positions.size()))
        return -1;
    return m_positions[size_t(index)];
}

int NameListModel::indexOfPosition(int position) const
{
    const auto found = std::find(m_positions.begin(), m_positions.end(), position);
    return found == m_positions.end() ? -1 : int(found - m_positions.begin());
}

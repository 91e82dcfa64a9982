#pragma once

#include "contacts/csvformat.h"
#include "contacts/csvlayouts.h"

#include <QDialog>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// The column-mapping window of a CSV import whose header is not recognised: one row per CSV
// column with its name and first values, and a list of the sixteen fields (or "ignorer") to
// say which field the column fills.
class CsvMappingDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CsvMappingDialog(const CsvTable& table, QWidget* parent = nullptr);

    // The mapping chosen: one field per column (-1 ignores it), and whether the first row
    // names the columns.
    CsvMapping mapping() const;
    std::vector<int> fields() const;

    int columnCount() const { return int(m_fields.size()); }
    QComboBox* fieldList(int column) const { return m_fields[size_t(column)]; }
    QLabel* columnName(int column) const { return m_names[size_t(column)]; }
    QLabel* firstValues(int column) const { return m_values[size_t(column)]; }
    QCheckBox* headerCheck() const { return m_header; }
    QPushButton* importButton() const { return m_import; }
    QPushButton* cancelButton() const { return m_cancel; }

    // The field list's entries: "ignorer", then the field captions in the record form's order.
    static QStringList fieldChoices();

private:
    void showColumns();
    void updateImportButton();

    const CsvTable& m_table;
    int m_columns = 0;
    QCheckBox* m_header = nullptr;
    std::vector<QLabel*> m_names;
    std::vector<QLabel*> m_values;
    std::vector<QComboBox*> m_fields;
    QPushButton* m_import = nullptr;
    QPushButton* m_cancel = nullptr;
};

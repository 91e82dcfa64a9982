#include "contacts/csvmappingdialog.h"
#include "platform/windowkeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

namespace
{

// Data rows shown as a column's first values.
constexpr int kShownValues = 3;
constexpr int kShownChars = 60;

QString shownValue(const QString& value)
{
    QString v = withLfLineBreaks(value);
    v.replace(QLatin1Char('\n'), QStringLiteral(" ↵ "));
    if (v.size() > kShownChars)
        v = v.left(kShownChars - 1) + QChar(0x2026);
    return v;
}

} // namespace

QStringList CsvMappingDialog::fieldChoices()
{
    QStringList choices{QStringLiteral("ignorer")};
    for (int column : columnsInBoxOrder())
        choices << fieldCaption(column);
    return choices;
}

CsvMappingDialog::CsvMappingDialog(const CsvTable& table, QWidget* parent)
    : QDialog(parent), m_table(table)
{
    setObjectName(QStringLiteral("frmColonnesCSV"));
    useWindowKeyRules();
    setWindowTitle(QStringLiteral("Colonnes du fichier CSV"));
    m_columns = table.widestRow;
    for (const QStringList& row : table.rows)
        m_columns = std::max(m_columns, int(row.size()));

    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        QStringLiteral("Les colonnes de ce fichier ne sont pas reconnues. Choisissez pour "
                       "chacune le champ qu'elle remplit, ou « ignorer »."),
        this);
    intro->setObjectName(QStringLiteral("lblExplication"));
    intro->setWordWrap(true);
    layout->addWidget(intro);

    m_header =
        new QCheckBox(QStringLiteral("La &première ligne donne les noms des colonnes"), this);
    m_header->setObjectName(QStringLiteral("chkEntete"));
    m_header->setChecked(true);
    layout->addWidget(m_header);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("grdColonnes"));
    scroll->setWidgetResizable(true);
    auto* inner = new QWidget(scroll);
    auto* grid = new QGridLayout(inner);
    int r = 0;
    for (const QString& title : {QStringLiteral("Colonne"), QStringLiteral("Premières valeurs"),
                                 QStringLiteral("Champ")}) {
        auto* head = new QLabel(QStringLiteral("<b>%1</b>").arg(title), inner);
        grid->addWidget(head, 0, r++);
    }
    const QStringList header = table.rows.empty() ? QStringList() : table.rows.front();
    const std::vector<int> guesses = guessFields(header);
    const QStringList choices = fieldChoices();
    for (int c = 0; c < m_columns; ++c) {
        auto* name = new QLabel(inner);
        name->setObjectName(QStringLiteral("lblColonne_%1").arg(c));
        auto* values = new QLabel(inner);
        values->setObjectName(QStringLiteral("lblValeurs_%1").arg(c));
        values->setTextFormat(Qt::PlainText);
        name->setTextFormat(Qt::PlainText);
        auto* field = new QComboBox(inner);
        field->setObjectName(QStringLiteral("cboChamp_%1").arg(c));
        for (int i = 0; i < choices.size(); ++i)
            field->addItem(choices[i], i == 0 ? -1 : columnsInBoxOrder()[size_t(i - 1)]);
        const int guess = c < int(guesses.size()) ? guesses[size_t(c)] : -1;
        field->setCurrentIndex(std::max(0, field->findData(guess)));
        connect(field, &QComboBox::currentIndexChanged, this,
                &CsvMappingDialog::updateImportButton);
        grid->addWidget(name, c + 1, 0);
        grid->addWidget(values, c + 1, 1);
        grid->addWidget(field, c + 1, 2);
        m_names.push_back(name);
        m_values.push_back(values);
        m_fields.push_back(field);
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(m_columns + 1, 1);
    scroll->setWidget(inner);
    layout->addWidget(scroll, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_import = new QPushButton(QStringLiteral("&Importer"), this);
    m_import->setObjectName(QStringLiteral("cmdImporter"));
    m_import->setDefault(true);
    m_cancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                               QStringLiteral("&Annuler"), this);
    m_cancel->setObjectName(QStringLiteral("cmdAnnuler"));
    buttons->addWidget(m_import);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    connect(m_import, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_header, &QCheckBox::toggled, this, &CsvMappingDialog::showColumns);

    showColumns();
    updateImportButton();
    resize(640, std::min(560, 160 + 36 * m_columns));
}

void CsvMappingDialog::showColumns()
{
    const bool header = m_header->isChecked();
    const size_t firstData = header ? 1 : 0;
    for (int c = 0; c < m_columns; ++c) {
        QString name;
        if (header && !m_table.rows.empty())
            name = m_table.rows.front().value(c).trimmed();
        if (name.isEmpty())
            name = QStringLiteral("Colonne %1").arg(c + 1);
        m_names[size_t(c)]->setText(name);
        QStringList values;
        for (size_t r = firstData; r < m_table.rows.size() && values.size() < kShownValues; ++r)
            values << shownValue(m_table.rows[r].value(c));
        m_values[size_t(c)]->setText(values.join(QLatin1String(" | ")));
        m_values[size_t(c)]->setAccessibleName(
            QStringLiteral("Premières valeurs de la colonne %1").arg(name));
        m_fields[size_t(c)]->setAccessibleName(QStringLiteral("Champ de la colonne %1").arg(name));
    }
}

void CsvMappingDialog::updateImportButton()
{
    bool any = false;
    for (const QComboBox* f : m_fields)
        any = any || f->currentData().toInt() >= 0;
    m_import->setEnabled(any);
}

std::vector<int> CsvMappingDialog::fields() const
{
    std::vector<int> out;
    for (const QComboBox* f : m_fields)
        out.push_back(f->currentData().toInt());
    return out;
}

CsvMapping CsvMappingDialog::mapping() const
{
    return mappingOfFields(fields(), m_header->isChecked());
}

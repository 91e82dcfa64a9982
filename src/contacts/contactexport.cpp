#include "contacts/contactexport.h"

#include "contacts/csvformat.h"
#include "core/namelist.h"
#include "core/recordengine.h"
#include "core/recordform.h"

#include <QSaveFile>

bool contactsInListOrder(Recordset& rs, std::vector<Contact>& contacts, const ProgressFn& progress)
{
    contacts.clear();
    std::vector<Contact> stored;
    stored.reserve(size_t(rs.RecordCount()));
    if (!rs.readAllRows([&stored](RowValues& row) { stored.push_back(takeContactOfRow(row)); },
                        progress))
        return false;
    std::vector<QString> lines;
    lines.reserve(stored.size());
    for (const Contact& c : stored)
        lines.push_back(listLine(c[Field::Nom], c[Field::Prenom]));
    const std::vector<int> order = alphabeticalOrder(lines);
    lines.clear();
    contacts.reserve(stored.size());
    for (int position : order)
        contacts.push_back(std::move(stored[size_t(position)]));
    return true;
}

Contact contactOfForm(const RecordForm& form)
{
    Contact c;
    for (FieldBox box : kAllFieldBoxes)
        c[size_t(columnOfBox(box))] = form.fieldText(box);
    return c;
}

QByteArray contactsFileBytes(const std::vector<Contact>& contacts, const ExportOptions& options,
                             const ProgressFn& progress, bool* cancelled)
{
    if (options.format == ContactFormat::Csv)
        return writeCsv(contacts, options.separator, progress, cancelled);
    return writeVCards(contacts, options.version, progress, cancelled);
}

bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

QString contactFileName(const Contact& contact, const QString& suffix)
{
    QString name = contactName(contact);
    for (QChar& ch : name) {
        if (ch == QLatin1Char('/') || ch == QLatin1Char('\\') || ch == QLatin1Char(':') ||
            ch == QLatin1Char('*') || ch == QLatin1Char('?') || ch == QLatin1Char('"') ||
            ch == QLatin1Char('<') || ch == QLatin1Char('>') || ch == QLatin1Char('|') ||
            ch.unicode() < 0x20)
            ch = QLatin1Char('_');
    }
    name = name.trimmed();
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    if (name.isEmpty())
        name = QStringLiteral("Contact");
    return name + suffix;
}

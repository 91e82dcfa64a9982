#include "contacts/contactimport.h"

#include "contacts/vcardreader.h"
#include "core/recordengine.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace
{

// Larger files are refused rather than read into memory.
constexpr qint64 kLargestFile = qint64(1) << 30;

QString oneLine(const QString& value)
{
    QString v = withLfLineBreaks(value);
    v.replace(QLatin1Char('\n'), QStringLiteral(" ↵ "));
    return v;
}

} // namespace

std::optional<ContactFormat> formatOfName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("vcf") || suffix == QLatin1String("vcard"))
        return ContactFormat::VCard;
    if (suffix == QLatin1String("csv"))
        return ContactFormat::Csv;
    return std::nullopt;
}

QString importFailureText(const QString& path, const QString& reason)
{
    return QStringLiteral("Le fichier « %1 » ne peut pas être importé : %2\n"
                          "Aucune fiche n'a été importée.")
        .arg(path, reason);
}

QStringList ImportSummary::leftOutLines() const
{
    QStringList lines;
    for (const LeftOutValue& v : leftOut)
        lines << QStringLiteral("Fiche n° %1 (%2), %3 (%4 caractères au plus) : %5")
                     .arg(v.record)
                     .arg(v.name.isEmpty() ? QStringLiteral("sans nom") : v.name,
                          fieldCaption(v.column))
                     .arg(v.size)
                     .arg(oneLine(v.value));
    return lines;
}

QString ImportSummary::text() const
{
    QStringList lines;
    if (!source.isEmpty())
        lines << QStringLiteral("Fichier importé : %1").arg(source);
    if (!target.isEmpty())
        lines << QStringLiteral("Fichier d'adresses : %1").arg(target);
    lines << QStringLiteral("Fiches lues : %1").arg(read);
    lines << QStringLiteral("Fiches importées : %1").arg(imported);
    lines << QStringLiteral("Fiches ignorées car identiques à une fiche du fichier : %1")
                 .arg(identical);
    if (empty > 0)
        lines << QStringLiteral("Fiches vides ignorées : %1").arg(empty);
    lines << QStringLiteral("Valeurs non importées (trop longues pour leur champ) : %1")
                 .arg(leftOut.size());
    for (const QString& l : leftOutLines())
        lines << QStringLiteral("  ") + l;
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

ContactsFile readContactsFile(const QString& path, std::optional<ContactFormat> format,
                              const ProgressFn& progress)
{
    ContactsFile file;
    QFile f(path);
    if (!QFileInfo(path).isFile()) {
        file.error = QStringLiteral("Le fichier « %1 » est introuvable.\nAucune fiche n'a été "
                                    "importée.")
                         .arg(path);
        return file;
    }
    if (f.size() > kLargestFile) {
        file.error = importFailureText(path, QStringLiteral("il est trop volumineux."));
        return file;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        file.error = importFailureText(
            path, QStringLiteral("il ne peut pas être lu (%1).").arg(f.errorString()));
        return file;
    }
    const QByteArray data = f.readAll();
    f.close();

    if (format)
        file.format = *format;
    else if (looksLikeVCard(data))
        file.format = ContactFormat::VCard;
    else
        file.format = formatOfName(path).value_or(ContactFormat::Csv);

    if (file.format == ContactFormat::VCard) {
        VCardReadResult r = readVCards(data, progress);
        file.cancelled = r.cancelled;
        if (!r.error.isEmpty())
            file.error = importFailureText(path, r.error);
        else
            file.contacts = std::move(r.contacts);
        return file;
    }

    CsvReadResult r = readCsv(data, progressPart(progress, 0, 700));
    file.cancelled = r.cancelled;
    if (r.cancelled)
        return file;
    if (!r.error.isEmpty()) {
        file.error = importFailureText(path, r.error);
        return file;
    }
    file.table = std::move(r.table);
    const QStringList header = file.table.rows.empty() ? QStringList() : file.table.rows.front();
    file.mapping = recognizeHeader(header);
    if (file.mapping.layout == CsvLayout::Unknown) {
        if (header.size() < 2) {
            file.error = importFailureText(
                path, QStringLiteral("ce n'est ni un fichier de cartes de visite vCard ni un "
                                     "fichier CSV (une seule colonne, sans nom de champ "
                                     "connu)."));
            file.table = CsvTable();
            return file;
        }
        file.needsMapping = true;
        return file;
    }
    bool cancelled = false;
    file.contacts =
        contactsOfCsv(file.table, file.mapping, progressPart(progress, 700, 1000), &cancelled);
    file.cancelled = cancelled;
    return file;
}

void applyCsvMapping(ContactsFile& file, const CsvMapping& mapping)
{
    file.mapping = mapping;
    file.needsMapping = false;
    file.contacts = contactsOfCsv(file.table, mapping);
}

bool importContactsInto(Recordset& rs, const std::vector<Contact>& contacts, ImportSummary& summary,
                        const ProgressFn& progress)
{
    summary.read = int(contacts.size());
    summary.imported = 0;
    summary.identical = 0;
    summary.empty = 0;
    summary.leftOut.clear();

    QSet<QString> known; // the records of the file before the import
    known.reserve(qsizetype(rs.RecordCount()));
    if (!rs.readAllRows(
            [&known](RowValues& row) { known.insert(identityKey(takeContactOfRow(row))); },
            progressPart(progress, 0, 150)))
        return false;

    std::vector<RowValues> rows;
    rows.reserve(contacts.size());
    std::vector<LeftOutValue> leftOut;
    const ProgressFn checking = progressPart(progress, 150, 250);
    for (size_t i = 0; i < contacts.size(); ++i) {
        Contact c = contacts[i];
        std::vector<LeftOutValue> mine;
        for (int col = 0; col < kColumnCount; ++col) {
            const QString& v = c[size_t(col)];
            if (isEmptyValue(v) || v.size() <= rs.columnSize(col))
                continue;
            mine.push_back(LeftOutValue{int(i) + 1, contactName(c), col, v, rs.columnSize(col)});
        }
        for (const LeftOutValue& l : mine)
            c[size_t(l.column)] = QString();
        if (isEmptyContact(c)) {
            ++summary.empty;
        } else {
            // Only the records there before the import count: twins within the imported file
            // are two records (two people of the same name, exported from here).
            if (known.contains(identityKey(c))) {
                ++summary.identical;
            } else {
                rows.push_back(rowOfContact(c));
                leftOut.insert(leftOut.end(), mine.begin(), mine.end());
            }
        }
        if (checking && i % 1000 == 999 && !checking(qint64(i + 1), qint64(contacts.size())))
            return false;
    }
    if (!rs.appendRows(rows, progressPart(progress, 250, 1000)))
        return false;
    summary.imported = int(rows.size());
    summary.leftOut = std::move(leftOut);
    return true;
}

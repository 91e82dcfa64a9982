#include "contacts/contactimport.h"

#include "contacts/vcardreader.h"
#include "core/recordengine.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <vector>

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

// The records of a file, each known by a 128-bit digest of its identity key: 16 bytes a record
// whatever its texts hold, where the keys themselves would take hundreds of megabytes for a
// million records. Two different keys sharing a digest is out of reach in practice.
class KnownRecords
{
public:
    void reserve(qint64 count) { m_digests.reserve(size_t(std::max<qint64>(count, 0))); }
    void insert(const QString& key) { m_digests.push_back(digestOf(key)); }
    // Called once all are inserted.
    void seal()
    {
        std::sort(m_digests.begin(), m_digests.end());
        m_digests.erase(std::unique(m_digests.begin(), m_digests.end()), m_digests.end());
        m_digests.shrink_to_fit();
    }
    bool contains(const QString& key) const
    {
        return std::binary_search(m_digests.begin(), m_digests.end(), digestOf(key));
    }

private:
    using Digest = std::array<quint64, 2>;
    static Digest digestOf(const QString& key)
    {
        const QByteArray sha = QCryptographicHash::hash(
            QByteArrayView(reinterpret_cast<const char*>(key.utf16()), key.size() * 2),
            QCryptographicHash::Sha256);
        Digest d;
        std::memcpy(d.data(), sha.constData(), sizeof d);
        return d;
    }
    std::vector<Digest> m_digests;
};

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

namespace
{

// Rows the mapping window may show.
constexpr qint64 kPreviewRows = 100;
constexpr qint64 kProgressContacts = 1000;

using ContactFn = std::function<bool(Contact&)>;

bool readCsvFile(ContactsFile& file, ByteSource& source, const ProgressFn& progress)
{
    CsvStream stream(source);
    CsvTable& table = file.table;
    const bool read = stream.inspect(progressPart(progress, 0, 400)) &&
                      stream.readRows(
                          [&table](QStringList& cells) {
                              if (table.rowCount < kPreviewRows)
                                  table.rows.push_back(cells);
                              ++table.rowCount;
                              table.widestRow = std::max(table.widestRow, int(cells.size()));
                              return true;
                          },
                          progressPart(progress, 400, 1000));
    file.cancelled = stream.cancelled();
    if (!read) {
        if (!file.cancelled)
            file.error = importFailureText(file.path, stream.error());
        table = CsvTable();
        return false;
    }
    table.separator = stream.separator();
    table.encoding = stream.encodingName();
    table.textEncoding = stream.encoding();
    table.bomSize = stream.bomSize();
    return true;
}

int dataRows(const ContactsFile& file)
{
    const qint64 header = file.mapping.headerRow && file.table.rowCount > 0 ? 1 : 0;
    return int(file.table.rowCount - header);
}

// What an import keeps of each contact: the rules of importContactsInto, one contact at a time.
class ImportRules
{
public:
    ImportRules(const Recordset& rs, const KnownRecords& known) : m_rs(rs), m_known(known) {}

    // The row to store for contact `c` (its values too long left out); nothing when skipped.
    std::optional<RowValues> rowOf(Contact& c, ImportSummary& summary)
    {
        ++m_index;
        std::vector<LeftOutValue> mine;
        QString name;
        for (int col = 0; col < kColumnCount; ++col) {
            QString& v = c[size_t(col)];
            if (isEmptyValue(v) || v.size() <= m_rs.columnSize(col))
                continue;
            if (mine.empty())
                name = contactName(c);
            // The value moves to the summary: it is not stored.
            mine.push_back(LeftOutValue{m_index, name, col, std::move(v), m_rs.columnSize(col)});
            v = QString();
        }
        if (isEmptyContact(c)) {
            ++summary.empty;
            return std::nullopt;
        }
        // Only the records there before the import count: twins within the imported file are
        // two records (two people of the same name, exported from here).
        if (m_known.contains(identityKey(c))) {
            ++summary.identical;
            return std::nullopt;
        }
        m_leftOut.insert(m_leftOut.end(), std::make_move_iterator(mine.begin()),
                         std::make_move_iterator(mine.end()));
        ++m_stored;
        return rowOfContact(c);
    }
    int read() const { return m_index; }
    int stored() const { return m_stored; }
    std::vector<LeftOutValue> takeLeftOut() { return std::move(m_leftOut); }

private:
    const Recordset& m_rs;
    const KnownRecords& m_known;
    int m_index = 0;
    int m_stored = 0;
    std::vector<LeftOutValue> m_leftOut;
};

// The import of the contacts `produce` hands over (to its first argument, with progress
// reported to its second); false when cancelled.
bool importStream(Recordset& rs,
                  const std::function<bool(const ContactFn& take, const ProgressFn&)>& produce,
                  ImportSummary& summary, const ProgressFn& progress)
{
    summary.read = 0;
    summary.imported = 0;
    summary.identical = 0;
    summary.empty = 0;
    summary.leftOut.clear();

    KnownRecords known; // the records of the file before the import
    known.reserve(rs.RecordCount());
    if (!rs.readAllRows(
            [&known](RowValues& row) { known.insert(identityKey(takeContactOfRow(row))); },
            progressPart(progress, 0, 150)))
        return false;
    known.seal();

    ImportRules rules(rs, known);
    const bool done = rs.appendRowStream([&](const Recordset::RowSink& add) {
        return produce(
            [&](Contact& c) {
                if (std::optional<RowValues> row = rules.rowOf(c, summary))
                    add(*row);
                return true;
            },
            progressPart(progress, 150, 1000));
    });
    if (!done) {
        summary.identical = 0;
        summary.empty = 0;
        return false;
    }
    summary.read = rules.read();
    summary.imported = rules.stored();
    summary.leftOut = rules.takeLeftOut();
    return true;
}

} // namespace

ContactsFile readContactsFile(const QString& path, std::optional<ContactFormat> format,
                              const ProgressFn& progress)
{
    ContactsFile file;
    file.path = path;
    if (!QFileInfo(path).isFile()) {
        file.error = QStringLiteral("Le fichier « %1 » est introuvable.\nAucune fiche n'a été "
                                    "importée.")
                         .arg(path);
        return file;
    }
    if (QFileInfo(path).size() > kLargestFile) {
        file.error = importFailureText(path, QStringLiteral("il est trop volumineux."));
        return file;
    }
    ByteSource source(path);
    if (!source.isOpen()) {
        file.error = importFailureText(
            path, QStringLiteral("il ne peut pas être lu (%1).").arg(source.errorString()));
        return file;
    }
    QByteArray head;
    for (QByteArray chunk; head.size() < 800 && source.next(chunk);)
        head += chunk;
    source.rewind();

    if (format)
        file.format = *format;
    else if (looksLikeVCard(head))
        file.format = ContactFormat::VCard;
    else
        file.format = formatOfName(path).value_or(ContactFormat::Csv);

    if (file.format == ContactFormat::VCard) {
        const VCardReadResult r = readVCards(
            source, [](Contact&) { return true; }, progress);
        file.cancelled = r.cancelled;
        if (!r.error.isEmpty())
            file.error = importFailureText(path, r.error);
        else
            file.count = r.cards;
        return file;
    }

    if (!readCsvFile(file, source, progress))
        return file;
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
    file.count = dataRows(file);
    return file;
}

void applyCsvMapping(ContactsFile& file, const CsvMapping& mapping)
{
    file.mapping = mapping;
    file.needsMapping = false;
    file.count = dataRows(file);
}

bool forEachContact(const ContactsFile& file, const ContactFn& take, const ProgressFn& progress,
                    QString* error)
{
    ByteSource source(file.path);
    if (!source.isOpen()) {
        if (error)
            *error = QStringLiteral("il ne peut pas être lu (%1).").arg(source.errorString());
        return false;
    }
    if (file.format == ContactFormat::VCard) {
        const VCardReadResult r = readVCards(source, take, progress);
        if (error)
            *error = r.error;
        return r.error.isEmpty() && !r.cancelled;
    }
    CsvStream stream(source);
    stream.assume(file.table.textEncoding, file.table.separator, file.table.bomSize);
    bool header = file.mapping.headerRow;
    const bool read = stream.readRows(
        [&](QStringList& cells) {
            if (header) {
                header = false;
                return true;
            }
            Contact c = contactOfCsvRow(file.mapping, cells);
            return take(c);
        },
        progress);
    if (error)
        *error = stream.error();
    return read;
}

std::vector<Contact> contactsOfFile(const ContactsFile& file)
{
    std::vector<Contact> contacts;
    if (!file.error.isEmpty() || file.needsMapping)
        return contacts;
    forEachContact(file, [&contacts](Contact& c) {
        contacts.push_back(std::move(c));
        return true;
    });
    return contacts;
}

bool importContactsInto(Recordset& rs, const std::vector<Contact>& contacts, ImportSummary& summary,
                        const ProgressFn& progress)
{
    const qint64 total = qint64(contacts.size());
    return importStream(
        rs,
        [&](const ContactFn& take, const ProgressFn& part) {
            for (size_t i = 0; i < contacts.size(); ++i) {
                Contact c = contacts[i];
                take(c);
                if (part && (i + 1) % kProgressContacts == 0 && !part(qint64(i + 1), total))
                    return false;
            }
            return !(part && !part(total, total));
        },
        summary, progress);
}

bool importContactsInto(Recordset& rs, const ContactsFile& file, ImportSummary& summary,
                        const ProgressFn& progress)
{
    return importStream(
        rs,
        [&](const ContactFn& take, const ProgressFn& part) {
            QString error;
            if (forEachContact(file, take, part, &error))
                return true;
            if (error.isEmpty())
                return false; // cancelled
            throw EngineError(errNotDatabase,
                              QStringLiteral("Le fichier « %1 » ne peut plus être lu : %2")
                                  .arg(file.path, error));
        },
        summary, progress);
}

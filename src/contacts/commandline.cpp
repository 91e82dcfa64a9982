#include "contacts/commandline.h"

#include "contacts/contactexport.h"
#include "contacts/contactimport.h"
#include "core/addressschema.h"
#include "core/commandstatus.h"
#include "core/dosshell.h"
#include "core/recordengine.h"

#include <QTextStream>

namespace
{

// The address file and its record set, or a French message.
struct OpenedFile {
    std::unique_ptr<Database> db;
    std::unique_ptr<Recordset> rs;
    QString error;
};

OpenedFile openAddressFile(const QString& path)
{
    OpenedFile f;
    if (!FichierExiste(path)) {
        f.error = QStringLiteral("Le fichier d'adresses « %1 » est introuvable.").arg(path);
        return f;
    }
    try {
        f.db = Database::OpenDatabase(path);
        f.rs = f.db->OpenRecordset(QString::fromUtf16(kTableName));
    } catch (const EngineError& e) {
        // Nothing is written at opening: a read-only or full disk is said by the first store.
        f.error = QStringLiteral("Le fichier « %1 » n'est pas un fichier d'adresses valide.\n%2")
                      .arg(path, e.text);
        f.rs.reset();
        f.db.reset();
    }
    return f;
}

} // namespace

int runExportCommand(const QString& file, const QString& addressFile,
                     std::optional<ContactFormat> format, QTextStream& out, QTextStream& err)
{
    if (!format)
        format = formatOfName(file);
    if (!format) {
        err << QStringLiteral("Le format du fichier « %1 » ne se déduit pas de son nom : "
                              "précisez --format vcard ou --format csv.\n")
                   .arg(file);
        return kCommandUsage;
    }
    OpenedFile opened = openAddressFile(addressFile);
    if (!opened.rs) {
        err << opened.error << '\n';
        return kCommandFailed;
    }
    std::vector<Contact> contacts;
    try {
        contactsInListOrder(*opened.rs, contacts);
    } catch (const EngineError& e) {
        err << QStringLiteral("Lecture impossible des fiches de « %1 ».\n%2\n")
                   .arg(addressFile, e.text);
        return kCommandFailed;
    }
    ExportOptions options;
    options.format = *format;
    const QByteArray bytes = contactsFileBytes(contacts, options);
    QString reason;
    if (!writeWholeFile(file, bytes, &reason)) {
        err << QStringLiteral("Impossible d'écrire le fichier « %1 ».\n%2\n").arg(file, reason);
        return kCommandFailed;
    }
    out << QStringLiteral("%1 fiche(s) exportée(s) de « %2 » dans « %3 ».\n")
               .arg(contacts.size())
               .arg(addressFile, file);
    return kCommandDone;
}

int runImportCommand(const QString& file, const QString& addressFile,
                     std::optional<ContactFormat> format, QTextStream& out, QTextStream& err)
{
    ContactsFile contacts = readContactsFile(file, format);
    if (!contacts.error.isEmpty()) {
        err << contacts.error << '\n';
        return kCommandFailed;
    }
    if (contacts.needsMapping) {
        const QStringList header =
            contacts.table.rows.empty() ? QStringList() : contacts.table.rows.front();
        err << importFailureText(
                   file,
                   QStringLiteral("les colonnes du fichier CSV ne sont pas reconnues (%1). "
                                  "Importez-le par la commande « Importer des contacts... » de "
                                  "la fenêtre, qui permet d'associer chaque colonne à un champ.")
                       .arg(header.join(QLatin1String(", "))))
            << '\n';
        return kCommandFailed;
    }
    OpenedFile opened = openAddressFile(addressFile);
    if (!opened.rs) {
        err << opened.error << '\n' << QStringLiteral("Aucune fiche n'a été importée.\n");
        return kCommandFailed;
    }
    ImportSummary summary;
    summary.source = file;
    summary.target = addressFile;
    try {
        importContactsInto(*opened.rs, contacts, summary);
    } catch (const EngineError& e) {
        err << QStringLiteral("Les fiches n'ont pas pu être ajoutées à « %1 ».\n%2\nAucune "
                              "fiche n'a été importée.\n")
                   .arg(addressFile, e.text);
        return kCommandFailed;
    }
    out << summary.text();
    return kCommandDone;
}

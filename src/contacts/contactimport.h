#pragma once

#include "contacts/contact.h"
#include "contacts/csvformat.h"
#include "contacts/csvlayouts.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class Recordset;

enum class ContactFormat { VCard, Csv };

// The format of a file named by its extension (.vcf, .vcard, .csv); nothing for another name.
std::optional<ContactFormat> formatOfName(const QString& path);

// A value left out of an imported record because its field cannot hold it.
struct LeftOutValue {
    int record = 0; // place of the contact in the imported file, from 1
    QString name;   // "Nom Prénom"
    int column = 0;
    QString value;
    int size = 0; // characters the field holds
};

// What an import did.
struct ImportSummary {
    QString source; // the contacts file
    QString target; // the address file
    int read = 0;
    int imported = 0;
    int identical = 0; // skipped: identical to a record in the file before the import
    int empty = 0;     // skipped: no field filled
    std::vector<LeftOutValue> leftOut;

    // One line per value left out: record, name, field, size and value.
    QStringList leftOutLines() const;
    // The whole summary, one item per line (LF), as shown and saved.
    QString text() const;
};

// A contacts file checked, before it is added to an address file. Its contacts are not kept:
// they are read again, a card or a row at a time, when they are added (forEachContact).
struct ContactsFile {
    QString path;
    int count = 0; // contacts the file holds (CSV: data rows)
    // The whole French message when the file cannot be imported; empty when read.
    QString error;
    bool cancelled = false;
    ContactFormat format = ContactFormat::VCard;
    // CSV: the first rows (the header and what the mapping window shows), how to read the
    // file again, and the header's mapping; when the header was not recognised
    // (`needsMapping`), the caller applies a mapping before reading the contacts.
    CsvTable table;
    CsvMapping mapping;
    bool needsMapping = false;
};

// Reads `path`: a vCard file when its text starts with BEGIN:VCARD or its name ends in .vcf,
// else CSV (unless `format` says which). Bad input (missing, empty, binary, not vCard nor CSV,
// a truncated card, an unterminated quote, a wrong character encoding) gives `error`.
// The file is read a chunk at a time (bounded memory whatever it holds).
ContactsFile readContactsFile(const QString& path, std::optional<ContactFormat> format = {},
                              const ProgressFn& progress = {});

// Applies the column mapping the user chose to a CSV file read.
void applyCsvMapping(ContactsFile& file, const CsvMapping& mapping);

// Reads the contacts of a file checked by readContactsFile again, one at a time, handing each
// to `take` (false stops). False when stopped or cancelled; when the file cannot be read again
// (changed since it was checked) `error` says why, as readContactsFile's errors do.
bool forEachContact(const ContactsFile& file, const std::function<bool(Contact&)>& take,
                    const ProgressFn& progress = {}, QString* error = nullptr);
// Every contact of a file checked, in memory (small files, tests).
std::vector<Contact> contactsOfFile(const ContactsFile& file);

// Adds `contacts` to the open address file after its records, in one transaction. A value
// longer than its field holds is left out of its record (and listed); a contact identical in
// all sixteen fields to a record that was in the file before the import is skipped, and so is
// a contact with no field filled. Identical contacts within `contacts` are all added. False when
// cancelled: the file is left exactly as it was. Throws EngineError when the file refuses the
// records (nothing is then added).
bool importContactsInto(Recordset& rs, const std::vector<Contact>& contacts, ImportSummary& summary,
                        const ProgressFn& progress = {});
// The same for the contacts of a file checked by readContactsFile, read again as they are
// stored. A file that cannot be read again throws EngineError (nothing is then added).
bool importContactsInto(Recordset& rs, const ContactsFile& file, ImportSummary& summary,
                        const ProgressFn& progress = {});

// "Le fichier « path » ne peut pas être importé : reason" + line break +
// "Aucune fiche n'a été importée."
QString importFailureText(const QString& path, const QString& reason);

#pragma once

#include "contacts/contact.h"
#include "contacts/contactimport.h"
#include "contacts/vcardwriter.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <vector>

class Recordset;
class RecordForm;

// How an export is written.
struct ExportOptions {
    ContactFormat format = ContactFormat::VCard;
    VCardVersion version = VCardVersion::V30;
    QChar separator = QLatin1Char(';');
};

// Every record of the file, in the name list's order ("Nom Prénom", French collation; records
// with the same line in stored order). False when cancelled.
bool contactsInListOrder(Recordset& rs, std::vector<Contact>& contacts,
                         const ProgressFn& progress = {});

// The record shown in the record form's field boxes.
Contact contactOfForm(const RecordForm& form);

// The file's bytes. Nothing (and `cancelled` set) when cancelled.
QByteArray contactsFileBytes(const std::vector<Contact>& contacts, const ExportOptions& options,
                             const ProgressFn& progress = {}, bool* cancelled = nullptr);

// Writes `bytes` to `path` whole or not at all (an existing file is replaced only once the new
// one is complete). False with a French reason in `error` when it cannot be written.
bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* error);

// A file name for one contact's export: "Nom Prénom" without characters file names should not
// hold, "Contact" when empty, followed by `suffix` (".vcf").
QString contactFileName(const Contact& contact, const QString& suffix);

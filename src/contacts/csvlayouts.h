#pragma once

#include "contacts/contact.h"
#include "contacts/csvformat.h"

#include <QString>
#include <QStringList>
#include <vector>

// The CSV files people bring, told apart by their header row.
enum class CsvLayout { Elvarine, Google, Outlook, OutlookFrench, Thunderbird, Unknown };

// "Elvarine", "Google Contacts", "Outlook", "Outlook (en français)", "Thunderbird", "".
QString layoutName(CsvLayout layout);

// What one CSV column gives.
struct CsvColumnRole {
    enum Kind {
        Ignore,
        Field,      // the field `field`; several such columns are joined
        First,      // the field `field`; the first filled column by `rank` wins
        GivenName,  // first name (Prénom)
        MiddleName, // added to Prénom
        FamilyName, // Nom
        FullName,   // "Prénom Nom", used when the name parts are empty
        Voice,      // a voice number, by `rank` (the first two give Téléphone, Téléphone1)
        Fax,        // a fax number, by `rank`
        Mobile,     // a mobile number, by `rank`
        PhoneType,  // the type of typed number `group` ("Mobile", "Work Fax"...)
        PhoneValue, // the numbers of typed number `group`
        Street,     // street line `rank` of address `group`
        Extended,   // extended address of address `group`
        PoBox,      // post office box of address `group`
        City,
        PostalCode,
        Country,
        Formatted, // the whole address `group` as one text, used when its parts are empty
    };
    Kind kind = Ignore;
    int field = -1;
    int group = 0;
    int rank = 0;
};

struct CsvMapping {
    CsvLayout layout = CsvLayout::Unknown;
    std::vector<CsvColumnRole> roles; // one per CSV column
    bool headerRow = true;            // the first row names the columns
};

// The layout of a header row and what each column gives; `Unknown` when the header is not one
// of the known ones (the user then says which field each column fills).
CsvMapping recognizeHeader(const QStringList& header);

// For the column-mapping window: the field each column most likely fills, from its name
// (-1 for none); a field is proposed for one column at most.
std::vector<int> guessFields(const QStringList& header);

// The mapping the user chose: one field per column (-1 ignores the column).
CsvMapping mappingOfFields(const std::vector<int>& fields, bool headerRow);

// The contact of one data row.
Contact contactOfCsvRow(const CsvMapping& mapping, const QStringList& row);

// The contacts of every data row (the header row left out when there is one). Nothing (and
// `cancelled` set) when cancelled.
std::vector<Contact> contactsOfCsv(const CsvTable& table, const CsvMapping& mapping,
                                   const ProgressFn& progress = {}, bool* cancelled = nullptr);

// A header name compared without regard to case, accents and runs of blanks.
QString normalizedHeader(const QString& name);

#pragma once

#include "core/state/addressoptions.h"
#include "core/state/printparams.h"
#include "core/state/senderprofile.h"
#include "envelopes/envelopeprint.h"
#include "labels/addressblock.h"
#include "labels/labelsheet.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class PrinterSurface;
class Recordset;
struct PrinterOffset;
struct Services;

// A mailing: address labels or envelopes for many records, in one print job.

// Which records a mailing takes.
enum class MailingSource {
    Selection, // the lines selected in the name list
    Search,    // the records a search text finds
    All,       // every record
};
// In which order they print.
enum class MailingOrder {
    NameList, // the name list's order
    PostCode, // by postal code, then by name (for sorted mail rates)
};
enum class MailingKind { Labels, Envelopes };

struct MailingChoice {
    MailingSource source = MailingSource::All;
    std::vector<int> selected; // stored positions, in list order (Selection)
    QString searchText;        // Search: compared in lower case, as the main window's search
    int criterion = 0;         // Search: the criterion of the search options
    MailingOrder order = MailingOrder::NameList;
};

// One record of a mailing: its stored position and its address texts (Nom, Prénom, Société,
// Adresse, Adresse1, Code postal, Ville, Pays) kept as one text, so that a mailing of many
// records stays small.
struct MailingRecord {
    int position = -1;
    QString texts; // the address texts joined by Recordset::kGroupSeparator

    AddressFields fields() const;
    // Its name-list line.
    QString line() const;
};
// The address fields of a MailingRecord's texts.
AddressFields addressFieldsOf(const QString& texts);

struct MailingRecords {
    std::vector<MailingRecord> printed;
    std::vector<MailingRecord> leftOut; // records whose address block is empty
};

// True when the record has no name (Nom, Prénom, Société), no street (Adresse, Adresse1) and no
// town: it would print an empty label.
bool addressBlockEmpty(const AddressFields& fields);

// The records `choice` takes, read from `rs` in one pass over `listPositions` (the name list's
// stored positions in list order) or over the selection, in the order asked for, the empty ones
// set apart. `progress` (may be empty) is told the records read; returning false stops the read
// (the records read so far are returned). Throws EngineError when the file cannot be read.
MailingRecords collectMailingRecords(Recordset& rs, const std::vector<int>& listPositions,
                                     const MailingChoice& choice,
                                     const std::function<bool(qint64, qint64)>& progress = {});

// Sorts by postal code (spaces ignored; records without one last), then by name-list line in
// French collation; records that compare equal keep their order.
void sortByPostCode(std::vector<MailingRecord>& records);

// "2 fiches laissées de côté, leur adresse est vide : Durand, (fiche sans nom n° 7)."; empty when
// none is.
QString leftOutText(const MailingRecords& records);
// How a left-out record is named: its list line, or "(fiche sans nom n° N)" (N from 1).
QString recordName(const MailingRecord& record);

// Where label `index` (from 0) of a mailing starting at position `start` (1..10) lands: the
// sheet (from 0) and the position on it (1..10). Only the first sheet starts at `start`.
struct LabelSlot {
    int sheet = 0;
    int position = 1;
};
LabelSlot labelSlot(int index, int start);
// Sheets used by `count` labels from position `start`.
int labelSheetCount(int count, int start);

// Everything a mailing prints, taken from the program's state when it is made, so that the job
// prints the same whatever changes meanwhile.
struct MailingJob {
    MailingKind kind = MailingKind::Labels;
    PrintParams print;      // sheet geometry, frame, cut outline, print font
    AddressOptions address; // title and name orders
    int start = 1;          // labels: first position of the first sheet
    EnvelopeFormatId format = EnvelopeFormatId::F160x115; // envelopes
    bool sender = false;                                  // envelopes: with the sender label
    SenderProfile senderProfile;
    EnvelopePaper paper;          // envelopes: OwnSize from the envelope window's paper choice
    std::vector<QString> records; // each record's address texts (MailingRecord::texts)

    // Pages of the job: sheets of labels, or envelopes.
    int pageCount() const;
    // The paper the job asks for.
    PaperRequest paperRequest() const;
    // Draws page `page` (from 0) on the current page of `printer`, moved by `offset`; neither
    // starts a page nor ends the document. Throws what the surface throws.
    void drawPage(PrinterSurface& printer, int page, const PrinterOffset& offset) const;
};

// The job of `records` with the state's print parameters, address options, sender profile and
// envelope paper; `start` for labels, `format` and `sender` for envelopes.
MailingJob makeMailingJob(MailingKind kind, const MailingRecords& records, const PrintParams& print,
                          const AddressOptions& address, int start, EnvelopeFormatId format,
                          bool sender, const SenderProfile& profile, bool envelopePaper);

// Prints the whole job as one document on services.printer, moved by the printer's calibration
// offset, and ends it. `progress` (may be empty) is told the pages drawn; when it returns false
// the document is dropped whole (killDoc): nothing reaches the printer. Throws PrinterError (the
// document dropped).
enum class MailingOutcome { Printed, Cancelled };
MailingOutcome printMailingJob(const MailingJob& job, Services& services,
                               const std::function<bool(int done, int total)>& progress = {});

// The drawing of the job for the print preview (PreviewDocument's part): `pagesPerPart` pages
// each call, the document ended with the last.
std::function<bool(Services&)> mailingPreviewPart(std::shared_ptr<const MailingJob> job,
                                                  int pagesPerPart = 4);

// The question asked before a mailing prints: "Confirmer l'impression de 23 étiquettes sur
// 3 feuilles ?" or "Confirmer l'impression de 12 enveloppes ?", and its title.
PrintConfirmation mailingConfirmation(const MailingJob& job);

// "23 étiquettes sur 3 feuilles" / "12 enveloppes".
QString mailingCountText(const MailingJob& job);

#pragma once

#include <QStringList>
#include <functional>

class PrinterSurface;
class RecordForm;
struct Services;

// The printed block of one record: an empty line, then twelve labelled lines of the record
// form's field boxes as displayed (labels and texts joined without trimming).
QStringList recordSheetLines(const RecordForm& form);

// Prints the block of the record shown in `form`, one line per Print, where the previous
// output ended.
void printRecordSheet(PrinterSurface& printer, const RecordForm& form);

// Prints the blocks of the name list's entries `from` to `to` - 1, in list order: each entry is
// selected in turn, so each record prints once, duplicates included.
void printRecordSheets(PrinterSurface& printer, RecordForm& form, int from, int to);

// Both commands do nothing when no printer service is installed.
//
// "Imprimer la fiche en cours": asks, prints the current record, then asks whether another
// sheet follows; on No the document goes to the printer, on Yes it stays open so the next
// record printed joins it. On a printer failure the document is abandoned.
void printCurrentRecordSheet(Services& services, const RecordForm& form);

// "Imprimer l'état du fichier": asks, then prints every record in name-list order (each entry
// selected in turn, so each record prints once, duplicates included) and ends the document.
// After a complete print `cmdRefresh` (the main window's Actualiser) runs; after a No or a
// failure it does not. True when the print was completed.
bool printAllRecordSheets(Services& services, RecordForm& form,
                          const std::function<void()>& cmdRefresh);

// The same two prints once confirmed (from the print preview's "Imprimer"): no first question.
void printConfirmedRecordSheet(Services& services, const RecordForm& form);
bool printConfirmedRecordSheets(Services& services, RecordForm& form,
                                const std::function<void()>& cmdRefresh);

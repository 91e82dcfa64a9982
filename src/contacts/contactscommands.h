#pragma once

#include <QString>
#include <functional>

class QWidget;
class RecordBinding;
class RecordForm;
struct AppState;
struct Services;

// The file dialogs' filters. Import: vCard, CSV. Export: vCard 3.0, vCard 4.0, CSV with
// semicolons, CSV with commas (the filter chosen sets the format).
extern const char* const kImportFilter;
extern const char* const kExportFilter;

// The Fichier menu's contacts commands. Each uses the dialogs of `services`, shows its own
// progress window (with "Annuler") when it lasts over a second, and reports failures in French
// message boxes; `parent` owns their windows.

// "Importer des contacts...": chooses a vCard or CSV file, asks which field each column fills
// when a CSV header is not recognised, adds the contacts after the records of the open file in
// one transaction, runs `cmdRefresh` (the main window's Actualiser, which rebuilds the name
// list) when records were added, then shows the import summary. Nothing happens without an
// open file. True when the import was done.
bool importContacts(AppState& state, Services& services, RecordBinding& data1, QWidget* parent,
                    const std::function<void()>& cmdRefresh);

// "Exporter les contacts...": every stored record of the open file, in name-list order, to a
// vCard (3.0 or 4.0) or CSV (";" or ",") file. True when the file was written.
bool exportAllContacts(AppState& state, Services& services, RecordBinding& data1, QWidget* parent);

// "Exporter la fiche en cours...": the record shown in the field boxes of `form`, to a vCard
// or CSV file. True when the file was written.
bool exportCurrentContact(AppState& state, Services& services, const RecordForm& form,
                          QWidget* parent);

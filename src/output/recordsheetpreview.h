#pragma once

#include <functional>

class QWidget;
class RecordForm;
struct AppState;
struct Services;

// "Aperçu avant impression" of the record sheets: the print preview of what "Imprimer la fiche
// en cours" and "Imprimer l'état du fichier" print, drawn by their own printing code. "Imprimer"
// in the preview prints as the command does once confirmed; the preview itself moves nothing.

// The current record's sheet. "Imprimer" prints it (and asks whether another sheet follows).
// True when it was printed from the preview.
bool previewRecordSheet(AppState& state, Services& services, const RecordForm& form,
                        QWidget* parent);

// Every record's sheet, in name-list order. The records are walked a part at a time while the
// preview is open, and the name list's selection is put back afterwards. "Imprimer" prints the
// whole file and then runs `cmdRefresh`, as the print command does. True when it was printed
// from the preview.
bool previewAllRecordSheets(AppState& state, Services& services, RecordForm& form,
                            const std::function<void()>& cmdRefresh, QWidget* parent);

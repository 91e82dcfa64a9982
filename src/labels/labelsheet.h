#pragma once

#include "core/state/printparams.h"
#include "printer/printersurface.h"

#include <QList>
#include <QPageLayout>
#include <QRectF>
#include <QString>

struct AddressOptions;
struct AppState;
struct PrinterOffset;
struct Services;

// The A4 sheet of ten labels, two per row, numbered 1..10 left to right and top to bottom.
constexpr int kLabelPositions = 10;

struct LabelCorner {
    double x = 0; // mm from the left of the printable area
    double y = 0; // mm from its top
};

// Top-left corner of label position `position` (1..10) with the sheet geometry of `params`.
LabelCorner labelCorner(const PrintParams& params, int position);

// The paper of a label job: the A4 label sheet, in the printer's orientation.
PaperRequest labelSheetPaper();
// The page a label job is printed on by `printer` (an A4 portrait page without margins when the
// printer cannot tell).
QPageLayout labelPageLayout(PrinterSurface& printer);
// Where label `position` lands on the paper of `page`, mm from the paper's corner, moved by
// `offset` as the print moves it.
QRectF labelOnPaper(const PrintParams& params, int position, const QPageLayout& page,
                    const PrinterOffset& offset);
// The labels of `positions` that do not lie within the printable area of `page`.
QList<int> labelsOffPage(const PrintParams& params, const QList<int>& positions,
                         const QPageLayout& page, const PrinterOffset& offset);
// The warning of the label window for the labels `off` on a page in `orientation` (1 portrait,
// 2 landscape): "Attention : l'étiquette N° 10 ne tient pas sur la page en mode Paysage ; ce qui
// dépasse n'est pas imprimé." (or "les étiquettes N° 9 et 10 ne tiennent pas"); empty for none.
QString labelFitWarning(const QList<int>& off, int orientation);
// The notice of the label window when `printerPaper`, the paper of the printer's other
// documents, is not A4: labels still print on the A4 label sheet. Empty for A4.
QString labelPaperNotice(const QPageSize& printerPaper);

// The question asked before printing and its title.
struct PrintConfirmation {
    QString title;
    QString question;
};
// For a page of `count` identical labels (mode 1) or for the selected label `number` (mode 0).
PrintConfirmation labelPrintConfirmation(int modeImpression, int count, int number);

// Draws one label with its corner at (x, y): the frame 2 mm inside its edges, the dash-dot cut
// outline on its edges (each when asked for), then the print lines address.Lignes[1..NbLignes]
// from 7 mm inside, one line height apart, starting one line height down. Removes the leading
// line feed of each print line. Throws what the surface throws.
void drawLabel(PrinterSurface& printer, const PrintParams& params, AddressOptions& address,
               double x, double y);

// Prints the selected label state.label.NumEtiquette on the A4 label sheet and ends the document,
// moved by the current printer's calibration offset. On a printer failure shows "Erreur
// d'impression !" and drops the document. True when the document was ended.
bool Imprim1carte(AppState& state, Services& services);
// Prints `count` identical labels at positions 1..count on one page and ends the document once.
// Failures as for Imprim1carte.
bool Imprim10Cartes(AppState& state, Services& services, int count);

// The printing of the label window once confirmed (the flags already taken from its check
// boxes): splits the address block into print lines and prints a page of
// state.label.NbEtiquettes identical labels or the selected label. True when something was
// printed.
bool printLabels(AppState& state, Services& services);

// The print command of the label window: asks for confirmation, then printLabels.
bool printLabelCommand(AppState& state, Services& services);

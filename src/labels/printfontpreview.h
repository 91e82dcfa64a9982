#pragma once

#include "core/state/printparams.h"

#include <QString>

class Dialogs;
class QWidget;

// The print-font preview of the label and envelope windows (a label showing the address block
// in the print font and colour), and the commands that change that font through it.

// Gives `preview` FontName, FontSize, FontBold, FontItalic and ForeColor of `params`; a value the
// preview cannot take (an empty name, a size that is not positive) is skipped.
void applyPrintFont(QWidget& preview, const PrintParams& params);
// Copies the preview's font name, size, bold, italic and text colour into `params`.
void readPrintFont(const QWidget& preview, PrintParams& params);

// "Police...": the font dialog preset with the preview's font; the preview takes the choice and
// the six font fields of `params` take the preview's. A cancel changes nothing.
void choosePrintFont(Dialogs& dialogs, QWidget& preview, PrintParams& params);
// "Couleur du texte...": the colour dialog preset with the preview's text colour; the preview
// and ForeColor take the choice. A cancel changes nothing.
void choosePrintColor(Dialogs& dialogs, QWidget& preview, PrintParams& params);

// The envelope window's writer of a parameters file: the five stored font fields are taken from
// its preview, the geometry and flags are written as they stand in `params`. On failure shows
// "Erreur de sauvegarde!" and returns false.
bool SaveFileConfig(PrintParams& params, const QWidget& preview, const QString& path,
                    Dialogs* dialogs);

#pragma once

#include "core/state/printparams.h"

#include <QString>

class Dialogs;
class QColor;
class QWidget;

// The previews of the print windows (a label showing the address block or the sender text in
// the font and colour it is printed in), and the commands that change the print font through
// the address preview.

// Gives `preview` the face `name`, `size`, bold, italic and text `color`; a face that is empty or
// a size the preview cannot take (not positive) is skipped, so the preview keeps its own.
void applyPreviewFont(QWidget& preview, const QString& name, double size, bool bold, bool italic,
                      const QColor& color);
// A text of CR LF separated lines as a label shows it (line feeds only).
QString previewText(const QString& text);

// Gives `preview` FontName, FontSize, FontBold, FontItalic and ForeColor of `params`, as
// applyPreviewFont.
void applyPrintFont(QWidget& preview, const PrintParams& params);
// Copies the preview's font name, size, bold, italic and text colour into `params`.
void readPrintFont(const QWidget& preview, PrintParams& params);

// "Police...": the font dialog preset with the preview's font; the preview takes the choice and
// the six font fields of `params` take the preview's. A cancel changes nothing.
void choosePrintFont(Dialogs& dialogs, QWidget& preview, PrintParams& params);
// "Couleur du texte...": the colour dialog preset with the preview's text colour; the preview
// and ForeColor take the choice. A cancel changes nothing.
void choosePrintColor(Dialogs& dialogs, QWidget& preview, PrintParams& params);

// Writes a parameters file with the five stored font fields taken from the address preview and
// the geometry and flags as they stand in `params`. On failure shows "Erreur de sauvegarde!"
// and returns false.
bool writeParamsWithPreviewFont(PrintParams& params, const QWidget& preview, const QString& path,
                                Dialogs* dialogs);

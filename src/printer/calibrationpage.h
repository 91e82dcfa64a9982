#pragma once

#include "printer/printeroffsets.h"

#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

class PrinterSurface;
struct Services;

// The calibration page: crosses at known places of the sheet, each with its place written beside
// it, measured from the sheet's left and top edges. The user measures with a ruler where they
// really landed; the difference is the printer's offset.

// The places of the crosses on a sheet of `paper` size, mm from its top-left corner: three
// columns (20 mm from the left, the middle, 50 mm from the right) by three rows (20 mm from the
// top, the middle, 30 mm from the bottom), in whole millimetres.
QList<QPointF> calibrationCrosses(const QSizeF& paper);

// The text written beside a cross: "x = 20 mm  y = 20 mm".
QString calibrationCaption(const QPointF& cross);

// Draws the calibration page for the printer named `printerName` on `printer` (crosses at their
// places on its paper, moved by `offset` as labels are), without ending the document. Throws
// what the surface throws.
void drawCalibrationPage(PrinterSurface& printer, const QString& printerName,
                         const PrinterOffset& offset);

// Prints the calibration page with `offset` and ends the document; on a printer failure shows
// "Erreur d'impression !" and drops the document. True when the page went out.
bool printCalibrationPage(Services& services, const PrinterOffset& offset);

#pragma once

#include "printer/printeroffsets.h"

#include <QDialog>

class QDoubleSpinBox;
class QPushButton;
struct Services;

// "Calibrer l'imprimante" (`Calibration`): the horizontal and vertical offset of the current
// printer in millimetres (negative allowed), a calibration page to print and measure with a
// ruler, and OK to store the offsets in the user's settings for that printer. Labels and
// envelopes printed on it are then moved by that much.
class CalibrationWindow : public QDialog
{
    Q_OBJECT

public:
    CalibrationWindow(Services& services, const QString& printer, QWidget* parent = nullptr);

    // The offset as typed.
    PrinterOffset offset() const;

    QDoubleSpinBox* horizontalBox() const { return m_horizontal; }
    QDoubleSpinBox* verticalBox() const { return m_vertical; }
    QPushButton* printPageButton() const { return m_printPage; }

    // OK: the offset is stored for the printer (a failure is reported and the window stays).
    void accept() override;

private:
    void printPage();

    Services& m_services;
    QString m_printer;
    QDoubleSpinBox* m_horizontal = nullptr;
    QDoubleSpinBox* m_vertical = nullptr;
    QPushButton* m_printPage = nullptr;
};

// "Calibrer l'imprimante...": the calibration window for the current printer. With no printer to
// calibrate (none installed, or printing to a file) shows "Aucune imprimante n'est disponible".
// True when an offset was stored.
bool calibratePrinter(Services& services, QWidget* parent);

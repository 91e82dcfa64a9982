#pragma once

#include "printer/systemprintersurface.h"

#include <QPageLayout>
#include <QString>
#include <memory>
#include <optional>

class PrinterSettingsStore;
class QPainter;
class QPrinter;
class QTemporaryFile;

// The printer surface on the desktop's print system: QPrinter at high resolution, drawn with a
// QPainter in device pixels (fonts keep their point size whatever the unit).
//
// The current printer is the system's default printer until one is chosen (selectPrinter of
// another printer than the default, or the print-setup dialog, whose print-to-file choice is
// honoured too); selecting the default printer again keeps following the system's default.
// Each document is written to a spool file and handed to the print system only by endDoc();
// killDoc() throws it away, so nothing of an abandoned document reaches the printer. A printer
// that does not take documents fails at the document's first drawing call, with the print
// server's reason. The page of each document is the paper it asks for (setPaper), else the one
// chosen in the print-setup dialog since the printer was last selected, else the printer's own
// (PrinterSettingsStore); its orientation the one asked for, else the dialog's, else the one
// stored in the printer's lasting settings. The job carries that paper (media) and that
// orientation (orientation-requested), once each.
//
// A document is written in grey levels until something in it takes a colour other than black;
// from then on it is written in colour, and the job asks the print system for colour printing
// (print-color-mode=color), so that a queue without a driver description prints it in colour.
//
// With no printer installed, drawing and reading the orientation throw NoPrinterError.
class QtPrinterSurface : public SystemPrinterSurface
{
public:
    // `settings` (may be null) gives the stored orientation of each printer.
    explicit QtPrinterSurface(PrinterSettingsStore* settings = nullptr);
    ~QtPrinterSurface() override;
    QtPrinterSurface(const QtPrinterSurface&) = delete;
    QtPrinterSurface& operator=(const QtPrinterSurface&) = delete;

    void setOutputFile(const QString& path) override;
    QString outputFile() const override { return m_outputFile; }
    int lastJobId() const override { return m_lastJob; }
    bool documentInColour() const override { return m_colour; }

    void endDoc() override;
    void killDoc() override;

    int orientation() override;
    QString deviceName() override;
    void setDuplex(int duplex) override;
    QStringList printerNames() override;
    bool selectPrinter(const QString& name) override;
    bool showPrintSetup() override;
    QPageLayout pageLayoutFor(const std::optional<PaperRequest>& paper) override;

protected:
    const QPaintDevice& metricsDevice() const override;
    QPageLayout beginDocument() override;
    void beginPage() override;
    void drawItem(const PrintedItem& item) override;

private:
    // The printer documents go to now; throws NoPrinterError when none is installed.
    QString currentPrinter();
    int orientationFor(const QString& printer) const;
    // The paper of `printer`'s documents that ask for none (empty: the PDF file).
    QPageSize basePageSize(const QString& printer) const;
    // Points `printer` at the output of the next document (the PDF file or the current printer,
    // whose name is returned; empty for the file) with its paper, orientation and duplex mode.
    QString prepareOutput(QPrinter& printer, const std::optional<PaperRequest>& paper);
    // The painter cut at the paper's edge.
    void clipToPaper();
    void closeDocument(); // ends the painter, keeps the output
    void submit(const QString& printer, const QString& file);

    PrinterSettingsStore* m_settings = nullptr;
    QPrinter& qprinter() const;

    mutable std::unique_ptr<QPrinter> m_printer; // see qprinter()
    std::unique_ptr<QPrinter> m_nextPrinter;     // chosen while a document was open
    std::unique_ptr<QPainter> m_painter;
    std::unique_ptr<QTemporaryFile> m_spool;

    QString m_outputFile;                     // print to this PDF file instead of a printer
    QString m_chosenPrinter;                  // empty: follow the system's default printer
    std::optional<int> m_setupOrientation;    // chosen in the print-setup dialog
    std::optional<QPageSize> m_setupPageSize; // chosen in the print-setup dialog
    QString m_docPrinter;                     // printer of the open document
    int m_duplex = 1;
    int m_lastJob = 0;
    bool m_colour = false; // the document took a colour other than black
};

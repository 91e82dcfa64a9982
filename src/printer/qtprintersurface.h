#pragma once

#include "printer/printersurface.h"

#include <QFont>
#include <QFontMetricsF>
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
// The current printer is the system's default printer until one is chosen (selectPrinter or the
// print-setup dialog, whose print-to-file choice is honoured too). Each document is written to a
// spool file and handed to the print system only by endDoc(); killDoc() throws it away, so
// nothing of an abandoned document reaches the printer. The page orientation of each document
// is the one stored in the printer's lasting settings (PrinterSettingsStore), unless the
// print-setup dialog chose another since the printer was last selected.
//
// With no printer installed, drawing and reading the orientation throw NoPrinterError.
class QtPrinterSurface : public PrinterSurface
{
public:
    // `settings` (may be null) gives the stored orientation of each printer.
    explicit QtPrinterSurface(PrinterSettingsStore* settings = nullptr);
    ~QtPrinterSurface() override;
    QtPrinterSurface(const QtPrinterSurface&) = delete;
    QtPrinterSurface& operator=(const QtPrinterSurface&) = delete;

    // Sends every following document to the PDF file `path` instead of a printer (each document
    // replaces the file). An empty path goes back to the printer.
    void setOutputFile(const QString& path);
    QString outputFile() const { return m_outputFile; }
    // True while a document is open.
    bool documentOpen() const;
    // Pages of the open document (0 when none is open).
    int pageCount() const { return m_pages; }
    // Printable height of the open document's pages, mm (0 when none is open).
    double printableHeight() const { return m_painter ? m_pageHeight : 0; }
    // Id of the last job handed to the print system (0 before the first).
    int lastJobId() const { return m_lastJob; }

    void setScaleMode(int mode) override;
    int scaleMode() const override { return m_scale; }
    void setCurrentX(double x) override;
    void setCurrentY(double y) override;
    double currentX() const override;
    double currentY() const override;

    void setFontName(const QString& name) override;
    void setFontSize(double points) override;
    void setFontBold(bool bold) override;
    void setFontItalic(bool italic) override;
    void setForeColor(quint32 colorRef) override;
    void setDrawStyle(int style) override;

    void print(const QString& text) override;
    void line(double x1, double y1, double x2, double y2, quint32 colorRef) override;
    double textHeight(const QString& text) override;

    void endDoc() override;
    void killDoc() override;

    int orientation() override;
    QString deviceName() override;
    void setDuplex(int duplex) override;
    QStringList printerNames() override;
    bool selectPrinter(const QString& name) override;
    bool showPrintSetup() override;

private:
    // The printer documents go to now; throws NoPrinterError when none is installed.
    QString currentPrinter();
    int orientationFor(const QString& printer) const;
    int layoutOrientation() const;
    void openDocument();
    void closeDocument(); // ends the painter, keeps the output
    void resetPosition();
    void submit(const QString& printer, const QString& file);
    void printLine(const QString& text);
    void fontChanged();
    const QFontMetricsF& metrics();
    double toMm(double v) const;   // current unit -> millimetres
    double fromMm(double v) const; // millimetres -> current unit
    double mmToDevice(double mm) const;
    double deviceToMm(double px) const;

    PrinterSettingsStore* m_settings = nullptr;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPrinter> m_nextPrinter; // chosen while a document was open
    std::unique_ptr<QPainter> m_painter;
    std::unique_ptr<QTemporaryFile> m_spool;

    QString m_outputFile;                  // print to this PDF file instead of a printer
    QString m_chosenPrinter;               // empty: follow the system's default printer
    std::optional<int> m_setupOrientation; // chosen in the print-setup dialog
    QString m_docPrinter;                  // printer of the open document
    int m_duplex = 1;
    int m_pages = 0;
    int m_lastJob = 0;
    double m_pageHeight = 0; // printable height of the open document, mm

    int m_scale = Twips;
    double m_x = 0; // mm
    double m_y = 0; // mm
    QString m_fontName = QStringLiteral("Arial");
    double m_fontSize = 10;
    bool m_bold = false;
    bool m_italic = false;
    quint32 m_color = 0;
    int m_drawStyle = Solid;
    QFont m_font;
    std::optional<QFontMetricsF> m_metrics;
    bool m_fontDirty = true;
};

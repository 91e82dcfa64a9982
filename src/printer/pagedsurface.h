#pragma once

#include "printer/printeditems.h"
#include "printer/printersurface.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <optional>

class QPaintDevice;

// Dots per inch of the printer's pages (QPrinter::HighResolution), at which text is measured.
constexpr int kPrintResolution = 1200;

// The layout every page surface shares, the printer's and the preview's: the current position,
// scale, font, colour and line style; the text lines one line height apart with a new page when
// a line no longer fits; the text measured on the device the document is made for. What it lays
// out reaches the device as PrintedItems, so whatever draws them draws the same page.
class PagedSurface : public PrinterSurface
{
public:
    // True while a document is open.
    bool documentOpen() const { return m_open; }
    // Pages of the open document (0 when none is open).
    int pageCount() const { return m_open ? m_pages : 0; }
    // Printable height of the open document's pages, mm (0 when none is open).
    double printableHeight() const { return m_open ? m_pageHeight : 0; }

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

protected:
    // The device text is measured on; its resolution is the one of the document's pages.
    virtual const QPaintDevice& metricsDevice() const = 0;
    // Opens a document and returns the printable height of its pages, mm. Throws PrinterError.
    virtual double beginDocument() = 0;
    // Starts the next page of the open document. Throws PrinterError.
    virtual void beginPage() = 0;
    // Puts `item` on the current page.
    virtual void drawItem(const PrintedItem& item) = 0;

    // The document ended or was dropped: the next drawing call opens a new one, from the top.
    void documentClosed();
    // The metrics device changed (another printer): fonts are measured again.
    void fontChanged();
    const QFontMetricsF& metrics();
    const QFont& currentFont();

private:
    void ensureDocument();
    void printLine(const QString& text);
    double toMm(double v) const;   // current unit -> millimetres
    double fromMm(double v) const; // millimetres -> current unit
    double deviceToMm(double px) const;

    bool m_open = false;
    int m_pages = 0;
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

// The lines of a printed text: split at each line break (CR LF, CR or LF); a break at the very
// end ends the last line and starts no new one.
QStringList printedTextLines(const QString& text);

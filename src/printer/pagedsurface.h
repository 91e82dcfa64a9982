#pragma once

#include "printer/printeditems.h"
#include "printer/printersurface.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QRectF>
#include <QString>
#include <optional>

class QPaintDevice;

// Dots per inch of the printer's pages (QPrinter::HighResolution), at which text is measured.
constexpr int kPrintResolution = 1200;

// The layout every page surface shares, the printer's and the preview's: the current position,
// scale, font, colour and line style; the text lines one line height apart, a new page when a
// line that follows on from the previous one no longer fits; what falls off the paper cut at its
// edge; the text measured on the device the document is made for. What it lays out reaches the
// device as PrintedItems, so whatever draws them draws the same page. Each document starts from
// the same first state.
class PagedSurface : public PrinterSurface
{
public:
    // True while a document is open.
    bool documentOpen() const { return m_open; }
    // Pages of the open document (0 when none is open).
    int pageCount() const { return m_open ? m_pages : 0; }
    // Printable height of the open document's pages, mm (0 when none is open).
    double printableHeight() const { return m_open ? m_pageHeight : 0; }
    // The paper of the open document's pages, mm from the printable area's corner.
    QRectF paperRect() const { return m_paperRect; }

    void setScaleMode(int mode) override;
    int scaleMode() const override { return m_job.scale; }
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
    void newPage() override;
    double textHeight(const QString& text) override;

    void setPaper(const std::optional<PaperRequest>& paper) override { m_paper = paper; }
    std::optional<PaperRequest> paper() const override { return m_paper; }

protected:
    // The device text is measured on; its resolution is the one of the document's pages.
    virtual const QPaintDevice& metricsDevice() const = 0;
    // Opens a document (with the paper asked for, paper()) and returns the layout of its pages.
    // Throws PrinterError.
    virtual QPageLayout beginDocument() = 0;
    // Starts the next page of the open document. Throws PrinterError.
    virtual void beginPage() = 0;
    // Puts `item` on the current page.
    virtual void drawItem(const PrintedItem& item) = 0;
    // False for a drawing that shows everything drawn, wherever it falls.
    virtual bool cutsAtPaperEdge() const { return true; }

    // The document ended or was dropped: the next drawing call opens a new one, from the top.
    void documentClosed();
    // The metrics device changed (another printer): fonts are measured again.
    void fontChanged();
    const QFontMetricsF& metrics();
    const QFont& currentFont();

private:
    void ensureDocument();
    void startPage();
    void printLine(const QString& text, bool placed);
    double toMm(double v) const;   // current unit -> millimetres
    double fromMm(double v) const; // millimetres -> current unit
    double deviceToMm(double px) const;

    // What a document sets and the next one starts again from.
    struct JobState {
        int scale = Twips;
        double x = 0;        // mm
        double y = 0;        // mm
        bool placed = false; // the position was set since the last line printed
        QString fontName = QStringLiteral("Arial");
        double fontSize = 10;
        bool bold = false;
        bool italic = false;
        quint32 color = 0;
        int drawStyle = Solid;
    };

    bool m_open = false;
    int m_pages = 0;
    double m_pageHeight = 0; // printable height of the open document, mm
    QRectF m_paperRect;      // the paper, mm from the printable area's corner

    JobState m_job;
    std::optional<PaperRequest> m_paper;
    QFont m_font;
    std::optional<QFontMetricsF> m_metrics;
    bool m_fontDirty = true;
};

// The lines of a printed text: split at each line break (CR LF, CR or LF); a break at the very
// end ends the last line and starts no new one.
QStringList printedTextLines(const QString& text);

// The part of `line` inside `area` (edges included), or nothing when it misses the area.
std::optional<QLineF> clippedLine(const QLineF& line, const QRectF& area);

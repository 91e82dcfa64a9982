#pragma once

#include "core/services.h"
#include "printer/pagedsurface.h"

#include <QBuffer>
#include <QPageLayout>
#include <QRectF>
#include <functional>
#include <memory>
#include <vector>

class QPdfWriter;

// A page surface that prints nothing: it keeps what the printing code draws on it, page by page,
// for the print preview and the drawings to scale. Its pages are those of the printer it stands
// for (paper, orientation, printable area, resolution, the text measured the same way), and what
// is asked about the printer (its name, orientation...) goes to that printer.
class PreviewSurface : public PagedSurface
{
public:
    // Pages laid out as the next document of `printer` will be; without a printer (or when it
    // cannot tell), A4 portrait with the margins of a PDF file. Text is measured at the
    // printer's resolution, kPrintResolution. Without `cutAtPaperEdge`, what falls off the
    // paper is kept (a drawing to scale shows everything drawn).
    explicit PreviewSurface(PrinterSurface* printer = nullptr, bool cutAtPaperEdge = true);
    ~PreviewSurface() override;
    PreviewSurface(const PreviewSurface&) = delete;
    PreviewSurface& operator=(const PreviewSurface&) = delete;

    // Every page drawn so far: those of the ended documents, then the open one's.
    const std::vector<PrintedPage>& pages() const { return m_pages; }
    // The page of the last document begun (before any, the printer's own).
    const QPageLayout& layout() const { return m_layout; }
    // Device pixels per inch of the pages (the printer's).
    double resolution() const;
    // What `item` covers on its page, mm: a text from the left end of its baseline to the end of
    // its last visible character, from the top of its line to its bottom; a line from end to end.
    QRectF itemBounds(const PrintedItem& item) const;

    // The document ends; its pages stay.
    void endDoc() override;
    // The open document's pages are dropped.
    void killDoc() override;

    int orientation() override;
    QString deviceName() override;
    void setDuplex(int) override {}
    QStringList printerNames() override;
    bool selectPrinter(const QString&) override { return false; }
    bool showPrintSetup() override { return false; }
    QPageLayout pageLayoutFor(const std::optional<PaperRequest>& paper) override;

protected:
    const QPaintDevice& metricsDevice() const override;
    QPageLayout beginDocument() override;
    void beginPage() override;
    void drawItem(const PrintedItem& item) override;
    bool cutsAtPaperEdge() const override { return m_cut; }

private:
    PrinterSurface* m_printer = nullptr;
    bool m_cut = true;
    QPageLayout m_layout;
    QPageLayout m_fileLayout;              // a PDF file's page, without a printer
    QBuffer m_nowhere;                     // what m_measure would write: nothing is
    std::unique_ptr<QPdfWriter> m_measure; // measures text as the printer does; never drawn on
    std::vector<PrintedPage> m_pages;
    size_t m_documentStart = 0; // first page of the open document
};

// A document drawn for the preview by the printing code itself, a part at a time. `drawPart`
// runs the printing code with the services it is given, whose printer is the preview surface,
// and returns true once the whole document is drawn.
class PreviewDocument
{
public:
    using DrawPart = std::function<bool(Services&)>;
    // What the document stands for: the pages the current printer gets (its page layout and its
    // calibration offset), or a drawing to scale of a label or an envelope (the pages of a PDF
    // file, no offset).
    enum class Kind { PrintedPages, DrawingToScale };
    PreviewDocument(Services& services, DrawPart drawPart, Kind kind = Kind::PrintedPages);

    // Nothing more to draw.
    bool complete() const { return m_complete; }
    // Draws one more part; false when the document was already complete. A failure of the
    // printing code ends the document where it stands.
    bool drawMore();
    // Draws until page `index` (from 0) can no longer change, or the document is complete.
    void drawUntilPage(int index);
    void drawAll();
    // Stops drawing: the document stays as it is.
    void stop() { m_complete = true; }

    // Pages begun so far.
    int pageCount() const { return int(m_surface.pages().size()); }
    // True when page `index` can no longer change.
    bool pageComplete(int index) const { return m_complete || index + 1 < pageCount(); }
    const PrintedPage& page(int index) const { return m_surface.pages()[size_t(index)]; }
    const PreviewSurface& surface() const { return m_surface; }

private:
    PreviewSurface m_surface;
    Services m_services;
    DrawPart m_drawPart;
    bool m_complete = false;
};

// True when a text of `page` reaches outside `area` (mm, in the coordinates of the page).
bool textRunsOutside(const PreviewSurface& surface, const PrintedPage& page, const QRectF& area);

// What the items of `page` cover, mm (an empty rectangle for an empty page).
QRectF printedExtent(const PreviewSurface& surface, const PrintedPage& page,
                     PrintedItems only = PrintedItems::All);

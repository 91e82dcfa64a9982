#include "printer/previewsurface.h"

#include <QFontMetricsF>
#include <QPdfWriter>
#include <exception>

PreviewSurface::PreviewSurface(PrinterSurface* printer, bool cutAtPaperEdge)
    : m_printer(printer), m_cut(cutAtPaperEdge), m_measure(std::make_unique<QPdfWriter>(&m_nowhere))
{
    m_measure->setResolution(kPrintResolution);
    // A PDF file's page: A4 portrait with Qt's own margins.
    m_fileLayout = m_measure->pageLayout();
    m_fileLayout.setOrientation(QPageLayout::Portrait);
    m_layout = pageLayoutFor(std::nullopt);
    m_measure->setPageLayout(m_layout);
}

QPageLayout PreviewSurface::pageLayoutFor(const std::optional<PaperRequest>& paper)
{
    if (documentOpen())
        return m_layout;
    if (m_printer) {
        try {
            const QPageLayout layout = m_printer->pageLayoutFor(paper);
            if (layout.isValid())
                return layout;
        } catch (const std::exception&) {
            // No printer to ask: the pages of a PDF file.
        }
    }
    QPageLayout layout = m_fileLayout;
    if (paper) {
        if (paper->orientation)
            layout.setOrientation(*paper->orientation == Landscape ? QPageLayout::Landscape
                                                                   : QPageLayout::Portrait);
        if (paper->size.isValid())
            layout.setPageSize(paper->size);
    }
    return layout;
}

PreviewSurface::~PreviewSurface() = default;

double PreviewSurface::resolution() const
{
    return m_measure->resolution();
}

const QPaintDevice& PreviewSurface::metricsDevice() const
{
    return *m_measure;
}

QPageLayout PreviewSurface::beginDocument()
{
    // The pages of the paper the document asks for, as the printer lays them out.
    m_layout = pageLayoutFor(paper());
    m_measure->setPageLayout(m_layout);
    m_documentStart = m_pages.size();
    m_pages.emplace_back();
    return m_layout;
}

void PreviewSurface::beginPage()
{
    m_pages.emplace_back();
}

void PreviewSurface::drawItem(const PrintedItem& item)
{
    m_pages.back().items.push_back(item);
}

void PreviewSurface::endDoc()
{
    documentClosed();
    m_documentStart = m_pages.size();
}

void PreviewSurface::killDoc()
{
    if (documentOpen())
        m_pages.resize(m_documentStart);
    documentClosed();
}

int PreviewSurface::orientation()
{
    if (m_printer)
        return m_printer->orientation();
    return m_layout.orientation() == QPageLayout::Landscape ? Landscape : Portrait;
}

QString PreviewSurface::deviceName()
{
    return m_printer ? m_printer->deviceName() : QString();
}

QStringList PreviewSurface::printerNames()
{
    return m_printer ? m_printer->printerNames() : QStringList();
}

QRectF PreviewSurface::itemBounds(const PrintedItem& item) const
{
    if (item.kind == PrintedItem::Line)
        return QRectF(item.at, item.to).normalized();
    const QFontMetricsF fm(item.font, m_measure.get());
    const double toMm = 25.4 / resolution();
    QString visible = item.text;
    while (!visible.isEmpty() && visible.back().isSpace())
        visible.chop(1);
    const double width = fm.horizontalAdvance(visible) * toMm;
    return QRectF(item.at.x(), item.at.y() - fm.ascent() * toMm, width,
                  (fm.ascent() + fm.descent()) * toMm);
}

// ---- PreviewDocument ----

PreviewDocument::PreviewDocument(Services& services, DrawPart drawPart, Kind kind)
    : m_surface(kind == Kind::PrintedPages ? services.printer : nullptr,
                kind == Kind::PrintedPages),
      m_services(services), m_drawPart(std::move(drawPart))
{
    m_services.printer = &m_surface;
    if (kind == Kind::DrawingToScale)
        m_services.printerOffsets = nullptr;
}

bool PreviewDocument::drawMore()
{
    if (m_complete)
        return false;
    try {
        m_complete = m_drawPart(m_services);
    } catch (const std::exception&) {
        // The preview shows the pages drawn before the failure; printing the document is
        // what says why it fails, with the printer's reason.
        m_complete = true;
    }
    return true;
}

void PreviewDocument::drawUntilPage(int index)
{
    while (!pageComplete(index) && drawMore()) {
    }
}

void PreviewDocument::drawAll()
{
    while (drawMore()) {
    }
}

bool textRunsOutside(const PreviewSurface& surface, const PrintedPage& page, const QRectF& area)
{
    // A hair of tolerance: a text ending exactly on the edge stays inside.
    const QRectF inside = area.normalized().adjusted(-0.01, -0.01, 0.01, 0.01);
    for (const PrintedItem& item : page.items) {
        if (item.kind != PrintedItem::Text)
            continue;
        const QRectF box = surface.itemBounds(item);
        if (box.left() < inside.left() || box.top() < inside.top() ||
            box.right() > inside.right() || box.bottom() > inside.bottom())
            return true;
    }
    return false;
}

QRectF printedExtent(const PreviewSurface& surface, const PrintedPage& page, PrintedItems only)
{
    QRectF extent;
    for (const PrintedItem& item : page.items) {
        if ((only == PrintedItems::Texts && item.kind != PrintedItem::Text) ||
            (only == PrintedItems::Lines && item.kind != PrintedItem::Line))
            continue;
        // A line along an axis has no area; it still counts.
        extent = extent.united(surface.itemBounds(item));
    }
    return extent;
}

#include "printer/printpreview.h"

#include "printer/previewsurface.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

namespace
{

constexpr int kMarginPx = 12; // grey around the sheet
constexpr int kSliceMs = 30;  // drawing of the rest of a long document, per turn of the loop
constexpr int kZoomItems = 2; // "Pleine page", "Pleine largeur", then the zooms
const std::array<int, 9> kZooms = {25, 50, 75, 100, 125, 150, 200, 300, 400};

QPushButton* navigationButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon,
                              const QString& tip)
{
    auto* button = new QPushButton(parent->style()->standardIcon(icon), QString(), parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setAutoDefault(false);
    return button;
}

// The theme's zoom icon, or the sign alone.
QPushButton* zoomButton(QWidget* parent, const char* name, const char* icon, const QString& sign,
                        const QString& tip)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QLatin1String(name));
    const QIcon themed = QIcon::fromTheme(QLatin1String(icon));
    if (themed.isNull())
        button->setText(sign);
    else
        button->setIcon(themed);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setAutoDefault(false);
    button->setMaximumWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("MMM")) + 12);
    return button;
}

class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

// ------------------------------------------------------------------------------ painting

void paintPreviewPage(QPainter& painter, const PreviewDocument& document, int index,
                      double pixelsPerMm, const QPointF& paperCorner)
{
    const PreviewSurface& surface = document.surface();
    const QPageLayout& layout = surface.layout();
    const QRectF paper(paperCorner, layout.fullRect(QPageLayout::Millimeter).size() * pixelsPerMm);
    painter.save();
    painter.fillRect(paper, Qt::white);
    if (index >= 0 && index < document.pageCount()) {
        painter.setClipRect(paper);
        // Items are placed from the printable area's corner.
        paintPrintedPageScaled(painter, document.page(index), surface.resolution(),
                               paperCorner + layout.paintRect(QPageLayout::Millimeter).topLeft() *
                                                 pixelsPerMm,
                               pixelsPerMm);
    }
    painter.restore();
}

// ------------------------------------------------------------------------------ page view

PreviewPageView::PreviewPageView(const PreviewDocument& document, QWidget* parent)
    : QWidget(parent), m_document(document)
{
    setObjectName(QStringLiteral("Page"));
    setAccessibleName(QStringLiteral("Page de l'aperçu"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(128, 128, 128));
    setPalette(pal);
}

QSizeF PreviewPageView::paperSize() const
{
    return m_document.surface().layout().fullRect(QPageLayout::Millimeter).size();
}

void PreviewPageView::setPage(int index)
{
    m_page = index;
    update();
}

void PreviewPageView::setScale(double pixelsPerMm)
{
    m_scale = pixelsPerMm;
    setMinimumSize(sizeHint());
    updateGeometry();
    update();
}

QSize PreviewPageView::sizeHint() const
{
    const QSizeF paper = paperSize() * m_scale;
    return QSize(int(paper.width()) + 2 * kMarginPx, int(paper.height()) + 2 * kMarginPx);
}

void PreviewPageView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QSizeF paper = paperSize() * m_scale;
    const QPointF corner(std::max<double>(kMarginPx, (width() - paper.width()) / 2),
                         std::max<double>(kMarginPx, (height() - paper.height()) / 2));
    // A shadow under the sheet.
    painter.fillRect(QRectF(corner + QPointF(3, 3), paper), QColor(64, 64, 64));
    paintPreviewPage(painter, m_document, m_page, m_scale, corner);
    if (m_document.complete() && m_document.pageCount() == 0) {
        painter.drawText(QRectF(corner, paper), Qt::AlignCenter,
                         QStringLiteral("Aucune page à imprimer"));
    }
}

// ------------------------------------------------------------------------------ window

PrintPreview::PrintPreview(PreviewDocument& document, QWidget* parent)
    : QDialog(parent), m_document(document)
{
    setObjectName(QStringLiteral("PrintPreview"));
    setWindowTitle(QStringLiteral("Aperçu avant impression"));
    m_document.drawUntilPage(0);
    buildWindow();
    m_drawing = new QTimer(this);
    m_drawing->setSingleShot(true);
    m_drawing->setInterval(0);
    connect(m_drawing, &QTimer::timeout, this, &PrintPreview::drawMore);
    showPage(0);
    resize(760, 900);
}

PrintPreview::~PrintPreview() = default;

void PrintPreview::buildWindow()
{
    auto* top = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    top->addLayout(bar);
    buildPageControls(bar);
    bar->addSpacing(16);
    buildZoomControls(bar);
    bar->addStretch(1);

    m_view = new PreviewPageView(m_document, this);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("Defilement"));
    m_scroll->setWidgetResizable(true);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setWidget(m_view);
    top->addWidget(m_scroll, 1);

    auto* actions = new QHBoxLayout;
    actions->addStretch(1);
    m_print = new QPushButton(QStringLiteral("&Imprimer"), this);
    m_print->setObjectName(QStringLiteral("cmdImprimer"));
    m_print->setIcon(QIcon::fromTheme(QStringLiteral("document-print")));
    m_print->setAutoDefault(false);
    m_close = new QPushButton(QStringLiteral("&Fermer"), this);
    m_close->setObjectName(QStringLiteral("cmdFermer"));
    m_close->setAutoDefault(false);
    actions->addWidget(m_print);
    actions->addWidget(m_close);
    top->addLayout(actions);

    connectControls();
}

void PrintPreview::buildPageControls(QHBoxLayout* bar)
{
    m_first = navigationButton(this, "cmdPremiere", QStyle::SP_MediaSkipBackward,
                               QStringLiteral("Première page"));
    m_previous = navigationButton(this, "cmdPrecedente", QStyle::SP_MediaSeekBackward,
                                  QStringLiteral("Page précédente"));
    m_next = navigationButton(this, "cmdSuivante", QStyle::SP_MediaSeekForward,
                              QStringLiteral("Page suivante"));
    m_last = navigationButton(this, "cmdDerniere", QStyle::SP_MediaSkipForward,
                              QStringLiteral("Dernière page"));
    auto* pageCaption = new QLabel(QStringLiteral("&Page :"), this);
    m_pageBox = new QSpinBox(this);
    m_pageBox->setObjectName(QStringLiteral("NumeroPage"));
    m_pageBox->setMinimum(1);
    pageCaption->setBuddy(m_pageBox);
    m_pageTotal = new QLabel(this);
    m_pageTotal->setObjectName(QStringLiteral("lblPages"));
    bar->addWidget(m_first);
    bar->addWidget(m_previous);
    bar->addWidget(pageCaption);
    bar->addWidget(m_pageBox);
    bar->addWidget(m_pageTotal);
    bar->addWidget(m_next);
    bar->addWidget(m_last);
}

void PrintPreview::buildZoomControls(QHBoxLayout* bar)
{
    auto* zoomCaption = new QLabel(QStringLiteral("&Zoom :"), this);
    m_zoomBox = new QComboBox(this);
    m_zoomBox->setObjectName(QStringLiteral("Zoom"));
    m_zoomBox->addItem(QStringLiteral("Pleine page"));
    m_zoomBox->addItem(QStringLiteral("Pleine largeur"));
    for (int percent : kZooms)
        m_zoomBox->addItem(QStringLiteral("%1 %").arg(percent));
    zoomCaption->setBuddy(m_zoomBox);
    m_zoomOut = zoomButton(this, "cmdZoomArriere", "zoom-out", QStringLiteral("-"),
                           QStringLiteral("Zoom arrière"));
    m_zoomIn = zoomButton(this, "cmdZoomAvant", "zoom-in", QStringLiteral("+"),
                          QStringLiteral("Zoom avant"));
    bar->addWidget(zoomCaption);
    bar->addWidget(m_zoomBox);
    bar->addWidget(m_zoomOut);
    bar->addWidget(m_zoomIn);
}

// The buttons, boxes and keys of the window, each to what it does.
void PrintPreview::connectControls()
{
    connect(m_first, &QPushButton::clicked, this, [this] { showPage(0); });
    connect(m_previous, &QPushButton::clicked, this, [this] { showPage(currentPage() - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { showPage(currentPage() + 1); });
    connect(m_last, &QPushButton::clicked, this, [this] {
        {
            WaitCursor wait;
            m_document.drawAll();
        }
        showPage(m_document.pageCount() - 1);
    });
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int page) { showPage(page - 1); });
    connect(m_zoomBox, &QComboBox::activated, this, &PrintPreview::zoomChosen);
    connect(m_zoomIn, &QPushButton::clicked, this, [this] { zoomBy(1); });
    connect(m_zoomOut, &QPushButton::clicked, this, [this] { zoomBy(-1); });
    connect(m_print, &QPushButton::clicked, this, &PrintPreview::accept);
    connect(m_close, &QPushButton::clicked, this, &PrintPreview::reject);

    const auto shortcut = [this](const QKeySequence& key, auto action) {
        connect(new QShortcut(key, this), &QShortcut::activated, this, action);
    };
    shortcut(QKeySequence(QKeySequence::MoveToNextPage), [this] { m_next->click(); });
    shortcut(QKeySequence(QKeySequence::MoveToPreviousPage), [this] { m_previous->click(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { m_first->click(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_End), [this] { m_last->click(); });
    shortcut(QKeySequence(QKeySequence::ZoomIn), [this] { zoomBy(1); });
    shortcut(QKeySequence(QKeySequence::ZoomOut), [this] { zoomBy(-1); });
}

int PrintPreview::currentPage() const
{
    return m_view->page();
}

void PrintPreview::showPage(int index)
{
    if (index >= m_document.pageCount() || !m_document.pageComplete(index)) {
        WaitCursor wait;
        m_document.drawUntilPage(index);
    }
    index = std::clamp(index, 0, std::max(0, m_document.pageCount() - 1));
    m_view->setPage(index);
    m_scroll->verticalScrollBar()->setValue(0);
    showPageCount();
}

void PrintPreview::showPageCount()
{
    const int count = m_document.pageCount();
    const int index = currentPage();
    {
        const QSignalBlocker block(m_pageBox);
        m_pageBox->setMaximum(std::max(1, count));
        m_pageBox->setValue(index + 1);
    }
    m_pageBox->setEnabled(count > 1 || !m_document.complete());
    m_pageTotal->setText(m_document.complete() ? QStringLiteral("sur %1").arg(count)
                                               : QStringLiteral("sur %1…").arg(count));
    const bool last = m_document.complete() && index + 1 >= count;
    m_first->setEnabled(index > 0);
    m_previous->setEnabled(index > 0);
    m_next->setEnabled(!last);
    m_last->setEnabled(!last);
}

void PrintPreview::drawMore()
{
    QElapsedTimer slice;
    slice.start();
    while (slice.elapsed() < kSliceMs && m_document.drawMore()) {
    }
    showPageCount();
    if (!m_document.complete())
        m_drawing->start();
}

void PrintPreview::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    applyZoom();
    // The keys of the pages (Page Down, Page Up...) work from the start.
    m_scroll->setFocus();
    if (!m_document.complete())
        m_drawing->start();
}

void PrintPreview::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (m_fit != Fit::Zoom)
        applyZoom();
}

double PrintPreview::zoom() const
{
    return m_view->scale() / (logicalDpiX() / 25.4);
}

double PrintPreview::fittedScale() const
{
    const QSizeF paper = m_view->paperSize();
    const QSize room = m_scroll->viewport()->size() - QSize(2 * kMarginPx, 2 * kMarginPx);
    if (paper.isEmpty() || room.width() <= 0 || room.height() <= 0)
        return 1;
    const double byWidth =
        (room.width() -
         (m_fit == Fit::Width ? m_scroll->verticalScrollBar()->sizeHint().width() : 0)) /
        paper.width();
    if (m_fit == Fit::Width)
        return std::max(0.1, byWidth);
    return std::max(0.1, std::min(byWidth, room.height() / paper.height()));
}

void PrintPreview::applyZoom()
{
    const double screen = logicalDpiX() / 25.4;
    m_view->setScale(m_fit == Fit::Zoom ? m_zoom * screen : fittedScale());
    const QSignalBlocker block(m_zoomBox);
    if (m_fit == Fit::Page)
        m_zoomBox->setCurrentIndex(0);
    else if (m_fit == Fit::Width)
        m_zoomBox->setCurrentIndex(1);
    else {
        const auto it = std::find(kZooms.begin(), kZooms.end(), qRound(m_zoom * 100));
        m_zoomBox->setCurrentIndex(it == kZooms.end() ? -1 : kZoomItems + int(it - kZooms.begin()));
    }
}

void PrintPreview::zoomChosen(int index)
{
    if (index == 0)
        m_fit = Fit::Page;
    else if (index == 1)
        m_fit = Fit::Width;
    else if (index >= kZoomItems && index < kZoomItems + int(kZooms.size())) {
        m_fit = Fit::Zoom;
        m_zoom = kZooms[size_t(index - kZoomItems)] / 100.0;
    }
    applyZoom();
}

void PrintPreview::zoomBy(int steps)
{
    // From the zoom shown, to the next fixed zoom either way.
    const int now = qRound(zoom() * 100);
    int next = now;
    if (steps > 0) {
        const auto it = std::upper_bound(kZooms.begin(), kZooms.end(), now);
        next = it == kZooms.end() ? kZooms.back() : *it;
    } else {
        const auto it = std::lower_bound(kZooms.begin(), kZooms.end(), now);
        next = it == kZooms.begin() ? kZooms.front() : *(it - 1);
    }
    m_fit = Fit::Zoom;
    m_zoom = next / 100.0;
    applyZoom();
}

bool runPrintPreview(PreviewDocument& document, QWidget* parent)
{
    PrintPreview preview(document, parent);
    return preview.exec() == QDialog::Accepted;
}

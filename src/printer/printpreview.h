#pragma once

#include <QDialog>
#include <QPointF>
#include <QWidget>

class PreviewDocument;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QPainter;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTimer;

// Paints page `index` of `document` as the printer prints it: the sheet of paper in white with
// its top-left corner at `paperCorner` (device pixels of `painter`), `pixelsPerMm` device pixels
// per millimetre, and on it what the printing code drew, clipped to the sheet. A page that does
// not exist leaves the sheet blank.
void paintPreviewPage(QPainter& painter, const PreviewDocument& document, int index,
                      double pixelsPerMm, const QPointF& paperCorner);

// One page of a preview, drawn on a grey ground at the scale it is given.
class PreviewPageView : public QWidget
{
    Q_OBJECT

public:
    explicit PreviewPageView(const PreviewDocument& document, QWidget* parent = nullptr);

    void setPage(int index);
    int page() const { return m_page; }
    // Screen pixels per millimetre of paper.
    void setScale(double pixelsPerMm);
    double scale() const { return m_scale; }
    // The sheet, mm.
    QSizeF paperSize() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PreviewDocument& m_document;
    int m_page = 0;
    double m_scale = 2;
};

// "Aperçu avant impression" (`PrintPreview`): the pages of a document as they will be printed,
// drawn by the printing code itself, one at a time, with page navigation, zoom, and "Imprimer"
// (the dialog is then accepted: the caller prints) or "Fermer". A long document shows its first
// page as soon as it is drawn; the rest is drawn a part at a time while the window is open.
class PrintPreview : public QDialog
{
    Q_OBJECT

public:
    // How the page is fitted: the whole page, the page's width, or a fixed zoom.
    enum class Fit { Page, Width, Zoom };

    explicit PrintPreview(PreviewDocument& document, QWidget* parent = nullptr);
    ~PrintPreview() override;

    const PreviewDocument& document() const { return m_document; }
    // The page shown, from 0.
    int currentPage() const;
    void showPage(int index);
    // Zoom, 1 being the paper's real size on the screen.
    double zoom() const;
    Fit fit() const { return m_fit; }

    PreviewPageView* pageView() const { return m_view; }
    QPushButton* printButton() const { return m_print; }
    QPushButton* nextButton() const { return m_next; }
    QPushButton* closeButton() const { return m_close; }
    QSpinBox* pageBox() const { return m_pageBox; }
    QComboBox* zoomBox() const { return m_zoomBox; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildWindow();
    void buildPageControls(QHBoxLayout* bar); // first, previous, page number, next, last
    void buildZoomControls(QHBoxLayout* bar);
    void connectControls();
    void drawMore();
    void showPageCount();
    void zoomChosen(int index);
    void zoomBy(int steps);
    void applyZoom();
    double fittedScale() const;

    PreviewDocument& m_document;
    Fit m_fit = Fit::Page;
    double m_zoom = 1;
    PreviewPageView* m_view = nullptr;
    QScrollArea* m_scroll = nullptr;
    QPushButton* m_first = nullptr;
    QPushButton* m_previous = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_last = nullptr;
    QSpinBox* m_pageBox = nullptr;
    QLabel* m_pageTotal = nullptr;
    QComboBox* m_zoomBox = nullptr;
    QPushButton* m_zoomIn = nullptr;
    QPushButton* m_zoomOut = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_close = nullptr;
    QTimer* m_drawing = nullptr;
};

// Shows the preview of `document` modally. True when the user chose "Imprimer".
bool runPrintPreview(PreviewDocument& document, QWidget* parent);

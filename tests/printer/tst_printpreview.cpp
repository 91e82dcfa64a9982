// The print preview: its pages are the printed pages, drawn by the printing code; a long
// document shows its first page at once and moves nothing.

#include "core/appstate.h"
#include "core/services.h"
#include "datacolumns.h"
#include "envelopes/impenv.h"
#include "envelopes/senderprofile.h"
#include "fakerecordform.h"
#include "labels/impetiq.h"
#include "labels/minisheet.h"
#include "labels/printparamsfile.h"
#include "memoryrecordform.h"
#include "output/recordsheetpreview.h"
#include "pdftext.h"
#include "printer/previewsurface.h"
#include "printer/printpreview.h"
#include "printer/qtprintersurface.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>

namespace
{

// What is previewed, and printed from the preview.
enum class Printed { AllSheets, OneSheet, IdenticalLabels, SelectedLabel, Envelope };

bool activate(QWidget& w)
{
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

// A click where a radio button takes it, on its circle.
void clickOption(QRadioButton* option)
{
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
}

// Goes through the preview's pages as the user does (Ctrl+Home, then Page Down while there is a
// next page) and paints each page shown into the PDF file `path` with the preview's own painting,
// at 300 dots per inch (not the printer's resolution, as on a screen). The pages gone through.
int writeShownPages(PrintPreview& preview, const QString& path)
{
    const PreviewDocument& document = preview.document();
    const QPageLayout layout = document.surface().layout();
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(layout.pageSize(), layout.orientation(), QMarginsF()));
    QPainter painter(&writer);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home, Qt::ControlModifier);
    int pages = 0;
    for (;;) {
        if (pages > 0)
            writer.newPage();
        paintPreviewPage(painter, document, preview.currentPage(), 300 / 25.4, QPointF(0, 0));
        ++pages;
        if (!preview.nextButton()->isEnabled() || pages > 100)
            break;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
        if (preview.currentPage() != pages)
            return -1;
    }
    return pages;
}

// The words of each page, in an order that pairs equal words at about the same place: by text,
// then top, then left.
QList<QList<PdfWord>> sortedWords(const QString& pdf)
{
    QList<QList<PdfWord>> pages = pdfWords(pdf);
    for (QList<PdfWord>& words : pages)
        std::sort(words.begin(), words.end(), [](const PdfWord& a, const PdfWord& b) {
            if (a.text != b.text)
                return a.text < b.text;
            if (std::abs(a.box.top() - b.box.top()) > 1)
                return a.box.top() < b.box.top();
            return a.box.left() < b.box.left();
        });
    return pages;
}

// Empty when the two PDF files hold the same words at the same places (within 0.5 pt), page by
// page; otherwise the first difference.
QString differences(const QString& printed, const QString& shown)
{
    const QList<QList<PdfWord>> a = sortedWords(printed);
    const QList<QList<PdfWord>> b = sortedWords(shown);
    if (a.size() != b.size())
        return QStringLiteral("%1 pages printed, %2 shown").arg(a.size()).arg(b.size());
    for (qsizetype p = 0; p < a.size(); ++p) {
        if (a[p].size() != b[p].size())
            return QStringLiteral("page %1: %2 words printed, %3 shown")
                .arg(p + 1)
                .arg(a[p].size())
                .arg(b[p].size());
        for (qsizetype i = 0; i < a[p].size(); ++i) {
            const PdfWord& x = a[p][i];
            const PdfWord& y = b[p][i];
            if (x.text != y.text || std::abs(x.box.left() - y.box.left()) > 0.5 ||
                std::abs(x.box.top() - y.box.top()) > 0.5 ||
                std::abs(x.box.bottom() - y.box.bottom()) > 0.5)
                return QStringLiteral("page %1: \"%2\" printed at (%3, %4), \"%5\" shown at "
                                      "(%6, %7)")
                    .arg(p + 1)
                    .arg(x.text)
                    .arg(x.box.left())
                    .arg(x.box.top())
                    .arg(y.text)
                    .arg(y.box.left())
                    .arg(y.box.top());
        }
    }
    return QString();
}

} // namespace

Q_DECLARE_METATYPE(Printed)

class TestPrintPreview : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void previewPagesAreThePrintedPages_data();
    void previewPagesAreThePrintedPages();
    void longDocumentShowsItsFirstPageAtOnceAndMovesNothing();
};

void TestPrintPreview::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("poppler-utils is not installed");
}

void TestPrintPreview::previewPagesAreThePrintedPages_data()
{
    addColumns<Printed, int>("what", "pages");
    QTest::newRow("the whole file's sheets") << Printed::AllSheets << 0;
    QTest::newRow("the record sheet") << Printed::OneSheet << 1;
    QTest::newRow("identical labels") << Printed::IdenticalLabels << 1;
    QTest::newRow("selected label") << Printed::SelectedLabel << 1;
    QTest::newRow("envelope with its sender label") << Printed::Envelope << 1;
}

void TestPrintPreview::previewPagesAreThePrintedPages()
{
    QFETCH(Printed, what);
    QFETCH(int, pages);
    QTemporaryDir dir;
    const QString printed = dir.filePath(QStringLiteral("printed.pdf"));
    const QString shown = dir.filePath(QStringLiteral("shown.pdf"));
    QtPrinterSurface surface;
    surface.setOutputFile(printed);
    ScriptedDialogs dialogs;
    Services services;
    services.dialogs = &dialogs;
    services.printer = &surface;
    AppState state;
    state.print = defaultPrintParams(QStringLiteral("DejaVu Sans"), 0);
    state.print.FontSize = 11;

    // Once the preview opens, the user goes through its pages, then prints from it.
    int pagesShown = 0;
    QTimer watch; // looks for the preview; no answer outlives this test
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* preview = qobject_cast<PrintPreview*>(QApplication::activeModalWidget());
        if (!preview)
            return;
        watch.stop();
        if (activate(*preview))
            pagesShown = writeShownPages(*preview, shown);
        QTest::mouseClick(preview->printButton(), Qt::LeftButton);
    });
    const auto whenPreviewOpens = [&] { watch.start(); };

    MemoryRecordForm sheets(frenchRecords(60));
    FakeRecordForm record;
    record.records << durand();
    record.selected = 0;
    switch (what) {
    case Printed::AllSheets: {
        bool refreshed = false;
        whenPreviewOpens();
        QVERIFY(previewAllRecordSheets(
            state, services, sheets, [&] { refreshed = true; }, nullptr));
        QVERIFY(refreshed);
        break;
    }
    case Printed::OneSheet:
        sheets.setListIndex(7);
        dialogs.expectMessage(
            QStringLiteral("Imprimer une autre fiche à la suite ?\r         Confirmez"), 292,
            QStringLiteral("Impression d'une autre fiche"), vbNo);
        whenPreviewOpens();
        QVERIFY(previewRecordSheet(state, services, sheets, nullptr));
        break;
    case Printed::IdenticalLabels:
    case Printed::SelectedLabel: {
        state.label.NbEtiquettes = 3;
        ImpEtiq w(state, services, record);
        w.show();
        QVERIFY(activate(w));
        if (what == Printed::IdenticalLabels)
            clickOption(w.findChild<QRadioButton*>(QStringLiteral("Option1")));
        else
            QTest::mouseClick(w.position(4), Qt::LeftButton);
        whenPreviewOpens();
        QTest::mouseClick(w.previewButton(), Qt::LeftButton);
        break;
    }
    case Printed::Envelope: {
        state.sender = defaultSenderProfile();
        state.sender.Ligne1 = QStringLiteral("Jean Dupont");
        state.sender.Ligne2 = QStringLiteral("12 rue des Roses");
        state.sender.FontName = QStringLiteral("DejaVu Serif");
        state.sender.TextColor = 255;
        AffichExpediteur(state.sender);
        ImpEnv w(state, services, record);
        w.show();
        QVERIFY(activate(w));
        clickOption(w.formatOption(EnvelopeFormatId::F220x110));
        clickOption(w.contentOption(EnvelopeContent::AddressAndSender));
        QVERIFY(w.contentOption(EnvelopeContent::AddressAndSender)->isChecked());
        // "Aperçu a&vant impression" by its mnemonic.
        whenPreviewOpens();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::AltModifier);
        // The button's mnemonic presses it for a moment before it clicks.
        QTRY_VERIFY(pagesShown != 0);
        break;
    }
    }
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
    const PdfInfo info = pdfInfo(printed);
    QVERIFY2(info.pages > 0, "nothing was printed from the preview");
    if (pages > 0)
        QCOMPARE(info.pages, pages);
    else
        QVERIFY(info.pages > 2);
    QCOMPARE(pagesShown, info.pages);
    const QString diff = differences(printed, shown);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

void TestPrintPreview::longDocumentShowsItsFirstPageAtOnceAndMovesNothing()
{
    QTemporaryDir dir;
    QtPrinterSurface surface;
    surface.setOutputFile(dir.filePath(QStringLiteral("never.pdf")));
    ScriptedDialogs dialogs;
    Services services;
    services.dialogs = &dialogs;
    services.printer = &surface;
    AppState state;
    MemoryRecordForm form(frenchRecords(400));
    form.setListIndex(123);
    form.selections.clear();

    bool checked = false;
    QObject scope;
    QTimer::singleShot(0, &scope, [&] {
        auto* preview = qobject_cast<PrintPreview*>(QApplication::activeModalWidget());
        if (!preview)
            return;
        const auto closing = qScopeGuard([&] { preview->reject(); });
        const PreviewDocument& document = preview->document();
        auto* total = preview->findChild<QLabel*>(QStringLiteral("lblPages"));
        // Shown: the first page is there, the rest still being drawn.
        QVERIFY(preview->isVisible());
        QVERIFY(!document.complete());
        QVERIFY(document.pageComplete(0));
        QVERIFY2(document.pageCount() < 10, qPrintable(QString::number(document.pageCount())));
        QVERIFY(total->text().endsWith(QStringLiteral("…")));
        QVERIFY(!document.page(0).items.empty());
        QVERIFY(activate(*preview));

        // To the last page: everything is drawn.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
        QVERIFY(document.complete());
        QCOMPARE(preview->currentPage(), document.pageCount() - 1);
        QCOMPARE(total->text(), QStringLiteral("sur %1").arg(document.pageCount()));
        QVERIFY(!preview->nextButton()->isEnabled());
        // 400 records of 13 lines.
        int lines = 0;
        for (int p = 0; p < document.pageCount(); ++p)
            lines += int(document.page(p).items.size());
        QCOMPARE(lines, 400 * 12);

        // Zoom by the keys, from the whole page to the fixed zooms.
        QCOMPARE(preview->fit(), PrintPreview::Fit::Page);
        const double before = preview->zoom();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(preview->fit(), PrintPreview::Fit::Zoom);
        QVERIFY(preview->zoom() > before);
        QVERIFY(preview->zoomBox()->currentText().endsWith(QStringLiteral(" %")));
        checked = true;
    });
    QVERIFY(!previewAllRecordSheets(
        state, services, form, [] { QFAIL("no refresh"); }, nullptr));
    QVERIFY(checked);
    // The walk through the records went back to where the user was; nothing was printed.
    QVERIFY(form.selections.size() >= 400);
    QCOMPARE(form.listIndex(), 123);
    QCOMPARE(form.selections.last(), 123);
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("never.pdf"))));
    QVERIFY(dialogs.shown.isEmpty());
}

QTEST_MAIN(TestPrintPreview)
#include "tst_printpreview.moc"

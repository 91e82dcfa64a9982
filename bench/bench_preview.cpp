// "Aperçu avant impression" of the whole file's record sheets, on the main window over a large
// address file: how long until the preview shows its first page, and until every page is drawn.
//
//   bench_preview [RECORDS]     (10000 records by default)
//
// The records are walked through the main window's own name list, as the print does; the
// printer is a PDF file, so no print server is needed.

#include "addressgen.h"
#include "benchwindow.h"
#include "output/recordsheetpreview.h"
#include "printer/previewsurface.h"
#include "printer/printpreview.h"
#include "printer/qtprintersurface.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    BenchWindow bench(count);
    frmElvarine& w = *bench.w;
    QTextStream out(stdout);
    w.openAddressFile(bench.file);
    app.processEvents();
    w.setListIndex(w.listCount() / 2);
    const int selected = w.listIndex();

    QTemporaryDir dir;
    QtPrinterSurface surface;
    surface.setOutputFile(dir.filePath(QStringLiteral("etat.pdf")));
    bench.services.printer = &surface;

    double firstPage = -1;
    double allPages = -1;
    int pages = 0;
    const long memoryBefore = residentKb();
    long memoryAfter = 0;
    const qint64 t0 = nowNs();
    QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<PrintPreview*>(QApplication::activeModalWidget());
        if (!preview) {
            out << "no preview window\n";
            QApplication::exit(1);
            return;
        }
        // The first page as the user sees it: the window painted.
        preview->pageView()->grab();
        firstPage = elapsedMs(t0);
        QDeadlineTimer deadline(600000);
        while (!preview->document().complete() && !deadline.hasExpired())
            QApplication::processEvents();
        allPages = elapsedMs(t0);
        pages = preview->document().pageCount();
        memoryAfter = residentKb();
        preview->reject();
    });
    const bool printed = previewAllRecordSheets(bench.state, bench.services, w, {}, &w);

    out << "records: " << w.listCount() << "\n";
    out << "preview of the whole file's sheets: first page shown in " << firstPage << " ms, all "
        << pages << " pages drawn in " << allPages << " ms, " << (memoryAfter - memoryBefore) / 1024
        << " MB more\n";
    const bool restored = w.listIndex() == selected;
    out << "name list selection " << (restored ? "put back" : "NOT put back") << "\n";
    return !printed && firstPage >= 0 && restored ? 0 : 1;
}

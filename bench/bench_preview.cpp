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
#include "previewtiming.h"
#include "printer/qtprintersurface.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char** argv)
{
    offscreenUnlessChosen();
    QApplication app(argc, argv);
    const int count = numberArgument(argc, argv, 1, 10000);
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

    bool printed = true;
    const PreviewTiming t = timePreview(
        [&] { printed = previewAllRecordSheets(bench.state, bench.services, w, {}, &w); });
    if (!t.opened)
        out << "no preview window\n";

    out << "records: " << w.listCount() << "\n";
    out << "preview of the whole file's sheets: first page shown in " << t.firstPageMs
        << " ms, all " << t.pages << " pages drawn in " << t.allPagesMs << " ms, "
        << t.memoryMoreKb / 1024 << " MB more\n";
    const bool restored = w.listIndex() == selected;
    out << "name list selection " << (restored ? "put back" : "NOT put back") << "\n";
    return !printed && t.firstPageMs >= 0 && restored ? 0 : 1;
}

// Mailings over a generated address file: 1,000 labels (100 sheets) printed to a PDF file, and
// the preview of a 10,000-envelope mailing opened from the mailing window, until its first page
// is shown.
//
//   bench_mailing [LABELS] [ENVELOPES]     (1000 and 10000 by default)
//
// The printer is a PDF file, so no print server is needed.

#include "addressgen.h"
#include "core/addressschema.h"
#include "core/appstate.h"
#include "core/namelist.h"
#include "core/recordengine.h"
#include "core/services.h"
#include "labels/printparamsfile.h"
#include "mailing/mailing.h"
#include "mailing/publipostage.h"
#include "previewtiming.h"
#include "printer/qtprintersurface.h"
#include "quietdialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextStream>

namespace
{

struct OpenFile {
    std::unique_ptr<Database> db;
    std::unique_ptr<Recordset> rs;
    std::vector<int> order;
    explicit OpenFile(int count)
    {
        db = Database::OpenDatabase(cachedAddressFile(count));
        rs = db->OpenRecordset(QString::fromUtf16(kTableName));
        std::vector<QString> lines;
        for (int i = 0; i < rs->RecordCount(); ++i)
            lines.push_back(listLine(rs->nomAt(i), rs->prenomAt(i)));
        order = alphabeticalOrder(lines);
    }
};

} // namespace

int main(int argc, char** argv)
{
    offscreenUnlessChosen();
    QApplication app(argc, argv);
    const int labels = numberArgument(argc, argv, 1, 1000);
    const int envelopes = numberArgument(argc, argv, 2, 10000);
    QTextStream out(stdout);
    QTemporaryDir dir;
    AppState state;
    state.print = defaultPrintParams(standardFontName(), standardTextColor());

    // Labels: the records read, the job printed to the PDF file.
    {
        OpenFile file(labels);
        QtPrinterSurface surface;
        const QString pdf = dir.filePath(QStringLiteral("labels.pdf"));
        surface.setOutputFile(pdf);
        Services services;
        services.printer = &surface;
        const qint64 t0 = nowNs();
        const MailingRecords records = collectMailingRecords(*file.rs, file.order, {});
        const double read = elapsedMs(t0);
        const MailingJob job =
            makeMailingJob(MailingKind::Labels, records, state.print, state.address, 1,
                           EnvelopeFormatId::F160x115, false, state.sender, false);
        printMailingJob(job, services);
        const double printed = elapsedMs(t0);
        out << labels << " labels (" << job.pageCount() << " sheets) to PDF: records read in "
            << read << " ms, whole job written in " << printed << " ms, "
            << QFileInfo(pdf).size() / 1024 << " KB\n";
    }

    // Envelopes: the preview of the whole mailing from the window, until its first page shows.
    {
        OpenFile file(envelopes);
        QuietDialogs dialogs;
        QtPrinterSurface surface;
        surface.setOutputFile(dir.filePath(QStringLiteral("envelopes.pdf")));
        Services services;
        services.dialogs = &dialogs;
        services.printer = &surface;
        const qint64 opening = nowNs();
        Publipostage window(state, services, {file.rs.get(), file.order, {}});
        window.kindOption(MailingKind::Envelopes)->click();
        window.show();
        const double opened = elapsedMs(opening);
        const PreviewTiming t = timePreview([&] { window.previewButton()->click(); });
        if (!t.opened)
            out << "no preview window\n";
        out << envelopes << " envelopes: window opened with the records read in " << opened
            << " ms; preview's first page shown in " << t.firstPageMs << " ms, all " << t.pages
            << " pages drawn in " << t.allPagesMs << " ms, " << t.memoryMoreKb / 1024
            << " MB more\n";
        if (t.firstPageMs < 0)
            return 1;
    }
    return 0;
}

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
#include "printer/previewsurface.h"
#include "printer/printpreview.h"
#include "printer/qtprintersurface.h"
#include "quietdialogs.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int labels = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000;
    const int envelopes = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 10000;
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
        window.previewButton()->click();
        out << envelopes << " envelopes: window opened with the records read in " << opened
            << " ms; preview's first page shown in " << firstPage << " ms, all " << pages
            << " pages drawn in " << allPages << " ms, " << (memoryAfter - memoryBefore) / 1024
            << " MB more\n";
        if (firstPage < 0)
            return 1;
    }
    return 0;
}

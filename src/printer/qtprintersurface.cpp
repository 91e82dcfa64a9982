#include "printer/qtprintersurface.h"

#include "printer/cupslibrary.h"
#include "printer/cupsprintersettings.h"
#include "printer/orimp.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTemporaryFile>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

// Print-engine key under which Qt's print dialog leaves the CUPS job options it collected.
constexpr auto kCupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

QPageLayout::Orientation qtOrientation(int orientation)
{
    return orientation == PrinterSurface::Landscape ? QPageLayout::Landscape
                                                    : QPageLayout::Portrait;
}

QPrinter::DuplexMode qtDuplex(int duplex)
{
    switch (duplex) {
    case 2:
        return QPrinter::DuplexLongSide;
    case 3:
        return QPrinter::DuplexShortSide;
    default:
        return QPrinter::DuplexNone;
    }
}

// The job's media: the PWG name of the paper (the standard one for a standard size, a custom
// one for an envelope of its own), in the paper's portrait dimensions.
QByteArray mediaName(const QPageSize& size)
{
    const QSizeF mm = size.size(QPageSize::Millimeter);
    const int width = int(std::lround(std::min(mm.width(), mm.height()) * 100));
    const int length = int(std::lround(std::max(mm.width(), mm.height()) * 100));
    if (pwg_media_t* pwg = cupslib::pwgMediaForSize(width, length))
        return QByteArray(pwg->pwg);
    return size.key().toUtf8();
}

} // namespace

QtPrinterSurface::QtPrinterSurface(PrinterSettingsStore* settings) : m_settings(settings) {}

QPrinter& QtPrinterSurface::qprinter() const
{
    // Made when first needed: a printer loads the print server's plug-in and asks the server
    // for its printers, which the start of the program has no need to wait for.
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setDocName(QStringLiteral("Elvarine"));
        m_printer->setCreator(QStringLiteral("Elvarine"));
    }
    return *m_printer;
}

QtPrinterSurface::~QtPrinterSurface()
{
    // A document still open when the program ends (sheets printed "à la suite") is printed.
    if (m_painter) {
        try {
            endDoc();
        } catch (const std::exception&) {
            // The program is ending: no window is left to say it, and a destructor must not
            // throw. The print server keeps its own record of the refused job.
        }
    }
}

void QtPrinterSurface::setOutputFile(const QString& path)
{
    m_outputFile = path;
}

const QPaintDevice& QtPrinterSurface::metricsDevice() const
{
    return qprinter();
}

void QtPrinterSurface::drawItem(const PrintedItem& item)
{
    if (!m_colour && (item.colorRef & 0xFFFFFFu) != 0) {
        // From the first colour on, the document is written in colour. The print engine reads
        // the mode at each drawing, so what was drawn before (black) stays as it is.
        m_colour = true;
        qprinter().printEngine()->setProperty(QPrintEngine::PPK_ColorMode, QPrinter::Color);
    }
    paintPrintedItem(*m_painter, item, qprinter().resolution());
}

void QtPrinterSurface::beginPage()
{
    if (!qprinter().newPage())
        throw PrinterError(QStringLiteral("L'imprimante n'a pas pu commencer une nouvelle page."));
    clipToPaper();
}

void QtPrinterSurface::clipToPaper()
{
    // The painter's origin is the printable area's corner; what falls off the paper is cut at
    // its edge.
    const QPageLayout layout = qprinter().pageLayout();
    const QRectF paper = layout.fullRect(QPageLayout::Millimeter)
                             .translated(-layout.paintRect(QPageLayout::Millimeter).topLeft());
    const double toDevice = qprinter().resolution() / 25.4;
    m_painter->setClipRect(QRectF(paper.topLeft() * toDevice, paper.size() * toDevice));
}

// ---- documents ----

QString QtPrinterSurface::currentPrinter()
{
    const QStringList names = QPrinterInfo::availablePrinterNames();
    if (names.isEmpty())
        throw NoPrinterError();
    if (!m_chosenPrinter.isEmpty()) {
        if (!names.contains(m_chosenPrinter))
            throw PrinterError(
                QStringLiteral("L'imprimante %1 n'est plus installée.").arg(m_chosenPrinter));
        return m_chosenPrinter;
    }
    const QString system = CupsPrinterSettings::defaultPrinter();
    return names.contains(system) ? system : names.first();
}

int QtPrinterSurface::orientationFor(const QString& printer) const
{
    if (m_setupOrientation)
        return *m_setupOrientation;
    if (!printer.isEmpty() && m_settings) {
        if (const std::optional<int> stored = m_settings->orientation(printer))
            return *stored;
    }
    // Nothing stored: portrait, whatever the last document asked for.
    return Portrait;
}

QPageSize QtPrinterSurface::basePageSize(const QString& printer) const
{
    if (m_setupPageSize)
        return *m_setupPageSize;
    if (!printer.isEmpty()) {
        if (m_settings) {
            if (const std::optional<QPageSize> own = m_settings->paperSize(printer))
                return *own;
        }
        const QPageSize described = QPrinterInfo::printerInfo(printer).defaultPageSize();
        if (described.isValid())
            return described;
    }
    return QPageSize(QPageSize::A4);
}

QString QtPrinterSurface::prepareOutput(QPrinter& printer, const std::optional<PaperRequest>& paper)
{
    QString name;
    if (!m_outputFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_outputFile);
    } else {
        name = currentPrinter();
        if (!printer.outputFileName().isEmpty())
            printer.setOutputFileName(QString());
        if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName() != name)
            printer.setPrinterName(name);
        if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName() != name)
            throw PrinterError(
                QStringLiteral("L'imprimante %1 ne peut pas être choisie.").arg(name));
    }
    const int orientation =
        paper && paper->orientation ? *paper->orientation : orientationFor(name);
    const QPageSize size = paper && paper->size.isValid() ? paper->size : basePageSize(name);
    // Orientation first: the page size keeps it, with the printer's margins for that paper.
    printer.setPageOrientation(qtOrientation(orientation));
    if (!printer.pageLayout().pageSize().isEquivalentTo(size))
        printer.setPageSize(size);
    printer.setDuplex(qtDuplex(m_duplex));
    return name;
}

QPageLayout QtPrinterSurface::pageLayoutFor(const std::optional<PaperRequest>& paper)
{
    // The open document keeps its pages; otherwise the next document's printer, as it will be
    // set up for it.
    if (m_painter)
        return qprinter().pageLayout();
    QPrinter& printer = m_nextPrinter ? *m_nextPrinter : qprinter();
    prepareOutput(printer, paper);
    return printer.pageLayout();
}

QPageLayout QtPrinterSurface::beginDocument()
{
    if (m_nextPrinter)
        m_printer = std::move(m_nextPrinter);
    m_docPrinter = prepareOutput(qprinter(), paper());
    if (!m_docPrinter.isEmpty() && m_settings) {
        // A printer that refuses documents says so now, before anything is drawn for it.
        const QString refusal = m_settings->refusal(m_docPrinter);
        if (!refusal.isEmpty())
            throw PrinterError(refusal);
    }
    if (!m_docPrinter.isEmpty()) {
        // The document is written to a spool file of our own and handed to the print system
        // only when it ends, so that an abandoned document never reaches the printer. No
        // ".pdf" suffix: the printer keeps its own page sizes and margins.
        m_spool = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                   QStringLiteral("/elvarine-XXXXXX.job"));
        if (!m_spool->open())
            throw PrinterError(
                QStringLiteral(
                    "Le fichier d'attente de l'impression ne peut pas être créé dans %1.")
                    .arg(QDir::toNativeSeparators(QDir::tempPath())));
        m_spool->close();
        qprinter().setOutputFileName(m_spool->fileName());
    }
    // Grey levels until the document takes a colour (drawItem).
    qprinter().setColorMode(QPrinter::GrayScale);
    m_colour = false;

    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(&qprinter())) {
        m_spool.reset();
        if (!m_outputFile.isEmpty())
            throw PrinterError(QStringLiteral("Le fichier %1 ne peut pas être écrit.")
                                   .arg(QDir::toNativeSeparators(m_outputFile)));
        qprinter().setOutputFileName(QString());
        throw PrinterError(
            QStringLiteral("L'imprimante %1 ne peut pas commencer un document.").arg(m_docPrinter));
    }
    m_painter = std::move(painter);
    clipToPaper();
    return qprinter().pageLayout();
}

void QtPrinterSurface::closeDocument()
{
    m_painter->end();
    m_painter.reset();
    documentClosed();
}

void QtPrinterSurface::endDoc()
{
    if (!m_painter) {
        documentClosed();
        return;
    }
    const bool ended = m_painter->end();
    m_painter.reset();
    documentClosed();
    if (m_docPrinter.isEmpty()) {
        if (!ended || qprinter().printerState() == QPrinter::Error)
            throw PrinterError(QStringLiteral("Le fichier %1 n'a pas pu être écrit.")
                                   .arg(QDir::toNativeSeparators(m_outputFile)));
        return;
    }
    const std::unique_ptr<QTemporaryFile> spool = std::move(m_spool);
    qprinter().setOutputFileName(QString());
    if (!ended)
        throw PrinterError(QStringLiteral("Le document n'a pas pu être terminé."));
    submit(m_docPrinter, spool->fileName());
}

void QtPrinterSurface::killDoc()
{
    if (!m_painter) {
        documentClosed();
        return;
    }
    qprinter().abort();
    closeDocument();
    if (m_docPrinter.isEmpty()) {
        QFile::remove(m_outputFile);
    } else {
        m_spool.reset();
        qprinter().setOutputFileName(QString());
    }
}

void QtPrinterSurface::submit(const QString& printer, const QString& file)
{
    // The options Qt itself sends with a job, then those the print dialog collected.
    // The paper and the orientation of the pages as they were drawn, once each.
    std::vector<std::pair<QByteArray, QByteArray>> options;
    const QPageLayout layout = qprinter().pageLayout();
    options.emplace_back("media", mediaName(layout.pageSize()));
    options.emplace_back("orientation-requested",
                         layout.orientation() == QPageLayout::Landscape ? "4" : "3");
    const int copies = qprinter().copyCount();
    if (copies > 1) {
        options.emplace_back("copies", QByteArray::number(copies));
        if (qprinter().collateCopies())
            options.emplace_back("Collate", "True");
    }
    switch (qprinter().duplex()) {
    case QPrinter::DuplexLongSide:
        options.emplace_back("sides", "two-sided-long-edge");
        break;
    case QPrinter::DuplexShortSide:
        options.emplace_back("sides", "two-sided-short-edge");
        break;
    case QPrinter::DuplexAuto:
        options.emplace_back("sides", qprinter().pageLayout().orientation() == QPageLayout::Portrait
                                          ? "two-sided-long-edge"
                                          : "two-sided-short-edge");
        break;
    default:
        options.emplace_back("sides", "one-sided");
        break;
    }
    // A queue without a driver description prints in grey unless the job asks for colour.
    if (m_colour)
        options.emplace_back("print-color-mode", "color");
    // What the print dialog collected, but the paper and orientation, which the pages have.
    const QStringList dialogOptions =
        qprinter().printEngine()->property(kCupsOptionsKey).toStringList();
    for (qsizetype i = 0; i + 1 < dialogOptions.size(); i += 2) {
        const QByteArray name = dialogOptions[i].toUtf8();
        if (name == "media" || name == "orientation-requested" || name == "landscape" ||
            name == "nolandscape")
            continue;
        options.emplace_back(name, dialogOptions[i + 1].toUtf8());
    }

    int count = 0;
    cups_option_t* cupsOptions = nullptr;
    for (const auto& option : options)
        count = cupslib::cupsAddOption(option.first.constData(), option.second.constData(), count,
                                       &cupsOptions);
    // A printer instance ("queue/instance") prints on its queue.
    const QByteArray queue = printer.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    const int job = cupslib::cupsPrintFile2(
        CUPS_HTTP_DEFAULT, queue.constData(), QFile::encodeName(file).constData(),
        qprinter().docName().toUtf8().constData(), count, cupsOptions);
    cupslib::cupsFreeOptions(count, cupsOptions);
    if (job <= 0)
        throw PrinterError(QStringLiteral("Le serveur d'impression a refusé le document : %1")
                               .arg(QString::fromUtf8(cupslib::cupsLastErrorString())));
    m_lastJob = job;
}

// ---- printer ----

int QtPrinterSurface::orientation()
{
    if (!m_outputFile.isEmpty())
        return orientationFor(QString());
    return orientationFor(currentPrinter());
}

QString QtPrinterSurface::deviceName()
{
    if (!m_outputFile.isEmpty())
        return QString();
    try {
        return currentPrinter();
    } catch (const NoPrinterError&) {
        return QString(); // no printer: no name, as the callers expect
    } catch (const PrinterError&) {
        // The print server does not answer now: the printer chosen last keeps its name, and
        // the next print says why it fails.
        return m_chosenPrinter;
    }
}

void QtPrinterSurface::setDuplex(int duplex)
{
    m_duplex = duplex;
}

QStringList QtPrinterSurface::printerNames()
{
    return QPrinterInfo::availablePrinterNames();
}

bool QtPrinterSurface::selectPrinter(const QString& name)
{
    const QStringList names = QPrinterInfo::availablePrinterNames();
    if (!names.contains(name))
        return false;
    // Selecting the printer followed as the system's default keeps following the default: a
    // printer the user makes the default later is the one printed on.
    const QString system = CupsPrinterSettings::defaultPrinter();
    const bool followsDefault = m_chosenPrinter.isEmpty() && m_outputFile.isEmpty() &&
                                name == (names.contains(system) ? system : names.first());
    if (!followsDefault)
        m_chosenPrinter = name;
    m_outputFile.clear();
    // The printer's stored settings apply again from its next document.
    m_setupOrientation.reset();
    m_setupPageSize.reset();
    return true;
}

bool QtPrinterSurface::showPrintSetup()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    // The dialog works on a printer of its own; its choice applies from the next document.
    auto candidate = std::make_unique<QPrinter>(QPrinter::HighResolution);
    candidate->setDocName(qprinter().docName());
    candidate->setCreator(qprinter().creator());
    int shown = Portrait;
    if (!m_outputFile.isEmpty()) {
        candidate->setOutputFormat(QPrinter::PdfFormat);
        candidate->setOutputFileName(m_outputFile);
        shown = orientationFor(QString());
    } else {
        try {
            const QString name = currentPrinter();
            candidate->setPrinterName(name);
            shown = orientationFor(name);
        } catch (const PrinterError&) {
            // No printer chosen yet: the dialog opens on its default one, in its orientation.
            shown = orientationFor(QString());
        }
    }
    QPageSize shownSize(QPageSize::A4);
    try {
        shownSize = basePageSize(m_outputFile.isEmpty() ? currentPrinter() : QString());
    } catch (const PrinterError&) {
        // A printer that does not say its paper: the dialog offers A4, and the user chooses.
    }
    candidate->setPageOrientation(qtOrientation(shown));
    candidate->setPageSize(shownSize);
    candidate->setDuplex(qtDuplex(m_duplex));

    QPrintDialog dialog(candidate.get(), QApplication::activeWindow());
    dialog.setWindowTitle(QStringLiteral("Configuration de l'impression"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    // A setup dialog: its button confirms the choice, it prints nothing.
    if (auto* box = dialog.findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = box->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;

    const QString file =
        candidate->outputFormat() == QPrinter::PdfFormat ? candidate->outputFileName() : QString();
    if (!file.isEmpty()) {
        m_outputFile = file;
    } else {
        m_outputFile.clear();
        if (!candidate->printerName().isEmpty())
            m_chosenPrinter = candidate->printerName();
    }
    m_setupOrientation =
        candidate->pageLayout().orientation() == QPageLayout::Landscape ? Landscape : Portrait;
    m_setupPageSize = candidate->pageLayout().pageSize();
    m_duplex = candidate->duplex() == QPrinter::DuplexLongSide    ? 2
               : candidate->duplex() == QPrinter::DuplexShortSide ? 3
                                                                  : 1;
    if (m_painter)
        m_nextPrinter = std::move(candidate);
    else
        m_printer = std::move(candidate);
    fontChanged();
    return true;
}

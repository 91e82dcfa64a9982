#include "printer/qtprintersurface.h"

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

#include <cups/cups.h>
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

} // namespace

QtPrinterSurface::QtPrinterSurface(PrinterSettingsStore* settings)
    : m_settings(settings), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    m_printer->setDocName(QStringLiteral("Elvarine"));
    m_printer->setCreator(QStringLiteral("Elvarine"));
}

QtPrinterSurface::~QtPrinterSurface()
{
    // A document still open when the program ends (sheets printed "à la suite") is printed.
    if (m_painter) {
        try {
            endDoc();
        } catch (const std::exception&) {
        }
    }
}

void QtPrinterSurface::setOutputFile(const QString& path)
{
    m_outputFile = path;
}

const QPaintDevice& QtPrinterSurface::metricsDevice() const
{
    return *m_printer;
}

void QtPrinterSurface::drawItem(const PrintedItem& item)
{
    if (!m_colour && (item.colorRef & 0xFFFFFFu) != 0) {
        // From the first colour on, the document is written in colour. The print engine reads
        // the mode at each drawing, so what was drawn before (black) stays as it is.
        m_colour = true;
        m_printer->printEngine()->setProperty(QPrintEngine::PPK_ColorMode, QPrinter::Color);
    }
    paintPrintedItem(*m_painter, item, m_printer->resolution());
}

void QtPrinterSurface::beginPage()
{
    if (!m_printer->newPage())
        throw PrinterError("the printer refused a new page");
}

// ---- documents ----

QString QtPrinterSurface::currentPrinter()
{
    const QStringList names = QPrinterInfo::availablePrinterNames();
    if (names.isEmpty())
        throw NoPrinterError();
    if (!m_chosenPrinter.isEmpty()) {
        if (!names.contains(m_chosenPrinter))
            throw PrinterError("the chosen printer is no longer installed");
        return m_chosenPrinter;
    }
    const QString system = QPrinterInfo::defaultPrinterName();
    return names.contains(system) ? system : names.first();
}

int QtPrinterSurface::layoutOrientation() const
{
    const QPrinter& p = m_nextPrinter ? *m_nextPrinter : *m_printer;
    return p.pageLayout().orientation() == QPageLayout::Landscape ? Landscape : Portrait;
}

int QtPrinterSurface::orientationFor(const QString& printer) const
{
    if (m_setupOrientation)
        return *m_setupOrientation;
    if (!printer.isEmpty() && m_settings) {
        if (const std::optional<int> stored = m_settings->orientation(printer))
            return *stored;
    }
    return layoutOrientation();
}

QString QtPrinterSurface::prepareOutput(QPrinter& printer)
{
    QString name;
    int orientation = Portrait;
    if (!m_outputFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_outputFile);
        orientation = orientationFor(QString());
    } else {
        name = currentPrinter();
        if (!printer.outputFileName().isEmpty())
            printer.setOutputFileName(QString());
        if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName() != name)
            printer.setPrinterName(name);
        if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName() != name)
            throw PrinterError("the printer cannot be selected");
        orientation = orientationFor(name);
    }
    printer.setPageOrientation(qtOrientation(orientation));
    printer.setDuplex(qtDuplex(m_duplex));
    return name;
}

QPageLayout QtPrinterSurface::pageLayout()
{
    // The open document keeps its pages; otherwise the next document's printer, as it will be
    // set up for it.
    if (m_painter)
        return m_printer->pageLayout();
    QPrinter& printer = m_nextPrinter ? *m_nextPrinter : *m_printer;
    prepareOutput(printer);
    return printer.pageLayout();
}

double QtPrinterSurface::beginDocument()
{
    if (m_nextPrinter)
        m_printer = std::move(m_nextPrinter);
    m_docPrinter = prepareOutput(*m_printer);
    if (!m_docPrinter.isEmpty()) {
        // The document is written to a spool file of our own and handed to the print system
        // only when it ends, so that an abandoned document never reaches the printer. No
        // ".pdf" suffix: the printer keeps its own page sizes and margins.
        m_spool = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                   QStringLiteral("/elvarine-XXXXXX.job"));
        if (!m_spool->open())
            throw PrinterError("no room for the print spool file");
        m_spool->close();
        m_printer->setOutputFileName(m_spool->fileName());
    }
    // Grey levels until the document takes a colour (drawItem).
    m_printer->setColorMode(QPrinter::GrayScale);
    m_colour = false;

    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(m_printer.get())) {
        m_spool.reset();
        if (!m_outputFile.isEmpty())
            throw PrinterError("the output file cannot be written");
        m_printer->setOutputFileName(QString());
        throw PrinterError("the printer cannot start a document");
    }
    m_painter = std::move(painter);
    return m_printer->pageLayout().paintRect(QPageLayout::Millimeter).height();
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
        if (!ended || m_printer->printerState() == QPrinter::Error)
            throw PrinterError("the output file could not be written");
        return;
    }
    const std::unique_ptr<QTemporaryFile> spool = std::move(m_spool);
    m_printer->setOutputFileName(QString());
    if (!ended)
        throw PrinterError("the document could not be finished");
    submit(m_docPrinter, spool->fileName());
}

void QtPrinterSurface::killDoc()
{
    if (!m_painter) {
        documentClosed();
        return;
    }
    m_printer->abort();
    closeDocument();
    if (m_docPrinter.isEmpty()) {
        QFile::remove(m_outputFile);
    } else {
        m_spool.reset();
        m_printer->setOutputFileName(QString());
    }
}

void QtPrinterSurface::submit(const QString& printer, const QString& file)
{
    // The options Qt itself sends with a job, then those the print dialog collected.
    std::vector<std::pair<QByteArray, QByteArray>> options;
    options.emplace_back("media", m_printer->pageLayout().pageSize().key().toUtf8());
    const int copies = m_printer->copyCount();
    if (copies > 1) {
        options.emplace_back("copies", QByteArray::number(copies));
        if (m_printer->collateCopies())
            options.emplace_back("Collate", "True");
    }
    switch (m_printer->duplex()) {
    case QPrinter::DuplexLongSide:
        options.emplace_back("sides", "two-sided-long-edge");
        break;
    case QPrinter::DuplexShortSide:
        options.emplace_back("sides", "two-sided-short-edge");
        break;
    case QPrinter::DuplexAuto:
        options.emplace_back("sides", m_printer->pageLayout().orientation() == QPageLayout::Portrait
                                          ? "two-sided-long-edge"
                                          : "two-sided-short-edge");
        break;
    default:
        options.emplace_back("sides", "one-sided");
        break;
    }
    if (m_printer->pageLayout().orientation() == QPageLayout::Landscape)
        options.emplace_back("landscape", "");
    // A queue without a driver description prints in grey unless the job asks for colour.
    if (m_colour)
        options.emplace_back("print-color-mode", "color");
    const QStringList dialogOptions =
        m_printer->printEngine()->property(kCupsOptionsKey).toStringList();
    for (qsizetype i = 0; i + 1 < dialogOptions.size(); i += 2)
        options.emplace_back(dialogOptions[i].toUtf8(), dialogOptions[i + 1].toUtf8());

    int count = 0;
    cups_option_t* cupsOptions = nullptr;
    for (const auto& option : options)
        count =
            cupsAddOption(option.first.constData(), option.second.constData(), count, &cupsOptions);
    // A printer instance ("queue/instance") prints on its queue.
    const QByteArray queue = printer.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    const int job =
        cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.constData(), QFile::encodeName(file).constData(),
                       m_printer->docName().toUtf8().constData(), count, cupsOptions);
    cupsFreeOptions(count, cupsOptions);
    if (job <= 0)
        throw PrinterError(std::string("the print system refused the job: ") +
                           cupsLastErrorString());
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
        return QString();
    } catch (const PrinterError&) {
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
    if (!QPrinterInfo::availablePrinterNames().contains(name))
        return false;
    m_chosenPrinter = name;
    m_outputFile.clear();
    // The printer's stored settings apply again from its next document.
    m_setupOrientation.reset();
    return true;
}

bool QtPrinterSurface::showPrintSetup()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    // The dialog works on a printer of its own; its choice applies from the next document.
    auto candidate = std::make_unique<QPrinter>(QPrinter::HighResolution);
    candidate->setDocName(m_printer->docName());
    candidate->setCreator(m_printer->creator());
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
            shown = layoutOrientation();
        }
    }
    candidate->setPageSize(m_printer->pageLayout().pageSize());
    candidate->setPageOrientation(qtOrientation(shown));
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

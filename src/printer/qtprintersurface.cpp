#include "printer/qtprintersurface.h"

#include "platform/colorref.h"
#include "printer/orimp.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPen>
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

// Pen width of lines, mm.
constexpr double kLineWidth = 0.2;

// The lines of a printed text: split at each line break (CR LF, CR or LF); a break at the very
// end ends the last line and starts no new one.
QStringList textLines(const QString& text)
{
    QStringList lines;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            lines << current;
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.isEmpty() || lines.isEmpty())
        lines << current;
    return lines;
}

// Lines a text measures: one more than its line breaks (CR LF counts once).
int measuredLines(const QString& text)
{
    int breaks = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            ++breaks;
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n')) {
            ++breaks;
        }
    }
    return breaks + 1;
}

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

bool QtPrinterSurface::documentOpen() const
{
    return m_painter != nullptr;
}

// ---- position, scale and font ----

double QtPrinterSurface::toMm(double v) const
{
    return m_scale == Millimetres ? v : v * 25.4 / 1440.0;
}

double QtPrinterSurface::fromMm(double v) const
{
    return m_scale == Millimetres ? v : v * 1440.0 / 25.4;
}

double QtPrinterSurface::mmToDevice(double mm) const
{
    return mm * m_printer->resolution() / 25.4;
}

double QtPrinterSurface::deviceToMm(double px) const
{
    return px * 25.4 / m_printer->resolution();
}

void QtPrinterSurface::setScaleMode(int mode)
{
    m_scale = mode == Millimetres ? Millimetres : Twips;
}

void QtPrinterSurface::setCurrentX(double x)
{
    m_x = toMm(x);
}

void QtPrinterSurface::setCurrentY(double y)
{
    m_y = toMm(y);
}

double QtPrinterSurface::currentX() const
{
    return fromMm(m_x);
}

double QtPrinterSurface::currentY() const
{
    return fromMm(m_y);
}

void QtPrinterSurface::setFontName(const QString& name)
{
    m_fontName = name;
    fontChanged();
}

void QtPrinterSurface::setFontSize(double points)
{
    if (points > 0)
        m_fontSize = points;
    fontChanged();
}

void QtPrinterSurface::setFontBold(bool bold)
{
    m_bold = bold;
    fontChanged();
}

void QtPrinterSurface::setFontItalic(bool italic)
{
    m_italic = italic;
    fontChanged();
}

void QtPrinterSurface::setForeColor(quint32 colorRef)
{
    m_color = colorRef;
}

void QtPrinterSurface::setDrawStyle(int style)
{
    m_drawStyle = style;
}

void QtPrinterSurface::fontChanged()
{
    m_fontDirty = true;
    m_metrics.reset();
}

const QFontMetricsF& QtPrinterSurface::metrics()
{
    if (m_fontDirty) {
        m_font = QFont(m_fontName);
        m_font.setPointSizeF(m_fontSize);
        m_font.setBold(m_bold);
        m_font.setItalic(m_italic);
        m_fontDirty = false;
        m_metrics.reset();
        if (m_painter)
            m_painter->setFont(m_font);
    }
    if (!m_metrics)
        m_metrics.emplace(m_font, m_printer.get());
    return *m_metrics;
}

void QtPrinterSurface::resetPosition()
{
    m_x = 0;
    m_y = 0;
}

// ---- drawing ----

void QtPrinterSurface::print(const QString& text)
{
    openDocument();
    for (const QString& line : textLines(text))
        printLine(line);
}

void QtPrinterSurface::printLine(const QString& text)
{
    const QFontMetricsF& fm = metrics();
    const double height = deviceToMm(fm.lineSpacing());
    if (m_y > 0 && m_y + height > m_pageHeight + 1e-6) {
        if (!m_printer->newPage())
            throw PrinterError("the printer refused a new page");
        ++m_pages;
        m_y = 0;
    }
    if (!text.isEmpty()) {
        m_painter->setPen(colorFromRef(m_color));
        m_painter->drawText(QPointF(mmToDevice(m_x), mmToDevice(m_y) + fm.ascent()), text);
    }
    m_x = 0;
    m_y += height;
}

void QtPrinterSurface::line(double x1, double y1, double x2, double y2, quint32 colorRef)
{
    openDocument();
    const double width = mmToDevice(kLineWidth);
    QPen pen(colorFromRef(colorRef), width);
    pen.setCapStyle(Qt::FlatCap);
    switch (m_drawStyle) {
    case 1: // dash
        pen.setDashPattern({15, 7.5});
        break;
    case 2: // dot
        pen.setDashPattern({2.5, 5});
        break;
    case 3: // dash-dot
        pen.setDashPattern({15, 5, 2.5, 5});
        break;
    case 4: // dash-dot-dot
        pen.setDashPattern({15, 5, 2.5, 5, 2.5, 5});
        break;
    case 5: // invisible
        pen.setStyle(Qt::NoPen);
        break;
    default:
        pen.setStyle(Qt::SolidLine);
        break;
    }
    m_painter->setPen(pen);
    m_painter->drawLine(QPointF(mmToDevice(toMm(x1)), mmToDevice(toMm(y1))),
                        QPointF(mmToDevice(toMm(x2)), mmToDevice(toMm(y2))));
}

double QtPrinterSurface::textHeight(const QString& text)
{
    const double height = deviceToMm(metrics().lineSpacing());
    return fromMm(measuredLines(text) * height);
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

void QtPrinterSurface::openDocument()
{
    if (m_painter)
        return;
    if (m_nextPrinter) {
        m_printer = std::move(m_nextPrinter);
        fontChanged();
    }
    int orientation = Portrait;
    if (!m_outputFile.isEmpty()) {
        m_docPrinter.clear();
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(m_outputFile);
        orientation = orientationFor(QString());
    } else {
        const QString name = currentPrinter();
        if (!m_printer->outputFileName().isEmpty())
            m_printer->setOutputFileName(QString());
        if (m_printer->outputFormat() != QPrinter::NativeFormat || m_printer->printerName() != name)
            m_printer->setPrinterName(name);
        if (m_printer->outputFormat() != QPrinter::NativeFormat || m_printer->printerName() != name)
            throw PrinterError("the printer cannot be selected");
        // The document is written to a spool file of our own and handed to the print system
        // only when it ends, so that an abandoned document never reaches the printer. No
        // ".pdf" suffix: the printer keeps its own page sizes and margins.
        m_spool = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                   QStringLiteral("/elvarine-XXXXXX.job"));
        if (!m_spool->open())
            throw PrinterError("no room for the print spool file");
        m_spool->close();
        m_printer->setOutputFileName(m_spool->fileName());
        m_docPrinter = name;
        orientation = orientationFor(name);
    }
    m_printer->setPageOrientation(qtOrientation(orientation));
    m_printer->setDuplex(qtDuplex(m_duplex));
    fontChanged();

    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(m_printer.get())) {
        m_spool.reset();
        if (!m_outputFile.isEmpty())
            throw PrinterError("the output file cannot be written");
        m_printer->setOutputFileName(QString());
        throw PrinterError("the printer cannot start a document");
    }
    m_painter = std::move(painter);
    m_pages = 1;
    m_pageHeight = m_printer->pageLayout().paintRect(QPageLayout::Millimeter).height();
    metrics();
    m_painter->setFont(m_font);
}

void QtPrinterSurface::closeDocument()
{
    m_painter->end();
    m_painter.reset();
    m_pages = 0;
    resetPosition();
}

void QtPrinterSurface::endDoc()
{
    if (!m_painter) {
        resetPosition();
        return;
    }
    const bool ended = m_painter->end();
    m_painter.reset();
    m_pages = 0;
    resetPosition();
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
        resetPosition();
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
    else {
        m_printer = std::move(candidate);
        fontChanged();
    }
    return true;
}

#include "printer/moduleprintersurface.h"

#include "platform/servicesmodule.h"
#include "printer/systemprintersurface.h"

ModulePrinterSurface::ModulePrinterSurface(PrinterSettingsStore* settings) : m_settings(settings) {}

ModulePrinterSurface::~ModulePrinterSurface() = default;

SystemPrinterSurface& ModulePrinterSurface::target() const
{
    if (!m_target) {
        QString why;
        const ServicesModuleTable* module = servicesModule(&why);
        if (!module)
            throw PrinterError(why);
        m_target = module->printer(m_settings);
    }
    return *m_target;
}

void ModulePrinterSurface::setScaleMode(int mode)
{
    target().setScaleMode(mode);
}

int ModulePrinterSurface::scaleMode() const
{
    return target().scaleMode();
}

void ModulePrinterSurface::setCurrentX(double x)
{
    target().setCurrentX(x);
}

void ModulePrinterSurface::setCurrentY(double y)
{
    target().setCurrentY(y);
}

double ModulePrinterSurface::currentX() const
{
    return target().currentX();
}

double ModulePrinterSurface::currentY() const
{
    return target().currentY();
}

void ModulePrinterSurface::setFontName(const QString& name)
{
    target().setFontName(name);
}

void ModulePrinterSurface::setFontSize(double points)
{
    target().setFontSize(points);
}

void ModulePrinterSurface::setFontBold(bool bold)
{
    target().setFontBold(bold);
}

void ModulePrinterSurface::setFontItalic(bool italic)
{
    target().setFontItalic(italic);
}

void ModulePrinterSurface::setForeColor(quint32 colorRef)
{
    target().setForeColor(colorRef);
}

void ModulePrinterSurface::setDrawStyle(int style)
{
    target().setDrawStyle(style);
}

void ModulePrinterSurface::print(const QString& text)
{
    target().print(text);
}

void ModulePrinterSurface::line(double x1, double y1, double x2, double y2, quint32 colorRef)
{
    target().line(x1, y1, x2, y2, colorRef);
}

void ModulePrinterSurface::newPage()
{
    target().newPage();
}

double ModulePrinterSurface::textHeight(const QString& text)
{
    return target().textHeight(text);
}

void ModulePrinterSurface::endDoc()
{
    target().endDoc();
}

void ModulePrinterSurface::killDoc()
{
    target().killDoc();
}

int ModulePrinterSurface::orientation()
{
    return target().orientation();
}

QString ModulePrinterSurface::deviceName()
{
    return target().deviceName();
}

void ModulePrinterSurface::setDuplex(int duplex)
{
    target().setDuplex(duplex);
}

QStringList ModulePrinterSurface::printerNames()
{
    return target().printerNames();
}

bool ModulePrinterSurface::selectPrinter(const QString& name)
{
    return target().selectPrinter(name);
}

bool ModulePrinterSurface::showPrintSetup()
{
    return target().showPrintSetup();
}

void ModulePrinterSurface::setPaper(const std::optional<PaperRequest>& paper)
{
    target().setPaper(paper);
}

std::optional<PaperRequest> ModulePrinterSurface::paper() const
{
    return target().paper();
}

QPageLayout ModulePrinterSurface::pageLayoutFor(const std::optional<PaperRequest>& paper)
{
    return target().pageLayoutFor(paper);
}

#pragma once

#include "printer/printersurface.h"

#include <memory>

class PrinterSettingsStore;
class SystemPrinterSurface;

// The desktop's printer surface, made from the services module at the first call: the program
// starts without the print libraries. Without the module, every call throws PrinterError with
// the reason, as a printer that cannot be reached does.
class ModulePrinterSurface : public PrinterSurface
{
public:
    // `settings` (may be null) gives the stored orientation of each printer.
    explicit ModulePrinterSurface(PrinterSettingsStore* settings = nullptr);
    ~ModulePrinterSurface() override;

    // True once the real surface is made.
    bool loaded() const { return m_target != nullptr; }

    void setScaleMode(int mode) override;
    int scaleMode() const override;
    void setCurrentX(double x) override;
    void setCurrentY(double y) override;
    double currentX() const override;
    double currentY() const override;
    void setFontName(const QString& name) override;
    void setFontSize(double points) override;
    void setFontBold(bool bold) override;
    void setFontItalic(bool italic) override;
    void setForeColor(quint32 colorRef) override;
    void setDrawStyle(int style) override;
    void print(const QString& text) override;
    void line(double x1, double y1, double x2, double y2, quint32 colorRef) override;
    void newPage() override;
    double textHeight(const QString& text) override;
    void endDoc() override;
    void killDoc() override;
    int orientation() override;
    QString deviceName() override;
    void setDuplex(int duplex) override;
    QStringList printerNames() override;
    bool selectPrinter(const QString& name) override;
    bool showPrintSetup() override;
    void setPaper(const std::optional<PaperRequest>& paper) override;
    std::optional<PaperRequest> paper() const override;
    QPageLayout pageLayoutFor(const std::optional<PaperRequest>& paper) override;

private:
    // The real surface, made at the first call; throws PrinterError without the module.
    SystemPrinterSurface& target() const;

    PrinterSettingsStore* m_settings = nullptr;
    mutable std::unique_ptr<SystemPrinterSurface> m_target;
};

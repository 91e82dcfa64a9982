#include "printer/orientationcommands.h"

#include "core/services.h"
#include "platform/dialogs.h"
#include "printer/orimp.h"

#include <QCursor>
#include <QGuiApplication>

namespace
{

// The hourglass pointer for the length of a command.
class WaitCursor
{
public:
    WaitCursor() : m_on(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    {
        if (m_on)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor() { restore(); }
    void restore()
    {
        if (m_on)
            QGuiApplication::restoreOverrideCursor();
        m_on = false;
    }

private:
    bool m_on;
};

} // namespace

std::optional<int> changeOrientation(Services& services, int orientation)
{
    WaitCursor wait;
    try {
        if (orientation == 2)
            ModePaysage(services);
        else
            ModePortrait(services);
        FormatPapierDefaut(services);
        return services.printer->orientation();
    } catch (const NoPrinterError&) {
        wait.restore();
        services.dialogs->msgBox(QStringLiteral("Aucune imprimante n'est disponible"), vbOKOnly,
                                 QStringLiteral("Elvarine"));
    } catch (const std::exception&) {
        // Any other failure of the printer is silent by design: the marks and the status keep
        // the orientation shown before, which tells the user nothing changed.
    }
    return std::nullopt;
}

std::optional<int> readOrientation(Services& services)
{
    try {
        return services.printer->orientation();
    } catch (const std::exception&) {
        // No printer to ask: no orientation is shown as the current one.
        return std::nullopt;
    }
}

QString orientationStatusText(int orientation)
{
    switch (orientation) {
    case 1:
        return QStringLiteral("En cours : Portrait");
    case 2:
        return QStringLiteral("En cours : Paysage");
    default:
        return QString();
    }
}

bool configurePrinter(Services& services)
{
    try {
        return services.printer && services.printer->showPrintSetup();
    } catch (const std::exception&) {
        // Every failure of the printer setup is ignored, as a cancel is: the settings stay as
        // they were, and the next print says what the printer refuses.
        return false;
    }
}

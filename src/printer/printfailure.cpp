#include "printer/printfailure.h"

#include "core/services.h"
#include "platform/dialogs.h"
#include "printer/printersurface.h"

QString printFailureText(const QString& first, const std::exception& error)
{
    const auto* printer = dynamic_cast<const PrinterError*>(&error);
    const QString reason = printer ? printer->reason().trimmed() : QString();
    return reason.isEmpty() ? first : first + QLatin1Char('\r') + reason;
}

void reportPrintFailure(Services& services, const std::exception& error)
{
    if (services.dialogs)
        services.dialogs->msgBox(printFailureText(QStringLiteral("Erreur d'impression !"), error),
                                 vbOKOnly + vbCritical, QStringLiteral("Erreur"));
    if (services.printer) {
        try {
            services.printer->killDoc();
        } catch (const std::exception&) {
            // Nothing more can be done with a document the printer refuses to drop.
        }
    }
}

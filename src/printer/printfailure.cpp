#include "printer/printfailure.h"

#include "core/services.h"
#include "platform/dialogs.h"
#include "printer/printersurface.h"

#include <exception>

void reportPrintFailure(Services& services)
{
    if (services.dialogs)
        services.dialogs->msgBox(QStringLiteral("Erreur d'impression !"), vbOKOnly + vbCritical,
                                 QStringLiteral("Erreur"));
    if (services.printer) {
        try {
            services.printer->killDoc();
        } catch (const std::exception&) {
            // Nothing more can be done with a document the printer refuses to drop.
        }
    }
}

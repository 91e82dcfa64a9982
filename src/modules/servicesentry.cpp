// The services module's entry: the makers of the real services on the libraries the program
// loads only when first needed.
#include "platform/keyringpasswordstore.h"
#include "platform/qtserialport.h"
#include "platform/servicesmodule.h"
#include "printer/qtprintersurface.h"
#include "sync/qtdavclient.h"

namespace
{

const ServicesModuleTable kTable = {
    kServicesModuleVersion,
    [] { return std::unique_ptr<DavClientFactory>(std::make_unique<QtDavClientFactory>()); },
    [] { return std::unique_ptr<PasswordStore>(std::make_unique<KeyringPasswordStore>()); },
    [] { return std::unique_ptr<SerialPortFactory>(std::make_unique<QtSerialPortFactory>()); },
    [](PrinterSettingsStore* settings) {
        return std::unique_ptr<SystemPrinterSurface>(std::make_unique<QtPrinterSurface>(settings));
    },
};

} // namespace

extern "C" __attribute__((visibility("default"))) const ServicesModuleTable*
elvarine_services_module()
{
    return &kTable;
}

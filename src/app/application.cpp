#include "app/application.h"

#include "app/frmelvarine.h"
#include "app/icons.h"
#include "core/appstate.h"
#include "core/services.h"
#include "platform/clipboard.h"
#include "platform/desktopservices.h"
#include "platform/dialogs.h"
#include "platform/passwordstore.h"
#include "platform/programfolder.h"
#include "platform/qtdialogs.h"
#include "platform/serialport.h"
#include "platform/servicesmodule.h"
#include "printer/printerservices.h"
#include "sync/davclient.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <dlfcn.h>
#include <thread>

namespace
{

// Reading the desktop's font configuration (dozens of XML files) is the longest single step
// before the main window can lay out its first text. It is started on a thread of its own while
// Qt starts, and done before anything is drawn: Qt then finds the configuration loaded.
// Fontconfig is the library Qt's own font database uses here (already loaded with Qt); without
// it, nothing is done ahead.
class FontConfigReading
{
public:
    FontConfigReading()
    {
        using Init = int (*)();
        if (const auto init = reinterpret_cast<Init>(dlsym(RTLD_DEFAULT, "FcInit")))
            m_thread = std::thread(init);
    }
    ~FontConfigReading() { wait(); }
    FontConfigReading(const FontConfigReading&) = delete;
    FontConfigReading& operator=(const FontConfigReading&) = delete;

    void wait()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::thread m_thread;
};

} // namespace

bool installFrenchTranslations(QCoreApplication& app)
{
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_fr"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    app.installTranslator(translator);
    return true;
}

int runElvarine(int argc, char** argv, const QString& startupFile)
{
    FontConfigReading fonts;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Elvarine"));
    QApplication::setOrganizationName(QStringLiteral("Elvarine"));
    // Lets the desktop match the windows with the launcher and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(ELVARINE_APP_ID));
    installFrenchTranslations(app);
    QApplication::setWindowIcon(applicationIcon());
    deferStandardIcons();

    QtDialogs dialogs;
    QtClipboard clipboard;
    QtDesktopServices desktop;
    ExecutableFolder folder;
    // The network, print, serial and keyring libraries come with the services module, loaded
    // when first needed.
    const auto serial = moduleSerialPorts();
    const auto passwords = moduleKeyring();
    const auto davClients = moduleDavClients();
    Services services;
    services.dialogs = &dialogs;
    services.clipboard = &clipboard;
    services.desktop = &desktop;
    services.folder = &folder;
    services.serial = serial.get();
    services.passwords = passwords.get();
    services.davClients = davClients.get();
    // An open document is printed when these go, so they go before the application.
    const auto printing = installPrinterServices(services);
    fonts.wait(); // before anything is drawn, the warning below included

    // Installed, the user's files go to a folder of their own, made at the first start.
    if (folder.installed() && !makeUserFolder(folder.userFolder()))
        dialogs.msgBox(QStringLiteral("Le dossier %1 ne peut pas être créé : le fichier "
                                      "d'adresses par défaut et les réglages ne pourront pas y "
                                      "être enregistrés.")
                           .arg(folder.userFolder()),
                       vbExclamation, QStringLiteral("Avertissement"));

    AppState state;
    frmElvarine window(state, services);
    window.setStartupFile(startupFile);
    QObject::connect(&window, &frmElvarine::programEnded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.Form_Load();
    window.show();
    window.Form_Activate();
    return app.exec();
}

#include "app/application.h"

#include "app/frmelvarine.h"
#include "app/icons.h"
#include "core/appstate.h"
#include "core/services.h"
#include "platform/clipboard.h"
#include "platform/desktopservices.h"
#include "platform/passwordstore.h"
#include "platform/programfolder.h"
#include "platform/qtdialogs.h"
#include "platform/serialport.h"
#include "printer/printerservices.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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

int runElvarine(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Elvarine"));
    QApplication::setOrganizationName(QStringLiteral("Elvarine"));
    installFrenchTranslations(app);
    QApplication::setWindowIcon(applicationIcon());

    QtDialogs dialogs;
    QtClipboard clipboard;
    QtDesktopServices desktop;
    ExecutableFolder folder;
    QtSerialPortFactory serial;
    KeyringPasswordStore passwords;
    Services services;
    services.dialogs = &dialogs;
    services.clipboard = &clipboard;
    services.desktop = &desktop;
    services.folder = &folder;
    services.serial = &serial;
    services.passwords = &passwords;
    // An open document is printed when these go, so they go before the application.
    const auto printing = installPrinterServices(services);

    AppState state;
    frmElvarine window(state, services);
    QObject::connect(&window, &frmElvarine::programEnded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.Form_Load();
    window.show();
    window.Form_Activate();
    return app.exec();
}

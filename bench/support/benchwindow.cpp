#include "benchwindow.h"

#include "addressgen.h"

#include <QFile>

BenchWindow::BenchWindow(int count) : folder(dir.path())
{
    file = dir.filePath(QStringLiteral("Grand.adb"));
    QFile::copy(cachedAddressFile(count), file);
    generateAddressFile(dir.filePath(QStringLiteral("Elvarine.mdb")), 0);
    services.dialogs = &dialogs;
    services.folder = &folder;
    w = std::make_unique<frmElvarine>(state, services);
    w->Form_Load();
    w->show();
}

// The main window on a large address file: open and list, select a line, Actualiser after an
// edit.
#include "addressgen.h"
#include "core/appstate.h"
#include "core/frmelvarine.h"
#include "core/services.h"
#include "platform/programfolder.h"
#include "platform/qtdialogs.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <random>
#include <vector>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Grand.adb"));
    QFile::copy(cachedAddressFile(count), path);
    generateAddressFile(dir.filePath(QStringLiteral("Elvarine.mdb")), 0);

    QtDialogs dialogs;
    FixedFolder folder(dir.path());
    Services services;
    services.dialogs = &dialogs;
    services.folder = &folder;
    AppState state;
    frmElvarine w(state, services);
    w.Form_Load();
    w.show();
    QTextStream out(stdout);

    qint64 t0 = nowNs();
    w.openAddressFile(path);
    app.processEvents();
    out << "open and list " << w.listCount() << " records: " << elapsedMs(t0) << " ms\n";

    std::mt19937 rng(7);
    std::vector<double> times;
    for (int i = 0; i < 200; ++i) {
        const int index = std::uniform_int_distribution<int>(0, w.listCount() - 1)(rng);
        t0 = nowNs();
        w.setListIndex(index);
        times.push_back(elapsedMs(t0));
    }
    std::sort(times.begin(), times.end());
    out << "select a line: median " << times[times.size() / 2] << " ms, worst " << times.back()
        << " ms\n";

    w.cmdUpdate_Click();
    w.setFieldText(6, QStringLiteral("Besançon"));
    t0 = nowNs();
    w.cmdRefresh_Click();
    out << "Actualiser after one edit: " << elapsedMs(t0) << " ms\n";
    return 0;
}

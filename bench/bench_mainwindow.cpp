// The main window on a large address file: open and list, select a line, Actualiser after an
// edit.
#include "addressgen.h"
#include "benchwindow.h"

#include <QApplication>
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
    BenchWindow bench(count);
    frmElvarine& w = *bench.w;
    QTextStream out(stdout);

    qint64 t0 = nowNs();
    w.openAddressFile(bench.file);
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
    w.setFieldText(FieldBox::Ville, QStringLiteral("Besançon"));
    t0 = nowNs();
    w.cmdRefresh_Click();
    out << "Actualiser after one edit: " << elapsedMs(t0) << " ms\n";
    return 0;
}

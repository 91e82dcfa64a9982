// A search that finds nothing, over every field of a large address file.
#include "addressgen.h"
#include "benchwindow.h"

#include <QApplication>
#include <QTextStream>
#include <algorithm>
#include <vector>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    BenchWindow bench(count);
    frmElvarine& w = *bench.w;
    w.openAddressFile(bench.file);
    AppState& state = bench.state;
    QuietDialogs& dialogs = bench.dialogs;
    QTextStream out(stdout);
    for (int criterion : {0, 1}) {
        state.search.CritereRech = criterion;
        std::vector<double> times;
        std::vector<double> cpu;
        for (int run = 0; run < 5; ++run) {
            dialogs.inputAnswer = QStringLiteral("zzzintrouvable");
            const qint64 t0 = nowNs();
            const double c0 = cpuMs();
            w.Mnu_Rechercher_Click();
            times.push_back(elapsedMs(t0));
            cpu.push_back(cpuMs() - c0);
        }
        std::sort(times.begin(), times.end());
        std::sort(cpu.begin(), cpu.end());
        out << "search finding nothing in " << w.listCount() << " records, criterion " << criterion
            << ": median " << times[times.size() / 2] << " ms (processor time "
            << cpu[cpu.size() / 2] << " ms)\n";
    }
    out << "last message: " << dialogs.shown.value(dialogs.shown.size() - 1) << "\n";
    return 0;
}

// Actualiser after one edit, many times over a large address file: every time printed, to see
// how far the worst is from the usual one and what it lines up with.
//
//   bench_refresh [RECORDS] [TIMES]     (1000000 and 40 by default)
#include "addressgen.h"
#include "benchwindow.h"

#include <QApplication>
#include <QTextStream>
#include <algorithm>
#include <random>
#include <vector>

int main(int argc, char** argv)
{
    offscreenUnlessChosen();
    QApplication app(argc, argv);
    const int count = numberArgument(argc, argv, 1, 1000000);
    const int repeats = numberArgument(argc, argv, 2, 40);
    BenchWindow bench(count);
    frmElvarine& w = *bench.w;
    QTextStream out(stdout);
    w.openAddressFile(bench.file);
    app.processEvents();
    std::mt19937 rng(7);
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        w.setListIndex(std::uniform_int_distribution<int>(0, w.listCount() - 1)(rng));
        w.cmdUpdate_Click();
        w.setFieldText(FieldBox::Ville, QStringLiteral("Besançon %1").arg(i));
        w.setFieldText(FieldBox::Nom, QStringLiteral("Martin%1").arg(i));
        const qint64 t0 = nowNs();
        const double c0 = cpuMs();
        w.cmdRefresh_Click();
        times.push_back(elapsedMs(t0));
        out << "Actualiser " << i << ": " << times.back() << " ms (processor time " << cpuMs() - c0
            << " ms)\n";
        out.flush();
    }
    std::sort(times.begin(), times.end());
    out << "Actualiser after one edit, " << count << " records: median " << times[times.size() / 2]
        << " ms, worst " << times.back() << " ms\n";
    return 0;
}

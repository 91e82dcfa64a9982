// A search that finds nothing, over every field of a large address file, beside the sqlite3
// program looking for the same text in the sixteen columns (the floor, run between the searches),
// and the resident memory before and after.
//
//   bench_search [RECORDS]     (100000 by default)
#include "addressgen.h"
#include "benchwindow.h"
#include "core/addressschema.h"

#include <QApplication>
#include <QProcess>
#include <QTextStream>
#include <algorithm>
#include <vector>

namespace
{

// The floor: sqlite3 looking for the text, letter case ignored, in every column of every row.
double sqliteFloorMs(const QString& file)
{
    QStringList tests;
    for (int column = 0; column < kColumnCount; ++column)
        tests << QStringLiteral("instr(lower(\"%1\"), 'zzzintrouvable')").arg(columnName(column));
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    const qint64 t0 = nowNs();
    p.start(QStringLiteral("sqlite3"),
            {file, QStringLiteral("SELECT rowid FROM Elvarine WHERE %1;").arg(tests.join(" OR "))});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        return -1;
    return elapsedMs(t0);
}

} // namespace

int main(int argc, char** argv)
{
    offscreenUnlessChosen();
    QApplication app(argc, argv);
    const int count = numberArgument(argc, argv, 1, 100000);
    BenchWindow bench(count);
    frmElvarine& w = *bench.w;
    w.openAddressFile(bench.file);
    const long opened = residentKb();
    AppState& state = bench.state;
    QuietDialogs& dialogs = bench.dialogs;
    QTextStream out(stdout);
    for (int criterion : {0, 1}) {
        state.search.CritereRech = criterion;
        std::vector<double> times;
        std::vector<double> cpu;
        std::vector<double> floors;
        for (int run = 0; run < 5; ++run) {
            // The floor between two searches, so that a change of the machine's speed in the
            // middle of the run weighs on both alike.
            if (criterion == 0)
                floors.push_back(sqliteFloorMs(bench.file));
            dialogs.inputAnswer = QStringLiteral("zzzintrouvable");
            const qint64 t0 = nowNs();
            const double c0 = cpuMs();
            w.Mnu_Rechercher_Click();
            times.push_back(elapsedMs(t0));
            cpu.push_back(cpuMs() - c0);
        }
        std::sort(times.begin(), times.end());
        std::sort(cpu.begin(), cpu.end());
        const double median = times[times.size() / 2];
        out << "search finding nothing in " << w.listCount() << " records, criterion " << criterion
            << ": median " << median << " ms (processor time " << cpu[cpu.size() / 2] << " ms)";
        if (criterion == 0) {
            std::sort(floors.begin(), floors.end());
            const double floor = floors[floors.size() / 2];
            out << "; sqlite3 over the sixteen columns, median " << floor << " ms (from "
                << floors.front() << " to " << floors.back() << "; ratio " << median / floor << ")";
        }
        out << "\n";
    }
    out << "resident memory after opening: " << opened / 1024
        << " MB, after the searches: " << residentKb() / 1024 << " MB\n";
    out << "last message: " << dialogs.shown.value(dialogs.shown.size() - 1) << "\n";
    return 0;
}

// The time from a process's start to its titled main window shown: the program (without a
// file, then with a large address file given on its command line) beside a bare Qt main window
// started the same way (the floor, bench/startup_floor.cpp), and that window holding one text
// box (the fonts read, as any window showing text does). A small library preloaded into
// both (bench/startup_watch.cpp) writes "shown" and ends the process when the window shows.
// Each is started several times; medians.
//
//   bench_startup [RECORDS] [RUNS]     (1000000 records and 11 runs by default)
#include "addressgen.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <vector>

namespace
{

// Median milliseconds from starting `program` to its "shown" line; -1 when it failed.
double medianStartMs(const QString& program, const QStringList& arguments, const QString& home,
                     int runs)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(STARTUP_WATCH));
    env.insert(QStringLiteral("HOME"), home);
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(home);
        const qint64 t0 = nowNs();
        p.start(program, arguments);
        while (!p.canReadLine() && p.waitForReadyRead(60000)) {
        }
        const double ms = elapsedMs(t0);
        const bool shown = p.readLine().startsWith("shown");
        if (!p.waitForFinished(5000))
            p.kill();
        if (!shown)
            return -1;
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = numberArgument(argc, argv, 1, 1000000);
    const int runs = numberArgument(argc, argv, 2, 11);
    const QString program = QStringLiteral(ELVARINE_PROGRAM);
    const QString floorProgram = QStringLiteral(STARTUP_FLOOR);
    QTemporaryDir home;
    const QString file = cachedAddressFile(count);
    QTextStream out(stdout);
    // The file cache and the libraries warmed first.
    medianStartMs(floorProgram, {}, home.path(), 1);
    medianStartMs(program, {}, home.path(), 1);
    const double floor = medianStartMs(floorProgram, {}, home.path(), runs);
    const double bare = medianStartMs(program, {}, home.path(), runs);
    const double withFile = medianStartMs(program, {file}, home.path(), runs);
    const double withText =
        medianStartMs(floorProgram, {QStringLiteral("--text")}, home.path(), runs);
    out << "start to the titled window, median of " << runs << " runs: bare Qt main window "
        << floor << " ms; the program without a file " << bare << " ms (ratio " << bare / floor
        << "), with " << count << " records " << withFile << " ms (ratio " << withFile / floor
        << "); the bare window holding one text box " << withText << " ms (the program "
        << bare / withText << " times that)\n";
    return 0;
}

// The time from a process's start to its titled main window shown: the program (without a
// file, then with a large address file given on its command line) beside a bare Qt main window
// started the same way (the floor, bench/startup_floor.cpp), and that window holding one text
// box (the fonts read, as any window showing text does). A small library preloaded into
// both (bench/startup_watch.cpp) writes "shown" and ends the process when the window shows.
// Each is started several times, the four in turn; medians.
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

struct Start {
    QString program;
    QStringList arguments;
    std::vector<double> times;
};

// Milliseconds from starting the program to its "shown" line; -1 when it failed.
double startMs(const Start& start, const QProcessEnvironment& env, const QString& home)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(home);
    const qint64 t0 = nowNs();
    p.start(start.program, start.arguments);
    while (!p.canReadLine() && p.waitForReadyRead(60000)) {
    }
    const double ms = elapsedMs(t0);
    const bool shown = p.readLine().startsWith("shown");
    if (!p.waitForFinished(5000))
        p.kill();
    return shown ? ms : -1;
}

double median(std::vector<double> times)
{
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
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(STARTUP_WATCH));
    env.insert(QStringLiteral("HOME"), home.path());
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    std::vector<Start> starts{{floorProgram, {}, {}},
                              {program, {}, {}},
                              {program, {file}, {}},
                              {floorProgram, {QStringLiteral("--text")}, {}}};
    // One round starts each once, so that a change of the machine's load in the middle of the
    // run weighs on all four alike; the first round only warms the file cache and libraries.
    for (int round = 0; round <= runs; ++round) {
        for (Start& start : starts) {
            const double ms = startMs(start, env, home.path());
            if (ms < 0) {
                out << start.program << " did not show its window\n";
                return 1;
            }
            if (round > 0)
                start.times.push_back(ms);
        }
    }
    const double floor = median(starts[0].times);
    const double bare = median(starts[1].times);
    const double withFile = median(starts[2].times);
    const double withText = median(starts[3].times);
    out << "start to the titled window, median of " << runs << " runs: bare Qt main window "
        << floor << " ms; the program without a file " << bare << " ms (ratio " << bare / floor
        << "), with " << count << " records " << withFile << " ms (ratio " << withFile / floor
        << "); the bare window holding one text box " << withText << " ms (the program "
        << bare / withText << " times that)\n";
    return 0;
}

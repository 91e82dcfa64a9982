// The time from a process's start to its titled main window shown: the program (without a
// file, then with a large address file given on its command line) beside a bare Qt main window
// started the same way (the floor, bench/startup_floor.cpp). Each is started several times;
// medians.
//
//   bench_startup [RECORDS] [RUNS]     (1000000 records and 11 runs by default)
//
// Started with --child, this program is the real program (the same two calls as its main) that
// ends as soon as its window shows.
#include "addressgen.h"
#include "app/application.h"
#include "app/commandline.h"
#include "startupwatch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstring>
#include <vector>

namespace
{

// Median milliseconds from starting `program` to its "shown" line; -1 when it failed.
double medianStartMs(const QString& program, const QStringList& arguments,
                     const QString& workFolder, int runs)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QProcess p;
        p.setWorkingDirectory(workFolder);
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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0) {
        watchFirstMainWindow();
        // The program's own start, its first argument dropped.
        std::vector<char*> args(argv, argv + argc);
        args.erase(args.begin() + 1);
        int count = int(args.size());
        QString startupFile;
        if (const std::optional<int> status = runCommandLine(count, args.data(), &startupFile))
            return *status;
        return runElvarine(count, args.data(), startupFile);
    }
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000000;
    const int runs = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 11;
    const QString self = QCoreApplication::applicationFilePath();
    const QString floorProgram = QFileInfo(self).dir().filePath(QStringLiteral("startup_floor"));
    QTemporaryDir work;
    const QString file = cachedAddressFile(count);
    QTextStream out(stdout);
    // Warm the file cache and the libraries first.
    medianStartMs(floorProgram, {}, work.path(), 1);
    medianStartMs(self, {QStringLiteral("--child")}, work.path(), 1);
    const double floor = medianStartMs(floorProgram, {}, work.path(), runs);
    const double bare = medianStartMs(self, {QStringLiteral("--child")}, work.path(), runs);
    const double withFile =
        medianStartMs(self, {QStringLiteral("--child"), file}, work.path(), runs);
    out << "start to the titled window, median of " << runs << " runs: bare Qt main window "
        << floor << " ms; the program without a file " << bare << " ms (ratio " << bare / floor
        << "), with " << count << " records " << withFile << " ms (ratio " << withFile / floor
        << ")\n";
    return 0;
}

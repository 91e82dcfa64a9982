#pragma once

// What the print server tests share: the private print server's queues and job folder
// (scripts/cups-test-env.sh names them in the environment), the jobs that land there, and the
// real printer services over them.

#include "core/appstate.h"
#include "core/services.h"
#include "pdftext.h"
#include "printer/cupsprintersettings.h"
#include "printer/qtprintersurface.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cstdio>

inline QString queue()
{
    return qEnvironmentVariable("ELVARINE_TEST_QUEUE");
}

inline QString jobsFolder()
{
    return qEnvironmentVariable("ELVARINE_TEST_JOBS");
}

// The file the test backend wrote for job `id`, once it is complete; empty after `ms`.
inline QString waitForJob(int id, int ms = 15000)
{
    const QString path = QDir(jobsFolder()).filePath(QStringLiteral("job-%1.out").arg(id));
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        if (QFileInfo::exists(path))
            return path;
        QThread::msleep(50);
    }
    return QString();
}

inline int jobFiles()
{
    return int(QDir(jobsFolder()).entryList({QStringLiteral("job-*.out")}, QDir::Files).size());
}

// The options the queue's backend got with job `id` (written before the job's file).
inline QString jobOptions(int id)
{
    QFile file(QDir(jobsFolder()).filePath(QStringLiteral("job-%1.options").arg(id)));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
}

// `lpoptions -p PRINTER` as an outside client sees it.
inline QString lpoptions(const QString& printer = queue())
{
    return toolOutput(QStringLiteral("lpoptions"), {QStringLiteral("-p"), printer});
}

// The real printer surface and the user's printer settings, with scripted dialogs.
struct CupsFixture {
    AppState state;
    ScriptedDialogs dialogs;
    CupsPrinterSettings settings;
    QtPrinterSurface surface{&settings};
    Services services;
    CupsFixture()
    {
        services.dialogs = &dialogs;
        services.printer = &surface;
        services.printerSettings = &settings;
    }
};

// The test's main: skipped (77) without the private print server.
template <typename Test> int runWithPrintServer(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("ELVARINE_TEST_QUEUE") ||
        qEnvironmentVariableIsEmpty("ELVARINE_TEST_JOBS") ||
        qEnvironmentVariableIsEmpty("ELVARINE_TEST_HOME") ||
        qEnvironmentVariableIsEmpty("CUPS_SERVER")) {
        std::fprintf(stderr, "SKIP: no test print server (run through scripts/cups-test-env.sh "
                             "as root); the CUPS printing tests are skipped\n");
        return 77;
    }
    // Before anything reads the print system's settings: the private home only.
    qputenv("HOME", qgetenv("ELVARINE_TEST_HOME"));
    QApplication app(argc, argv);
    if (!runTool(QStringLiteral("lpstat"), {QStringLiteral("-r")})) {
        std::fprintf(stderr, "SKIP: the test print server does not answer; the CUPS printing "
                             "tests are skipped\n");
        return 77;
    }
    Test test;
    return QTest::qExec(&test, argc, argv);
}

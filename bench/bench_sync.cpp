// Synchronisation against Debian's radicale on this machine: a first synchronisation that
// brings N cards into an empty address file, a synchronisation with nothing changed, and a
// first synchronisation that sends M records. Each run prints the wall time, the processor time
// of Elvarine's side and that of the server, so the time can be told apart.
//   bench_sync [N=10000] [M=1000]
#include "addressgen.h"
#include "core/recordengine.h"
#include "radicaleserver.h"
#include "sync/davclient.h"
#include "sync/syncengine.h"
#include "sync/syncstore.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <unistd.h>

namespace
{

// Processor time of process `pid` (all its threads), in milliseconds.
double processCpuMs(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    // utime and stime are fields 14 and 15 of the line, 12 and 13 after the name.
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) * 1000.0 /
           double(sysconf(_SC_CLK_TCK));
}

struct Measure {
    double wallMs = 0, ownCpuMs = 0, serverCpuMs = 0;
};

Measure syncOnce(const QString& file, const RadicaleServer& server, const QUrl& book,
                 SyncSummary* summary)
{
    auto db = Database::OpenDatabase(file);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    SyncStore store(db->sql());
    SyncSettings s = store.loadSettings();
    if (!s.configured()) {
        s.server = server.root().toString();
        s.user = server.user();
        s.collection = book.toString();
        s.collectionName = QStringLiteral("bench");
        store.saveSettings(s);
    }
    DavClient client(server.user(), server.password());
    client.setTimeoutMs(600000);
    SyncEngine engine(*rs, store, client);
    Measure m;
    const double cpu0 = cpuMs();
    const double server0 = processCpuMs(server.pid());
    const qint64 t0 = nowNs();
    *summary = engine.run(store.loadSettings());
    m.wallMs = elapsedMs(t0);
    m.ownCpuMs = cpuMs() - cpu0;
    m.serverCpuMs = processCpuMs(server.pid()) - server0;
    return m;
}

void report(const char* what, const Measure& m, const SyncSummary& s)
{
    std::printf("%-48s %9.0f ms wall, Elvarine %7.0f ms CPU, radicale %8.0f ms CPU  (%s)\n", what,
                m.wallMs, m.ownCpuMs, m.serverCpuMs,
                s.complete() ? "complete" : qPrintable(s.error));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int m = argc > 2 ? std::atoi(argv[2]) : 1000;
    if (!RadicaleServer::installed()) {
        std::fprintf(stderr, "radicale is not installed\n");
        return 1;
    }
    RadicaleServer server;
    if (!server.start()) {
        std::fprintf(stderr, "radicale does not start\n");
        return 1;
    }
    CardClient phone(server.root(), server.user(), server.password());
    phone.setTimeoutMs(600000); // the server takes its time to store a whole address book
    QTemporaryDir dir;

    // N cards on the server (put there at once, as a whole address book), an empty file.
    {
        QByteArray all;
        for (int i = 0; i < n; ++i)
            all += QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:card-%1\r\nFN:Prénom%1 "
                                  "Nom%1\r\nN:Nom%1;Prénom%1;;;\r\nTEL;TYPE=VOICE:01 02 03 %1\r\n"
                                  "EMAIL:p%1@exemple.fr\r\nADR:;;%1 rue de la Paix;Paris;;75002;"
                                  "France\r\nNOTE:Carte numéro %1\r\nEND:VCARD\r\n")
                       .arg(i)
                       .toUtf8();
        const QUrl book = server.root().resolved(QUrl(server.user() + QStringLiteral("/down/")));
        const int status =
            phone.request("PUT", book, all, {{"Content-Type", "text/vcard; charset=utf-8"}}).status;
        if (status != 201) {
            std::fprintf(stderr, "could not fill the address book (%d)\n", status);
            return 1;
        }
        const QString file = dir.filePath(QStringLiteral("down.adb"));
        generateAddressFile(file, 0);
        SyncSummary s;
        Measure first = syncOnce(file, server, book, &s);
        report(qPrintable(QStringLiteral("first sync, %1 cards from the server").arg(n)), first, s);
        for (int i = 0; i < 3; ++i) {
            Measure again = syncOnce(file, server, book, &s);
            report(qPrintable(QStringLiteral("nothing changed, %1 records").arg(n)), again, s);
        }
    }

    // M records sent to an empty address book.
    {
        const QUrl book = server.root().resolved(QUrl(server.user() + QStringLiteral("/up/")));
        if (!phone.makeAddressBook(book)) {
            std::fprintf(stderr, "could not make the address book\n");
            return 1;
        }
        const QString file = dir.filePath(QStringLiteral("up.adb"));
        generateAddressFile(file, m);
        SyncSummary s;
        Measure first = syncOnce(file, server, book, &s);
        report(qPrintable(QStringLiteral("first sync, %1 records to the server").arg(m)), first, s);
        std::printf("  %.1f ms per card sent (wall), radicale %.1f ms CPU per card\n",
                    first.wallMs / m, first.serverCpuMs / m);
        Measure again = syncOnce(file, server, book, &s);
        report(qPrintable(QStringLiteral("nothing changed, %1 records").arg(m)), again, s);
    }
    return 0;
}

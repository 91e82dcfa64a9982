// Synchronisation against Debian's radicale and xandikos on this machine: a first
// synchronisation that brings N cards into an empty address file (the whole address book in one
// query, and, to compare, by batches of named cards as multigets), a synchronisation with
// nothing changed, and a first synchronisation that sends M records. Each run prints the wall
// time, the processor time of Elvarine's side and that of the server, so the time can be told
// apart.
//   bench_sync [N=2000] [M=500] [radicale|xandikos]
#include "addressgen.h"
#include "core/recordengine.h"
#include "radicaleserver.h"
#include "sync/qtdavclient.h"
#include "sync/syncengine.h"
#include "sync/syncstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <climits>
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

Measure syncOnce(const QString& file, const DavTestServer& server, const QUrl& book,
                 SyncSummary* summary, const SyncOptions& options = {})
{
    auto db = Database::OpenDatabase(file);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    SyncStore store(db->sql());
    SyncSettings s = store.loadSettings();
    if (!s.configured()) {
        s.server = book.toString();
        s.user = server.user();
        s.collection = book.toString();
        s.collectionName = QStringLiteral("bench");
        store.saveSettings(s);
    }
    QtDavClient client(server.user(), server.password());
    client.setTimeoutMs(600000);
    SyncEngine engine(*rs, store, client, options);
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

void report(const DavTestServer& server, const QString& what, const Measure& m,
            const SyncSummary& s)
{
    std::printf("%-9s %-52s %8.0f ms wall, Elvarine %6.0f ms CPU, server %7.0f ms CPU  (%s)\n",
                qPrintable(server.name()), qPrintable(what), m.wallMs, m.ownCpuMs, m.serverCpuMs,
                s.complete() ? "complete" : qPrintable(s.error));
    std::fflush(stdout);
}

QByteArray benchCard(int i)
{
    return QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:card-%1\r\nFN:Prénom%1 "
                          "Nom%1\r\nN:Nom%1;Prénom%1;;;\r\nTEL;TYPE=VOICE:01 02 03 %1\r\n"
                          "EMAIL:p%1@exemple.fr\r\nADR:;;%1 rue de la Paix;Paris;;75002;"
                          "France\r\nNOTE:Carte numéro %1\r\nEND:VCARD\r\n")
        .arg(i)
        .toUtf8();
}

// N cards in the address book `name`, put there at once as a whole (radicale takes a PUT of
// the collection; xandikos's folder is a git repository, filled and committed).
bool fill(DavTestServer& server, CardClient& phone, const QString& name, int n)
{
    const QUrl book = server.addressBook(name);
    if (auto* x = dynamic_cast<XandikosServer*>(&server)) {
        if (!phone.makeAddressBook(book))
            return false;
        const QString folder = x->folder(name);
        for (int i = 0; i < n; ++i) {
            QFile f(QStringLiteral("%1/card-%2.vcf").arg(folder).arg(i));
            if (!f.open(QIODevice::WriteOnly))
                return false;
            f.write(benchCard(i));
        }
        const auto git = [&folder](const QStringList& args) {
            QProcess p;
            p.setWorkingDirectory(folder);
            p.start(QStringLiteral("git"),
                    QStringList{QStringLiteral("-c"), QStringLiteral("user.name=bench"),
                                QStringLiteral("-c"),
                                QStringLiteral("user.email=bench@exemple.fr")} +
                        args);
            return p.waitForFinished(120000) && p.exitCode() == 0;
        };
        return git({QStringLiteral("add"), QStringLiteral("-A"), QStringLiteral(".")}) &&
               git({QStringLiteral("commit"), QStringLiteral("-q"), QStringLiteral("-m"),
                    QStringLiteral("bench")});
    }
    QByteArray all;
    for (int i = 0; i < n; ++i)
        all += benchCard(i);
    return phone.request("PUT", book, all, {{"Content-Type", "text/vcard; charset=utf-8"}})
               .status == 201;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int m = argc > 2 ? std::atoi(argv[2]) : 500;
    const QString only = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    for (DavServerKind kind : {DavServerKind::Radicale, DavServerKind::Xandikos}) {
        std::unique_ptr<DavTestServer> server = makeDavServer(kind);
        if (!server) {
            std::fprintf(stderr, "server %d not installed: left out\n", int(kind));
            continue;
        }
        if (!only.isEmpty() && !server->name().startsWith(only))
            continue;
        if (!server->start()) {
            std::fprintf(stderr, "%s does not start\n", qPrintable(server->name()));
            return 1;
        }
        // xandikos is measured directly, without the front that asks for the password.
        auto* x = dynamic_cast<XandikosServer*>(server.get());
        const auto direct = [x](QUrl url) {
            if (x)
                url.setPort(x->direct().port());
            return url;
        };
        CardClient phone(server->root(), server->user(), server->password());
        phone.setTimeoutMs(600000); // the server takes its time to store a whole address book
        QTemporaryDir dir;

        // N cards on the server, an empty file: the whole address book in one query, then (to
        // compare) by batches of named cards; then nothing changed.
        if (!fill(*server, phone, QStringLiteral("down"), n)) {
            std::fprintf(stderr, "could not fill the address book\n");
            return 1;
        }
        const QUrl down = direct(server->addressBook(QStringLiteral("down")));
        for (const bool whole : {true, false}) {
            const QString file =
                dir.filePath(whole ? QStringLiteral("whole.adb") : QStringLiteral("batches.adb"));
            generateAddressFile(file, 0);
            SyncOptions options;
            if (!whole)
                options.wholeCollectionFrom = INT_MAX;
            SyncSummary s;
            const Measure first = syncOnce(file, *server, down, &s, options);
            report(*server,
                   QStringLiteral("first sync, %1 cards, %2")
                       .arg(n)
                       .arg(whole ? "one query" : "multigets"),
                   first, s);
            if (!whole)
                continue;
            for (int i = 0; i < 3; ++i) {
                const Measure again = syncOnce(file, *server, down, &s);
                report(*server, QStringLiteral("nothing changed, %1 records").arg(n), again, s);
            }
        }

        // M records sent to an empty address book.
        const QUrl upBook = server->addressBook(QStringLiteral("up"));
        if (!phone.makeAddressBook(upBook)) {
            std::fprintf(stderr, "could not make the address book\n");
            return 1;
        }
        const QString file = dir.filePath(QStringLiteral("up.adb"));
        generateAddressFile(file, m);
        SyncSummary s;
        const Measure first = syncOnce(file, *server, direct(upBook), &s);
        report(*server, QStringLiteral("first sync, %1 records to the server").arg(m), first, s);
        std::printf("          %.1f ms per card sent (wall), server %.1f ms CPU per card\n",
                    first.wallMs / m, first.serverCpuMs / m);
        const Measure again = syncOnce(file, *server, direct(upBook), &s);
        report(*server, QStringLiteral("nothing changed, %1 records").arg(m), again, s);
    }
    return 0;
}

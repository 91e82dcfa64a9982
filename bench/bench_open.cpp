// Opening a large address file up to a ready record set.
#include "addressgen.h"
#include "core/recordengine.h"

#include <QCoreApplication>
#include <QTextStream>
#include <algorithm>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = numberArgument(argc, argv, 1, 100000);
    const QString path = cachedAddressFile(count);
    QTextStream out(stdout);
    std::vector<double> times;
    long memory = 0;
    for (int run = 0; run < 7; ++run) {
        const long before = residentKb();
        const qint64 t0 = nowNs();
        auto db = Database::OpenDatabase(path);
        auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
        rs->MoveFirst();
        (void)rs->Field(0);
        times.push_back(elapsedMs(t0));
        memory = std::max(memory, residentKb() - before);
        if (rs->RecordCount() != count)
            return 1;
    }
    std::sort(times.begin(), times.end());
    out << "open " << count << " records: median " << times[times.size() / 2] << " ms, best "
        << times.front() << " ms, record set memory about " << memory / 1024 << " MB\n";
    return 0;
}

// The main window on a large address file: open and list (beside the sqlite3 program reading
// the same names in order), resident memory, select a line, Actualiser after an edit, and a
// keystroke in the list filter.
//
//   bench_mainwindow [RECORDS]     (100000 by default)
#include "addressgen.h"
#include "benchwindow.h"
#include "core/namelist.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QTextStream>
#include <algorithm>
#include <random>
#include <vector>

namespace
{

// The floor: the sqlite3 program reading every row number, name and first name in order.
double sqliteFloorMs(const QString& file)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    const qint64 t0 = nowNs();
    p.start(QStringLiteral("sqlite3"),
            {file, QStringLiteral("SELECT rowid, Nom, \"Prénom\" FROM Elvarine ORDER BY Nom "
                                  "COLLATE NOCASE, \"Prénom\" COLLATE NOCASE;")});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        return -1;
    return elapsedMs(t0);
}

// One character typed in the filter box: the time the window takes to answer the key, and the
// time until the filtered list is shown (laid out and painted).
void typeInFilter(frmElvarine& w, const QString& text, QTextStream& out)
{
    QLineEdit* box = w.filterBox();
    box->setFocus();
    // What the earlier steps left to the event loop (the list laid out and painted after
    // Actualiser) is done before the first key, as it is long before a user types.
    QApplication::processEvents();
    auto* model = w.list()->model();
    for (const QChar c : text) {
        QEventLoop loop;
        const auto done =
            QObject::connect(model, &QAbstractItemModel::modelReset, &loop, &QEventLoop::quit);
        qint64 t0 = nowNs();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
        const double key = elapsedMs(t0);
        loop.exec();
        QObject::disconnect(done);
        // The list laid out and painted with its new lines.
        w.list()->viewport()->repaint();
        out << "filter keystroke \"" << box->text() << "\": window answers in " << key << " ms, "
            << w.listCount() << " lines shown after " << elapsedMs(t0) << " ms\n";
    }
}

} // namespace

int main(int argc, char** argv)
{
    offscreenUnlessChosen();
    QApplication app(argc, argv);
    const int count = numberArgument(argc, argv, 1, 100000);
    BenchWindow bench(count);
    frmElvarine& w = *bench.w;
    QTextStream out(stdout);

    const double floor = sqliteFloorMs(bench.file);
    const long before = residentKb();
    qint64 t0 = nowNs();
    w.openAddressFile(bench.file);
    app.processEvents();
    const double open = elapsedMs(t0);
    const double floorAfter = sqliteFloorMs(bench.file);
    const double best = std::min(floor, floorAfter);
    out << "open and list " << w.listCount() << " records: " << open << " ms; sqlite3 " << best
        << " ms (ratio " << open / best << ")\n";
    out << "resident memory after opening: " << residentKb() / 1024 << " MB (before "
        << before / 1024 << " MB)\n";
    t0 = nowNs();
    const size_t indexBytes = w.filterIndexBytes();
    out << "filter index read in the background " << elapsedMs(t0)
        << " ms after the list: " << indexBytes / (1024 * 1024) << " MB; resident memory then "
        << residentKb() / 1024 << " MB\n";

    std::mt19937 rng(7);
    std::vector<double> times;
    for (int i = 0; i < 200; ++i) {
        const int index = std::uniform_int_distribution<int>(0, w.listCount() - 1)(rng);
        t0 = nowNs();
        w.setListIndex(index);
        times.push_back(elapsedMs(t0));
    }
    std::sort(times.begin(), times.end());
    out << "select a line: median " << times[times.size() / 2] << " ms, worst " << times.back()
        << " ms\n";

    times.clear();
    for (int i = 0; i < 5; ++i) {
        w.setListIndex(std::uniform_int_distribution<int>(0, w.listCount() - 1)(rng));
        w.cmdUpdate_Click();
        w.setFieldText(FieldBox::Ville, QStringLiteral("Besançon %1").arg(i));
        w.setFieldText(FieldBox::Nom, QStringLiteral("Martin%1").arg(i));
        t0 = nowNs();
        w.cmdRefresh_Click();
        times.push_back(elapsedMs(t0));
    }
    std::sort(times.begin(), times.end());
    out << "Actualiser after one edit: median " << times[times.size() / 2] << " ms, worst "
        << times.back() << " ms\n";

    typeInFilter(w, QStringLiteral("dur"), out);
    out << "resident memory after filtering: " << residentKb() / 1024 << " MB\n";
    return 0;
}

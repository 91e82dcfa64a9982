// The main window on an address file whose record holds one very long single-line value (Notes
// or Nom): opening and listing, showing the record again, and storing it after a change of
// another field. Each size is run in a window of its own.
//
//   bench_longvalue [KILOBYTES...]     (default: 100 1024)
#include "addressgen.h"
#include "benchwindow.h"

#include <QApplication>
#include <QSqlQuery>
#include <QTextStream>

namespace
{

// Lets the window handle what is pending, then paints it at once, as the screen would.
void settle(QWidget& w)
{
    QApplication::processEvents();
    w.repaint();
    QApplication::processEvents();
}

// Gives the generated file's first record the name "Aaron" (first in the list) and a `column`
// of `bytes` characters on one line, starting with "Aaron" too.
void writeLongValue(const QString& path, const QString& column, int bytes)
{
    auto db = Database::OpenDatabase(path);
    QSqlQuery q(db->sql());
    q.exec(QStringLiteral("UPDATE Elvarine SET Nom = 'Aaron' WHERE rowid = 1"));
    q.prepare(QStringLiteral("UPDATE Elvarine SET \"%1\" = ? WHERE rowid = 1").arg(column));
    QString value;
    value.reserve(bytes);
    const QString word = QStringLiteral("Aaron lorem ipsum dolor sit amet ");
    while (value.size() < bytes)
        value += word;
    value.truncate(bytes);
    q.addBindValue(value);
    q.exec();
    q.finish();
    db->Close();
}

} // namespace

int main(int argc, char** argv)
{
    offscreenUnlessChosen();
    QApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QString::fromLocal8Bit(argv[i]).toInt();
    if (sizes.isEmpty())
        sizes = {100, 1024};
    QTextStream out(stdout);
    for (const QString& column : {QStringLiteral("Notes"), QStringLiteral("Nom")}) {
        for (int kb : sizes) {
            BenchWindow bench(1000);
            writeLongValue(bench.file, column, kb * 1024);
            frmElvarine& w = *bench.w;
            qint64 t0 = nowNs();
            w.openAddressFile(bench.file);
            settle(w);
            const double open = elapsedMs(t0);
            // The long record is the list's first line: show another one, then it again.
            w.setListIndex(1);
            settle(w);
            t0 = nowNs();
            w.setListIndex(0);
            settle(w);
            const double show = elapsedMs(t0);
            const bool whole =
                w.fieldText(column == QLatin1String("Notes") ? FieldBox::Notes : FieldBox::Nom)
                    .size() == kb * 1024;
            w.cmdUpdate_Click();
            w.setFieldText(FieldBox::Ville, QStringLiteral("Besançon"));
            t0 = nowNs();
            w.cmdRefresh_Click();
            settle(w);
            const double store = elapsedMs(t0);
            out << column << " of " << kb << " KB: open and list " << open << " ms, show " << show
                << " ms, Actualiser " << store << " ms"
                << (whole ? "" : "  (VALUE NOT SHOWN WHOLE)") << "\n";
            out.flush();
        }
    }
    return 0;
}

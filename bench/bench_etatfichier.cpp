// "Imprimer l'état du fichier" of a generated address file, printed to a PDF file through the
// real printer surface, timed.
//
//   bench_etatfichier [RECORDS] [OUTPUT.pdf]     (10000 records by default)
//
// The records are read through the record engine and selected through a name list in
// alphabetical order, the way the main window walks them.

#include "addressgen.h"
#include "core/addressschema.h"
#include "core/appstate.h"
#include "core/namelist.h"
#include "core/recordengine.h"
#include "core/recordform.h"
#include "core/services.h"
#include "output/recordsheet.h"
#include "printer/qtprintersurface.h"
#include "quietdialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

namespace
{

// The record form over an open address file: the name list in alphabetical order, each entry
// standing for its own record.
class FileRecordForm : public RecordForm
{
public:
    explicit FileRecordForm(Recordset& rs) : m_rs(rs)
    {
        std::vector<QString> lines;
        for (int i = 0; i < rs.RecordCount(); ++i)
            lines.push_back(listLine(rs.nomAt(i), rs.prenomAt(i)));
        m_positions = alphabeticalOrder(lines);
    }
    QString fieldText(FieldBox box) const override
    {
        return m_rs.Field(columnOfBox(box)).toString();
    }
    int listCount() const override { return int(m_positions.size()); }
    int listIndex() const override { return m_index; }
    void setListIndex(int index) override
    {
        m_index = index;
        m_rs.MoveTo(m_positions[size_t(index)]);
    }

private:
    Recordset& m_rs;
    std::vector<int> m_positions;
    int m_index = -1;
};

} // namespace

int main(int argc, char** argv)
{
    offscreenUnlessChosen();
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir dir;
    const QString pdf =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath(QStringLiteral("etat.pdf"));
    const QString adb = dir.filePath(QStringLiteral("bench.adb"));

    QElapsedTimer timer;
    timer.start();
    QFile::copy(cachedAddressFile(count), adb);
    const qint64 generated = timer.restart();

    auto db = Database::OpenDatabase(adb);
    auto rs = db->OpenRecordset(QString::fromUtf16(kTableName));
    FileRecordForm form(*rs);
    const qint64 listed = timer.restart();

    AppState state;
    QuietDialogs dialogs;
    QtPrinterSurface surface;
    surface.setOutputFile(pdf);
    Services services;
    services.dialogs = &dialogs;
    services.printer = &surface;
    bool refreshed = false;
    const bool done = printAllRecordSheets(services, form, [&] { refreshed = true; });
    const qint64 printed = timer.elapsed();

    std::printf("records: %d (file copied in %lld ms, name list in %lld ms)\n", count,
                static_cast<long long>(generated), static_cast<long long>(listed));
    std::printf("etat du fichier: %d lines to %s, %lld KiB, in %.2f s%s\n", count * 13,
                qPrintable(pdf), static_cast<long long>(QFileInfo(pdf).size() / 1024),
                printed / 1000.0, done && refreshed ? "" : " (FAILED)");
    return done && refreshed ? 0 : 1;
}

// The record engine opening any bytes as an address file: the bytes are written to a file,
// which is opened; when it opens, every record is read, searched and one is stored.
#include "core/recordengine.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace
{

QTemporaryDir* g_dir = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The SQL driver plugin is loaded through the application object.
    static QCoreApplication app(*argc, *argv);
    g_dir = new QTemporaryDir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = g_dir->filePath(QStringLiteral("fuzz.adb"));
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    try {
        auto db = Database::OpenDatabase(path);
        auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
        std::vector<int> positions;
        for (int i = 0; i < rs->RecordCount() && i < 64; ++i) {
            positions.push_back(i);
            rs->nomAt(i);
            rs->prenomAt(i);
            try {
                rs->MoveTo(i);
                for (int c = 0; c < kColumnCount; ++c)
                    rs->Field(c);
            } catch (const EngineError&) {
            }
        }
        rs->scanInOrder(positions, 0, {{0, 1}, {11}}, [](int, const QString&) { return true; });
        if (rs->RecordCount() > 0) {
            rs->MoveFirst();
            rs->Edit();
            rs->setField(0, QStringLiteral("Fuzz"));
            rs->Update();
        }
        rs->AddNew();
        rs->setField(1, QStringLiteral("Ajout"));
        rs->Update();
        rs->Requery();
    } catch (const EngineError&) {
    }
    return 0;
}

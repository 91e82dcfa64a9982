#include "addressfiles.h"

#include "core/recordengine.h"

#include <QFile>
#include <QProcess>
#include <QTest>

void makeAddressFile(const QString& path, const QList<QVariantList>& rows)
{
    auto db = Database::CreateDatabase(path);
    db->CreerDATA();
    if (!rows.isEmpty()) {
        auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
        db->sql().transaction(); // one commit for the whole file
        for (const QVariantList& row : rows) {
            rs->AddNew();
            for (int c = 0; c < row.size() && c < kColumnCount; ++c) {
                if (!row[c].isNull())
                    rs->setField(c, row[c]);
            }
            rs->Update();
        }
        db->sql().commit();
    }
    db->Close();
}

QList<QVariantList> readAddressFile(const QString& path)
{
    QList<QVariantList> out;
    auto db = Database::OpenDatabase(path);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    for (int i = 0; i < rs->RecordCount(); ++i) {
        rs->MoveTo(i);
        QVariantList row;
        for (int c = 0; c < kColumnCount; ++c)
            row << rs->Field(c);
        out << row;
    }
    return out;
}

QString runSqlite3(const QString& path, const QString& sql, int* exitCode)
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {path, sql});
    if (!p.waitForFinished(20000))
        qWarning("sqlite3 did not finish");
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool damageRecord(const QString& path, int rowid)
{
    // Long notes spill into pages of their own; the link from one of them to the next is broken.
    runSqlite3(path, QStringLiteral("UPDATE Elvarine SET Notes = printf('%.20000c', 'N') WHERE "
                                    "rowid = %1;")
                         .arg(rowid));
    const int pageSize = runSqlite3(path, QStringLiteral("PRAGMA page_size;")).trimmed().toInt();
    if (pageSize <= 0)
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    const QByteArray bytes = f.readAll();
    const int at = int(bytes.indexOf(QByteArray(pageSize - 4, 'N')));
    if (at <= 0 || at % pageSize != 4) // a whole page of notes after its link
        return false;
    f.seek(at - 4);
    return f.write(QByteArray("\x7f\xff\xff\xff")) == 4; // the link: far past the end
}

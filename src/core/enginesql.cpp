#include "core/enginesql.h"

#include "core/enginemessages.h"

#include <QSqlQuery>

namespace enginesql
{

QString quoted(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

[[noreturn]] void fail(int number, const QString& text)
{
    throw EngineError(number, text);
}

[[noreturn]] void sqlFail(int number, const QString& what, const QSqlError& error)
{
    QString detail = error.databaseText();
    if (detail.isEmpty())
        detail = error.text();
    fail(number, detail.isEmpty() ? what : what + QLatin1String(" (") + detail + QLatin1Char(')'));
}

void exec(QSqlQuery& q, const QString& what, int number)
{
    if (!q.exec())
        sqlFail(number, what, q.lastError());
}

int sqliteCode(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xFF) : -1;
}

bool isBusy(const QSqlError& error)
{
    const int code = sqliteCode(error);
    return code == SQLITE_BUSY_CODE || code == SQLITE_LOCKED_CODE;
}

[[noreturn]] void storeFail(const QString& path, const QString& what, const QSqlError& error)
{
    switch (sqliteCode(error)) {
    case SQLITE_BUSY_CODE:
    case SQLITE_LOCKED_CODE:
        fail(errBusy, busyFileMessage(path));
    case SQLITE_FULL_CODE:
        fail(errDiskFull, diskFullMessage(path));
    case SQLITE_READONLY_CODE:
        fail(errReadOnly, readOnlyFileMessage(path));
    case SQLITE_CORRUPT_CODE:
        fail(errDamagedRecord, damagedRecordMessage(path));
    default:
        sqlFail(errDisk, what, error);
    }
}

[[noreturn]] void readFail(const QString& path, int number, const QString& what,
                           const QSqlError& error)
{
    if (isBusy(error))
        fail(errLocked, lockedFileMessage(path));
    sqlFail(number, what, error);
}

QVariant shownValue(const QVariant& raw)
{
    return raw.isNull() ? QVariant() : QVariant(raw.toString());
}

} // namespace enginesql

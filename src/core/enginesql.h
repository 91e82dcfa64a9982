#pragma once

// What the record engine's files share (recordengine.cpp, recordread.cpp, recordstore.cpp,
// recordbulk.cpp): names quoted for SQL, and the engine's errors made from SQLite's failures.
// Not for use outside the engine.

#include "core/recordengine.h"

#include <QSqlError>
#include <QString>
#include <QVariant>

class QSqlQuery;

namespace enginesql
{

// `name` as an SQL identifier in double quotes.
QString quoted(const QString& name);

[[noreturn]] void fail(int number, const QString& text);
// `what`, followed by SQLite's own words in brackets.
[[noreturn]] void sqlFail(int number, const QString& what, const QSqlError& error);
void exec(QSqlQuery& q, const QString& what, int number = errDisk);

// SQLite's primary result code of a failure (SQLITE_BUSY 5, SQLITE_FULL 13...); -1 when unknown.
int sqliteCode(const QSqlError& error);
constexpr int SQLITE_BUSY_CODE = 5;
constexpr int SQLITE_LOCKED_CODE = 6;
constexpr int SQLITE_READONLY_CODE = 8;
constexpr int SQLITE_CORRUPT_CODE = 11;
constexpr int SQLITE_FULL_CODE = 13;
constexpr int SQLITE_CONSTRAINT_CODE = 19;
// Another connection holds the file.
bool isBusy(const QSqlError& error);

// A failure while storing: the conditions the user can act on get their own error.
[[noreturn]] void storeFail(const QString& path, const QString& what, const QSqlError& error);
// A failure while reading: a lock held by another program is not a damaged file.
[[noreturn]] void readFail(const QString& path, int number, const QString& what,
                           const QSqlError& error);

// The value a field shows: a text, or null.
QVariant shownValue(const QVariant& raw);

} // namespace enginesql

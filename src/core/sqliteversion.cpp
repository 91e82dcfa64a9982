#include "core/sqliteversion.h"

#include <sqlite3.h>

QString sqliteVersionText()
{
    // The library itself answers; the database driver uses this same shared library.
    return QString::fromLatin1(sqlite3_libversion());
}

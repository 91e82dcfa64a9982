#include "fulldisk.h"

#include <sqlite3.h>

namespace
{

sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_vfs;
bool g_full = false;

// The file layer has a few tables of methods (the database and its journal use different
// ones): each is copied once with its writes replaced.
const int kTables = 8;
const sqlite3_io_methods* g_realMethods[kTables] = {};
sqlite3_io_methods g_methods[kTables];
int g_tableCount = 0;

const sqlite3_io_methods* realMethods(sqlite3_file* file)
{
    for (int i = 0; i < g_tableCount; ++i) {
        if (file->pMethods == &g_methods[i])
            return g_realMethods[i];
    }
    return file->pMethods;
}

int fullWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset)
{
    if (g_full)
        return SQLITE_FULL;
    return realMethods(file)->xWrite(file, data, amount, offset);
}

int fullTruncate(sqlite3_file* file, sqlite3_int64 size)
{
    if (g_full)
        return SQLITE_FULL;
    return realMethods(file)->xTruncate(file, size);
}

int fullOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
{
    const int rc = g_real->xOpen(g_real, name, file, flags, outFlags);
    if (rc != SQLITE_OK || !file->pMethods)
        return rc;
    int table = 0;
    while (table < g_tableCount && g_realMethods[table] != file->pMethods)
        ++table;
    if (table == g_tableCount) {
        if (g_tableCount == kTables)
            return rc; // more kinds of files than expected: left as they are
        g_realMethods[table] = file->pMethods;
        g_methods[table] = *file->pMethods;
        g_methods[table].xWrite = fullWrite;
        g_methods[table].xTruncate = fullTruncate;
        ++g_tableCount;
    }
    file->pMethods = &g_methods[table];
    return rc;
}

} // namespace

FullDisk::FullDisk()
{
    if (g_real)
        return;
    g_real = sqlite3_vfs_find(nullptr);
    if (!g_real)
        return;
    g_vfs = *g_real;
    g_vfs.zName = "elvarine-full-disk";
    g_vfs.xOpen = fullOpen;
    sqlite3_vfs_register(&g_vfs, 1);
}

FullDisk::~FullDisk()
{
    g_full = false;
}

void FullDisk::setFull(bool full)
{
    g_full = full;
}

bool FullDisk::isValid() const
{
    return g_real != nullptr;
}

#pragma once

// A disk that fills up on demand, for every SQLite file the process opens from now on: SQLite's
// own file layer, wrapped so that writes fail as on a full disk (SQLITE_FULL) while `full` is
// set. Reading is left alone.
class FullDisk
{
public:
    FullDisk();
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    void setFull(bool full);
    bool isValid() const;
};

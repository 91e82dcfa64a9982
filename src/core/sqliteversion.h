#pragma once

#include <QString>

// Version of the SQLite library the address files are read with, "3.40.1".
QString sqliteVersionText();

#pragma once

#include <QString>

// A whole record copied within the program, for pasting into a new record.
struct CopyBuffer {
    QString FicheCopiee[16];
    int FicheCopieeOK = 0;
};

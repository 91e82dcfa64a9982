#pragma once

#include <QString>

// A folder path ending with the separator, never doubled.
QString AjoutSlash(const QString& folder);
// True when `path` names an existing ordinary file.
bool FichierExiste(const QString& path);

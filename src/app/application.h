#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

// Loads Qt's French translations so its own dialogs and buttons speak French; false when the
// translation file is missing.
bool installFrenchTranslations(QCoreApplication& app);

// The address file named on the program's command line (the arguments left once Qt took its
// own), as an absolute path; empty when none is named.
QString addressFileArgument(const QStringList& arguments);

// The whole program: real services, program-wide state, the main window, the event loop.
int runElvarine(int argc, char** argv);

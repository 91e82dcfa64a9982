#pragma once

#include <QString>

class QCoreApplication;

// Loads Qt's French translations so its own dialogs and buttons speak French; false when the
// translation file is missing.
bool installFrenchTranslations(QCoreApplication& app);

// The whole program: real services, program-wide state, the main window, the event loop. Qt
// takes its own options from `argv`; `startupFile` is the address file named on the command
// line (app/commandline.h), opened at the first activation, or empty.
int runElvarine(int argc, char** argv, const QString& startupFile);

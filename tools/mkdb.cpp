// Makes the start-up database: an empty address table, created by the program's own code.
#include "core/recordengine.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: elvarine-mkdb FILE\n";
        return 2;
    }
    try {
        auto db = Database::CreateDatabase(args[1]);
        db->CreerDATA();
        db->Close();
    } catch (const EngineError& e) {
        QTextStream(stderr) << e.text << "\n";
        return 1;
    }
    return 0;
}

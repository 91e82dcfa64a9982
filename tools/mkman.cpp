// Writes the manual page elvarine(1) from the command line's own table and texts, so that it
// says what --help says.
#include "app/commandline.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: elvarine-mkman FILE.1\n";
        return 2;
    }
    QFile page(args[1]);
    if (!page.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        page.write(commandLineManPage().toUtf8()) < 0 || !page.flush()) {
        QTextStream(stderr) << args[1] << ": " << page.errorString() << "\n";
        return 1;
    }
    return 0;
}

// The start-up bench's floor: a bare Qt main window with a title, nothing else.
#include "startupwatch.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    watchFirstMainWindow();
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Fenêtre"));
    window.resize(640, 480);
    window.show();
    return app.exec();
}

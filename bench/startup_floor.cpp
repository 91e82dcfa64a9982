// The start-up bench's floor: a bare Qt main window with a title, nothing else (watched through
// the same preloaded library as the program).
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Fenêtre"));
    window.resize(640, 480);
    window.show();
    return app.exec();
}

// The start-up bench's floor: a bare Qt main window with a title, nothing else (watched through
// the same preloaded library as the program). With "--text", the same window holding one text
// box: the first text laid out reads the desktop's font configuration, which a window without
// text never does.
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Fenêtre"));
    if (argc > 1 && QByteArray(argv[1]) == "--text")
        window.setCentralWidget(new QLineEdit(QStringLiteral("Dupont")));
    window.resize(640, 480);
    window.show();
    return app.exec();
}

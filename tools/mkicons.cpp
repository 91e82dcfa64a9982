// Renders the application icon, an SVG file, at the PNG sizes of the desktop's icon theme:
//   elvarine-mkicons ICON.svg FOLDER NAME SIZE...
// writes FOLDER/<SIZE>x<SIZE>/apps/NAME.png for each size.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QTextStream>

int main(int argc, char** argv)
{
    // No display is needed to draw into an image.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() < 5) {
        err << "usage: elvarine-mkicons ICON.svg FOLDER NAME SIZE...\n";
        return 2;
    }
    for (qsizetype i = 4; i < args.size(); ++i) {
        bool ok = false;
        const int size = args[i].toInt(&ok);
        if (!ok || size < 1 || size > 4096) {
            err << "wrong size: " << args[i] << "\n";
            return 2;
        }
        // The SVG reader draws the vector image at the size asked, not a scaled bitmap.
        QImageReader reader(args[1], "svg");
        reader.setScaledSize(QSize(size, size));
        QImage image = reader.read();
        if (image.isNull()) {
            err << args[1] << ": " << reader.errorString()
                << " (the Qt SVG image plugin, package libqt6svg6, is needed)\n";
            return 1;
        }
        image = image.convertToFormat(QImage::Format_ARGB32);
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args[2]).arg(size);
        const QString file = folder + QLatin1Char('/') + args[3] + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !image.save(file, "PNG")) {
            err << "cannot write " << file << "\n";
            return 1;
        }
    }
    return 0;
}

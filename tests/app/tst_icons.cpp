#include "app/icons.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QStyle>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

// The sixteen command icons, in toolbar order.
static const char* const commandIcons[] = {
    "new-file",      "open-file",     "print-envelope", "print-label",
    "printer-setup", "quit",          "copy-record",    "paste-record",
    "search",        "search-next",   "add-record",     "delete-record",
    "refresh",       "modify-record", "help",           "about"};

static QImage render(const QIcon& icon, int size)
{
    return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The share of the image's pixels that are not fully transparent.
static double coverage(const QImage& image)
{
    int painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            painted += qAlpha(image.pixel(x, y)) > 0;
    return double(painted) / (image.width() * image.height());
}

class TestIcons : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void rendersEveryIcon_data();
    void rendersEveryIcon();
    void commandIconsAreDistinct();
    void themeIconPreferredWhenTheThemeHasIt();
    void deferredStandardIconsLookTheSame();
};

void TestIcons::initTestCase()
{
    QIcon::setThemeName(QString());
    // ELVARINE_ICON_DUMP=<folder> writes every icon at 32 and 256 px, to look at them.
    const QString dump = qEnvironmentVariable("ELVARINE_ICON_DUMP");
    if (dump.isEmpty())
        return;
    QDir().mkpath(dump);
    QStringList names{QStringLiteral("elvarine")};
    for (const char* name : commandIcons)
        names << QString::fromLatin1(name);
    for (const QString& name : names)
        for (int size : {16, 32, 256})
            render(name == QLatin1String("elvarine") ? applicationIcon() : programIcon(name), size)
                .save(QStringLiteral("%1/%2-%3.png").arg(dump, name).arg(size));
}

void TestIcons::rendersEveryIcon_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name : commandIcons)
        QTest::newRow(name) << QString::fromLatin1(name);
    QTest::newRow("application") << QString();
}

void TestIcons::rendersEveryIcon()
{
    QFETCH(QString, name);
    const QIcon icon = name.isEmpty() ? applicationIcon() : programIcon(name);
    QVERIFY(!icon.isNull());
    for (int size : {16, 32, name.isEmpty() ? 256 : 24}) {
        const QImage image = render(icon, size);
        QCOMPARE(image.size(), QSize(size, size));
        // Missing SVG support gives an empty image, not an error.
        QVERIFY2(coverage(image) > 0.2, qPrintable(QStringLiteral("%1 px").arg(size)));
    }
}

void TestIcons::commandIconsAreDistinct()
{
    QList<QImage> images;
    for (const char* name : commandIcons)
        images << render(programIcon(QString::fromLatin1(name)), 32);
    for (int i = 0; i < images.size(); ++i)
        for (int j = i + 1; j < images.size(); ++j)
            QVERIFY2(images[i] != images[j],
                     qPrintable(QStringLiteral("%1 = %2").arg(commandIcons[i], commandIcons[j])));
}

void TestIcons::themeIconPreferredWhenTheThemeHasIt()
{
    // A one-icon theme: a plain red "edit-find".
    QTemporaryDir themes;
    const QString folder = themes.filePath(QStringLiteral("plain/32x32/actions"));
    QVERIFY(QDir().mkpath(folder));
    QFile index(themes.filePath(QStringLiteral("plain/index.theme")));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=plain\nDirectories=32x32/actions\n\n"
                "[32x32/actions]\nSize=32\nType=Fixed\n");
    index.close();
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(Qt::red);
    QVERIFY(red.save(folder + QStringLiteral("/edit-find.png")));
    QIcon::setThemeSearchPaths({themes.path()});
    QIcon::setThemeName(QStringLiteral("plain"));

    const QImage own = render(programIcon(QStringLiteral("search")), 32);
    QCOMPARE(render(programIcon(QStringLiteral("search"), QStringLiteral("edit-find")), 32)
                 .pixel(16, 16),
             QColor(Qt::red).rgba());
    QCOMPARE(render(programIcon(QStringLiteral("search"), QStringLiteral("edit-find-next")), 32),
             own);
    QCOMPARE(render(programIcon(QStringLiteral("search"), QString()), 32), own);
    QIcon::setThemeName(QString());
}

void TestIcons::deferredStandardIconsLookTheSame()
{
    QStyle* const base = QApplication::style();
    QWidget widget;
    QStyleOption option;
    option.initFrom(&widget);
    const QStyle::StandardPixmap arrows[] = {QStyle::SP_ToolBarHorizontalExtensionButton,
                                             QStyle::SP_ToolBarVerticalExtensionButton};
    QList<QImage> before;
    for (QStyle::StandardPixmap arrow : arrows)
        before << render(base->standardIcon(arrow, &option), 16);
    const QImage close = render(base->standardIcon(QStyle::SP_DialogCloseButton), 16);
    QVERIFY(coverage(before[0]) > 0 && coverage(before[1]) > 0);

    deferStandardIcons();
    QStyle* const style = QApplication::style();
    QVERIFY(style != base);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(render(style->standardIcon(arrows[i], &option), 16), before[i]);
        QCOMPARE(render(style->standardIcon(arrows[i]), 16), before[i]);
    }
    QCOMPARE(render(style->standardIcon(QStyle::SP_DialogCloseButton), 16), close);
    // A toolbar made now draws the arrow of its extension button as before.
    QToolBar bar;
    const auto* extension = bar.findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    QVERIFY(extension);
    QCOMPARE(render(extension->icon(), 16), before[0]);
}

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"

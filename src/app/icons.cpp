#include "icons.h"

#include <QFile>

// The icons live in a static library: its resource must be registered by hand before use.
static void registerIconResource()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    Q_UNUSED(registered);
}

static QIcon ownIcon(const QString& name)
{
    registerIconResource();
    const QString path = QStringLiteral(":/icons/%1.svg").arg(name);
    Q_ASSERT_X(QFile::exists(path), "programIcon", qPrintable(path + QStringLiteral(" missing")));
    return QIcon(path);
}

QIcon programIcon(const QString& name, const QString& themeName)
{
    if (!themeName.isEmpty() && QIcon::hasThemeIcon(themeName))
        return QIcon::fromTheme(themeName);
    return ownIcon(name);
}

QIcon applicationIcon()
{
    return ownIcon(QStringLiteral("elvarine"));
}

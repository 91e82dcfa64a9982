#include "icons.h"

#include <QFile>
#include <QIconEngine>
#include <QPainter>
#include <optional>

namespace
{

// An icon read from its file only when first drawn or measured: starting the program makes the
// menus' and toolbar's icons without loading the SVG engine or parsing a single file, so the
// window shows sooner; what is drawn is the file's icon as before.
class DeferredIconEngine : public QIconEngine
{
public:
    explicit DeferredIconEngine(QString path) : m_path(std::move(path)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("DeferredIconEngine"); }
    QIconEngine* clone() const override { return new DeferredIconEngine(m_path); }

private:
    QIcon& icon()
    {
        if (!m_icon)
            m_icon = QIcon(m_path);
        return *m_icon;
    }

    QString m_path;
    std::optional<QIcon> m_icon;
};

} // namespace

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
    return QIcon(new DeferredIconEngine(path));
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

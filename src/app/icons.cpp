#include "icons.h"

#include <QApplication>
#include <QFile>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>
#include <QWidget>
#include <functional>
#include <optional>

namespace
{

// An icon made only when first drawn or measured: starting the program makes the
// menus' and toolbar's icons without loading the SVG engine or parsing a single file, so the
// window shows sooner; what is drawn is the file's icon as before.
class DeferredIconEngine : public QIconEngine
{
public:
    explicit DeferredIconEngine(std::function<QIcon()> make) : m_make(std::move(make)) {}

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
    QIconEngine* clone() const override { return new DeferredIconEngine(m_make); }

private:
    QIcon& icon()
    {
        if (!m_icon)
            m_icon = m_make();
        return *m_icon;
    }

    std::function<QIcon()> m_make;
    std::optional<QIcon> m_icon;
};

// The application's style, but for the toolbars' extension arrows, which every toolbar makes
// as it is made: the style reads them through Qt's image plug-ins (every one of them is loaded
// to read a PNG), so here they are read when first drawn, from the same style, with the same
// options.
class DeferredIconStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                       const QWidget* widget) const override
    {
        const bool deferred = icon == SP_ToolBarHorizontalExtensionButton ||
                              icon == SP_ToolBarVerticalExtensionButton;
        if (!deferred || (option && option->type != QStyleOption::SO_Default))
            return QProxyStyle::standardIcon(icon, option, widget);
        std::optional<QStyleOption> options;
        if (option)
            options = *option;
        return QIcon(
            new DeferredIconEngine([style = QPointer<QStyle>(baseStyle()), icon, options,
                                    owner = QPointer<QWidget>(const_cast<QWidget*>(widget))] {
                return style ? style->standardIcon(icon, options ? &*options : nullptr, owner)
                             : QIcon();
            }));
    }
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
    return QIcon(new DeferredIconEngine([path] { return QIcon(path); }));
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

void deferStandardIcons()
{
    QApplication::setStyle(new DeferredIconStyle(QApplication::style()));
}

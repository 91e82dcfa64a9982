#include "x11input.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>
#include <xcb/xcb.h>

namespace
{

xcb_connection_t* connection()
{
    auto* x = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x ? x->connection() : nullptr;
}

xcb_atom_t atom(const char* name)
{
    xcb_connection_t* c = connection();
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(c, 0, uint16_t(strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return a;
}

void sendClientMessage(xcb_window_t to, xcb_atom_t type, uint32_t first, uint32_t second)
{
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = to;
    e.type = type;
    e.data.data32[0] = first;
    e.data.data32[1] = second;
    e.data.data32[2] = 0;
    xcb_send_event(connection(), 0, to, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
    xcb_flush(connection());
}

bool xdotool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString windowId(QWidget* window)
{
    return QString::number(window->window()->winId());
}

// Sees the marker that sync() sends itself.
class MarkerFilter : public QAbstractNativeEventFilter
{
public:
    MarkerFilter(xcb_atom_t type, uint32_t serial) : m_type(type), m_serial(serial) {}
    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override
    {
        auto* e = static_cast<xcb_generic_event_t*>(message);
        if ((e->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
            auto* m = reinterpret_cast<xcb_client_message_event_t*>(e);
            if (m->type == m_type && m->data.data32[0] == m_serial) {
                seen = true;
                return true;
            }
        }
        return false;
    }
    bool seen = false;

private:
    xcb_atom_t m_type;
    uint32_t m_serial;
};

} // namespace

namespace x11
{

bool available()
{
    return connection() && !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
}

bool keysTo(QWidget* window, const QString& keys)
{
    return xdotool({QStringLiteral("key"), QStringLiteral("--window"), windowId(window), keys});
}

bool focus(QWidget* window)
{
    // From nowhere first, so the window is told it has the focus even if the X server gave it
    // the focus already (without a window manager, the program's own requests for the focus
    // may come too late and be ignored).
    xcb_set_input_focus(connection(), XCB_INPUT_FOCUS_POINTER_ROOT, XCB_NONE, XCB_CURRENT_TIME);
    free(xcb_get_input_focus_reply(connection(), xcb_get_input_focus(connection()), nullptr));
    return xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId(window)});
}

bool keysFocusing(QWidget* window, const QString& keys)
{
    return focus(window) && xdotool({QStringLiteral("key"), keys});
}

bool click(QWidget* widget)
{
    const QPoint at = widget->mapToGlobal(widget->rect().center());
    return xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(at.x()),
                    QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")});
}

void closeRequest(QWidget* window)
{
    sendClientMessage(xcb_window_t(window->window()->winId()), atom("WM_PROTOCOLS"),
                      atom("WM_DELETE_WINDOW"), XCB_CURRENT_TIME);
}

bool sync()
{
    // A message to a window of the program, sent after everything else: once it is handled,
    // so is every event the server queued for the program before it.
    static uint32_t serial = 0;
    const xcb_atom_t type = atom("ELVARINE_TEST_MARKER");
    MarkerFilter filter(type, ++serial);
    QCoreApplication::instance()->installNativeEventFilter(&filter);
    QWidget* any = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible()) {
            any = w;
            break;
        }
    }
    if (any)
        sendClientMessage(xcb_window_t(any->winId()), type, serial, 0);
    const bool seen = any && QTest::qWaitFor([&filter] { return filter.seen; }, 10000);
    QCoreApplication::instance()->removeNativeEventFilter(&filter);
    return seen;
}

} // namespace x11

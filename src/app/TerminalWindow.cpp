#include "TerminalWindow.h"

#include <QFile>
#include <QGuiApplication>
#include <xcb/xcb.h>

#include <memory>

namespace {
xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    const auto cookie = xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_connection_t* x11Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}
} // namespace

namespace TerminalWindow {

std::expected<quint32, QString> find(qint64 pid, const ParentOf& parentOf, const QList<Window>& windows)
{
    if (windows.isEmpty())
        return std::unexpected(QStringLiteral("Terminal windows can only be found in an X11 session"));
    // A loop in a made-up tree must not hang us; real ones are a few dozen deep at most.
    for (int depth = 0; depth < 256 && pid > 1; ++depth) {
        for (const Window& window : windows)
            if (window.pid == pid)
                return window.id;
        const std::optional<qint64> parent = parentOf(pid);
        if (!parent)
            return std::unexpected(depth == 0
                                       ? QStringLiteral("The session's Claude Code is no longer running")
                                       : QStringLiteral("The session's terminal has gone"));
        pid = *parent;
    }
    return std::unexpected(QStringLiteral(
        "No terminal window found for this session (a Wayland-only terminal or a terminal multiplexer)"));
}

std::optional<qint64> parentFromProc(qint64 pid, const QString& procRoot)
{
    QFile file(QStringLiteral("%1/%2/stat").arg(procRoot).arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // "pid (name) state ppid ...": the name may hold spaces and parentheses, so read after the last ')'.
    const QByteArray stat = file.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 1).simplified().split(' ');
    bool ok = false;
    const qint64 parent = fields.value(1).toLongLong(&ok);
    return ok ? std::optional(parent) : std::nullopt;
}

QList<Window> x11Windows()
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return {};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_atom_t clientList = internAtom(connection, "_NET_CLIENT_LIST");
    const xcb_atom_t wmPid = internAtom(connection, "_NET_WM_PID");
    std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> list(
        xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, root, clientList, XCB_ATOM_WINDOW, 0, 4096), nullptr),
        &free);
    if (!list || list->format != 32)
        return {};
    const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(list.get()));
    const int count = xcb_get_property_value_length(list.get()) / 4;
    QList<xcb_get_property_cookie_t> cookies;
    for (int i = 0; i < count; ++i)
        cookies.append(xcb_get_property(connection, 0, ids[i], wmPid, XCB_ATOM_CARDINAL, 0, 1));
    QList<Window> windows;
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> owner(
            xcb_get_property_reply(connection, cookies[i], nullptr), &free);
        if (owner && owner->format == 32 && xcb_get_property_value_length(owner.get()) >= 4)
            windows.append({ids[i], *static_cast<const quint32*>(xcb_get_property_value(owner.get()))});
    }
    return windows;
}

bool activate(quint32 window)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = internAtom(connection, "_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2; // from a pager: window managers honour it without focus-stealing checks
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
    return true;
}

} // namespace TerminalWindow

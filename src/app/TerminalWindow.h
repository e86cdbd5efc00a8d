#pragma once

#include <QList>
#include <QString>
#include <expected>
#include <functional>
#include <optional>

// Finds and raises the terminal window that runs a session's Claude Code: from the claude process up
// through its parents to the first one that owns a top-level window (_NET_WM_PID).
namespace TerminalWindow {
struct Window
{
    quint32 id = 0;
    qint64 pid = 0;
};
// Nothing when the process does not exist.
using ParentOf = std::function<std::optional<qint64>(qint64 pid)>;

// The window, or why there is none (a sentence for the cat's tooltip).
std::expected<quint32, QString> find(qint64 pid, const ParentOf& parentOf, const QList<Window>& windows);
// The parent pid from <procRoot>/<pid>/stat.
std::optional<qint64> parentFromProc(qint64 pid, const QString& procRoot = QStringLiteral("/proc"));
// The window manager's client list with each window's owner; empty when the display is not X11.
QList<Window> x11Windows();
// Asks the window manager to switch to the window's workspace and raise it.
bool activate(quint32 window);
} // namespace TerminalWindow

#include "DesktopNotifications.h"

#include "Log.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
} // namespace

DesktopNotifications::DesktopNotifications(QDBusConnection connection, QObject* parent)
    : QObject(parent), m_connection(std::move(connection))
{
    // QtDBus has no pointer-to-member form for bus signals.
    m_connection.connect(service, path, interface, QStringLiteral("ActionInvoked"), this,
                         SLOT(onActionInvoked(uint, QString)));
    m_connection.connect(service, path, interface, QStringLiteral("NotificationClosed"), this,
                         SLOT(onNotificationClosed(uint, uint)));
}

void DesktopNotifications::notify(uint replacesId, const QString& summary, const QString& body,
                                  std::function<void(uint)> shown)
{
    if (!m_connection.isConnected()) {
        noteFailure(QStringLiteral("no session bus"));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("org.tabbywatch.Tabbywatch")}};
    call << QStringLiteral("Tabbywatch") << replacesId << QStringLiteral("tabbywatch") << summary << body
         << QStringList{QStringLiteral("default"), QStringLiteral("Show"), QStringLiteral("terminal"),
                        QStringLiteral("Show terminal")}
         << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(m_connection.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, shown = std::move(shown)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isError())
                    noteFailure(reply.error().message());
                else if (shown)
                    shown(reply.value());
            });
}

void DesktopNotifications::close(uint id)
{
    if (!m_connection.isConnected())
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("CloseNotification"));
    call << id;
    m_connection.call(call, QDBus::NoBlock);
}

void DesktopNotifications::onActionInvoked(uint id, const QString& action)
{
    emit actionInvoked(id, action);
}

void DesktopNotifications::onNotificationClosed(uint id, uint)
{
    emit closed(id);
}

void DesktopNotifications::noteFailure(const QString& message)
{
    if (m_failureLogged)
        return;
    m_failureLogged = true;
    logLine(QStringLiteral("⚠️ Desktop notifications are unavailable: ") + message);
}

#pragma once

#include <QDBusConnection>
#include <QObject>
#include <functional>

// The freedesktop.org notification server on the session bus. Every call is asynchronous, so a slow
// or missing server never holds the GUI; without one nothing happens and one line is logged.
class DesktopNotifications : public QObject
{
    Q_OBJECT
public:
    explicit DesktopNotifications(QDBusConnection connection = QDBusConnection::sessionBus(),
                                  QObject* parent = nullptr);

    // Shows a notification whose default action is a click on it; replacesId 0 makes a new one.
    // shown receives the server's id for it.
    void notify(uint replacesId, const QString& summary, const QString& body,
                std::function<void(uint)> shown);
    void close(uint id);

signals:
    void actionInvoked(uint id, const QString& action);
    void closed(uint id);

private slots:
    // Receivers of the server's signals; QtDBus connects them by signature.
    void onActionInvoked(uint id, const QString& action);
    void onNotificationClosed(uint id, uint reason);

private:
    void noteFailure(const QString& message);

    QDBusConnection m_connection;
    bool m_failureLogged = false;
};

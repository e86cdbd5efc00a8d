#pragma once

#include "ClaudeStatus.h"
#include "SessionInstance.h"

#include <QHash>
#include <QObject>
#include <functional>

class DesktopNotifications;
class PreferencesManager;

// Tells the user through a desktop notification when a session turns to needs input or completes,
// each as its switch in the preferences says, unless that session's cat is on screen. One
// notification per session: a later one replaces it.
class SessionNotifier : public QObject
{
    Q_OBJECT
public:
    using CatVisibility = std::function<bool(const QString& sessionId)>;

    SessionNotifier(DesktopNotifications& notifications, const PreferencesManager& preferences,
                    CatVisibility isCatVisible, QObject* parent = nullptr);

    // The sessions as they are now.
    void sessionsChanged(const QHash<QString, SessionInstance>& instances);

    // "<folder> needs your input" and the like; empty for the states that never notify.
    static QString summary(const SessionInstance& instance);

signals:
    // A click on a session's notification.
    void showSessionRequested(const QString& sessionId);
    // Its "Show terminal" action.
    void showTerminalRequested(const QString& sessionId);

private:
    bool wanted(ClaudeStatus status) const;
    void show(const SessionInstance& instance);

    DesktopNotifications& m_notifications;
    const PreferencesManager& m_preferences;
    CatVisibility m_isCatVisible;
    QHash<QString, ClaudeStatus> m_statuses;
    QHash<QString, uint> m_notificationIds; // by session
};

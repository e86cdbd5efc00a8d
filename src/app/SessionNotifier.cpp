#include "SessionNotifier.h"

#include "DesktopNotifications.h"
#include "PreferencesManager.h"

#include <QPointer>

SessionNotifier::SessionNotifier(DesktopNotifications& notifications, const PreferencesManager& preferences,
                                 CatVisibility isCatVisible, QObject* parent)
    : QObject(parent), m_notifications(notifications), m_preferences(preferences),
      m_isCatVisible(std::move(isCatVisible))
{
    connect(&m_notifications, &DesktopNotifications::actionInvoked, this,
            [this](uint id, const QString& action) {
                const QString sessionId = m_notificationIds.key(id);
                if (sessionId.isEmpty())
                    return;
                if (action == u"default")
                    emit showSessionRequested(sessionId);
                else if (action == u"terminal")
                    emit showTerminalRequested(sessionId);
            });
    // A closed notification cannot be replaced; the next one is new.
    connect(&m_notifications, &DesktopNotifications::closed, this,
            [this](uint id) { m_notificationIds.remove(m_notificationIds.key(id)); });
}

QString SessionNotifier::summary(const SessionInstance& instance)
{
    switch (instance.status) {
    case ClaudeStatus::needsInput:
        return QStringLiteral("%1 needs your input").arg(instance.displayName());
    case ClaudeStatus::completed:
        return QStringLiteral("%1 has completed").arg(instance.displayName());
    default:
        return {};
    }
}

bool SessionNotifier::wanted(ClaudeStatus status) const
{
    return (status == ClaudeStatus::needsInput && m_preferences.notifyWhenNeedsInput()) ||
           (status == ClaudeStatus::completed && m_preferences.notifyWhenCompleted());
}

void SessionNotifier::sessionsChanged(const QHash<QString, SessionInstance>& instances)
{
    for (auto it = m_statuses.begin(); it != m_statuses.end();) {
        if (instances.contains(it.key())) {
            ++it;
            continue;
        }
        // A session that is gone leaves no notification behind.
        if (const uint id = m_notificationIds.take(it.key()))
            m_notifications.close(id);
        it = m_statuses.erase(it);
    }
    for (const SessionInstance& instance : instances) {
        const auto previous = m_statuses.constFind(instance.sessionId);
        const bool turned = previous == m_statuses.cend() || *previous != instance.status;
        m_statuses.insert(instance.sessionId, instance.status);
        if (turned && wanted(instance.status) && !(m_isCatVisible && m_isCatVisible(instance.sessionId)))
            show(instance);
    }
}

void SessionNotifier::show(const SessionInstance& instance)
{
    const QString body = QStringLiteral("%1 · %2").arg(
        claudeStatusDisplayName(instance.status), instance.cwd.isEmpty() ? instance.title : instance.cwd);
    m_notifications.notify(m_notificationIds.value(instance.sessionId), summary(instance), body,
                           [self = QPointer(this), sessionId = instance.sessionId](uint id) {
                               if (self && self->m_statuses.contains(sessionId))
                                   self->m_notificationIds.insert(sessionId, id);
                           });
}

#include "StatusViewModel.h"

#include "LayoutMetrics.h"
#include "MultiSessionManager.h"
#include "QmlShared.h"
#include "StatusManager.h"

StatusViewModel::StatusViewModel(StatusManager& statusManager, MultiSessionManager& sessionManager,
                                 QObject* parent)
    : QObject(parent), m_statusManager(statusManager), m_sessionManager(sessionManager),
      m_status(statusManager.currentStatus())
{
    connect(&m_statusManager, &StatusManager::currentStatusChanged, this, &StatusViewModel::update);
    connect(&m_sessionManager, &MultiSessionManager::instancesChanged, this, &StatusViewModel::update);
    update();
}

void StatusViewModel::update()
{
    ClaudeStatus status = m_statusManager.currentStatus();
    if (const auto& sessions = m_sessionManager.instances(); sessions.size() > 1) {
        QList<ClaudeStatus> states;
        for (const SessionInstance& session : sessions)
            states.append(session.status);
        status = mostUrgentStatus(states);
    }
    // The views load a video on every change: tell them only of real ones.
    if (status == m_status)
        return;
    m_status = status;
    emit statusChanged();
}

StatusViewModel* StatusViewModel::create(QQmlEngine*, QJSEngine* engine)
{
    return QmlShared<StatusViewModel>::create(engine);
}

ClaudeStatus StatusViewModel::status() const
{
    return m_status;
}

QString StatusViewModel::statusName() const
{
    return claudeStatusDisplayName(m_status);
}

QColor StatusViewModel::statusColor() const
{
    return LayoutMetrics::stateColor(m_status);
}

void StatusViewModel::startMonitoring()
{
    m_statusManager.startMonitoring();
}

void StatusViewModel::catClicked()
{
    if (m_statusManager.currentStatus() == ClaudeStatus::completed)
        m_statusManager.acknowledgeCompletion();
}

#include "StatusViewModel.h"

#include "LayoutMetrics.h"
#include "QmlShared.h"
#include "StatusManager.h"

StatusViewModel::StatusViewModel(StatusManager& statusManager, QObject* parent)
    : QObject(parent), m_statusManager(statusManager)
{
    connect(&m_statusManager, &StatusManager::currentStatusChanged, this, &StatusViewModel::statusChanged);
}

StatusViewModel* StatusViewModel::create(QQmlEngine*, QJSEngine* engine)
{
    return QmlShared<StatusViewModel>::create(engine);
}

ClaudeStatus StatusViewModel::status() const
{
    return m_statusManager.currentStatus();
}

QString StatusViewModel::statusName() const
{
    return claudeStatusDisplayName(m_statusManager.currentStatus());
}

QColor StatusViewModel::statusColor() const
{
    return LayoutMetrics::stateColor(m_statusManager.currentStatus());
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

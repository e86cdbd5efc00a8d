#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <optional>

namespace ClaudeStatusType {
Q_NAMESPACE
// QML reads only enumerators that begin with a capital, hence the second spelling of each state.
enum class ClaudeStatus
{
    idle,
    working,
    needsInput,
    completed,
    Idle = idle,
    Working = working,
    NeedsInput = needsInput,
    Completed = completed,
};
Q_ENUM_NS(ClaudeStatus)
} // namespace ClaudeStatusType
using ClaudeStatusType::ClaudeStatus;

// The text exchanged in the status files; matched exactly, no trimming or case folding.
std::optional<ClaudeStatus> claudeStatusFromText(QStringView text);
QString claudeStatusText(ClaudeStatus status);
QString claudeStatusDisplayName(ClaudeStatus status);

// What one cat shows for several live sessions: the state that most needs the user (needs input, then
// working, then completed, then ready). Ready when there are none.
ClaudeStatus mostUrgentStatus(const QList<ClaudeStatus>& statuses);

#include "ClaudeStatus.h"

std::optional<ClaudeStatus> claudeStatusFromText(QStringView text)
{
    if (text == u"idle")
        return ClaudeStatus::idle;
    if (text == u"working")
        return ClaudeStatus::working;
    if (text == u"needs_input")
        return ClaudeStatus::needsInput;
    if (text == u"completed")
        return ClaudeStatus::completed;
    return std::nullopt;
}

QString claudeStatusText(ClaudeStatus status)
{
    switch (status) {
    case ClaudeStatus::idle:
        return QStringLiteral("idle");
    case ClaudeStatus::working:
        return QStringLiteral("working");
    case ClaudeStatus::needsInput:
        return QStringLiteral("needs_input");
    case ClaudeStatus::completed:
        return QStringLiteral("completed");
    }
    Q_UNREACHABLE();
}

QString claudeStatusDisplayName(ClaudeStatus status)
{
    switch (status) {
    case ClaudeStatus::idle:
        return QStringLiteral("Ready");
    case ClaudeStatus::working:
        return QStringLiteral("Working...");
    case ClaudeStatus::needsInput:
        return QStringLiteral("Needs Input");
    case ClaudeStatus::completed:
        return QStringLiteral("Completed!");
    }
    Q_UNREACHABLE();
}

ClaudeStatus mostUrgentStatus(const QList<ClaudeStatus>& statuses)
{
    static constexpr ClaudeStatus byUrgency[] = {ClaudeStatus::needsInput, ClaudeStatus::working,
                                                 ClaudeStatus::completed};
    for (ClaudeStatus status : byUrgency)
        if (statuses.contains(status))
            return status;
    return ClaudeStatus::idle;
}

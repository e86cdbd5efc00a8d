#pragma once

#include <QMetaType>
#include <QString>
#include <optional>

enum class ClaudeStatus
{
    idle,
    working,
    needsInput,
    completed,
};

// The text exchanged in the status files; matched exactly, no trimming or case folding.
std::optional<ClaudeStatus> claudeStatusFromText(QStringView text);
QString claudeStatusText(ClaudeStatus status);
QString claudeStatusDisplayName(ClaudeStatus status);

Q_DECLARE_METATYPE(ClaudeStatus)

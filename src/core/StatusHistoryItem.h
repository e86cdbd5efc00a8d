#pragma once

#include "ClaudeStatus.h"

#include <QDateTime>
#include <QUuid>
#include <optional>

struct StatusHistoryItem
{
    QUuid id;
    ClaudeStatus status = ClaudeStatus::idle;
    // When the status manager applied the state, not the file's own timestamp.
    QDateTime timestamp;
    std::optional<QString> tool;

    bool operator==(const StatusHistoryItem&) const = default;
};

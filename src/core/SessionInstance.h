#pragma once

#include "ClaudeStatus.h"
#include "SessionStatusUpdate.h"

#include <QDateTime>
#include <QString>
#include <QUuid>
#include <optional>

struct SessionInstance
{
    QString sessionId;
    ClaudeStatus status = ClaudeStatus::idle;
    QString title;
    QString cwd;
    QDateTime lastUpdate;
    std::optional<QString> transcriptPath;
    std::optional<QUuid> selectedSkinId;
    std::optional<int> sessionNumber;

    // The folder's name, with " (n)" when it is the n-th session (n >= 2) in that folder.
    QString displayName() const;

    bool operator==(const SessionInstance&) const = default;
};

// Nothing when the status text is not one of the four states. A bad timestamp becomes `now`.
std::optional<SessionInstance> makeSessionInstance(const SessionStatusUpdate& update,
                                                   const QDateTime& now = QDateTime::currentDateTimeUtc());

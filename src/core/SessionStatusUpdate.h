#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The contents of one file in the sessions folder.
struct SessionStatusUpdate
{
    QString session_id;
    QString status;
    std::optional<QString> title;
    std::optional<QString> cwd;
    std::optional<QString> transcript_path;
    QString timestamp;

    static std::optional<SessionStatusUpdate> decode(const QByteArray& bytes);

    bool operator==(const SessionStatusUpdate&) const = default;
};

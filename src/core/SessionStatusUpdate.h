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
    // Id of the Claude Code process, written by newer hooks. Read leniently: anything but a positive
    // integer is taken as absent, so a file from another writer never fails over it.
    std::optional<qint64> claude_pid;

    static std::optional<SessionStatusUpdate> decode(const QByteArray& bytes);

    bool operator==(const SessionStatusUpdate&) const = default;
};

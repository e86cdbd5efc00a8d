#pragma once

#include "ClaudeStatus.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

// What one of Claude Code's own per-process files (<config>/sessions/<pid>.json) says about the
// process and its screen. The format is the client's internal one: only the fields below are read, and
// a field of another type or an unknown value counts as absent.
struct ClaudeSessionRecord
{
    enum class ScreenStatus
    {
        idle,    // the input prompt
        busy,    // thinking or running a tool
        waiting, // a dialog waits for the user
        shell,   // briefly, after Esc in a tool
    };

    qint64 pid = 0;
    QString sessionId;
    // Clock ticks from boot to the process's start, as in /proc/<pid>/stat.
    std::optional<quint64> procStart;
    // Absent while the client starts, and for a value this program does not know.
    std::optional<ScreenStatus> status;
    std::optional<QString> waitingFor;
    std::optional<QDateTime> updatedAt;
    std::optional<QDateTime> statusUpdatedAt;
    // Which pid namespace the pid belongs to, e.g. "linux:<id>:pid:[4026531836]".
    std::optional<QString> pidDomain;
    // The file's modification time, filled in by whoever read the file.
    QDateTime modified;

    // Nothing unless the bytes are a JSON object with a usable pid and a non-empty sessionId.
    static std::optional<ClaudeSessionRecord> parse(const QByteArray& bytes);

    // When the screen last changed: statusUpdatedAt, else updatedAt, else the file's time.
    QDateTime statusChangedAt() const;

    // What the cat shows for this screen, given our hook's last state of the session and when the hook
    // wrote it. Nothing when the file says nothing about the screen: the hooks alone decide then. An
    // idle prompt after a completion that the Stop hook wrote later than the screen changed keeps the
    // celebration.
    std::optional<ClaudeStatus> shownStatus(ClaudeStatus hookStatus, const QDateTime& hookTime) const;

    static QString screenStatusText(ScreenStatus status);

    bool operator==(const ClaudeSessionRecord&) const = default;
};

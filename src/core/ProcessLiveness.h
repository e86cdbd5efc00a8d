#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

// Whether a process still runs, asked of the kernel without touching the process.
class ProcessLiveness
{
public:
    enum class State
    {
        running,
        exited,
        unknown, // not a usable process id, or the kernel would not say
    };

    // kill(pid, 0) plus a look at /proc for zombies: a killed process whose parent has not reaped it yet
    // is as gone as one that was reaped.
    static State probe(qint64 pid);
    // Field 22 of /proc/<pid>/stat: clock ticks from boot to the process's start. Together with the pid
    // it names one process; a pid reused by another process has another start time.
    static std::optional<quint64> startTime(qint64 pid);
    // Our own pid namespace as /proc/self/ns/pid names it ("pid:[4026531836]"); empty when unknown.
    static QString pidNamespace();
};

// The sessions manager asks through this, so a caller can put another check in its place.
using ProcessProbe = std::function<ProcessLiveness::State(qint64 pid)>;

#pragma once

#include <QtGlobal>
#include <functional>

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
};

// The sessions manager asks through this, so a caller can put another check in its place.
using ProcessProbe = std::function<ProcessLiveness::State(qint64 pid)>;

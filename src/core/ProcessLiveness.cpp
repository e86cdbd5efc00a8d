#include "ProcessLiveness.h"

#include <QByteArray>
#include <QList>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace {
// The fields of /proc/<pid>/stat from the third (the state letter) on, or nothing when it cannot be
// read. The command name in parentheses may itself hold ") ", so they start after the last one.
std::optional<QList<QByteArray>> procStatFields(qint64 pid)
{
    char path[48];
    std::snprintf(path, sizeof path, "/proc/%lld/stat", static_cast<long long>(pid));
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char buffer[1024];
    const ssize_t size = ::read(fd, buffer, sizeof buffer - 1);
    ::close(fd);
    if (size <= 0)
        return std::nullopt;
    buffer[size] = '\0';
    const char* close = std::strrchr(buffer, ')');
    if (!close || close[1] != ' ')
        return std::nullopt;
    return QByteArray(close + 2).trimmed().split(' ');
}

bool usablePid(qint64 pid)
{
    return pid >= 1 && pid <= std::numeric_limits<pid_t>::max();
}
} // namespace

ProcessLiveness::State ProcessLiveness::probe(qint64 pid)
{
    if (!usablePid(pid))
        return State::unknown;
    if (::kill(pid_t(pid), 0) != 0) {
        if (errno == ESRCH)
            return State::exited;
        // EPERM: it exists but belongs to someone else.
        return errno == EPERM ? State::running : State::unknown;
    }
    const auto fields = procStatFields(pid);
    const char state = fields && !fields->isEmpty() && !fields->first().isEmpty() ? fields->first().at(0) : 0;
    return state == 'Z' || state == 'X' ? State::exited : State::running;
}

std::optional<quint64> ProcessLiveness::startTime(qint64 pid)
{
    const auto fields = usablePid(pid) ? procStatFields(pid) : std::nullopt;
    if (!fields || fields->size() < 20)
        return std::nullopt;
    bool ok = false;
    const quint64 ticks = fields->at(19).toULongLong(&ok);
    return ok ? std::optional(ticks) : std::nullopt;
}

QString ProcessLiveness::pidNamespace()
{
    char target[64];
    const ssize_t size = ::readlink("/proc/self/ns/pid", target, sizeof target - 1);
    return size > 0 ? QString::fromLatin1(target, size) : QString();
}

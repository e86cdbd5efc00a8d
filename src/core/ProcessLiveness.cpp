#include "ProcessLiveness.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace {
// The state letter of /proc/<pid>/stat, or 0 when it cannot be read. The command name in parentheses
// may itself hold ") ", so the letter is found after the last closing parenthesis.
char procState(qint64 pid)
{
    char path[48];
    std::snprintf(path, sizeof path, "/proc/%lld/stat", static_cast<long long>(pid));
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char buffer[512];
    const ssize_t size = ::read(fd, buffer, sizeof buffer - 1);
    ::close(fd);
    if (size <= 0)
        return 0;
    buffer[size] = '\0';
    const char* close = std::strrchr(buffer, ')');
    if (!close || close[1] != ' ')
        return 0;
    return close[2];
}
} // namespace

ProcessLiveness::State ProcessLiveness::probe(qint64 pid)
{
    if (pid < 1 || pid > std::numeric_limits<pid_t>::max())
        return State::unknown;
    if (::kill(pid_t(pid), 0) != 0) {
        if (errno == ESRCH)
            return State::exited;
        // EPERM: it exists but belongs to someone else.
        return errno == EPERM ? State::running : State::unknown;
    }
    const char state = procState(pid);
    return state == 'Z' || state == 'X' ? State::exited : State::running;
}

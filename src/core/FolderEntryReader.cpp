#include "FolderEntryReader.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<QByteArray> FolderEntryReader::read(int directoryFd, const Entry& entry, qint64 maxSize,
                                                  QDateTime& modDate)
{
    // Opening a device node can have effects of its own, so only what looks like a regular file is
    // opened at all; the check after opening closes the gap to a file swapped in meanwhile.
    if (entry.type != DT_REG) {
        struct stat info
        {};
        if (entry.type != DT_UNKNOWN ||
            ::fstatat(directoryFd, entry.name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode))
            return std::nullopt;
    }
    const int fd =
        ::openat(directoryFd, entry.name.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info
    {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxSize) {
        ::close(fd);
        return std::nullopt;
    }
    modDate = QDateTime::fromMSecsSinceEpoch(
        qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000, Qt::UTC);
    QByteArray bytes(qsizetype(info.st_size) + 1, Qt::Uninitialized);
    qsizetype total = 0;
    while (total < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + total, size_t(bytes.size() - total));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        total += got;
    }
    ::close(fd);
    // Grown past the limit while we read: a writer is busy with something else.
    if (total > maxSize)
        return std::nullopt;
    bytes.truncate(total);
    return bytes;
}

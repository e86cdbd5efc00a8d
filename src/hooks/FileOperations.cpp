#include "FileOperations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace FileOperations {
namespace {
QString reason(int error)
{
    return QString::fromStdString(std::generic_category().message(error));
}

std::unexpected<QString> failure(const QString& what, const QString& path, int error)
{
    return std::unexpected(
        QStringLiteral("%1 %2: %3").arg(what, QDir::toNativeSeparators(path), reason(error)));
}
} // namespace

std::expected<QByteArray, QString> readFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failure(QStringLiteral("Could not read"), path, errno);
    QByteArray bytes;
    char buffer[16384];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return failure(QStringLiteral("Could not read"), path, error);
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    ::close(fd);
    return bytes;
}

std::expected<void, QString> makePath(const QString& path, mode_t mode)
{
    // Walk down from the root so that the error names the component that failed.
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QStringList parts = absolute.split(u'/', Qt::SkipEmptyParts);
    QString current;
    for (const QString& part : parts) {
        current += u'/' + part;
        const QByteArray name = QFile::encodeName(current);
        struct stat info
        {};
        if (::stat(name.constData(), &info) == 0) {
            if (!S_ISDIR(info.st_mode))
                return failure(QStringLiteral("Could not create folder"), absolute, ENOTDIR);
            continue;
        }
        if (::mkdir(name.constData(), mode) != 0 && errno != EEXIST)
            return failure(QStringLiteral("Could not create folder"), current, errno);
    }
    return {};
}

std::expected<void, QString> replaceFile(const QString& path, const QByteArray& bytes, mode_t mode)
{
    const QFileInfo target(path);
    QByteArray temporary = QFile::encodeName(target.absolutePath() + QStringLiteral("/.") +
                                             target.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return failure(QStringLiteral("Could not create a temporary file in"), target.absolutePath(), errno);

    const auto abandon = [&](int error) {
        ::close(fd);
        ::unlink(temporary.constData());
        return failure(QStringLiteral("Could not write"), path, error);
    };
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return abandon(errno);
        data += n;
        left -= n;
    }
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)
        return abandon(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return failure(QStringLiteral("Could not write"), path, error);
    }
    if (::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return failure(QStringLiteral("Could not replace"), path, error);
    }
    // Make the rename itself durable; a failure here changes nothing the user could see.
    const int directory =
        ::open(QFile::encodeName(target.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        ::fsync(directory);
        ::close(directory);
    }
    return {};
}

std::expected<void, QString> removeFile(const QString& path)
{
    if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
        return failure(QStringLiteral("Could not remove"), path, errno);
    return {};
}

std::expected<mode_t, QString> fileMode(const QString& path)
{
    struct stat info
    {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return failure(QStringLiteral("Could not read"), path, errno);
    return mode_t(info.st_mode & 07777);
}

mode_t newFileMode()
{
    // umask() can only be read by setting it, which would race with other threads creating files;
    // the kernel reports it in /proc instead.
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(0666 & ~mask);
            }
        }
    }
    return 0644;
}

} // namespace FileOperations

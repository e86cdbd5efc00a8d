#include "FileMonitor.h"

#include "Log.h"

#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString FileMonitorError::text() const
{
    if (kind == fileNotFound)
        return QStringLiteral("fileNotFound");
    return QStringLiteral("cannotOpenFile(%1)").arg(underlying.value_or(QStringLiteral("unknown error")));
}

std::expected<std::unique_ptr<FileMonitor>, FileMonitorError> FileMonitor::create(const QString& path)
{
    if (!QFileInfo::exists(path))
        return std::unexpected(FileMonitorError{FileMonitorError::fileNotFound, std::nullopt});

    // Non-blocking so that a FIFO put in the file's place cannot stall the event loop; only a regular
    // file is accepted.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::unexpected(
            FileMonitorError{FileMonitorError::cannotOpenFile, QString::fromLocal8Bit(std::strerror(errno))});
    struct stat info
    {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::unexpected(
            FileMonitorError{FileMonitorError::cannotOpenFile, QStringLiteral("not a regular file")});
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        const QString reason = file->errorString();
        ::close(fd);
        return std::unexpected(FileMonitorError{FileMonitorError::cannotOpenFile, reason});
    }
    return std::unique_ptr<FileMonitor>(new FileMonitor(path, std::move(file)));
}

FileMonitor::FileMonitor(QString path, std::unique_ptr<QFile> file)
    : m_path(std::move(path)), m_fileHandle(std::move(file))
{
    // inotify resolves the path once, so the watch follows the same file as the handle.
    m_source.addPath(m_path);
    connect(&m_source, &QFileSystemWatcher::fileChanged, this, &FileMonitor::readFile);
}

FileMonitor::~FileMonitor()
{
    m_source.disconnect(this);
    if (m_fileHandle)
        m_fileHandle->close();
}

bool FileMonitor::pathNamesHeldFile() const
{
    struct stat held
    {};
    struct stat named
    {};
    return ::fstat(m_fileHandle->handle(), &held) == 0 &&
           ::stat(QFile::encodeName(m_path).constData(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

void FileMonitor::readFile()
{
    if (!m_fileHandle || m_detached)
        return;
    // An unlink changes the held file's link count, which arrives here as a change event.
    if (!pathNamesHeldFile()) {
        m_detached = true;
        m_source.disconnect(this);
        emit detached();
        return;
    }
    if (!m_fileHandle->seek(0)) {
        logLine(QStringLiteral("Error reading status file: ") + m_fileHandle->errorString());
        emit didReadStatusUpdate(std::nullopt);
        return;
    }
    const QByteArray bytes = m_fileHandle->read(maxFileSize + 1);
    if (bytes.size() > maxFileSize) {
        emit didReadStatusUpdate(std::nullopt);
        return;
    }
    emit didReadStatusUpdate(StatusUpdate::decode(bytes));
}

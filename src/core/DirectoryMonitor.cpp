#include "DirectoryMonitor.h"

#include "FolderEntryReader.h"
#include "Log.h"
#include "TextFormat.h"

#include <QFile>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

using FolderEntryReader::Entry;

QString DirectoryMonitorError::text() const
{
    if (kind == cannotOpenDirectory)
        return QStringLiteral("cannotOpenDirectory");
    return QStringLiteral("cannotCreateDirectory(%1)")
        .arg(underlying.value_or(QStringLiteral("unknown error")));
}

bool DirectoryMonitor::isSessionKey(const QString& key)
{
    return !key.isEmpty() && !key.startsWith(u'_') && !key.contains(u'/') && !key.contains(QChar(u'\0'));
}

std::expected<std::unique_ptr<DirectoryMonitor>, DirectoryMonitorError>
DirectoryMonitor::create(const QString& directoryPath, std::chrono::milliseconds pollInterval)
{
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(directoryPath).toStdString(), error);
    if (error)
        return std::unexpected(DirectoryMonitorError{DirectoryMonitorError::cannotCreateDirectory,
                                                     QString::fromLocal8Bit(error.message())});
    // Proves that the folder can be opened and listed before we promise to watch it.
    const int fd = ::open(QFile::encodeName(directoryPath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::unexpected(
            DirectoryMonitorError{DirectoryMonitorError::cannotOpenDirectory, std::nullopt});
    ::close(fd);

    std::unique_ptr<DirectoryMonitor> monitor(new DirectoryMonitor(directoryPath, pollInterval));
    monitor->watchDirectory();
    monitor->scanDirectory();
    monitor->m_pollTimer.start();
    return monitor;
}

DirectoryMonitor::DirectoryMonitor(QString directoryPath, std::chrono::milliseconds pollInterval)
    : m_directoryPath(std::move(directoryPath))
{
    m_eventScan.setSingleShot(true);
    m_eventScan.setInterval(0);
    connect(&m_eventScan, &QTimer::timeout, this, &DirectoryMonitor::scanDirectory);
    connect(&m_source, &QFileSystemWatcher::directoryChanged, &m_eventScan, qOverload<>(&QTimer::start));
    m_pollTimer.setInterval(pollInterval);
    connect(&m_pollTimer, &QTimer::timeout, this, &DirectoryMonitor::scanDirectory);
}

DirectoryMonitor::~DirectoryMonitor()
{
    m_pollTimer.stop();
    m_eventScan.stop();
    m_source.disconnect(this);
}

void DirectoryMonitor::watchDirectory()
{
    // The kernel drops the watch when the folder is deleted; a recreated folder is watched again. When
    // no watch can be had (the inotify limit reached), the poll alone still finds every change.
    if (m_source.directories().isEmpty())
        m_source.addPath(m_directoryPath);
}

std::optional<DirectoryMonitor::KnownSession> DirectoryMonitor::knownSession(const QString& key) const
{
    const auto it = m_knownSessions.constFind(key);
    if (it == m_knownSessions.constEnd())
        return std::nullopt;
    return *it;
}

void DirectoryMonitor::rescan()
{
    logLine(QStringLiteral("🔄 Rescan triggered - clearing %1 known sessions").arg(m_knownSessions.size()));
    m_knownSessions.clear();
    scanDirectory();
}

void DirectoryMonitor::forget(const QString& key)
{
    m_knownSessions.remove(key);
}

void DirectoryMonitor::scanDirectory()
{
    DIR* directory = ::opendir(QFile::encodeName(m_directoryPath).constData());
    if (!directory) {
        // Once per outage, not once a second.
        if (!m_listingFailed)
            logLine(QStringLiteral("⚠️ Could not read sessions directory"));
        m_listingFailed = true;
        return;
    }
    m_listingFailed = false;
    watchDirectory();

    // Sorted, so that the sessions present at start-up are numbered the same way every time.
    std::vector<Entry> entries;
    while (const dirent* entry = ::readdir(directory)) {
        QByteArray name(entry->d_name);
        if (name.endsWith(".json") && name.size() > 5 && !name.startsWith('_'))
            entries.push_back(Entry{std::move(name), entry->d_type});
    }
    std::sort(entries.begin(), entries.end());

    QSet<QString> present;
    present.reserve(qsizetype(entries.size()));
    const int directoryFd = ::dirfd(directory);
    for (const Entry& entry : entries) {
        const QString key = QFile::decodeName(entry.name.first(entry.name.size() - 5));
        // Before reading, so that a file that fails to read on this scan is not taken as removed.
        present.insert(key);

        QDateTime modDate;
        const auto bytes = FolderEntryReader::read(directoryFd, entry, maxSessionFileSize, modDate);
        if (!bytes)
            continue;
        const auto update = SessionStatusUpdate::decode(*bytes);
        if (!update)
            continue;
        // Removals are reported by file name and applied by session id, and a dismissal deletes the file
        // named after the id: a record naming another session is not this file's session.
        if (update->session_id != key)
            continue;
        const auto instance = makeSessionInstance(*update);
        if (!instance)
            continue;
        const QString status = claudeStatusText(instance->status);

        auto known = m_knownSessions.find(key);
        if (known == m_knownSessions.end()) {
            m_knownSessions.insert(key, KnownSession{modDate, status, update->claude_pid});
            emit sessionAdded(*instance);
            continue;
        }
        known->claudePid = update->claude_pid;
        if (known->status == status) {
            if (modDate > known->modDate)
                known->modDate = modDate;
            continue;
        }
        const QString oldStatus = known->status;
        known->modDate = modDate;
        known->status = status;
        emit sessionUpdated(*instance);
        logLine(QStringLiteral("🔄 Session ") + TextFormat::shortSessionId(key) + QStringLiteral(": status ") +
                oldStatus + QStringLiteral(" → ") + status);
    }
    ::closedir(directory);

    for (auto it = m_knownSessions.begin(); it != m_knownSessions.end();) {
        if (present.contains(it.key())) {
            ++it;
            continue;
        }
        const QString key = it.key();
        it = m_knownSessions.erase(it);
        QMetaObject::invokeMethod(
            this, [this, key] { emit sessionRemoved(key); }, Qt::QueuedConnection);
        logLine(QStringLiteral("🗑️ Session ") + TextFormat::shortSessionId(key) +
                QStringLiteral(" file deleted - auto-dismissing"));
    }
}

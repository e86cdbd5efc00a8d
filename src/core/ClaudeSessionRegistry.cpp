#include "ClaudeSessionRegistry.h"

#include "FolderEntryReader.h"
#include "Log.h"
#include "TextFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cerrno>
#include <dirent.h>
#include <limits>

namespace {
// A folder full of such names is not the client's doing; reading a bounded number keeps a scan cheap.
constexpr int maxFiles = 256;

QString endText(ClaudeSessionRegistry::Verdict verdict, qint64 pid)
{
    if (verdict == ClaudeSessionRegistry::Verdict::replaced)
        return QStringLiteral("Claude Code process %1 was replaced by another process").arg(pid);
    return QStringLiteral("Claude Code process %1 has exited").arg(pid);
}

bool ended(ClaudeSessionRegistry::Verdict verdict)
{
    return verdict == ClaudeSessionRegistry::Verdict::exited ||
           verdict == ClaudeSessionRegistry::Verdict::replaced;
}
} // namespace

ClaudeSessionRegistry::Verdict ClaudeSessionRegistry::judgeProcess(std::optional<quint64> recordStart,
                                                                   ProcessLiveness::State state,
                                                                   std::optional<quint64> actualStart,
                                                                   bool trusted)
{
    if (!recordStart)
        return Verdict::unknown;
    switch (state) {
    case ProcessLiveness::State::running:
        if (!actualStart)
            return Verdict::unknown;
        if (*actualStart == *recordStart)
            return Verdict::alive;
        return trusted ? Verdict::replaced : Verdict::unknown;
    case ProcessLiveness::State::exited:
        return trusted ? Verdict::exited : Verdict::unknown;
    case ProcessLiveness::State::unknown:
        break;
    }
    return Verdict::unknown;
}

std::optional<qint64> ClaudeSessionRegistry::pidFromFileName(const QByteArray& name)
{
    const QByteArray digits = name.chopped(name.endsWith(".json") ? 5 : 0);
    if (digits.size() == name.size() || digits.isEmpty() || digits.size() > 10 || digits.startsWith('0') ||
        !std::all_of(digits.cbegin(), digits.cend(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const qint64 pid = digits.toLongLong();
    return pid <= std::numeric_limits<int>::max() ? std::optional(pid) : std::nullopt;
}

QString ClaudeSessionRegistry::defaultDirectory(const QString& home, const QString& configDirectory)
{
    const QDir config(configDirectory.isEmpty() ? QDir(home).filePath(QStringLiteral(".claude"))
                                                : configDirectory);
    return config.filePath(QStringLiteral("sessions"));
}

ClaudeSessionRegistry::ClaudeSessionRegistry(QString directory, std::chrono::milliseconds pollInterval,
                                             ProcessView processes, QObject* parent)
    : QObject(parent), m_directory(std::move(directory)), m_processes(std::move(processes))
{
    m_eventScan.setSingleShot(true);
    m_eventScan.setInterval(0);
    connect(&m_eventScan, &QTimer::timeout, this, &ClaudeSessionRegistry::scan);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_eventScan, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_eventScan, qOverload<>(&QTimer::start));
    m_pollTimer.setInterval(pollInterval);
    connect(&m_pollTimer, &QTimer::timeout, this, &ClaudeSessionRegistry::scan);
}

void ClaudeSessionRegistry::start()
{
    if (m_pollTimer.isActive())
        return;
    scan();
    m_pollTimer.start();
}

std::optional<ClaudeSessionRecord> ClaudeSessionRegistry::recordFor(const QString& sessionId) const
{
    std::optional<ClaudeSessionRecord> latest;
    for (const Entry& entry : m_entries)
        if (entry.verdict == Verdict::alive && entry.record.sessionId == sessionId &&
            (!latest || entry.record.statusChangedAt() > latest->statusChangedAt()))
            latest = entry.record;
    return latest;
}

std::optional<QString> ClaudeSessionRegistry::endReason(const QString& sessionId,
                                                        std::optional<qint64> hookPid) const
{
    if (recordFor(sessionId))
        return std::nullopt;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it)
        if (ended(it->verdict) && it->record.sessionId == sessionId && hookPid.value_or(it.key()) == it.key())
            return endText(it->verdict, it.key());
    return std::nullopt;
}

QHash<QString, ClaudeSessionRecord> ClaudeSessionRegistry::liveRecords() const
{
    QHash<QString, ClaudeSessionRecord> records;
    for (const Entry& entry : m_entries)
        if (entry.verdict == Verdict::alive && !records.contains(entry.record.sessionId))
            records.insert(entry.record.sessionId, *recordFor(entry.record.sessionId));
    return records;
}

void ClaudeSessionRegistry::scan()
{
    const auto before = liveRecords();
    // Session id -> why it may be over; it is, unless a running process's file still names it.
    QHash<QString, Ending> endings;
    readFolder(endings);
    const auto ownNamespace = u':' + m_processes.pidNamespace;
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        const qint64 pid = it.key();
        Entry& entry = *it;
        const auto state = m_processes.liveness ? m_processes.liveness(pid) : ProcessLiveness::State::unknown;
        const auto actualStart = state == ProcessLiveness::State::running && m_processes.startTime
                                     ? m_processes.startTime(pid)
                                     : std::nullopt;
        // A pid of another namespace (a dev container sharing the folder) says nothing about ours.
        const bool trusted =
            entry.seenAlive || (!m_processes.pidNamespace.isEmpty() && entry.record.pidDomain &&
                                entry.record.pidDomain->endsWith(ownNamespace));
        const Verdict previous = entry.verdict;
        entry.verdict = judgeProcess(entry.record.procStart, state, actualStart, trusted);
        entry.seenAlive = entry.seenAlive || entry.verdict == Verdict::alive;
        // Said once: a file left behind by a killed process stays until someone removes it.
        if (ended(entry.verdict) && !ended(previous))
            endings.insert(entry.record.sessionId, {pid, endText(entry.verdict, pid)});
    }
    const auto after = liveRecords();
    for (auto it = endings.cbegin(); it != endings.cend(); ++it)
        if (!after.contains(it.key()))
            emit sessionEnded(it.key(), it->pid, it->reason);
    if (after != before)
        emit recordsChanged();
}

bool ClaudeSessionRegistry::readFolder(QHash<QString, Ending>& endings)
{
    DIR* directory = ::opendir(QFile::encodeName(m_directory).constData());
    if (!directory) {
        // No folder at all is an older client or none: nothing to say. Anything else is said once.
        if (!m_listingFailed && errno != ENOENT)
            logLine(QStringLiteral("⚠️ Could not read Claude Code sessions directory"));
        m_listingFailed = true;
        return false;
    }
    m_listingFailed = false;
    QSet<qint64> present;
    QStringList paths;
    bool overfull = false;
    while (const dirent* found = ::readdir(directory)) {
        const QByteArray name(found->d_name);
        const auto pid = pidFromFileName(name);
        if (!pid)
            continue;
        if (present.size() >= maxFiles) {
            overfull = true;
            continue;
        }
        present.insert(*pid);
        paths.append(m_directory + u'/' + QFile::decodeName(name));
        QDateTime modDate;
        const auto bytes =
            FolderEntryReader::read(::dirfd(directory), {name, found->d_type}, maxFileSize, modDate);
        auto record = bytes ? ClaudeSessionRecord::parse(*bytes) : std::nullopt;
        // A file caught half written keeps its last good record; one naming another pid is not the
        // client's.
        if (!record || record->pid != *pid)
            continue;
        record->modified = modDate;
        const auto known = m_entries.find(*pid);
        if (known == m_entries.end()) {
            m_entries.insert(*pid, Entry{*record});
            continue;
        }
        if (known->verdict == Verdict::alive && known->record.sessionId != record->sessionId)
            endings.insert(
                known->record.sessionId,
                {*pid, QStringLiteral("Claude Code process %1 moved on to session %2")
                           .arg(QString::number(*pid),
                                escapeControlCharacters(TextFormat::shortSessionId(record->sessionId)))});
        // Another process under the same pid: judged afresh.
        if (known->record.procStart != record->procStart)
            known->verdict = Verdict::unknown;
        known->record = *record;
    }
    ::closedir(directory);
    // Files past the bound were not looked at, so they cannot be taken as gone.
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (overfull || present.contains(it.key())) {
            ++it;
            continue;
        }
        if (it->verdict == Verdict::alive)
            endings.insert(
                it->record.sessionId,
                {it.key(), QStringLiteral("Claude Code process %1 removed its session file").arg(it.key())});
        it = m_entries.erase(it);
    }
    watch(paths);
    return true;
}

void ClaudeSessionRegistry::watch(const QStringList& files)
{
    // The client rewrites a file in place on every change of its screen: watching the files themselves
    // shows that at once instead of at the next poll.
    if (m_watcher.directories().isEmpty())
        m_watcher.addPath(m_directory);
    const QStringList watched = m_watcher.files();
    for (const QString& path : watched)
        if (!files.contains(path))
            m_watcher.removePath(path);
    for (const QString& path : files)
        if (!watched.contains(path))
            m_watcher.addPath(path);
}

#include "MultiSessionManager.h"

#include "HomeDirectory.h"

#include "Log.h"
#include "TextFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <cerrno>
#include <cmath>
#include <unistd.h>

using TextFormat::shortSessionId;

MultiSessionManager::MultiSessionManager(QString sessionsDirectory,
                                         CelebrationDurationSource celebrationDuration,
                                         NextBundledSkinIdSource nextBundledSkinId, bool multiInstanceEnabled,
                                         double staleTimeout, MultiSessionTiming timing,
                                         ProcessProbe processProbe, QObject* parent)
    : QObject(parent), m_isMultiInstanceEnabled(multiInstanceEnabled),
      m_sessionsDirectory(std::move(sessionsDirectory)), m_staleTimeout(staleTimeout),
      m_celebrationDuration(std::move(celebrationDuration)),
      m_nextBundledSkinId(std::move(nextBundledSkinId)), m_processProbe(std::move(processProbe)),
      m_timing(timing)
{
    m_staleCheckTimer.setInterval(m_timing.staleCheckInterval);
    connect(&m_staleCheckTimer, &QTimer::timeout, this, &MultiSessionManager::checkStaleSessions);
}

MultiSessionManager::~MultiSessionManager() = default;

QString MultiSessionManager::defaultSessionsDirectory(const QString& home)
{
    return QDir(home).filePath(QStringLiteral(".tabbywatch/sessions"));
}

bool MultiSessionManager::isCelebrationPending(const QString& sessionId) const
{
    const auto it = m_celebrations.find(sessionId);
    return it != m_celebrations.end() && it->second->isPending();
}

bool MultiSessionManager::usesSingleCatView() const
{
    return !m_isMultiInstanceEnabled || m_instances.size() < 2;
}

void MultiSessionManager::startMonitoring()
{
    if (m_isMonitoring) {
        logLine(QStringLiteral("⏭️ MultiSessionManager already monitoring, skipping"));
        return;
    }
    setMonitoring(true);
    logLine(QStringLiteral("🐱 Starting multi-instance monitoring"));
    ensureSessionsDirectory();

    auto monitor = DirectoryMonitor::create(m_sessionsDirectory, m_timing.pollInterval);
    if (!monitor) {
        logLine(QStringLiteral("❌ Failed to start directory monitor: ") + monitor.error().text());
        setMonitoring(false);
        return;
    }
    m_directoryMonitor = std::move(*monitor);
    // Reports arrive in the middle of a scan; they are applied afterwards, one at a time, in order.
    connect(m_directoryMonitor.get(), &DirectoryMonitor::sessionAdded, this,
            [this](const SessionInstance& instance) {
                QMetaObject::invokeMethod(
                    this, [this, instance] { addSession(instance); }, Qt::QueuedConnection);
            });
    connect(m_directoryMonitor.get(), &DirectoryMonitor::sessionUpdated, this,
            [this](const SessionInstance& instance) {
                QMetaObject::invokeMethod(
                    this, [this, instance] { updateSession(instance); }, Qt::QueuedConnection);
            });
    connect(m_directoryMonitor.get(), &DirectoryMonitor::sessionRemoved, this,
            &MultiSessionManager::removeSession);
    m_directoryMonitor->rescan();
    // After the rescan: what the registry says is applied after the additions that the rescan queued.
    if (m_registry)
        m_registry->start();
    m_staleCheckTimer.start();
    logLine(QStringLiteral("✅ Started monitoring sessions: ") + m_sessionsDirectory);
}

void MultiSessionManager::ensureSessionsDirectory()
{
    const QFileInfo info(m_sessionsDirectory);
    if (info.exists() || info.isSymLink())
        return;
    // A failure shows up as the monitor's own error right after.
    if (makePrivatePath(m_sessionsDirectory))
        logLine(QStringLiteral("📁 Created sessions directory: ") + m_sessionsDirectory);
}

void MultiSessionManager::addSession(SessionInstance instance)
{
    noteHookState(instance);
    if (m_registry && !m_instances.contains(instance.sessionId)) {
        const auto known =
            m_directoryMonitor ? m_directoryMonitor->knownSession(instance.sessionId) : std::nullopt;
        // Left behind by a process that is gone (kill -9 before we started, or a late write of its hook).
        if (const auto reason =
                m_registry->endReason(instance.sessionId, known ? known->claudePid : std::nullopt)) {
            logLine(QStringLiteral("🗑️ Removing session ") + shortSessionId(instance.sessionId) +
                    QStringLiteral(": ") + *reason);
            if (deleteSessionFile(instance.sessionId) && m_directoryMonitor)
                m_directoryMonitor->forget(instance.sessionId);
            m_hookStates.remove(instance.sessionId);
            return;
        }
    }
    applyRegistry(instance);
    const bool wasSingle = usesSingleCatView();
    if (!instance.selectedSkinId && m_nextBundledSkinId) {
        QList<QUuid> taken;
        for (const SessionInstance& other : std::as_const(m_instances)) {
            if (other.selectedSkinId && other.sessionId != instance.sessionId)
                taken.append(*other.selectedSkinId);
        }
        instance.selectedSkinId = m_nextBundledSkinId(instance.sessionId, taken);
    }
    assignSessionNumber(instance);
    const QString sessionId = instance.sessionId;
    const qsizetype total = m_instances.size() + (m_instances.contains(sessionId) ? 0 : 1);
    logLine(QStringLiteral("➕ Session added: ") + shortSessionId(sessionId) + QStringLiteral(" - ") +
            instance.displayName() + QStringLiteral(" | Total: ") + QString::number(total));
    const bool completed = instance.status == ClaudeStatus::completed;
    // A file found completed (at start-up, most often) may say so since long ago.
    const double completedFor = instance.lastUpdate.isValid()
                                    ? instance.lastUpdate.msecsTo(QDateTime::currentDateTimeUtc()) / 1000.0
                                    : 0;
    m_instances.insert(sessionId, std::move(instance));
    emit instancesChanged();
    if (!m_orderedSessionIds.contains(sessionId)) {
        m_orderedSessionIds.prepend(sessionId);
        emit orderedSessionIdsChanged();
    }
    if (!m_focusedSessionId) {
        m_focusedSessionId = sessionId;
        emit focusedSessionIdChanged();
    }
    if (completed)
        startCelebration(sessionId, completedFor);
    ++m_instancesVersion;
    emit instancesVersionChanged();
    notifyCountChanged(wasSingle);
    noteProcessAlive(sessionId);
}

void MultiSessionManager::assignSessionNumber(SessionInstance& instance)
{
    // As displayName shows it: sessions in /x/api and /y/api share one numbering.
    const QString folder = TextFormat::lastPathComponent(instance.cwd);
    QHash<QString, int>& numbers = m_folderSessionNumbers[folder];
    if (const auto it = numbers.constFind(instance.sessionId); it != numbers.constEnd()) {
        instance.sessionNumber = *it;
        return;
    }
    // Numbers freed below a number still held are not reused, so a cat never takes another's label.
    int highest = 0;
    for (const int number : std::as_const(numbers))
        highest = std::max(highest, number);
    const int number = highest + 1;
    numbers.insert(instance.sessionId, number);
    instance.sessionNumber = number;
    logLine(QStringLiteral("🔢 Assigned session number %1 to %2 in folder '%3'")
                .arg(QString::number(number), shortSessionId(instance.sessionId), folder));
}

void MultiSessionManager::updateSession(SessionInstance instance)
{
    const QString sessionId = instance.sessionId;
    logLine(QStringLiteral("🔄 Session updated: ") + shortSessionId(sessionId) + QStringLiteral(" - ") +
            claudeStatusDisplayName(instance.status));
    const auto existing = m_instances.constFind(sessionId);
    if (existing == m_instances.constEnd()) {
        // The file outlived a dismissal (it could not be deleted, or the hook wrote it again before the
        // monitor saw it gone): the session is live, so it comes back as a cat of its own rather than as
        // a record that no view shows but every count includes.
        addSession(std::move(instance));
        return;
    }
    noteHookState(instance);
    applyRegistry(instance);
    const ClaudeStatus old = existing->status;
    instance.selectedSkinId = existing->selectedSkinId;
    instance.sessionNumber = existing->sessionNumber;
    const ClaudeStatus status = instance.status;
    m_instances.insert(sessionId, std::move(instance));
    emit instancesChanged();
    celebrationFollows(sessionId, old, status);
}

void MultiSessionManager::celebrationFollows(const QString& sessionId, ClaudeStatus old, ClaudeStatus status)
{
    if (status == ClaudeStatus::completed && old != ClaudeStatus::completed)
        startCelebration(sessionId);
    else if (status != ClaudeStatus::completed && old == ClaudeStatus::completed)
        cancelCelebration(sessionId);
}

void MultiSessionManager::removeSession(const QString& sessionId)
{
    const bool wasSingle = usesSingleCatView();
    // Counted after the removal: after a dismissal the session is already gone from instances.
    const qsizetype remaining = m_instances.size() - (m_instances.contains(sessionId) ? 1 : 0);
    logLine(QStringLiteral("➖ Session removed: ") + shortSessionId(sessionId) +
            QStringLiteral(" | Remaining: ") + QString::number(remaining));
    cancelCelebration(sessionId);
    m_celebrations.erase(sessionId);
    removeSessionNumber(sessionId);
    m_processesSeenRunning.remove(sessionId);
    m_hookStates.remove(sessionId);
    m_registryStatuses.remove(sessionId);
    dropFromDisplay(sessionId);
    notifyCountChanged(wasSingle);
}

void MultiSessionManager::removeSessionNumber(const QString& sessionId)
{
    for (auto it = m_folderSessionNumbers.begin(); it != m_folderSessionNumbers.end(); ++it) {
        if (it->remove(sessionId)) {
            logLine(QStringLiteral("🔢 Removed session number tracking for %1 from folder '%2'")
                        .arg(shortSessionId(sessionId), it.key()));
            return;
        }
    }
}

void MultiSessionManager::dropFromDisplay(const QString& sessionId)
{
    if (m_instances.remove(sessionId))
        emit instancesChanged();
    if (m_orderedSessionIds.removeAll(sessionId) > 0)
        emit orderedSessionIdsChanged();
    if (m_focusedSessionId == sessionId) {
        m_focusedSessionId = m_orderedSessionIds.isEmpty()
                                 ? std::nullopt
                                 : std::optional<QString>(m_orderedSessionIds.first());
        emit focusedSessionIdChanged();
    }
}

std::optional<qint64> MultiSessionManager::claudePid(const QString& sessionId) const
{
    const auto known = m_directoryMonitor ? m_directoryMonitor->knownSession(sessionId) : std::nullopt;
    return known ? known->claudePid : std::nullopt;
}

void MultiSessionManager::focusSession(const QString& sessionId)
{
    if (!m_instances.contains(sessionId))
        return;
    m_focusedSessionId = sessionId;
    emit focusedSessionIdChanged();
}

void MultiSessionManager::dismissSession(const QString& sessionId)
{
    const bool wasSingle = usesSingleCatView();
    dropFromDisplay(sessionId);
    notifyCountChanged(wasSingle);
    // The timer and the number go when the monitor sees the file gone.
    deleteSessionFile(sessionId);
}

bool MultiSessionManager::deleteSessionFile(const QString& sessionId)
{
    // The id becomes a file name: only a plain name that the monitor itself could have read is used, so
    // nothing outside the sessions folder, and no file of the reserved "_" names, can be deleted.
    if (!DirectoryMonitor::isSessionKey(sessionId)) {
        logLine(QStringLiteral("⚠️ Not deleting a session file for an invalid session id"));
        return false;
    }
    const QString path = m_sessionsDirectory + u'/' + sessionId + QStringLiteral(".json");
    // unlink removes a symbolic link itself, never what it points to.
    if (::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT)
        return true;
    logLine(QStringLiteral("⚠️ Could not delete session file: ") + path);
    return false;
}

void MultiSessionManager::updateSkin(const QString& sessionId, const QUuid& skinId)
{
    const auto it = m_instances.find(sessionId);
    if (it == m_instances.end())
        return;
    it->selectedSkinId = skinId;
    emit instancesChanged();
    logLine(QStringLiteral("🎨 Updated skin for session ") + sessionId + QStringLiteral(" to ") +
            skinId.toString(QUuid::WithoutBraces).toUpper());
}

void MultiSessionManager::startCelebration(const QString& sessionId, double elapsedSeconds)
{
    std::unique_ptr<Celebration>& celebration = m_celebrations[sessionId];
    if (!celebration) {
        celebration = std::make_unique<Celebration>(m_celebrationDuration, sessionId, [this, sessionId] {
            const auto it = m_instances.constFind(sessionId);
            return it != m_instances.constEnd() && it->status == ClaudeStatus::completed;
        });
        connect(celebration.get(), &Celebration::ended, this, [this, sessionId] { returnToIdle(sessionId); });
    }
    celebration->start(elapsedSeconds);
}

void MultiSessionManager::cancelCelebration(const QString& sessionId)
{
    if (const auto it = m_celebrations.find(sessionId); it != m_celebrations.end())
        it->second->cancel();
}

void MultiSessionManager::returnToIdle(const QString& sessionId)
{
    const auto it = m_instances.find(sessionId);
    if (it == m_instances.end())
        return;
    it->status = ClaudeStatus::idle;
    it->lastUpdate = QDateTime::currentDateTimeUtc();
    emit instancesChanged();
}

void MultiSessionManager::setMultiInstanceEnabled(bool enabled)
{
    const bool wasSingle = usesSingleCatView();
    m_isMultiInstanceEnabled = enabled;
    emit isMultiInstanceEnabledChanged();
    notifyCountChanged(wasSingle);
}

void MultiSessionManager::setStaleTimeout(double seconds)
{
    m_staleTimeout = seconds;
    emit staleTimeoutChanged();
}

void MultiSessionManager::noteProcessAlive(const QString& sessionId)
{
    if (!m_directoryMonitor || !m_processProbe)
        return;
    const auto known = m_directoryMonitor->knownSession(sessionId);
    if (known && known->claudePid && m_processProbe(*known->claudePid) == ProcessLiveness::State::running)
        m_processesSeenRunning.insert(sessionId, *known->claudePid);
}

std::optional<QString> MultiSessionManager::staleReason(const QString& sessionId, const QDateTime& now)
{
    // Its process is running, proven by its start time: a long wait at the prompt is no reason.
    if (m_registry && m_registry->recordFor(sessionId))
        return std::nullopt;
    const auto known = m_directoryMonitor ? m_directoryMonitor->knownSession(sessionId) : std::nullopt;
    if (known && known->claudePid && m_processProbe) {
        const qint64 pid = *known->claudePid;
        switch (m_processProbe(pid)) {
        case ProcessLiveness::State::running:
            m_processesSeenRunning.insert(sessionId, pid);
            break;
        case ProcessLiveness::State::exited:
            if (m_processesSeenRunning.value(sessionId) == pid)
                return QStringLiteral("Claude Code process %1 has exited").arg(pid);
            break;
        case ProcessLiveness::State::unknown:
            break;
        }
    }
    // The file's own modification date: the hook rewrites it on every event, also when the state stays.
    const QDateTime lastChange = known ? known->modDate : m_instances.value(sessionId).lastUpdate;
    if (m_staleTimeout > 0 && std::isfinite(m_staleTimeout) && lastChange.isValid() &&
        double(lastChange.msecsTo(now)) >= m_staleTimeout * 1000.0)
        return QStringLiteral("no update within %1 s")
            .arg(QString::number(m_staleTimeout, 'g', QLocale::FloatingPointShortest));
    return std::nullopt;
}

void MultiSessionManager::checkStaleSessions()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QStringList sessionIds = m_instances.keys();
    for (const QString& sessionId : sessionIds) {
        const auto reason = staleReason(sessionId, now);
        if (!reason)
            continue;
        logLine(QStringLiteral("🗑️ Removing stale session ") + shortSessionId(sessionId) +
                QStringLiteral(": ") + *reason);
        // Deleted so that it does not come back at the next scan; a live session's hook writes it anew.
        if (deleteSessionFile(sessionId) && m_directoryMonitor)
            m_directoryMonitor->forget(sessionId);
        removeSession(sessionId);
    }
}

void MultiSessionManager::setClaudeSessionRegistry(std::unique_ptr<ClaudeSessionRegistry> registry)
{
    m_registry = std::move(registry);
    if (!m_registry)
        return;
    // Queued like the monitor's reports, so that they apply after the additions of the same moment.
    connect(m_registry.get(), &ClaudeSessionRegistry::recordsChanged, this,
            &MultiSessionManager::followRegistry, Qt::QueuedConnection);
    connect(
        m_registry.get(), &ClaudeSessionRegistry::sessionEnded, this,
        [this](const QString& sessionId, qint64 pid, const QString& reason) {
            endSession(sessionId, pid, reason);
        },
        Qt::QueuedConnection);
    if (m_isMonitoring)
        m_registry->start();
}

void MultiSessionManager::noteHookState(const SessionInstance& instance)
{
    m_hookStates.insert(instance.sessionId, HookState{instance.status, instance.lastUpdate});
}

void MultiSessionManager::applyRegistry(SessionInstance& instance)
{
    const auto record = m_registry ? m_registry->recordFor(instance.sessionId) : std::nullopt;
    const HookState hook =
        m_hookStates.value(instance.sessionId, HookState{instance.status, instance.lastUpdate});
    const auto shown = record ? record->shownStatus(hook.status, hook.time) : std::nullopt;
    if (!shown)
        return;
    m_registryStatuses.insert(instance.sessionId, *shown);
    instance.status = *shown;
}

void MultiSessionManager::followRegistry()
{
    if (!m_registry)
        return;
    const QStringList sessionIds = m_instances.keys();
    for (const QString& sessionId : sessionIds) {
        const auto record = m_registry->recordFor(sessionId);
        const auto it = m_instances.find(sessionId);
        if (!record || it == m_instances.end())
            continue;
        const HookState hook = m_hookStates.value(sessionId, HookState{it->status, it->lastUpdate});
        const auto shown = record->shownStatus(hook.status, hook.time);
        const auto decided = m_registryStatuses.constFind(sessionId);
        if (!shown || (decided != m_registryStatuses.constEnd() && *decided == *shown))
            continue;
        m_registryStatuses.insert(sessionId, *shown);
        const ClaudeStatus old = it->status;
        if (old == *shown)
            continue;
        QString screen = ClaudeSessionRecord::screenStatusText(*record->status);
        if (record->waitingFor)
            screen += QStringLiteral(" (%1)").arg(escapeControlCharacters(record->waitingFor->left(40)));
        logLine(QStringLiteral("🔄 Session ") + shortSessionId(sessionId) +
                QStringLiteral(": Claude Code shows ") + screen + QStringLiteral(" → ") +
                claudeStatusDisplayName(*shown));
        it->status = *shown;
        it->lastUpdate = QDateTime::currentDateTimeUtc();
        emit instancesChanged();
        celebrationFollows(sessionId, old, *shown);
    }
}

bool MultiSessionManager::endSession(const QString& sessionId, qint64 pid, const QString& reason)
{
    if (!m_instances.contains(sessionId))
        return false;
    // The hook saw another process write this session since (a resumed session): that one carries on.
    const auto known = m_directoryMonitor ? m_directoryMonitor->knownSession(sessionId) : std::nullopt;
    if (known && known->claudePid && *known->claudePid != pid)
        return false;
    logLine(QStringLiteral("🗑️ Removing session ") + shortSessionId(sessionId) + QStringLiteral(": ") +
            reason);
    if (deleteSessionFile(sessionId) && m_directoryMonitor)
        m_directoryMonitor->forget(sessionId);
    removeSession(sessionId);
    return true;
}

void MultiSessionManager::setMonitoring(bool monitoring)
{
    if (m_isMonitoring == monitoring)
        return;
    m_isMonitoring = monitoring;
    emit isMonitoringChanged();
}

void MultiSessionManager::notifyCountChanged(bool wasSingle)
{
    if (usesSingleCatView() != wasSingle)
        emit usesSingleCatViewChanged();
}

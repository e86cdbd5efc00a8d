#pragma once

#include "Celebration.h"
#include "ClaudeSessionRegistry.h"
#include "DirectoryMonitor.h"
#include "ProcessLiveness.h"
#include "SessionInstance.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QUuid>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

// The bundled skin for a new session of that id, given the skins the other cats wear; nothing when there
// are none.
using NextBundledSkinIdSource =
    std::function<std::optional<QUuid>(const QString& sessionId, const QList<QUuid>& taken)>;

// Intervals of the folder poll and of the stale sweep; tests shorten them.
struct MultiSessionTiming
{
    std::chrono::milliseconds pollInterval = DirectoryMonitor::defaultPollInterval;
    // The sweep costs one kill(pid, 0) per live session and a date comparison; the interval bounds how
    // long the cat of a killed Claude Code lingers.
    std::chrono::milliseconds staleCheckInterval{10000};
};

// The model of the multi-cat display: the live Claude Code sessions in display order, the focused one,
// per-folder numbers, per-session skins and celebrations, and the sweep of sessions that were left
// behind by a crashed or killed Claude Code.
class MultiSessionManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList orderedSessionIds READ orderedSessionIds NOTIFY orderedSessionIdsChanged)
    Q_PROPERTY(QString focusedSessionId READ focusedSessionIdText NOTIFY focusedSessionIdChanged)
    Q_PROPERTY(int instancesVersion READ instancesVersion NOTIFY instancesVersionChanged)
    Q_PROPERTY(bool isMultiInstanceEnabled READ isMultiInstanceEnabled WRITE setMultiInstanceEnabled NOTIFY
                   isMultiInstanceEnabledChanged)
    Q_PROPERTY(double staleTimeout READ staleTimeout WRITE setStaleTimeout NOTIFY staleTimeoutChanged)
    Q_PROPERTY(bool usesSingleCatView READ usesSingleCatView NOTIFY usesSingleCatViewChanged)
    Q_PROPERTY(bool isMonitoring READ isMonitoring NOTIFY isMonitoringChanged)

public:
    // sessionsDirectory is normally <home>/.tabbywatch/sessions. multiInstanceEnabled and staleTimeout
    // are the stored preferences at creation; the preferences store assigns them again on change.
    MultiSessionManager(QString sessionsDirectory, CelebrationDurationSource celebrationDuration,
                        NextBundledSkinIdSource nextBundledSkinId, bool multiInstanceEnabled,
                        double staleTimeout, MultiSessionTiming timing = {},
                        ProcessProbe processProbe = ProcessLiveness::probe, QObject* parent = nullptr);
    ~MultiSessionManager() override;

    static QString defaultSessionsDirectory(const QString& home);

    const QHash<QString, SessionInstance>& instances() const { return m_instances; }
    const QStringList& orderedSessionIds() const { return m_orderedSessionIds; }
    const std::optional<QString>& focusedSessionId() const { return m_focusedSessionId; }
    // The pid of the session's Claude Code as its status file names it.
    std::optional<qint64> claudePid(const QString& sessionId) const;
    QString focusedSessionIdText() const { return m_focusedSessionId.value_or(QString()); }
    int instancesVersion() const { return m_instancesVersion; }
    bool isMultiInstanceEnabled() const { return m_isMultiInstanceEnabled; }
    double staleTimeout() const { return m_staleTimeout; }
    bool isMonitoring() const { return m_isMonitoring; }
    QString sessionsDirectory() const { return m_sessionsDirectory; }
    // True when one cat stands for everything: multi-instance mode off, or fewer than two sessions.
    bool usesSingleCatView() const;
    bool isCelebrationPending(const QString& sessionId) const;

    // Safe to call repeatedly; once started, monitoring lasts as long as the manager.
    Q_INVOKABLE void startMonitoring();
    Q_INVOKABLE void focusSession(const QString& sessionId);
    // Drops the session from the display and deletes its file, and only that file.
    Q_INVOKABLE void dismissSession(const QString& sessionId);
    Q_INVOKABLE void updateSkin(const QString& sessionId, const QUuid& skinId);

    void setMultiInstanceEnabled(bool enabled);
    void setStaleTimeout(double seconds);

    // Claude Code's own per-process files as a second signal for the sessions that our hook reports:
    // they tell busy, waiting and idle where no hook fires, and end a session as soon as its process
    // is gone. Without one, or where its folder says nothing, the hooks alone decide.
    void setClaudeSessionRegistry(std::unique_ptr<ClaudeSessionRegistry> registry);
    ClaudeSessionRegistry* claudeSessionRegistry() const { return m_registry.get(); }

    // Runs one stale-session check now; the timer runs it every staleCheckInterval while monitoring.
    void checkStaleSessions();

signals:
    // Any change of a record in instances(), including additions and removals.
    void instancesChanged();
    void orderedSessionIdsChanged();
    void focusedSessionIdChanged();
    void instancesVersionChanged();
    void isMultiInstanceEnabledChanged();
    void staleTimeoutChanged();
    void usesSingleCatViewChanged();
    void isMonitoringChanged();

private:
    void addSession(SessionInstance instance);
    void updateSession(SessionInstance instance);
    void removeSession(const QString& sessionId);
    void assignSessionNumber(SessionInstance& instance);
    void removeSessionNumber(const QString& sessionId);
    void startCelebration(const QString& sessionId, double elapsedSeconds = 0);
    void cancelCelebration(const QString& sessionId);
    void returnToIdle(const QString& sessionId);
    void ensureSessionsDirectory();
    bool deleteSessionFile(const QString& sessionId);
    void dropFromDisplay(const QString& sessionId);
    void noteProcessAlive(const QString& sessionId);
    std::optional<QString> staleReason(const QString& sessionId, const QDateTime& now);
    void setMonitoring(bool monitoring);
    void noteHookState(const SessionInstance& instance);
    void applyRegistry(SessionInstance& instance);
    void followRegistry();
    bool endSession(const QString& sessionId, qint64 pid, const QString& reason);
    void celebrationFollows(const QString& sessionId, ClaudeStatus old, ClaudeStatus status);
    void notifyCountChanged(bool wasSingle);

    QHash<QString, SessionInstance> m_instances;
    QStringList m_orderedSessionIds;
    std::optional<QString> m_focusedSessionId;
    bool m_isMultiInstanceEnabled;
    int m_instancesVersion = 0;
    std::unique_ptr<DirectoryMonitor> m_directoryMonitor;
    QTimer m_staleCheckTimer;
    // Made at a session's first celebration, dropped with the session.
    std::unordered_map<QString, std::unique_ptr<Celebration>> m_celebrations;
    bool m_isMonitoring = false;
    // Folder name -> (session id -> number).
    QHash<QString, QHash<QString, int>> m_folderSessionNumbers;
    const QString m_sessionsDirectory;
    double m_staleTimeout;
    // Session id -> the process id that a sweep or an addition saw running for it. Only such a process
    // counts as proof when it is gone: an id that was never seen running may belong to another pid
    // namespace (Claude Code in a dev container writing into a mounted folder).
    QHash<QString, qint64> m_processesSeenRunning;

    std::unique_ptr<ClaudeSessionRegistry> m_registry;
    // What our hook last wrote for each session, and when: the registry's idle prompt keeps a
    // completion that the Stop hook wrote after it.
    struct HookState
    {
        ClaudeStatus status;
        QDateTime time;
    };
    QHash<QString, HookState> m_hookStates;
    // The state that the registry last decided for each session. A decision is applied once, so that a
    // celebration that has run out is not started again by an unchanged record.
    QHash<QString, ClaudeStatus> m_registryStatuses;

    CelebrationDurationSource m_celebrationDuration;
    NextBundledSkinIdSource m_nextBundledSkinId;
    ProcessProbe m_processProbe;
    const MultiSessionTiming m_timing;
};

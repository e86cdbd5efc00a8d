#pragma once

#include "ClaudeSessionRecord.h"
#include "ProcessLiveness.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>

// How the registry asks about processes; tests put their own answers in.
struct ProcessView
{
    ProcessProbe liveness = ProcessLiveness::probe;
    std::function<std::optional<quint64>(qint64 pid)> startTime = ProcessLiveness::startTime;
    QString pidNamespace = ProcessLiveness::pidNamespace();
};

// Reads Claude Code's own per-process files (<config>/sessions/<pid>.json), which change within a tenth
// of a second of every change on its screen, also where no hook fires (Esc, a rejected or an approved
// permission, kill -9). Read only: the folder belongs to the client. A record counts only while its
// process is seen running with the start time the file names; a process that has exited or whose pid
// now belongs to another process ends the sessions its file named.
class ClaudeSessionRegistry : public QObject
{
    Q_OBJECT
public:
    // The files are under a kilobyte; anything much larger is not one of them.
    static constexpr qint64 maxFileSize = 64 * 1024;

    enum class Verdict
    {
        alive,
        exited,
        replaced, // the pid now belongs to a process that started at another time
        unknown,  // cannot tell: no start time in the file, or another pid namespace
    };

    // trusted: the pid is known to be one of our namespace (the file says so, or the process was seen
    // running before); only then does a missing process or another start time prove anything.
    static Verdict judgeProcess(std::optional<quint64> recordStart, ProcessLiveness::State state,
                                std::optional<quint64> actualStart, bool trusted);
    // The pid of a file named "<digits>.json", or nothing for any other name.
    static std::optional<qint64> pidFromFileName(const QByteArray& name);
    // configDirectory is $CLAUDE_CONFIG_DIR when set; the client uses <home>/.claude otherwise.
    static QString defaultDirectory(const QString& home, const QString& configDirectory = {});

    explicit ClaudeSessionRegistry(QString directory,
                                   std::chrono::milliseconds pollInterval = std::chrono::milliseconds(1000),
                                   ProcessView processes = {}, QObject* parent = nullptr);

    QString directory() const { return m_directory; }
    // Scans at once and keeps watching; safe to call repeatedly.
    void start();
    void scan();

    // The record of a running process that names the session; the latest one if several do.
    std::optional<ClaudeSessionRecord> recordFor(const QString& sessionId) const;
    // Why the session is over, when only files of ended processes name it. hookPid is the process that
    // our hook last saw writing the session: when known, only that process's end counts.
    std::optional<QString> endReason(const QString& sessionId, std::optional<qint64> hookPid) const;

signals:
    // After a scan in which the record of some session changed.
    void recordsChanged();
    // A session that a running process's file named is over: the file is gone, the process has ended,
    // or the process moved on to another session (/clear).
    void sessionEnded(const QString& sessionId, qint64 pid, const QString& reason);

private:
    struct Entry
    {
        ClaudeSessionRecord record;
        Verdict verdict = Verdict::unknown;
        bool seenAlive = false;
    };

    QHash<QString, ClaudeSessionRecord> liveRecords() const;
    struct Ending
    {
        qint64 pid;
        QString reason;
    };
    bool readFolder(QHash<QString, Ending>& endings);
    void watch(const QStringList& files);

    const QString m_directory;
    const ProcessView m_processes;
    QHash<qint64, Entry> m_entries;
    QFileSystemWatcher m_watcher;
    QTimer m_eventScan;
    QTimer m_pollTimer;
    bool m_listingFailed = false;
};

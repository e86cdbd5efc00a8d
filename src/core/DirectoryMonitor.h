#pragma once

#include "SessionInstance.h"

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <expected>
#include <memory>
#include <optional>

struct DirectoryMonitorError
{
    enum Kind
    {
        cannotCreateDirectory,
        cannotOpenDirectory,
    };
    Kind kind;
    std::optional<QString> underlying;

    // "cannotOpenDirectory", or "cannotCreateDirectory(<reason>)".
    QString text() const;
};

// Watches the sessions folder and reports new session files, changes of state and vanished files.
// Directory events make additions and deletions visible at once; the poll notices changes inside files.
// Every scan re-reads every session file.
class DirectoryMonitor : public QObject
{
    Q_OBJECT
public:
    // A session record is a few hundred bytes; anything larger is not one and is not read.
    static constexpr qint64 maxSessionFileSize = 1024 * 1024;
    static constexpr std::chrono::milliseconds defaultPollInterval{1000};

    // What the scans saw of one session file.
    struct KnownSession
    {
        QDateTime modDate;
        QString status;
        // From the last successful read, whatever its state: a resumed session keeps its state but
        // gets a new process.
        std::optional<qint64> claudePid;
    };

    // Creates the folder (with parents) when missing, scans once and starts watching. The first scan's
    // findings only fill the known sessions: nobody is connected yet.
    static std::expected<std::unique_ptr<DirectoryMonitor>, DirectoryMonitorError>
    create(const QString& directoryPath, std::chrono::milliseconds pollInterval = defaultPollInterval);
    ~DirectoryMonitor() override;

    QString directoryPath() const { return m_directoryPath; }
    std::optional<KnownSession> knownSession(const QString& key) const;
    qsizetype knownSessionCount() const { return m_knownSessions.size(); }

    // Forgets everything known and scans at once, so that every present file is reported as added.
    void rescan();
    void scanDirectory();
    // Drops a key without reporting it, for a file that its owner has just deleted itself.
    void forget(const QString& key);

    // True for the names the hook gives session files: "<session_id>.json", the id not starting
    // with "_" and usable as a single file name in the folder.
    static bool isSessionKey(const QString& key);

signals:
    // Emitted during the scan.
    void sessionAdded(const SessionInstance& instance);
    void sessionUpdated(const SessionInstance& instance);
    // Emitted from the event loop after the scan that noticed it.
    void sessionRemoved(const QString& key);

private:
    DirectoryMonitor(QString directoryPath, std::chrono::milliseconds pollInterval);
    void watchDirectory();

    const QString m_directoryPath;
    QHash<QString, KnownSession> m_knownSessions;
    QFileSystemWatcher m_source;
    // Several directory events of one write collapse into one scan.
    QTimer m_eventScan;
    QTimer m_pollTimer;
    bool m_listingFailed = false;
};

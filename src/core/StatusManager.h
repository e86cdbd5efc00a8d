#pragma once

#include "Celebration.h"
#include "ClaudeStatus.h"
#include "FileMonitor.h"
#include "StatusHistoryItem.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>

// The single cat's model of Claude Code: the state from status.json, its history and the celebration.
class StatusManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(ClaudeStatus currentStatus READ currentStatus NOTIFY currentStatusChanged)
    Q_PROPERTY(QString currentStatusText READ currentStatusText NOTIFY currentStatusChanged)
    Q_PROPERTY(QDateTime lastUpdate READ lastUpdate NOTIFY lastUpdateChanged)
    Q_PROPERTY(bool isMonitoring READ isMonitoring NOTIFY isMonitoringChanged)

public:
    static constexpr int maxHistoryItems = 100;

    // statusFilePath is normally <home>/.tabbywatch/status.json. An invalid read is read again after
    // retryDelay before it counts (the hook truncates, then writes); while the file is gone its path is
    // looked at every reattachInterval.
    StatusManager(QString statusFilePath, CelebrationDurationSource celebrationDuration,
                  QObject* parent = nullptr,
                  std::chrono::milliseconds retryDelay = std::chrono::milliseconds(50),
                  std::chrono::milliseconds reattachInterval = std::chrono::milliseconds(1000));
    ~StatusManager() override;

    static QString defaultStatusFilePath(const QString& home);

    ClaudeStatus currentStatus() const { return m_currentStatus; }
    QString currentStatusText() const { return claudeStatusText(m_currentStatus); }
    QDateTime lastUpdate() const { return m_lastUpdate; }
    const QList<StatusHistoryItem>& statusHistory() const { return m_statusHistory; }
    bool isMonitoring() const { return m_isMonitoring; }
    QString statusFilePath() const { return m_statusFilePath; }
    bool isCelebrationPending() const { return m_celebration.isPending(); }

    // Safe to call repeatedly.
    Q_INVOKABLE void startMonitoring();
    Q_INVOKABLE void stopMonitoring();
    Q_INVOKABLE void acknowledgeCompletion();

signals:
    void currentStatusChanged();
    void lastUpdateChanged();
    void statusHistoryChanged();
    void isMonitoringChanged();

private:
    void didReadStatusUpdate(const std::optional<StatusUpdate>& update);
    bool attachMonitor(bool logFailure);
    void monitorDetached();
    void reattach();
    void ensureStatusFile();
    void readInitialStatus();
    void updateStatus(ClaudeStatus status, const std::optional<QString>& tool, double completedFor = 0);
    void setCurrentStatus(ClaudeStatus status);
    void setMonitoring(bool monitoring);

    ClaudeStatus m_currentStatus = ClaudeStatus::idle;
    QDateTime m_lastUpdate;
    QList<StatusHistoryItem> m_statusHistory;
    std::unique_ptr<FileMonitor> m_fileMonitor;
    Celebration m_celebration;
    bool m_isMonitoring = false;
    bool m_retrying = false;
    QTimer m_retryTimer;
    QTimer m_reattachTimer;
    const QString m_statusFilePath;
};

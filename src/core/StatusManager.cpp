#include "StatusManager.h"

#include "HomeDirectory.h"

#include "InternetDateTime.h"
#include "Log.h"
#include "StrictJsonObject.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

StatusManager::StatusManager(QString statusFilePath, CelebrationDurationSource celebrationDuration,
                             QObject* parent, std::chrono::milliseconds retryDelay,
                             std::chrono::milliseconds reattachInterval)
    : QObject(parent), m_lastUpdate(QDateTime::currentDateTimeUtc()),
      m_celebration(std::move(celebrationDuration), QString(),
                    [this] { return m_currentStatus == ClaudeStatus::completed; }),
      m_statusFilePath(std::move(statusFilePath))
{
    connect(&m_celebration, &Celebration::ended, this, [this] { setCurrentStatus(ClaudeStatus::idle); });
    m_retryTimer.setSingleShot(true);
    m_retryTimer.setInterval(retryDelay);
    connect(&m_retryTimer, &QTimer::timeout, this, [this] {
        if (!m_fileMonitor)
            return;
        m_retrying = true;
        m_fileMonitor->readFile();
        m_retrying = false;
    });
    m_reattachTimer.setInterval(reattachInterval);
    connect(&m_reattachTimer, &QTimer::timeout, this, &StatusManager::reattach);
}

StatusManager::~StatusManager() = default;

QString StatusManager::defaultStatusFilePath(const QString& home)
{
    return QDir(home).filePath(QStringLiteral(".tabbywatch/status.json"));
}

void StatusManager::startMonitoring()
{
    if (m_isMonitoring) {
        logLine(QStringLiteral("⏭️ Already monitoring, skipping restart"));
        return;
    }
    setMonitoring(true);
    ensureStatusFile();
    if (!attachMonitor(true)) {
        setMonitoring(false);
        return;
    }
    logLine(QStringLiteral("✅ Started monitoring: ") + m_statusFilePath);
    readInitialStatus();
}

bool StatusManager::attachMonitor(bool logFailure)
{
    auto monitor = FileMonitor::create(m_statusFilePath);
    if (!monitor) {
        if (logFailure)
            logLine(QStringLiteral("❌ Failed to start file monitor: ") + monitor.error().text());
        return false;
    }
    m_fileMonitor = std::move(*monitor);
    connect(m_fileMonitor.get(), &FileMonitor::didReadStatusUpdate, this,
            &StatusManager::didReadStatusUpdate);
    connect(m_fileMonitor.get(), &FileMonitor::detached, this, &StatusManager::monitorDetached,
            Qt::QueuedConnection);
    return true;
}

void StatusManager::monitorDetached()
{
    if (!m_fileMonitor || !m_fileMonitor->isDetached())
        return;
    // Deleted (perhaps with its folder) or replaced: the hook makes it again on its next write, so the
    // path is looked at until a file is there. Not made here: the user may have removed it on purpose.
    m_fileMonitor.reset();
    m_retryTimer.stop();
    logLine(QStringLiteral("🔍 Status file gone, waiting for it: ") + m_statusFilePath);
    reattach();
    if (!m_fileMonitor)
        m_reattachTimer.start();
}

void StatusManager::reattach()
{
    if (!m_isMonitoring || !QFileInfo(m_statusFilePath).isFile() || !attachMonitor(false))
        return;
    m_reattachTimer.stop();
    logLine(QStringLiteral("✅ Started monitoring: ") + m_statusFilePath);
    m_fileMonitor->readFile();
}

void StatusManager::stopMonitoring()
{
    m_reattachTimer.stop();
    m_retryTimer.stop();
    m_fileMonitor.reset();
    m_celebration.cancel();
    setMonitoring(false);
}

void StatusManager::ensureStatusFile()
{
    const QFileInfo info(m_statusFilePath);
    makePrivatePath(info.absolutePath());
    // exists() is false for a dangling link; writing through one would create a file elsewhere.
    if (info.exists() || info.isSymLink())
        return;
    const QJsonObject record{
        {QStringLiteral("status"), QStringLiteral("idle")},
        {QStringLiteral("timestamp"), InternetDateTime::format(QDateTime::currentDateTimeUtc())}};
    QFile file(m_statusFilePath);
    // NewOnly: never truncate a file that a hook created in the meantime.
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner))
        file.write(QJsonDocument(record).toJson(QJsonDocument::Compact));
}

void StatusManager::readInitialStatus()
{
    std::optional<ClaudeStatus> status;
    std::optional<QDateTime> written;
    QFile file(m_statusFilePath);
    if (QFileInfo(m_statusFilePath).isFile() && file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.read(FileMonitor::maxFileSize + 1);
        if (bytes.size() <= FileMonitor::maxFileSize) {
            if (auto json = StrictJsonObject::parse(bytes)) {
                const QJsonValue value = json->object().value(QStringLiteral("status"));
                if (value.isString())
                    status = claudeStatusFromText(value.toString());
                written =
                    InternetDateTime::parse(json->object().value(QStringLiteral("timestamp")).toString());
            }
        }
    }
    if (!status) {
        logLine(QStringLiteral("⚠️ Could not read status file"));
        return;
    }
    // A completion written before we started may be long over: its celebration is not shown again.
    const double elapsed = written ? written->msecsTo(QDateTime::currentDateTimeUtc()) / 1000.0 : 0;
    QMetaObject::invokeMethod(
        this, [this, status = *status, elapsed] { updateStatus(status, std::nullopt, elapsed); },
        Qt::QueuedConnection);
}

void StatusManager::didReadStatusUpdate(const std::optional<StatusUpdate>& update)
{
    const auto status = update ? claudeStatusFromText(update->status) : std::nullopt;
    if (!status) {
        // Most often a read between the hook's truncate and its write: the next event or one read a
        // moment later sees the record, and only a file still invalid then is worth a warning.
        if (m_retrying)
            logLine(QStringLiteral("⚠️ Invalid status update"));
        else if (!m_retryTimer.isActive())
            m_retryTimer.start();
        return;
    }
    m_retryTimer.stop();
    updateStatus(*status, update->tool);
}

void StatusManager::updateStatus(ClaudeStatus status, const std::optional<QString>& tool, double completedFor)
{
    logLine(QStringLiteral("📊 Status changed: ") + claudeStatusText(status));
    m_celebration.cancel();
    setCurrentStatus(status);
    m_statusHistory.prepend(StatusHistoryItem{QUuid::createUuid(), status, m_lastUpdate, tool});
    if (m_statusHistory.size() > maxHistoryItems)
        m_statusHistory.resize(maxHistoryItems);
    emit statusHistoryChanged();
    if (status == ClaudeStatus::completed)
        m_celebration.start(completedFor);
}

void StatusManager::acknowledgeCompletion()
{
    if (m_currentStatus != ClaudeStatus::completed)
        return;
    logLine(QStringLiteral("👆 User acknowledged completion"));
    m_celebration.finish();
}

void StatusManager::setCurrentStatus(ClaudeStatus status)
{
    m_currentStatus = status;
    m_lastUpdate = QDateTime::currentDateTimeUtc();
    emit currentStatusChanged();
    emit lastUpdateChanged();
}

void StatusManager::setMonitoring(bool monitoring)
{
    if (m_isMonitoring == monitoring)
        return;
    m_isMonitoring = monitoring;
    emit isMonitoringChanged();
}

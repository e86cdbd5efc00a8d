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
                             QObject* parent)
    : QObject(parent), m_lastUpdate(QDateTime::currentDateTimeUtc()),
      m_celebration(std::move(celebrationDuration), QString(),
                    [this] { return m_currentStatus == ClaudeStatus::completed; }),
      m_statusFilePath(std::move(statusFilePath))
{
    connect(&m_celebration, &Celebration::ended, this, [this] { setCurrentStatus(ClaudeStatus::idle); });
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

    auto monitor = FileMonitor::create(m_statusFilePath);
    if (!monitor) {
        logLine(QStringLiteral("❌ Failed to start file monitor: ") + monitor.error().text());
        setMonitoring(false);
        return;
    }
    m_fileMonitor = std::move(*monitor);
    connect(m_fileMonitor.get(), &FileMonitor::didReadStatusUpdate, this,
            &StatusManager::didReadStatusUpdate);
    logLine(QStringLiteral("✅ Started monitoring: ") + m_statusFilePath);
    readInitialStatus();
}

void StatusManager::stopMonitoring()
{
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
    QFile file(m_statusFilePath);
    if (QFileInfo(m_statusFilePath).isFile() && file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.read(FileMonitor::maxFileSize + 1);
        if (bytes.size() <= FileMonitor::maxFileSize) {
            if (auto json = StrictJsonObject::parse(bytes)) {
                const QJsonValue value = json->object().value(QStringLiteral("status"));
                if (value.isString())
                    status = claudeStatusFromText(value.toString());
            }
        }
    }
    if (!status) {
        logLine(QStringLiteral("⚠️ Could not read status file"));
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, status = *status] { updateStatus(status, std::nullopt); }, Qt::QueuedConnection);
}

void StatusManager::didReadStatusUpdate(const std::optional<StatusUpdate>& update)
{
    const auto status = update ? claudeStatusFromText(update->status) : std::nullopt;
    if (!status) {
        logLine(QStringLiteral("⚠️ Invalid status update"));
        return;
    }
    updateStatus(*status, update->tool);
}

void StatusManager::updateStatus(ClaudeStatus status, const std::optional<QString>& tool)
{
    logLine(QStringLiteral("📊 Status changed: ") + claudeStatusText(status));
    m_celebration.cancel();
    setCurrentStatus(status);
    m_statusHistory.prepend(StatusHistoryItem{QUuid::createUuid(), status, m_lastUpdate, tool});
    if (m_statusHistory.size() > maxHistoryItems)
        m_statusHistory.resize(maxHistoryItems);
    emit statusHistoryChanged();
    if (status == ClaudeStatus::completed)
        m_celebration.start();
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

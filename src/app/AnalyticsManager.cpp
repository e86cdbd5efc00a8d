#include "AnalyticsManager.h"

#include "InternetDateTime.h"
#include "Log.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <QUuid>

namespace {
constexpr int requestTimeoutMs = 60'000;

// INI files hand every value back as text; only the texts true and false count as a stored bool.
std::optional<bool> storedBool(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        if (value.toString() == u"true")
            return true;
        if (value.toString() == u"false")
            return false;
    }
    return std::nullopt;
}

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}
} // namespace

AnalyticsManager::AnalyticsManager(std::unique_ptr<QSettings> settings, QString analyticsURL, QObject* parent)
    : QObject(parent), m_settings(std::move(settings)), m_analyticsURL(std::move(analyticsURL)),
      m_network(new QNetworkAccessManager(this))
{
    const QString file = m_settings->fileName();
    if (m_settings->status() != QSettings::NoError ||
        (QFileInfo::exists(file) && !QFileInfo(file).isReadable()))
        m_persistent = false;
    logLine(QStringLiteral("📊 AnalyticsManager initialized (enabled: ") + boolText(isEnabled()) + u')');
}

AnalyticsManager::~AnalyticsManager()
{
    // Events still in flight at exit are dropped without a word.
    for (QNetworkReply* reply : m_network->findChildren<QNetworkReply*>())
        reply->disconnect();
}

QString AnalyticsManager::defaultAnalyticsURL()
{
    return QStringLiteral("https://tabbywatch.app/api/analytics");
}

bool AnalyticsManager::isEnabled() const
{
    return storedBool(m_settings->value(enabledKey)).value_or(true);
}

void AnalyticsManager::setEnabled(bool enabled)
{
    if (m_persistent) {
        m_settings->setValue(enabledKey, enabled);
        m_settings->sync();
    }
    logLine(QStringLiteral("📊 Analytics ") +
            (enabled ? QStringLiteral("enabled") : QStringLiteral("disabled")));
    emit enabledChanged();
}

void AnalyticsManager::track(const QString& event, const std::optional<QVariantMap>& properties)
{
    if (!isEnabled()) {
        logLine(QStringLiteral("⏭️  Analytics disabled, skipping: ") + event);
        return;
    }
    send(event, properties);
}

QString AnalyticsManager::deviceId()
{
    const QVariant stored = m_settings->value(deviceIdKey);
    if (stored.typeId() == QMetaType::QString && !stored.toString().isEmpty())
        return stored.toString();
    if (!m_persistent) {
        if (m_unsavedDeviceId.isEmpty())
            m_unsavedDeviceId = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        return m_unsavedDeviceId;
    }
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    m_settings->setValue(deviceIdKey, id);
    m_settings->sync();
    return id;
}

void AnalyticsManager::send(const QString& event, const std::optional<QVariantMap>& properties)
{
    const QUrl url(m_analyticsURL, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty()) {
        logLine(QStringLiteral("❌ Invalid analytics URL"));
        return;
    }

    QJsonObject body{
        {QStringLiteral("event"), event},
        {QStringLiteral("device_id"), deviceId()},
        {QStringLiteral("timestamp"), InternetDateTime::format(QDateTime::currentDateTimeUtc())},
    };
    if (properties)
        body.insert(QStringLiteral("properties"), QJsonObject::fromVariantMap(*properties));

    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setTransferTimeout(requestTimeoutMs);
    QNetworkReply* reply = m_network->post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));

    // The handler touches no member: replies still in flight when the manager goes are aborted and may
    // finish during its destruction.
    connect(reply, &QNetworkReply::finished, reply, [reply, event] {
        reply->deleteLater();
        const QNetworkReply::NetworkError error = reply->error();
        // Errors below 200 are the connection's and the proxy's: transport failures, also after a status
        // arrived. Qt flags HTTP error statuses as errors too (400 as a protocol error), but those are
        // answers and are reported with their status.
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const bool transportError =
            (error > QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied) ||
            (error != QNetworkReply::NoError && !status.isValid());
        if (transportError) {
            logLine(QStringLiteral("⚠️ Analytics network error: ") + reply->errorString());
        } else if (status.isValid() && status.toInt() == 200) {
            logLine(QStringLiteral("✅ Analytics event sent: ") + event);
        } else if (status.isValid()) {
            logLine(QStringLiteral("⚠️ Analytics event failed: ") + event + QStringLiteral(" (status: ") +
                    QString::number(status.toInt()) + u')');
        }
    });
}

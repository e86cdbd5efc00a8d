#include "AnalyticsManager.h"

#include "BuildInfo.h"
#include "InternetDateTime.h"
#include "Log.h"
#include "PreferencesManager.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <QUuid>

namespace {
constexpr int requestTimeoutMs = 60'000;

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}
} // namespace

AnalyticsManager::AnalyticsManager(PreferencesManager& preferences, QString analyticsURL, QObject* parent)
    : QObject(parent), m_preferences(preferences), m_analyticsURL(std::move(analyticsURL)),
      m_network(new QNetworkAccessManager(this))
{
    logLine(QStringLiteral("📊 AnalyticsManager initialized (enabled: ") + boolText(isEnabled()) + u')');
    // The preferences window's switch sets the preference itself.
    connect(&m_preferences, &PreferencesManager::analyticsEnabledChanged, this, [this] {
        logLine(QStringLiteral("📊 Analytics ") +
                (isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled")));
    });
}

AnalyticsManager::~AnalyticsManager()
{
    // Events still in flight at exit are dropped without a word.
    for (QNetworkReply* reply : m_network->findChildren<QNetworkReply*>())
        reply->disconnect();
}

QString AnalyticsManager::defaultAnalyticsURL()
{
    return QString::fromLatin1(BuildInfo::usageEventsURL);
}

bool AnalyticsManager::isEnabled() const
{
    return m_preferences.analyticsEnabled();
}

void AnalyticsManager::setEnabled(bool enabled)
{
    m_preferences.setAnalyticsEnabled(enabled);
}

void AnalyticsManager::track(const QString& event, const std::optional<QVariantMap>& properties)
{
    if (!isEnabled()) {
        logLine(QStringLiteral("⏭️  Analytics disabled, skipping: ") + event);
        return;
    }
    // A build without a usage-event address sends nothing, and says nothing about it either.
    if (m_analyticsURL.isEmpty())
        return;
    send(event, properties);
}

QString AnalyticsManager::deviceId()
{
    // Made on first use; where the settings cannot be saved it lives for this run.
    if (m_preferences.analyticsDeviceId().isEmpty())
        m_preferences.setAnalyticsDeviceId(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
    return m_preferences.analyticsDeviceId();
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

#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QSettings>
#include <QString>
#include <QVariantMap>
#include <memory>
#include <optional>

// Sends the few anonymous usage events, one POST per event, to our own service. Nothing is queued,
// batched or retried: an event that cannot be sent is logged and dropped. The user can switch it off.
class AnalyticsManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool enabled READ isEnabled WRITE setEnabled NOTIFY enabledChanged)

public:
    static inline const QString enabledKey = QStringLiteral("analyticsEnabled");
    static inline const QString deviceIdKey = QStringLiteral("analyticsDeviceId");

    // settings: the user defaults (the preferences' file); analyticsURL: the endpoint, parsed at each send.
    explicit AnalyticsManager(std::unique_ptr<QSettings> settings,
                              QString analyticsURL = defaultAnalyticsURL(), QObject* parent = nullptr);
    ~AnalyticsManager() override;

    static QString defaultAnalyticsURL();

    QString analyticsURL() const { return m_analyticsURL; }

    // True unless "analyticsEnabled" holds false.
    bool isEnabled() const;
    void setEnabled(bool enabled);

    // Sends in the background and returns at once. Without properties the body has no "properties" key;
    // with an empty map it has an empty object. Property values are texts, booleans or numbers.
    void track(const QString& event, const std::optional<QVariantMap>& properties = std::nullopt);

signals:
    void enabledChanged();

private:
    void send(const QString& event, const std::optional<QVariantMap>& properties);
    QString deviceId();

    std::unique_ptr<QSettings> m_settings;
    const QString m_analyticsURL;
    QNetworkAccessManager* m_network;
    // A settings file that could not be read is never written to; the device id then lives for this run.
    bool m_persistent = true;
    QString m_unsavedDeviceId;
};

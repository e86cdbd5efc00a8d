#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <optional>

class PreferencesManager;

// Sends the few anonymous usage events, one POST per event, to the address the build names (none by
// default: then nothing is ever sent). Nothing is queued,
// batched or retried: an event that cannot be sent is logged and dropped. The user can switch it off;
// the switch and the device id live in the preferences store.
class AnalyticsManager : public QObject
{
    Q_OBJECT

public:
    // analyticsURL: the endpoint, parsed at each send; empty sends nothing.
    explicit AnalyticsManager(PreferencesManager& preferences, QString analyticsURL = defaultAnalyticsURL(),
                              QObject* parent = nullptr);
    ~AnalyticsManager() override;

    static QString defaultAnalyticsURL();

    QString analyticsURL() const { return m_analyticsURL; }

    // True unless "analyticsEnabled" holds false.
    bool isEnabled() const;
    void setEnabled(bool enabled);

    // Sends in the background and returns at once. Without properties the body has no "properties" key;
    // with an empty map it has an empty object. Property values are texts, booleans or numbers.
    void track(const QString& event, const std::optional<QVariantMap>& properties = std::nullopt);

private:
    void send(const QString& event, const std::optional<QVariantMap>& properties);
    QString deviceId();

    PreferencesManager& m_preferences;
    const QString m_analyticsURL;
    QNetworkAccessManager* m_network;
};

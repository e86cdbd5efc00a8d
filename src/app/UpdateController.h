#pragma once

#include "UpdateCheckResult.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <chrono>

class QNetworkReply;

// "Check for Updates...": fetches the small JSON feed named when the program was built and says
// whether a newer version exists. An empty feed address means update checks are off.
class UpdateController : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds defaultTimeout{10'000};
    // Feeds are a few hundred bytes; a longer answer is not ours and is cut off.
    static constexpr qint64 maxFeedBytes = 64 * 1024;

    // timeout: how long the feed server may stay silent before the check fails.
    explicit UpdateController(QString feedURL, QString currentVersion,
                              std::chrono::milliseconds timeout = defaultTimeout, QObject* parent = nullptr);
    ~UpdateController() override;

    QString feedURL() const { return m_feedURL; }
    QString currentVersion() const { return m_currentVersion; }
    bool isAvailable() const { return !m_feedURL.isEmpty(); }
    bool isChecking() const { return m_checking; }

    // Starts a check whose end is one checkFinished, always after this returns. Returns false, and
    // emits nothing, when checks are off or one is already running.
    bool checkForUpdates();

signals:
    void checkFinished(const UpdateCheckResult& result);

private:
    void finish(QNetworkReply* reply);
    void finishWith(const UpdateCheckResult& result);

    const QString m_feedURL;
    const QString m_currentVersion;
    const std::chrono::milliseconds m_timeout;
    QNetworkAccessManager* m_network;
    QPointer<QNetworkReply> m_reply;
    bool m_checking = false;
    bool m_tooLarge = false;
};

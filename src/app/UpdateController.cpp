#include "UpdateController.h"

#include "Log.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

UpdateController::UpdateController(QString feedURL, QString currentVersion, std::chrono::milliseconds timeout,
                                   QObject* parent)
    : QObject(parent), m_feedURL(std::move(feedURL)), m_currentVersion(std::move(currentVersion)),
      m_timeout(timeout), m_network(new QNetworkAccessManager(this))
{}

UpdateController::~UpdateController()
{
    // A check still running when we go ends without a word.
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

bool UpdateController::checkForUpdates()
{
    if (!isAvailable() || m_checking)
        return false;
    m_checking = true;
    m_tooLarge = false;
    logLine(QStringLiteral("🔄 Checking for updates"));

    const QUrl url(m_feedURL, QUrl::StrictMode);
    if (!isWebURL(url)) {
        // Still asynchronous, so that every caller sees the same order of events.
        QTimer::singleShot(0, this, [this] {
            finishWith(UpdateCheckResult::failed(QStringLiteral("the update address is not valid")));
        });
        return true;
    }

    QNetworkRequest request(url);
    request.setTransferTimeout(int(m_timeout.count()));
    request.setRawHeader("Accept", "application/json");
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Tabbywatch/") + m_currentVersion);
    m_reply = m_network->get(request);
    QNetworkReply* reply = m_reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64 total) {
        if (received > maxFeedBytes || total > maxFeedBytes) {
            m_tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finish(reply); });
    return true;
}

void UpdateController::finish(QNetworkReply* reply)
{
    reply->deleteLater();
    m_reply = nullptr;
    const QNetworkReply::NetworkError error = reply->error();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);

    if (m_tooLarge) {
        finishWith(UpdateCheckResult::failed(QStringLiteral("the update information is too large")));
    } else if (error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError) {
        // The transfer timeout is the only other thing that cancels our request.
        finishWith(UpdateCheckResult::failed(QStringLiteral("the update server did not answer in time")));
    } else if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299)) {
        // Checked before the error: Qt flags error statuses as errors too, but they are answers.
        finishWith(UpdateCheckResult::failed(
            QStringLiteral("the update server answered with HTTP status %1").arg(status.toInt())));
    } else if (error != QNetworkReply::NoError) {
        finishWith(UpdateCheckResult::failed(
            QStringLiteral("the update server could not be reached (%1)").arg(reply->errorString())));
    } else {
        finishWith(evaluateUpdateFeed(reply->readAll(), m_currentVersion));
    }
}

void UpdateController::finishWith(const UpdateCheckResult& result)
{
    m_checking = false;
    if (result.outcome == UpdateCheckResult::Outcome::failed)
        logLine(QStringLiteral("❌ ") + result.text);
    else
        logLine(QStringLiteral("✅ Update check: ") + result.title);
    emit checkFinished(result);
}

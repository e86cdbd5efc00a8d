#include "VideoPlayerManager.h"

#include "Log.h"

#include <QFileInfo>
#include <QMediaPlayer>
#include <QVideoFrame>
#include <QVideoSink>
#include <memory>

namespace {
QMediaPlayer* makePlayer(QObject* parent)
{
    // No audio output is attached, so the cat is silent.
    auto* player = new QMediaPlayer(parent);
    player->setLoops(QMediaPlayer::Infinite);
    return player;
}
} // namespace

VideoPlayerManager::VideoPlayerManager(QObject* parent)
    : QObject(parent), m_first(makePlayer(this)), m_second(makePlayer(this)), m_active(m_first),
      m_staging(m_second)
{}

VideoPlayerManager::~VideoPlayerManager()
{
    removeObservations();
    for (QMediaPlayer* player : {m_first, m_second}) {
        player->stop();
        player->setVideoOutput(nullptr);
    }
}

QObject* VideoPlayerManager::firstOutput() const
{
    return m_first->videoOutput();
}

QObject* VideoPlayerManager::secondOutput() const
{
    return m_second->videoOutput();
}

void VideoPlayerManager::setFirstOutput(QObject* output)
{
    if (output == m_first->videoOutput())
        return;
    m_first->setVideoOutput(output);
    emit firstOutputChanged();
}

void VideoPlayerManager::setSecondOutput(QObject* output)
{
    if (output == m_second->videoOutput())
        return;
    m_second->setVideoOutput(output);
    emit secondOutputChanged();
}

void VideoPlayerManager::setSeen(bool seen)
{
    if (seen == m_seen)
        return;
    m_seen = seen;
    for (QMediaPlayer* player : {m_active, m_staging}) {
        const bool loaded = player == m_active ? !m_currentVideoURL.isEmpty() : !m_pendingVideoURL.isEmpty();
        if (!loaded)
            continue;
        if (seen)
            player->play();
        else
            player->pause();
    }
    emit seenChanged();
}

void VideoPlayerManager::loadVideo(const QUrl& url)
{
    if (!m_currentVideoURL.isEmpty() && m_currentVideoURL == url) {
        logLine(QStringLiteral("⏭️ Skipping load - same video already playing: ") + url.fileName());
        // The state went back before the other video was ready: it must not be swapped in later.
        if (!m_pendingVideoURL.isEmpty())
            cancelPreparation();
        return;
    }
    if (!m_pendingVideoURL.isEmpty() && m_pendingVideoURL == url) {
        logLine(QStringLiteral("⏭️ Skipping load - already preparing: ") + url.fileName());
        return;
    }
    const QString path = url.toLocalFile();
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        logLine(QStringLiteral("⚠️ Video not found at path: ") +
                (path.isEmpty() ? url.toString() : path));
        return;
    }
    removeObservations();
    logLine(QStringLiteral("▶️ Preparing video: ") + url.fileName());
    setPendingVideoURL(url);
    prepareStaging(url);
}

void VideoPlayerManager::removeObservations()
{
    disconnect(m_frameObservation);
    disconnect(m_errorObservation);
    disconnect(m_statusObservation);
}

void VideoPlayerManager::cancelPreparation()
{
    removeObservations();
    m_staging->stop();
    m_staging->setSource(QUrl());
    setPendingVideoURL({});
}

void VideoPlayerManager::prepareStaging(const QUrl& url)
{
    // Emptied first: a player keeps an unchanged source, and with it an earlier failure.
    m_staging->setSource(QUrl());
    m_staging->setSource(url);

    // Reports are queued, so one of an older preparation may still arrive after a newer loadVideo:
    // handleStagingReady tells them apart by the URL. Each preparation reports at most once.
    auto settled = std::make_shared<bool>(false);
    if (QVideoSink* sink = m_staging->videoSink()) {
        m_frameObservation = connect(
            sink, &QVideoSink::videoFrameChanged, this,
            [this, url, settled](const QVideoFrame& frame) {
                if (*settled || !frame.isValid())
                    return;
                *settled = true;
                handleStagingReady(url);
            },
            Qt::QueuedConnection);
    }
    const bool hasOutput = m_staging->videoSink() != nullptr;
    m_statusObservation = connect(
        m_staging, &QMediaPlayer::mediaStatusChanged, this,
        [this, url, settled, hasOutput](QMediaPlayer::MediaStatus status) {
            if (*settled)
                return;
            if (status == QMediaPlayer::InvalidMedia) {
                *settled = true;
                handleStagingFailed(url, m_staging->source() == url ? m_staging->errorString() : QString());
            } else if (!hasOutput &&
                       (status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia)) {
                // Without an output there is no frame to wait for.
                *settled = true;
                handleStagingReady(url);
            }
        },
        Qt::QueuedConnection);
    m_errorObservation = connect(
        m_staging, &QMediaPlayer::errorOccurred, this,
        [this, url, settled](QMediaPlayer::Error error, const QString& text) {
            if (*settled || error == QMediaPlayer::NoError)
                return;
            *settled = true;
            handleStagingFailed(url, text);
        },
        Qt::QueuedConnection);

    // The staging player runs unseen, so that it is already moving when it is swapped in.
    if (m_seen)
        m_staging->play();
    else
        m_staging->pause();
}

void VideoPlayerManager::handleStagingFailed(const QUrl& url, const QString& error)
{
    logLine(QStringLiteral("❌ Video load failed: ") +
            (error.isEmpty() ? QStringLiteral("unknown error") : error));
    // A late failure of a superseded video must not cancel the preparation that replaced it.
    if (m_pendingVideoURL == url)
        setPendingVideoURL({});
}

void VideoPlayerManager::handleStagingReady(const QUrl& url)
{
    if (m_pendingVideoURL.isEmpty() || m_pendingVideoURL != url) {
        logLine(QStringLiteral("⏭️ Ignoring ready signal - URL changed"));
        return;
    }
    logLine(QStringLiteral("✅ Video ready: ") + url.fileName());
    swapPlayers();
    m_currentVideoURL = url;
    emit currentVideoURLChanged();
    setPendingVideoURL({});
}

void VideoPlayerManager::swapPlayers()
{
    removeObservations();
    std::swap(m_active, m_staging);
    emit displayPlayerChanged();
    m_staging->pause();
    m_staging->setSource(QUrl());
    logLine(QStringLiteral("🔄 Player swapped successfully"));
}

void VideoPlayerManager::setPendingVideoURL(const QUrl& url)
{
    if (url == m_pendingVideoURL)
        return;
    m_pendingVideoURL = url;
    emit pendingVideoURLChanged();
}

#include "VideoPlayerManager.h"

#include "FramePacer.h"
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
    // The sink belongs to the player, so that a player stopped late keeps it to the end.
    player->setVideoSink(new QVideoSink(player));
    return player;
}

QVideoSink* outputSink(QObject* output)
{
    if (auto* sink = qobject_cast<QVideoSink*>(output))
        return sink;
    // An item that shows frames, such as VideoPicture.
    return output ? output->property("videoSink").value<QVideoSink*>() : nullptr;
}
} // namespace

VideoPlayerManager::VideoPlayerManager(QObject* parent) : VideoPlayerManager(Timing{}, parent) {}

VideoPlayerManager::VideoPlayerManager(Timing timing, QObject* parent)
    : QObject(parent), m_timing(timing), m_first(makePlayer(this)), m_second(makePlayer(this)),
      m_active(m_first), m_staging(m_second)
{
    m_readyTimeout.setSingleShot(true);
    m_readyTimeout.setInterval(m_timing.readyTimeout);
    connect(&m_readyTimeout, &QTimer::timeout, this, &VideoPlayerManager::handleReadyTimeout);
    m_emptyStaging.setSingleShot(true);
    m_emptyStaging.setInterval(m_timing.stopDelay);
    connect(&m_emptyStaging, &QTimer::timeout, this, [this] {
        if (!m_pendingVideoURL.isEmpty())
            return;
        if (!m_settled[indexOf(m_staging)]) {
            m_emptyStaging.start(); // still starting up: emptying it now would stall
            return;
        }
        m_staging->setSource(QUrl());
    });
    m_stageTimer.setSingleShot(true);
    connect(&m_stageTimer, &QTimer::timeout, this, &VideoPlayerManager::stageWhenQuiet);
    for (QMediaPlayer* player : {m_first, m_second}) {
        connect(sinkOf(player), &QVideoSink::videoFrameChanged, this,
                [this, player](const QVideoFrame& frame) {
                    if (frame.isValid() && !m_settled[indexOf(player)])
                        handleSettled(player);
                });
        connect(player, &QMediaPlayer::mediaStatusChanged, this,
                [this, player](QMediaPlayer::MediaStatus status) {
                    if (status == QMediaPlayer::InvalidMedia)
                        handleSettled(player);
                });
        connect(player, &QMediaPlayer::errorOccurred, this, [this, player] { handleSettled(player); });
    }
}

VideoPlayerManager::~VideoPlayerManager()
{
    removeObservations();
    // Paused now, stopped and freed a little later: stopping a pipeline right after pausing it would
    // hold up the GUI thread while the cat goes away.
    for (QMediaPlayer* player : {m_first, m_second}) {
        player->pause();
        player->setParent(nullptr);
        QTimer::singleShot(m_timing.stopDelay, player, [player] {
            player->setSource(QUrl());
            player->deleteLater();
        });
    }
}

QVideoSink* VideoPlayerManager::sinkOf(QMediaPlayer* player) const
{
    return player->videoSink();
}

QObject* VideoPlayerManager::firstOutput() const
{
    return m_outputs[0];
}

QObject* VideoPlayerManager::secondOutput() const
{
    return m_outputs[1];
}

void VideoPlayerManager::setFirstOutput(QObject* output)
{
    setOutput(0, output);
}

void VideoPlayerManager::setSecondOutput(QObject* output)
{
    setOutput(1, output);
}

void VideoPlayerManager::setOutput(int index, QObject* output)
{
    if (output == m_outputs[index])
        return;
    disconnect(m_forwarding[index]);
    m_outputs[index] = output;
    QVideoSink* source = sinkOf(index == 0 ? m_first : m_second);
    if (QVideoSink* target = outputSink(output)) {
        m_forwarding[index] =
            connect(source, &QVideoSink::videoFrameChanged, target,
                    [target](const QVideoFrame& frame) { FramePacer::shared().post(target, frame); });
        target->setVideoFrame(source->videoFrame());
    }
    if (index == 0)
        emit firstOutputChanged();
    else
        emit secondOutputChanged();
}

void VideoPlayerManager::setSeen(bool seen)
{
    if (seen == m_seen)
        return;
    m_seen = seen;
    for (QMediaPlayer* player : {m_active, m_staging}) {
        const bool loaded = player == m_active ? !m_currentVideoURL.isEmpty()
                                               : !m_pendingVideoURL.isEmpty() && !m_waitingToStage;
        if (!loaded)
            continue;
        if (seen)
            player->play();
        else
            pause(player);
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
    m_retries = 0;
    prepareStaging();
}

void VideoPlayerManager::removeObservations()
{
    disconnect(m_frameObservation);
    disconnect(m_errorObservation);
    disconnect(m_statusObservation);
    m_readyTimeout.stop();
}

void VideoPlayerManager::pause(QMediaPlayer* player)
{
    if (player->playbackState() == QMediaPlayer::PlayingState)
        m_pausedAt[indexOf(player)].start();
    player->pause();
}

void VideoPlayerManager::cancelPreparation()
{
    removeObservations();
    m_waitingToStage = false;
    m_stageTimer.stop();
    pause(m_staging);
    m_emptyStaging.start();
    setPendingVideoURL({});
}

void VideoPlayerManager::prepareStaging()
{
    m_emptyStaging.stop();
    m_waitingToStage = true;
    stageWhenQuiet();
}

void VideoPlayerManager::handleSettled(QMediaPlayer* player)
{
    m_settled[indexOf(player)] = true;
    m_settledAt[indexOf(player)].start();
    if (player == m_staging && m_waitingToStage)
        stageWhenQuiet();
}

void VideoPlayerManager::stageWhenQuiet()
{
    if (!m_waitingToStage || m_pendingVideoURL.isEmpty())
        return;
    const int index = indexOf(m_staging);
    pause(m_staging);
    qint64 wait = 0;
    if (!m_settled[index] && m_sourcedAt[index].isValid())
        wait = m_timing.settleTimeout.count() - m_sourcedAt[index].elapsed(); // or until it settles
    else
        for (const QElapsedTimer& since : {m_pausedAt[index], m_settledAt[index]})
            if (since.isValid())
                wait = std::max(wait, m_timing.quietPeriod.count() - since.elapsed());
    if (wait > 0) {
        m_stageTimer.start(int(wait));
        return;
    }
    stage(m_pendingVideoURL);
}

void VideoPlayerManager::stage(const QUrl& url)
{
    m_waitingToStage = false;
    m_stageTimer.stop();
    const int index = indexOf(m_staging);
    // A player keeps an unchanged source, and with it an earlier failure: empty it first then.
    if (m_staging->source() == url)
        m_staging->setSource(QUrl());
    m_settled[index] = false;
    m_sourcedAt[index].start();
    m_pausedAt[index].invalidate();
    m_staging->setSource(url);

    // Reports are queued, so one of an older preparation may still arrive after a newer loadVideo:
    // handleStagingReady tells them apart by the URL. Each preparation reports at most once.
    auto settled = std::make_shared<bool>(false);
    m_frameObservation = connect(
        sinkOf(m_staging), &QVideoSink::videoFrameChanged, this,
        [this, url, settled](const QVideoFrame& frame) {
            if (*settled || !frame.isValid())
                return;
            *settled = true;
            handleStagingReady(url);
        },
        Qt::QueuedConnection);
    m_statusObservation = connect(
        m_staging, &QMediaPlayer::mediaStatusChanged, this,
        [this, url, settled](QMediaPlayer::MediaStatus status) {
            if (*settled || status != QMediaPlayer::InvalidMedia)
                return;
            *settled = true;
            handleStagingFailed(url, m_staging->source() == url ? m_staging->errorString() : QString());
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
    m_readyTimeout.start();

    // The staging player runs unseen, so that it is already moving when it is swapped in.
    if (m_seen)
        m_staging->play();
    else
        m_staging->pause();
}

void VideoPlayerManager::handleReadyTimeout()
{
    // No frame and no error: a file without a picture, or a pipeline whose output never started.
    const QUrl url = m_pendingVideoURL;
    if (url.isEmpty())
        return;
    removeObservations();
    if (m_retries < 1) {
        ++m_retries;
        logLine(QStringLiteral("⚠️ No picture yet, preparing again: ") + url.fileName());
        prepareStaging();
        return;
    }
    handleStagingFailed(url,
                        QStringLiteral("no picture after %1 s").arg(m_timing.readyTimeout.count() / 1000.0));
}

void VideoPlayerManager::handleStagingFailed(const QUrl& url, const QString& error)
{
    logLine(QStringLiteral("❌ Video load failed: ") +
            (error.isEmpty() ? QStringLiteral("unknown error") : error));
    // A late failure of a superseded video must not cancel the preparation that replaced it.
    if (m_pendingVideoURL == url) {
        m_readyTimeout.stop();
        setPendingVideoURL({});
        // A file without a picture would otherwise go on playing unseen; it is emptied like any
        // hidden player.
        m_settled[indexOf(m_staging)] = true;
        pause(m_staging);
        m_emptyStaging.start();
    }
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
    // The new picture must be in its output before that output is shown.
    FramePacer::shared().flush(outputSink(m_outputs[m_active == m_first ? 0 : 1]));
    emit displayPlayerChanged();
    pause(m_staging);
    // Emptied a little later, once it is cheap to stop (see Timing::stopDelay).
    m_emptyStaging.start();
    logLine(QStringLiteral("🔄 Player swapped successfully"));
}

void VideoPlayerManager::setPendingVideoURL(const QUrl& url)
{
    if (url == m_pendingVideoURL)
        return;
    m_pendingVideoURL = url;
    emit pendingVideoURLChanged();
}

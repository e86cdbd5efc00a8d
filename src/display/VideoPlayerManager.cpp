#include "VideoPlayerManager.h"

#include "FramePacer.h"
#include "FrameSource.h"
#include "FrameSourceRegistry.h"
#include "Log.h"
#include "SkinRendition.h"
#include "VideoPicture.h"

#include <QFileInfo>

VideoPlayerManager::VideoPlayerManager(QObject* parent)
    : VideoPlayerManager(FrameSourceRegistry::shared(), FramePacer::shared(), parent)
{}

VideoPlayerManager::VideoPlayerManager(FrameSourceRegistry& registry, FramePacer& pacer, QObject* parent)
    : QObject(parent), m_registry(registry), m_pacer(pacer)
{
    m_acquire.setSingleShot(true);
    connect(&m_acquire, &QTimer::timeout, this, &VideoPlayerManager::acquireSources);
    connect(&m_pacer, &FramePacer::tick, this, &VideoPlayerManager::onTick);
}

VideoPlayerManager::~VideoPlayerManager() = default;

VideoPicture* VideoPlayerManager::output() const
{
    return m_output;
}

void VideoPlayerManager::setOutput(VideoPicture* output)
{
    if (output == m_output)
        return;
    disconnect(m_sizeWatch);
    m_output = output;
    if (output) {
        m_sizeWatch = connect(output, &VideoPicture::pixelSizeChanged, this,
                              [this] { scheduleAcquire(m_current.source ? resizeSettleMs : 0); });
        m_current.shownFrame = 0; // the new output has not had the current frame yet
        scheduleAcquire(0);
    }
    emit outputChanged();
}

QSize VideoPlayerManager::wantedSize() const
{
    return m_output ? m_output->pixelSize() : QSize();
}

void VideoPlayerManager::setSeen(bool seen)
{
    if (seen == m_seen)
        return;
    m_seen = seen;
    if (seen) {
        scheduleAcquire(0);
    } else {
        m_current.source.reset();
        m_pending.source.reset();
    }
    emit seenChanged();
}

int VideoPlayerManager::heldSources() const
{
    return int(bool(m_current.source)) + int(bool(m_pending.source));
}

void VideoPlayerManager::loadVideo(const QUrl& url)
{
    if (!m_current.url.isEmpty() && m_current.url == url) {
        logLine(QStringLiteral("⏭️ Skipping load - same video already playing: ") + url.fileName());
        // The state went back before the other video was ready: it must not be swapped in later.
        if (m_pending.announced)
            setPending({});
        return;
    }
    if (m_pending.announced && m_pending.url == url) {
        logLine(QStringLiteral("⏭️ Skipping load - already preparing: ") + url.fileName());
        return;
    }
    const QString path = url.toLocalFile();
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        logLine(QStringLiteral("⚠️ Video not found at path: ") +
                (path.isEmpty() ? url.toString() : path));
        return;
    }
    logLine(QStringLiteral("▶️ Preparing video: ") + url.fileName());
    setPending({url, nullptr, 0, true});
    scheduleAcquire(0);
}

void VideoPlayerManager::setPending(Clip clip)
{
    const QUrl before = pendingVideoURL();
    m_pending = std::move(clip);
    if (pendingVideoURL() != before)
        emit pendingVideoURLChanged();
}

void VideoPlayerManager::scheduleAcquire(int delayMs)
{
    // A pending acquisition is not put off by a later, slower reason.
    if (m_acquire.isActive() && m_acquire.remainingTime() <= delayMs)
        return;
    m_acquire.start(delayMs);
}

void VideoPlayerManager::acquireSources()
{
    const QSize size = wantedSize();
    if (!m_seen || size.isEmpty())
        return;
    if (!m_current.url.isEmpty()) {
        if (!m_current.source)
            take(m_current); // taken up again: the last picture stays until the first frame
        else if (m_current.source->size() != size && m_pending.url.isEmpty())
            m_pending = {m_current.url, nullptr, 0, false};
    }
    if (!m_pending.url.isEmpty() && (!m_pending.source || m_pending.source->size() != size))
        take(m_pending);
}

void VideoPlayerManager::take(Clip& clip)
{
    clip.source =
        m_registry.acquire(SkinRendition::pathFor(clip.url.toLocalFile(), wantedSize()), wantedSize());
    clip.shownFrame = 0;
    FrameSource* source = clip.source.get();
    if (source->hasFailed()) {
        handleFailed(source, source->failureReason());
        return;
    }
    disconnect(source, nullptr, this, nullptr); // taken before by this cat
    connect(source, &FrameSource::failed, this,
            [this, source](const QString& reason) { handleFailed(source, reason); });
    // A new clip is shown the moment its first frame is ready, not a frame tick later.
    connect(source, &FrameSource::firstFrameReady, this, &VideoPlayerManager::onTick);
    if (source->frameNumber() > 0)
        onTick(); // shared and running already
}

void VideoPlayerManager::handleFailed(FrameSource* source, const QString& reason)
{
    Clip* clip = m_pending.source.get() == source   ? &m_pending
                 : m_current.source.get() == source ? &m_current
                                                    : nullptr;
    if (!clip)
        return; // a source this cat has let go of
    logLine(QStringLiteral("❌ Video load failed: ") +
            (reason.isEmpty() ? QStringLiteral("unknown error") : reason));
    // The last picture stays; the clip is tried again only when asked for again.
    if (clip == &m_pending)
        setPending({});
    else
        m_current.source.reset();
}

void VideoPlayerManager::onTick()
{
    if (m_pending.source && m_pending.source->frameNumber() > 0) {
        if (m_pending.announced) {
            logLine(QStringLiteral("✅ Video ready: ") + m_pending.url.fileName());
            logLine(QStringLiteral("🔄 Player swapped successfully"));
        }
        const bool announced = m_pending.announced;
        const bool changed = m_pending.url != m_current.url;
        m_current = std::exchange(m_pending, {});
        if (changed)
            emit currentVideoURLChanged();
        if (announced)
            emit pendingVideoURLChanged();
    }
    if (!m_current.source || !m_output)
        return;
    const quint64 number = m_current.source->frameNumber();
    if (number == 0 || number == m_current.shownFrame)
        return;
    m_current.shownFrame = number;
    m_output->setPicture(m_current.source->latestFrame().image);
    m_pacer.markMoved();
}

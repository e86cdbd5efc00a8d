#include "FramePacer.h"

#include <QVideoSink>

FramePacer::FramePacer(std::chrono::milliseconds interval, QObject* parent) : QObject(parent)
{
    m_tick.setTimerType(Qt::PreciseTimer);
    m_tick.setInterval(interval);
    connect(&m_tick, &QTimer::timeout, this, &FramePacer::deliver);
}

FramePacer& FramePacer::shared()
{
    static FramePacer pacer;
    return pacer;
}

void FramePacer::post(QVideoSink* output, const QVideoFrame& frame)
{
    if (!output)
        return;
    m_waiting.insert(output, {QPointer<QVideoSink>(output), frame});
    if (!m_tick.isActive())
        m_tick.start();
}

void FramePacer::flush(QVideoSink* output)
{
    const auto found = m_waiting.find(output);
    if (found == m_waiting.end())
        return;
    const auto [target, frame] = *found;
    m_waiting.erase(found);
    if (target)
        target->setVideoFrame(frame);
}

void FramePacer::deliver()
{
    if (m_waiting.isEmpty()) {
        m_tick.stop();
        return;
    }
    const auto waiting = std::exchange(m_waiting, {});
    for (const auto& [target, frame] : waiting) {
        if (target)
            target->setVideoFrame(frame);
    }
}

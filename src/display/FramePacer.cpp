#include "FramePacer.h"

FramePacer::FramePacer(std::chrono::milliseconds interval, QObject* parent) : QObject(parent)
{
    m_tick.setTimerType(Qt::PreciseTimer);
    m_tick.setInterval(interval);
    connect(&m_tick, &QTimer::timeout, this, &FramePacer::onTimeout);
}

FramePacer& FramePacer::shared()
{
    static FramePacer pacer;
    return pacer;
}

void FramePacer::wake()
{
    if (!m_sleeping.exchange(false))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_idleTicks = 0;
            if (!m_tick.isActive())
                m_tick.start();
        },
        Qt::QueuedConnection);
}

bool FramePacer::tickOnce()
{
    m_moved = false;
    emit tick();
    return m_moved;
}

void FramePacer::onTimeout()
{
    if (tickOnce()) {
        m_idleTicks = 0;
        return;
    }
    if (++m_idleTicks < idleTicksBeforeSleep)
        return;
    // A frame that arrives from here on wakes the clock again; one that came just before is taken now.
    m_sleeping.store(true);
    if (tickOnce()) {
        m_sleeping.store(false);
        m_idleTicks = 0;
        return;
    }
    m_tick.stop();
}

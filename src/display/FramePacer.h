#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <chrono>

// The frame clock of the GUI thread. Every cat takes its source's newest frame on the same tick, so
// that the window is drawn once per tick for all cats rather than once per frame of each, which with
// six unsynchronised 30 fps videos would be up to every display refresh. The clock sleeps while no
// cat has anything new and is woken, from any thread, when a frame arrives.
class FramePacer : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultInterval{33};
    // Ticks without anything new before the clock sleeps.
    static constexpr int idleTicksBeforeSleep = 3;

    explicit FramePacer(std::chrono::milliseconds interval = defaultInterval, QObject* parent = nullptr);

    // The one pacer of the GUI thread.
    static FramePacer& shared();

    // Thread-safe: a frame is ready somewhere, tick until it has been taken.
    void wake();
    // From a tick's receiver: it took something new, so the clock keeps going.
    void markMoved() { m_moved = true; }
    bool isTicking() const { return m_tick.isActive(); }

signals:
    void tick();

private:
    void onTimeout();
    bool tickOnce();

    QTimer m_tick;
    std::atomic<bool> m_sleeping{true};
    bool m_moved = false;
    int m_idleTicks = 0;
};

#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVideoFrame>
#include <chrono>

class QVideoSink;

// Hands the frames of all cats on to their outputs together, on one clock: the window is then drawn
// once per tick for every cat at once, rather than once for each frame of each cat, which with six
// unsynchronised 30 fps videos would be up to every display refresh. Sleeps while no frame comes.
class FramePacer : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultInterval{33};

    explicit FramePacer(std::chrono::milliseconds interval = defaultInterval, QObject* parent = nullptr);

    // The one pacer of the GUI thread.
    static FramePacer& shared();

    // The frame goes to the output at the next tick; a newer one for the same output replaces it.
    void post(QVideoSink* output, const QVideoFrame& frame);
    // Delivers the output's waiting frame now, if there is one.
    void flush(QVideoSink* output);
    int waitingFrames() const { return int(m_waiting.size()); }
    bool isTicking() const { return m_tick.isActive(); }

private:
    void deliver();

    QTimer m_tick;
    QHash<QVideoSink*, std::pair<QPointer<QVideoSink>, QVideoFrame>> m_waiting;
};

#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class QThreadPool;

// One clip decoded, scaled and converted inside GStreamer to the size it is drawn at, looping without
// a gap (segment seeks), its newest frame kept for whoever draws it. Building, prerolling, pausing and
// tearing down run on the given worker pool, wrap seeks on GStreamer's own threads: the owner's thread
// only reads the newest frame and receives the two signals. A clip that fails says so once and is
// never tried again.
class FrameSource : public QObject
{
    Q_OBJECT
public:
    struct Frame
    {
        QImage image;            // premultiplied ARGB32 of size(), sharing the decoder's buffer
        quint64 number = 0;      // 1 for the first frame, one more for each new one
        qint64 position = -1;    // nanoseconds into the clip
        qint64 runningTime = -1; // nanoseconds since playing began; keeps growing across wraps
    };
    // Called on a streaming thread for every new frame; must return quickly.
    using FrameObserver = std::function<void(const Frame&)>;

    // Nothing happens before start(); the pool must outlive this source's close().
    FrameSource(QString path, QSize size, QThreadPool* workers, QObject* parent = nullptr);
    // Closes the pipeline if close() has not run yet, which waits for its threads.
    ~FrameSource() override;

    QString path() const { return m_path; }
    QSize size() const { return m_size; }

    void setFrameObserver(FrameObserver observer); // before start()
    void start();
    // A paused source keeps its newest frame and stops decoding. Sources start active.
    void setActive(bool active);
    bool isActive() const;

    Frame latestFrame() const;
    quint64 frameNumber() const; // cheap: tells whether latestFrame() has something new
    bool hasFailed() const;
    QString failureReason() const; // empty unless it has failed

    // Stops the pipeline and waits for its threads: call it on a worker thread.
    void close();

signals:
    // Each is sent once per source, queued to its thread: a viewer that arrives later checks
    // frameNumber() and hasFailed() instead.
    void firstFrameReady();
    void failed(const QString& reason);

private:
    struct State;
    const QString m_path;
    const QSize m_size;
    QThreadPool* const m_workers;
    std::shared_ptr<State> m_state;
    bool m_started = false;
};

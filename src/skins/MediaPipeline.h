#pragma once

#include "SkinError.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <expected>
#include <functional>
#include <gst/gst.h>
#include <optional>

// Runs one GStreamer pipeline either until its sinks hold a first frame (preroll) or until the end of
// the stream. Asynchronous runs pop the bus from a timer on this object's thread, so progress and the
// result arrive there; blocking runs are for tools and worker threads. Streaming threads end a run
// with an error of their own through postFailure().
class MediaPipeline : public QObject
{
    Q_OBJECT
public:
    enum class Goal
    {
        preroll,
        endOfStream,
    };
    using Result = std::expected<void, SkinError>;
    using ProgressSource = std::function<std::optional<double>()>;

    // Takes the pipeline's reference.
    MediaPipeline(GstElement* pipeline, Goal goal, QObject* parent = nullptr);
    ~MediaPipeline() override;

    GstElement* pipeline() const { return m_pipeline; }

    // Read on every poll of an asynchronous run; a run whose value has not moved for the stall time
    // (or, without a source, that has not finished within it) fails rather than hanging.
    void setProgressSource(ProgressSource source) { m_progressSource = std::move(source); }
    void setStallTimeout(std::chrono::milliseconds timeout) { m_stallTimeout = timeout; }

    // The result is always delivered later, also when the pipeline fails to start.
    void start(std::function<void(double)> onProgress, std::function<void(Result)> onFinished);

    Result begin();
    Result wait(std::chrono::milliseconds timeout);

    // Stops the streaming threads and closes the files; no result follows.
    void stop();

    static void postFailure(GstElement* pipeline, const SkinError& error);

private:
    std::optional<Result> handleMessage(GstMessage* message);
    void poll();
    void finish(Result result);

    GstElement* m_pipeline;
    GstBus* m_bus;
    const Goal m_goal;
    ProgressSource m_progressSource;
    std::chrono::milliseconds m_stallTimeout{30000};
    std::function<void(double)> m_onProgress;
    std::function<void(Result)> m_onFinished;
    QTimer m_pollTimer;
    QElapsedTimer m_sinceProgress;
    std::optional<double> m_lastProgress;
    bool m_running = false;
};

#include "MediaPipeline.h"

#include "GstSupport.h"

#include <QPointer>

namespace {
constexpr const char* failureMessageName = "tabbywatch-failure";
constexpr std::chrono::milliseconds pollInterval{20};
} // namespace

MediaPipeline::MediaPipeline(GstElement* pipeline, Goal goal, QObject* parent)
    : QObject(parent), m_pipeline(pipeline), m_bus(gst_element_get_bus(pipeline)), m_goal(goal)
{
    // A new pipeline is floating: sinking makes its one reference ours; otherwise the caller's is.
    if (g_object_is_floating(m_pipeline))
        gst_object_ref_sink(m_pipeline);
    m_pollTimer.setInterval(pollInterval);
    connect(&m_pollTimer, &QTimer::timeout, this, &MediaPipeline::poll);
}

MediaPipeline::~MediaPipeline()
{
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    gst_object_unref(m_bus);
    gst_object_unref(m_pipeline);
}

void MediaPipeline::start(std::function<void(double)> onProgress, std::function<void(Result)> onFinished)
{
    m_onProgress = std::move(onProgress);
    m_onFinished = std::move(onFinished);
    m_running = true;
    m_lastProgress.reset();
    m_sinceProgress.start();
    if (Result started = begin(); !started) {
        QTimer::singleShot(0, this, [this, started] { finish(started); });
        return;
    }
    m_pollTimer.start();
}

MediaPipeline::Result MediaPipeline::begin()
{
    const GstState target = m_goal == Goal::preroll ? GST_STATE_PAUSED : GST_STATE_PLAYING;
    if (gst_element_set_state(m_pipeline, target) != GST_STATE_CHANGE_FAILURE)
        return {};
    // The element that refused normally left its reason on the bus.
    while (GstMessage* message = gst_bus_pop_filtered(m_bus, GST_MESSAGE_ERROR)) {
        GstSupport::MiniObjectPtr<GstMessage> owned(message);
        if (auto result = handleMessage(message)) {
            gst_element_set_state(m_pipeline, GST_STATE_NULL);
            return *result;
        }
    }
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    return std::unexpected(
        GstSupport::pipelineError(1, QStringLiteral("The media pipeline could not start")));
}

MediaPipeline::Result MediaPipeline::wait(std::chrono::milliseconds timeout)
{
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        const qint64 remaining = timeout.count() - elapsed.elapsed();
        if (remaining <= 0)
            break;
        GstSupport::MiniObjectPtr<GstMessage> message(
            gst_bus_timed_pop(m_bus, GstClockTime(remaining) * GST_MSECOND));
        if (!message)
            break;
        if (auto result = handleMessage(message.get())) {
            if (!*result || m_goal == Goal::endOfStream)
                gst_element_set_state(m_pipeline, GST_STATE_NULL);
            return *result;
        }
    }
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    return std::unexpected(GstSupport::pipelineError(2, QStringLiteral("The media pipeline timed out")));
}

void MediaPipeline::stop()
{
    m_running = false;
    m_pollTimer.stop();
    m_onProgress = nullptr;
    m_onFinished = nullptr;
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
}

void MediaPipeline::postFailure(GstElement* pipeline, const SkinError& error)
{
    GstStructure* structure = gst_structure_new(
        failureMessageName, "domain", G_TYPE_STRING, error.domain.toUtf8().constData(), "code", G_TYPE_INT,
        error.code, "description", G_TYPE_STRING, error.description.toUtf8().constData(), nullptr);
    gst_element_post_message(pipeline, gst_message_new_application(GST_OBJECT(pipeline), structure));
}

std::optional<MediaPipeline::Result> MediaPipeline::handleMessage(GstMessage* message)
{
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR: {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        SkinError converted = GstSupport::errorFromGError(error);
        g_clear_error(&error);
        return std::unexpected(converted);
    }
    case GST_MESSAGE_EOS:
        if (m_goal == Goal::endOfStream)
            return Result{};
        // A stream that ends before anything prerolled has nothing to show.
        return std::unexpected(
            GstSupport::pipelineError(3, QStringLiteral("The stream ended before a frame")));
    case GST_MESSAGE_ASYNC_DONE:
        if (m_goal == Goal::preroll && GST_MESSAGE_SRC(message) == GST_OBJECT(m_pipeline))
            return Result{};
        return std::nullopt;
    case GST_MESSAGE_APPLICATION: {
        const GstStructure* structure = gst_message_get_structure(message);
        if (!structure || !gst_structure_has_name(structure, failureMessageName))
            return std::nullopt;
        int code = 0;
        gst_structure_get_int(structure, "code", &code);
        return std::unexpected(
            SkinError{QString::fromUtf8(gst_structure_get_string(structure, "domain")), code,
                      QString::fromUtf8(gst_structure_get_string(structure, "description"))});
    }
    default:
        return std::nullopt;
    }
}

void MediaPipeline::poll()
{
    while (m_running) {
        GstSupport::MiniObjectPtr<GstMessage> message(gst_bus_pop(m_bus));
        if (!message)
            break;
        if (auto result = handleMessage(message.get())) {
            finish(*result);
            return;
        }
    }
    if (!m_running)
        return;
    if (m_progressSource) {
        const std::optional<double> progress = m_progressSource();
        if (progress && progress != m_lastProgress) {
            m_lastProgress = progress;
            m_sinceProgress.restart();
            if (m_onProgress)
                m_onProgress(*progress);
        }
    }
    if (m_sinceProgress.elapsed() > m_stallTimeout.count())
        finish(std::unexpected(GstSupport::pipelineError(2, QStringLiteral("The media pipeline stalled"))));
}

void MediaPipeline::finish(Result result)
{
    if (!m_running)
        return;
    m_running = false;
    m_pollTimer.stop();
    // Files are complete and closed only once the pipeline is down; a preroll keeps its frame.
    if (!result || m_goal == Goal::endOfStream)
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
    auto onFinished = std::move(m_onFinished);
    m_onFinished = nullptr;
    m_onProgress = nullptr;
    if (onFinished)
        onFinished(std::move(result)); // may delete this
}

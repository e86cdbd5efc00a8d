#include "FrameSource.h"

#include "GstSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <gst/app/gstappsink.h>
#include <gst/video/video.h>
#include <mutex>

namespace {
// A pipeline that has not prerolled by then is taken as broken; the wait looks up this often for an
// error or a close that makes it pointless.
constexpr int prerollChecks = 200;
constexpr GstClockTime prerollCheckInterval = 50 * GST_MSECOND;

// Keeps the sample, and so the decoder's buffer, alive for as long as an image shows its pixels.
struct MappedSample
{
    GstSample* sample = nullptr;
    GstVideoFrame frame{};
};

void releaseMappedSample(void* info)
{
    auto* mapped = static_cast<MappedSample*>(info);
    gst_video_frame_unmap(&mapped->frame);
    gst_sample_unref(mapped->sample);
    delete mapped;
}

QImage imageOf(GstSample* sample)
{
    GstVideoInfo info;
    GstCaps* caps = gst_sample_get_caps(sample);
    if (!caps || !gst_video_info_from_caps(&info, caps))
        return {};
    auto* mapped = new MappedSample{gst_sample_ref(sample), {}};
    if (!gst_video_frame_map(&mapped->frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ)) {
        gst_sample_unref(mapped->sample);
        delete mapped;
        return {};
    }
    // BGRA in memory is ARGB32 on a little-endian machine; clips are opaque, so premultiplied is the same.
    return QImage(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&mapped->frame, 0)),
                  GST_VIDEO_FRAME_WIDTH(&mapped->frame), GST_VIDEO_FRAME_HEIGHT(&mapped->frame),
                  GST_VIDEO_FRAME_PLANE_STRIDE(&mapped->frame, 0), QImage::Format_ARGB32_Premultiplied,
                  releaseMappedSample, mapped);
}

QString describe(GstMessage* message)
{
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    QString text = error ? QString::fromUtf8(error->message) : QStringLiteral("unknown error");
    g_clear_error(&error);
    g_free(debug);
    return text;
}

void postError(GstElement* from, const char* text)
{
    GError* error = g_error_new_literal(GST_STREAM_ERROR, GST_STREAM_ERROR_WRONG_TYPE, text);
    gst_element_post_message(from, gst_message_new_error(GST_OBJECT(from), error, nullptr));
    g_error_free(error);
}
} // namespace

struct FrameSource::State : std::enable_shared_from_this<State>
{
    FrameSource* owner; // alive until close() has returned
    QString path;
    QSize size;
    FrameObserver observer;

    std::mutex control; // open, pause/play, wrap seeks and close, one at a time
    GstElement* pipeline = nullptr;
    GstElement* parser = nullptr;
    bool closed = false;
    std::atomic<bool> closing{false};
    std::atomic<bool> wantActive{true};
    std::atomic<bool> linked{false};
    std::atomic<bool> acceptPreroll{false};
    std::atomic<bool> failed{false};
    QString failure; // under frameMutex

    mutable std::mutex frameMutex;
    Frame latest;
    GstBuffer* latestBuffer = nullptr; // identity only; kept alive by latest.image
    std::atomic<quint64> frameNumber{0};

    // Streaming thread only: the segment reaching the parser, and where in running time its data ends.
    GstSegment segment{};
    GstClockTime loopEnd = GST_CLOCK_TIME_NONE;

    void open();
    void applyActive();
    void close();
    void wrap();
    bool build();
    bool preroll();
    void teardown();
    void fail(const QString& reason);
    void store(GstSample* sample);

    static GstPadProbeReturn onParserInput(GstPad*, GstPadProbeInfo* info, gpointer self);
    static GstBusSyncReply onBusMessage(GstBus*, GstMessage* message, gpointer self);
    static void onPadAdded(GstElement*, GstPad* pad, gpointer self);
    static void onNoMorePads(GstElement* demux, gpointer self);
    static GstFlowReturn onPreroll(GstAppSink* sink, gpointer self);
    static GstFlowReturn onSample(GstAppSink* sink, gpointer self);
};

void FrameSource::State::fail(const QString& reason)
{
    {
        std::lock_guard lock(frameMutex);
        if (failed)
            return;
        failure = reason;
        failed = true;
    }
    QMetaObject::invokeMethod(
        owner, [target = owner, reason] { emit target->failed(reason); }, Qt::QueuedConnection);
}

bool FrameSource::State::build()
{
    pipeline = gst_pipeline_new(nullptr);
    GstBin* bin = GST_BIN(pipeline);
    GstElement* source = GstSupport::addElement(bin, "filesrc");
    GstElement* demux = GstSupport::addElement(bin, "qtdemux");
    parser = GstSupport::addElement(bin, "h264parse");
    GstElement* decoder = GstSupport::addElement(bin, "avdec_h264");
    GstElement* crop = GstSupport::addElement(bin, "aspectratiocrop");
    GstElement* scale = GstSupport::addElement(bin, "videoscale");
    GstElement* convert = GstSupport::addElement(bin, "videoconvert");
    GstElement* sink = GstSupport::addElement(bin, "appsink");
    if (!source || !demux || !parser || !decoder || !crop || !scale || !convert || !sink) {
        fail(QStringLiteral("A GStreamer plugin for playing H.264 MP4 clips is missing"));
        return false;
    }
    g_object_set(source, "location", QFile::encodeName(path).constData(), nullptr);
    // One decoding thread per clip: the pictures are small, and frame threads cost memory and threads.
    g_object_set(decoder, "max-threads", 1, nullptr);
    // Covers the drawn rectangle and crops the rest, centred, as the views do.
    GValue ratio = G_VALUE_INIT;
    g_value_init(&ratio, GST_TYPE_FRACTION);
    gst_value_set_fraction(&ratio, size.width(), size.height());
    g_object_set_property(G_OBJECT(crop), "aspect-ratio", &ratio);
    g_value_unset(&ratio);

    GstSupport::MiniObjectPtr<GstCaps> caps(gst_caps_new_simple(
        "video/x-raw", "format", G_TYPE_STRING, "BGRA", "width", G_TYPE_INT, size.width(), "height",
        G_TYPE_INT, size.height(), "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr));
    auto* appSink = GST_APP_SINK(sink);
    gst_app_sink_set_caps(appSink, caps.get());
    g_object_set(sink, "sync", TRUE, "max-buffers", 1, "enable-last-sample", FALSE, nullptr);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_preroll = &State::onPreroll;
    callbacks.new_sample = &State::onSample;
    gst_app_sink_set_callbacks(appSink, &callbacks, this, nullptr);

    GstSupport::ObjectPtr<GstPad> parserInput(gst_element_get_static_pad(parser, "sink"));
    gst_pad_add_probe(parserInput.get(),
                      GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM |
                                      GST_PAD_PROBE_TYPE_EVENT_FLUSH),
                      &State::onParserInput, this, nullptr);
    g_signal_connect(demux, "pad-added", G_CALLBACK(&State::onPadAdded), this);
    g_signal_connect(demux, "no-more-pads", G_CALLBACK(&State::onNoMorePads), this);
    if (!gst_element_link(source, demux) ||
        !gst_element_link_many(parser, decoder, crop, scale, convert, sink, nullptr)) {
        fail(QStringLiteral("Could not link the video pipeline"));
        return false;
    }
    GstSupport::ObjectPtr<GstBus> bus(gst_element_get_bus(pipeline));
    gst_bus_set_sync_handler(bus.get(), &State::onBusMessage, this, nullptr);
    return true;
}

void FrameSource::State::open()
{
    std::lock_guard lock(control);
    if (closed || pipeline || failed)
        return;
    if (auto error = GstSupport::ensureInitialized()) {
        fail(error->description);
        return;
    }
    if (size.isEmpty()) {
        fail(QStringLiteral("No picture size for %1").arg(path));
        return;
    }
    if (!QFileInfo(path).isFile()) {
        fail(QStringLiteral("No such file: %1").arg(path));
        return;
    }
    if (!build()) {
        teardown();
        return;
    }
    if (!preroll()) {
        fail(QStringLiteral("Could not start playing %1").arg(path)); // unless an error said why
        teardown();
        return;
    }
    // The frame prerolled before this seek is dropped; the one prerolled after it starts the loop.
    acceptPreroll = true;
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_SEGMENT | GST_SEEK_FLAG_ACCURATE);
    if (!gst_element_seek(pipeline, 1.0, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, 0, GST_SEEK_TYPE_NONE,
                          GST_CLOCK_TIME_NONE)) {
        fail(QStringLiteral("Could not loop %1").arg(path));
        teardown();
        return;
    }
    if (wantActive)
        gst_element_set_state(pipeline, GST_STATE_PLAYING);
}

bool FrameSource::State::preroll()
{
    GstStateChangeReturn result = gst_element_set_state(pipeline, GST_STATE_PAUSED);
    for (int check = 0; result == GST_STATE_CHANGE_ASYNC && check < prerollChecks && !failed && !closing;
         ++check)
        result = gst_element_get_state(pipeline, nullptr, nullptr, prerollCheckInterval);
    return result == GST_STATE_CHANGE_SUCCESS && !failed;
}

void FrameSource::State::applyActive()
{
    std::lock_guard lock(control);
    if (!closed && pipeline && !failed)
        gst_element_set_state(pipeline, wantActive ? GST_STATE_PLAYING : GST_STATE_PAUSED);
}

// Not flushing: the new segment follows the old one in running time, so the loop has no seam.
void FrameSource::State::wrap()
{
    std::lock_guard lock(control);
    if (!closed && pipeline)
        gst_element_seek(pipeline, 1.0, GST_FORMAT_TIME, GST_SEEK_FLAG_SEGMENT, GST_SEEK_TYPE_SET, 0,
                         GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE);
}

void FrameSource::State::close()
{
    closing = true; // cuts short a preroll that holds the lock
    std::lock_guard lock(control);
    closed = true;
    teardown();
    std::lock_guard frameLock(frameMutex);
    latest = {};
    latestBuffer = nullptr;
}

void FrameSource::State::teardown()
{
    if (!pipeline)
        return;
    gst_element_set_state(pipeline, GST_STATE_NULL);
    GstSupport::ObjectPtr<GstBus> bus(gst_element_get_bus(pipeline));
    gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
    gst_object_unref(pipeline);
    pipeline = nullptr;
    parser = nullptr;
}

void FrameSource::State::store(GstSample* sample)
{
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    if (!buffer)
        return;
    {
        std::lock_guard lock(frameMutex);
        // The prerolled buffer is rendered again once playing starts.
        if (buffer == latestBuffer)
            return;
    }
    Frame frame;
    frame.image = imageOf(sample);
    if (frame.image.isNull())
        return;
    const GstClockTime pts = GST_BUFFER_PTS(buffer);
    if (GST_CLOCK_TIME_IS_VALID(pts)) {
        const GstSegment* segment = gst_sample_get_segment(sample);
        frame.position = qint64(gst_segment_to_stream_time(segment, GST_FORMAT_TIME, pts));
        const guint64 running = gst_segment_to_running_time(segment, GST_FORMAT_TIME, pts);
        if (GST_CLOCK_TIME_IS_VALID(running))
            frame.runningTime = qint64(running);
    }
    {
        std::lock_guard lock(frameMutex);
        frame.number = frameNumber + 1;
        latest = frame;
        latestBuffer = buffer;
        frameNumber = frame.number;
    }
    if (observer)
        observer(frame);
    if (frame.number == 1)
        QMetaObject::invokeMethod(
            owner, [target = owner] { emit target->firstFrameReady(); }, Qt::QueuedConnection);
}

// After a wrap qtdemux starts the next segment where the last frame begins, not where it ends, so the
// last frame would share its time with the first one and never be seen. The next segment starts
// where the data of the previous one ended instead.
GstPadProbeReturn FrameSource::State::onParserInput(GstPad*, GstPadProbeInfo* info, gpointer self)
{
    auto* state = static_cast<State*>(self);
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) {
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        const GstClockTime pts = GST_BUFFER_PTS(buffer);
        if (state->segment.format != GST_FORMAT_TIME || !GST_CLOCK_TIME_IS_VALID(pts) ||
            !GST_BUFFER_DURATION_IS_VALID(buffer))
            return GST_PAD_PROBE_OK;
        GstClockTime end = pts + GST_BUFFER_DURATION(buffer);
        if (GST_CLOCK_TIME_IS_VALID(state->segment.stop))
            end = std::min<GstClockTime>(end, state->segment.stop);
        const GstClockTime running = gst_segment_to_running_time(&state->segment, GST_FORMAT_TIME, end);
        if (GST_CLOCK_TIME_IS_VALID(running) &&
            (!GST_CLOCK_TIME_IS_VALID(state->loopEnd) || running > state->loopEnd))
            state->loopEnd = running;
        return GST_PAD_PROBE_OK;
    }
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) {
        state->loopEnd = GST_CLOCK_TIME_NONE; // a flushing seek starts time afresh
    } else if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
        gst_event_copy_segment(event, &state->segment);
        if (state->segment.format == GST_FORMAT_TIME && GST_CLOCK_TIME_IS_VALID(state->loopEnd) &&
            state->segment.base != state->loopEnd) {
            state->segment.base = state->loopEnd;
            GstEvent* shifted = gst_event_new_segment(&state->segment);
            gst_event_set_seqnum(shifted, gst_event_get_seqnum(event));
            gst_event_unref(event);
            GST_PAD_PROBE_INFO_DATA(info) = shifted;
        }
        state->loopEnd = GST_CLOCK_TIME_NONE;
    }
    return GST_PAD_PROBE_OK;
}

GstBusSyncReply FrameSource::State::onBusMessage(GstBus*, GstMessage* message, gpointer self)
{
    auto* state = static_cast<State*>(self);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR:
        state->fail(describe(message));
        break;
    case GST_MESSAGE_SEGMENT_DONE: {
        // Posted from the streaming thread, which must not seek itself.
        auto* held = new std::shared_ptr<State>(state->shared_from_this());
        gst_element_call_async(
            state->pipeline,
            [](GstElement*, gpointer data) { (*static_cast<std::shared_ptr<State>*>(data))->wrap(); }, held,
            [](gpointer data) { delete static_cast<std::shared_ptr<State>*>(data); });
        break;
    }
    default:
        break;
    }
    return GST_BUS_DROP; // nobody pops this bus
}

void FrameSource::State::onPadAdded(GstElement*, GstPad* pad, gpointer self)
{
    auto* state = static_cast<State*>(self);
    if (GstSupport::padMediaType(pad) == QLatin1String("video/x-h264") && !state->linked.exchange(true)) {
        GstSupport::ObjectPtr<GstPad> sinkPad(gst_element_get_static_pad(state->parser, "sink"));
        if (gst_pad_link(pad, sinkPad.get()) == GST_PAD_LINK_OK)
            return;
    }
    GstSupport::discardPad(GST_BIN(state->pipeline), pad);
}

void FrameSource::State::onNoMorePads(GstElement* demux, gpointer self)
{
    if (!static_cast<State*>(self)->linked)
        postError(demux, "The clip has no H.264 video stream");
}

GstFlowReturn FrameSource::State::onPreroll(GstAppSink* sink, gpointer self)
{
    auto* state = static_cast<State*>(self);
    GstSupport::MiniObjectPtr<GstSample> sample(gst_app_sink_pull_preroll(sink));
    // Shown at once, also when paused; playing renders the same buffer again, which store() skips.
    if (sample && state->acceptPreroll && state->frameNumber == 0)
        state->store(sample.get());
    return GST_FLOW_OK;
}

GstFlowReturn FrameSource::State::onSample(GstAppSink* sink, gpointer self)
{
    GstSupport::MiniObjectPtr<GstSample> sample(gst_app_sink_pull_sample(sink));
    if (sample)
        static_cast<State*>(self)->store(sample.get());
    return GST_FLOW_OK;
}

FrameSource::FrameSource(QString path, QSize size, QThreadPool* workers, QObject* parent)
    : QObject(parent), m_path(std::move(path)), m_size(size), m_workers(workers),
      m_state(std::make_shared<State>())
{
    m_state->owner = this;
    m_state->path = m_path;
    m_state->size = size;
}

FrameSource::~FrameSource()
{
    m_state->close();
}

void FrameSource::setFrameObserver(FrameObserver observer)
{
    m_state->observer = std::move(observer);
}

void FrameSource::start()
{
    if (m_started)
        return;
    m_started = true;
    m_workers->start([state = m_state] { state->open(); });
}

void FrameSource::setActive(bool active)
{
    if (m_state->wantActive.exchange(active) == active || !m_started)
        return;
    // Whichever of several queued changes runs last applies the newest wish.
    m_workers->start([state = m_state] { state->applyActive(); });
}

bool FrameSource::isActive() const
{
    return m_state->wantActive;
}

FrameSource::Frame FrameSource::latestFrame() const
{
    std::lock_guard lock(m_state->frameMutex);
    return m_state->latest;
}

quint64 FrameSource::frameNumber() const
{
    return m_state->frameNumber;
}

QString FrameSource::failureReason() const
{
    std::lock_guard lock(m_state->frameMutex);
    return m_state->failure;
}

bool FrameSource::hasFailed() const
{
    return m_state->failed;
}

void FrameSource::close()
{
    m_state->close();
}

#include "MediaProbe.h"

#include "GstSupport.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <QTimer>
#include <QTransform>
#include <atomic>
#include <gst/app/gstappsink.h>

namespace {
constexpr std::chrono::milliseconds probeTimeout{20000};
const QString probeDomain = QStringLiteral("MediaProbe");

ProbeFailure failure(ProbeFailure::Kind kind, const QString& description)
{
    return {kind, {probeDomain, int(kind), description}};
}
} // namespace

struct ProbeShared
{
    GstElement* pipeline = nullptr;
    GstElement* videoEntry = nullptr;
    std::atomic<bool> videoLinked{false};
    std::atomic<bool> audioSeen{false};
    std::atomic<bool> undecodableVideo{false};
};

namespace {
using SharedHandle = std::shared_ptr<ProbeShared>;
ProbeShared& sharedOf(gpointer data)
{
    return **static_cast<SharedHandle*>(data);
}

void releaseShared(gpointer data, GClosure*)
{
    delete static_cast<SharedHandle*>(data);
}

// Streaming thread.
void onPadAdded(GstElement*, GstPad* pad, gpointer data)
{
    auto& shared = sharedOf(data);
    const QString type = GstSupport::padMediaType(pad);
    if (type == u"video/x-raw" && !shared.videoLinked.exchange(true)) {
        GstSupport::ObjectPtr<GstPad> sink(gst_element_get_static_pad(shared.videoEntry, "sink"));
        if (gst_pad_link(pad, sink.get()) != GST_PAD_LINK_OK)
            MediaPipeline::postFailure(
                shared.pipeline,
                failure(ProbeFailure::Kind::notPlayable, QStringLiteral("The decoded video cannot be read"))
                    .error);
        return;
    }
    if (type.startsWith(u"audio/"))
        shared.audioSeen = true;
    GstSupport::discardPad(GST_BIN(shared.pipeline), pad);
}

void onUnknownType(GstElement*, GstPad*, GstCaps* caps, gpointer data)
{
    if (caps && !gst_caps_is_empty(caps) &&
        g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "video/"))
        sharedOf(data).undecodableVideo = true;
}

void onNoMorePads(GstElement*, gpointer data)
{
    auto& shared = sharedOf(data);
    if (shared.videoLinked)
        return;
    const auto kind =
        shared.undecodableVideo ? ProbeFailure::Kind::notPlayable : ProbeFailure::Kind::noVideoTrack;
    MediaPipeline::postFailure(
        shared.pipeline, failure(kind, QStringLiteral("The file holds no decodable video stream")).error);
}

void connectShared(GstElement* element, const char* signal, GCallback callback, const SharedHandle& shared)
{
    g_signal_connect_data(element, signal, callback, new SharedHandle(shared), releaseShared,
                          GConnectFlags(0));
}

std::optional<GstVideoOrientationMethod> orientationFromTags(GstPad* pad)
{
    for (guint index = 0;; ++index) {
        GstSupport::MiniObjectPtr<GstEvent> event(gst_pad_get_sticky_event(pad, GST_EVENT_TAG, index));
        if (!event)
            return std::nullopt;
        GstTagList* tags = nullptr;
        gst_event_parse_tag(event.get(), &tags);
        GstVideoOrientationMethod method;
        if (tags && gst_video_orientation_from_tag(tags, &method))
            return method;
    }
}
} // namespace

MediaProbe::MediaProbe(QString path, bool withFirstFrame, QObject* parent)
    : QObject(parent), m_path(std::move(path)), m_withFirstFrame(withFirstFrame)
{}

MediaProbe::~MediaProbe() = default;

std::optional<ProbeFailure> MediaProbe::build()
{
    if (auto error = GstSupport::ensureInitialized())
        return ProbeFailure{ProbeFailure::Kind::unreadable, *error};
    const QFileInfo info(m_path);
    if (!info.exists())
        return failure(ProbeFailure::Kind::unreadable, QStringLiteral("The file does not exist"));
    // A pipe or a device would block the reader forever; a folder is not a video.
    if (!info.isFile())
        return failure(ProbeFailure::Kind::unreadable, QStringLiteral("Not a regular file"));

    GstElement* pipeline = gst_pipeline_new("probe");
    m_pipeline = std::make_unique<MediaPipeline>(pipeline, MediaPipeline::Goal::preroll);
    m_pipeline->setStallTimeout(probeTimeout);
    GstBin* bin = GST_BIN(pipeline);
    GstElement* source = GstSupport::addElement(bin, "filesrc");
    m_decoder = GstSupport::addElement(bin, "decodebin");
    m_appSink = GstSupport::addElement(bin, "appsink");
    GstElement* convert = m_withFirstFrame ? GstSupport::addElement(bin, "videoconvert") : nullptr;
    if (!source || !m_decoder || !m_appSink || (m_withFirstFrame && !convert))
        return failure(ProbeFailure::Kind::notPlayable, QStringLiteral("GStreamer base plugins are missing"));

    g_object_set(source, "location", QFile::encodeName(m_path).constData(), nullptr);
    g_object_set(m_appSink, "sync", FALSE, "max-buffers", 1, "enable-last-sample", FALSE, nullptr);
    if (m_withFirstFrame) {
        GstSupport::MiniObjectPtr<GstCaps> caps(
            gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "RGBx", nullptr));
        g_object_set(m_appSink, "caps", caps.get(), nullptr);
        gst_element_link(convert, m_appSink);
    }
    gst_element_link(source, m_decoder);

    m_shared = std::make_shared<ProbeShared>();
    m_shared->pipeline = pipeline;
    m_shared->videoEntry = convert ? convert : m_appSink;
    connectShared(m_decoder, "pad-added", G_CALLBACK(onPadAdded), m_shared);
    connectShared(m_decoder, "unknown-type", G_CALLBACK(onUnknownType), m_shared);
    connectShared(m_decoder, "no-more-pads", G_CALLBACK(onNoMorePads), m_shared);
    return std::nullopt;
}

void MediaProbe::start(std::function<void(Result)> onFinished)
{
    if (auto buildFailure = build()) {
        QTimer::singleShot(0, this,
                           [onFinished, buildFailure] { onFinished(std::unexpected(*buildFailure)); });
        return;
    }
    m_pipeline->start({}, [this, onFinished](const MediaPipeline::Result& run) {
        Result result = collect(run);
        onFinished(std::move(result)); // may delete this
    });
}

MediaProbe::Result MediaProbe::probe(const QString& path, bool withFirstFrame)
{
    MediaProbe probe(path, withFirstFrame);
    if (auto buildFailure = probe.build())
        return std::unexpected(*buildFailure);
    MediaPipeline::Result run = probe.m_pipeline->begin();
    if (run)
        run = probe.m_pipeline->wait(probeTimeout);
    return probe.collect(run);
}

MediaProbe::Result MediaProbe::collect(const MediaPipeline::Result& run)
{
    auto stop = qScopeGuard([this] { m_pipeline->stop(); });
    if (!run) {
        const SkinError& error = run.error();
        if (error.domain == probeDomain)
            return std::unexpected(ProbeFailure{ProbeFailure::Kind(error.code), error});
        if (error.domain == QString::fromUtf8(g_quark_to_string(GST_RESOURCE_ERROR)))
            return std::unexpected(ProbeFailure{ProbeFailure::Kind::unreadable, error});
        const auto kind =
            m_shared->undecodableVideo ? ProbeFailure::Kind::notPlayable : ProbeFailure::Kind::noVideoTrack;
        return std::unexpected(ProbeFailure{kind, error});
    }

    // Still images decode to one frame too, but they are no video.
    GstCaps* foundCaps = nullptr;
    if (GstSupport::ObjectPtr<GstElement> typefind{gst_bin_get_by_name(GST_BIN(m_decoder), "typefind")})
        g_object_get(typefind.get(), "caps", &foundCaps, nullptr);
    GstSupport::MiniObjectPtr<GstCaps> found(foundCaps);
    if (found && !gst_caps_is_empty(found.get()) &&
        g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(found.get(), 0)), "image/"))
        return std::unexpected(
            failure(ProbeFailure::Kind::noVideoTrack, QStringLiteral("The file is an image")));

    GstSupport::MiniObjectPtr<GstSample> sample(gst_app_sink_try_pull_preroll(GST_APP_SINK(m_appSink), 0));
    GstVideoInfo videoInfo;
    if (!sample || !gst_video_info_from_caps(&videoInfo, gst_sample_get_caps(sample.get())))
        return std::unexpected(
            failure(ProbeFailure::Kind::notPlayable, QStringLiteral("No video frame could be decoded")));

    MediaInfo info;
    info.width = GST_VIDEO_INFO_WIDTH(&videoInfo);
    info.height = GST_VIDEO_INFO_HEIGHT(&videoInfo);
    info.hasAudio = m_shared->audioSeen;
    GstSupport::ObjectPtr<GstPad> entryPad(gst_element_get_static_pad(m_shared->videoEntry, "sink"));
    info.orientation = orientationFromTags(entryPad.get()).value_or(GST_VIDEO_ORIENTATION_IDENTITY);
    gint64 duration = 0;
    if (gst_element_query_duration(m_pipeline->pipeline(), GST_FORMAT_TIME, &duration) && duration > 0)
        info.durationNs = duration;

    if (m_withFirstFrame) {
        GstBuffer* buffer = gst_sample_get_buffer(sample.get());
        GstVideoFrame frame;
        if (buffer && gst_video_frame_map(&frame, &videoInfo, buffer, GST_MAP_READ)) {
            const QImage stored(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)), info.width,
                                info.height, GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0),
                                QImage::Format_RGBX8888);
            info.firstFrame = uprightImage(stored, info.orientation); // a deep copy in every case
            gst_video_frame_unmap(&frame);
        }
    }
    return info;
}

QImage MediaProbe::uprightImage(const QImage& stored, GstVideoOrientationMethod orientation)
{
    switch (orientation) {
    case GST_VIDEO_ORIENTATION_90R:
        return stored.transformed(QTransform().rotate(90));
    case GST_VIDEO_ORIENTATION_180:
        return stored.transformed(QTransform().rotate(180));
    case GST_VIDEO_ORIENTATION_90L:
        return stored.transformed(QTransform().rotate(270));
    case GST_VIDEO_ORIENTATION_HORIZ:
        return stored.mirrored(true, false);
    case GST_VIDEO_ORIENTATION_VERT:
        return stored.mirrored(false, true);
    case GST_VIDEO_ORIENTATION_UL_LR:
        return stored.transformed(QTransform().rotate(90)).mirrored(true, false);
    case GST_VIDEO_ORIENTATION_UR_LL:
        return stored.transformed(QTransform().rotate(90)).mirrored(false, true);
    default:
        return stored.copy();
    }
}

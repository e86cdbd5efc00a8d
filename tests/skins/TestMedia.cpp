#include "TestMedia.h"

#include "GstSupport.h"

#include <QFile>
#include <QUrl>
#include <gst/app/gstappsink.h>
#include <gst/pbutils/pbutils.h>
#include <gst/video/video.h>

namespace TestMedia {
namespace {
bool runToEnd(GstElement* pipeline)
{
    GstBus* bus = gst_element_get_bus(pipeline);
    bool ok = gst_element_set_state(pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
    if (ok) {
        GstMessage* message = gst_bus_timed_pop_filtered(bus, 60 * GST_SECOND,
                                                         GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        if (message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            qWarning("clip pipeline failed: %s", error ? error->message : "?");
            g_clear_error(&error);
        }
        ok = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
        if (message)
            gst_message_unref(message);
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(bus);
    return ok;
}
} // namespace

bool makeClip(const QString& path, const QString& description)
{
    if (GstSupport::ensureInitialized())
        return false;
    const QString sink = QStringLiteral("filesink location=\"%1\"").arg(path);
    QString full = description;
    if (full.contains(QStringLiteral("{out}")))
        full.replace(QStringLiteral("{out}"), sink);
    else
        full += QStringLiteral(" ! ") + sink;
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(full.toUtf8().constData(), &error);
    if (error) {
        qWarning("cannot build clip pipeline: %s", error->message);
        g_clear_error(&error);
        if (pipeline)
            gst_object_unref(pipeline);
        return false;
    }
    const bool ok = runToEnd(pipeline);
    gst_object_unref(pipeline);
    return ok;
}

bool setQuarterTurn(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray data = file.readAll();
    const qsizetype box = data.indexOf("tkhd");
    if (box < 0)
        return false;
    // After the type: version and flags, four 32-bit times and ids, 8 reserved bytes, layer,
    // alternate group, volume and reserved (2 bytes each), then the 3x3 matrix of 32-bit values.
    const qsizetype matrix = box + 4 + 40;
    const quint32 values[9] = {0, 0x00010000, 0, 0xFFFF0000, 0, 0, 0, 0, 0x40000000};
    for (int i = 0; i < 9; ++i) {
        for (int b = 0; b < 4; ++b)
            data[matrix + i * 4 + b] = char((values[i] >> (24 - 8 * b)) & 0xFF);
    }
    file.seek(0);
    return file.write(data) == data.size();
}

Summary describe(const QString& path)
{
    Summary summary;
    if (GstSupport::ensureInitialized())
        return summary;
    GstDiscoverer* discoverer = gst_discoverer_new(20 * GST_SECOND, nullptr);
    GstDiscovererInfo* info =
        gst_discoverer_discover_uri(discoverer, QUrl::fromLocalFile(path).toEncoded().constData(), nullptr);
    if (info && gst_discoverer_info_get_result(info) == GST_DISCOVERER_OK) {
        summary.ok = true;
        summary.durationSeconds = double(gst_discoverer_info_get_duration(info)) / GST_SECOND;
        if (GstDiscovererStreamInfo* top = gst_discoverer_info_get_stream_info(info)) {
            if (GstCaps* caps = gst_discoverer_stream_info_get_caps(top)) {
                summary.container =
                    QString::fromUtf8(gst_structure_get_name(gst_caps_get_structure(caps, 0)));
                gst_caps_unref(caps);
            }
            gst_discoverer_stream_info_unref(top);
        }
        GList* videos = gst_discoverer_info_get_video_streams(info);
        GList* audios = gst_discoverer_info_get_audio_streams(info);
        summary.videoStreams = int(g_list_length(videos));
        summary.audioStreams = int(g_list_length(audios));
        if (videos) {
            auto* video = GST_DISCOVERER_VIDEO_INFO(videos->data);
            summary.width = int(gst_discoverer_video_info_get_width(video));
            summary.height = int(gst_discoverer_video_info_get_height(video));
            const guint denominator = gst_discoverer_video_info_get_framerate_denom(video);
            if (denominator)
                summary.frameRate = double(gst_discoverer_video_info_get_framerate_num(video)) / denominator;
            if (GstCaps* caps = gst_discoverer_stream_info_get_caps(GST_DISCOVERER_STREAM_INFO(video))) {
                summary.videoCodec =
                    QString::fromUtf8(gst_structure_get_name(gst_caps_get_structure(caps, 0)));
                gst_caps_unref(caps);
            }
        }
        gst_discoverer_stream_info_list_free(videos);
        gst_discoverer_stream_info_list_free(audios);
    }
    if (info)
        gst_discoverer_info_unref(info);
    g_object_unref(discoverer);
    return summary;
}

QImage frameAt(const QString& path, double seconds)
{
    if (GstSupport::ensureInitialized())
        return {};
    const QString description =
        QStringLiteral(
            "filesrc location=\"%1\" ! decodebin ! videoconvert ! video/x-raw,format=RGBx ! appsink "
            "name=sink sync=false")
            .arg(path);
    GstElement* pipeline = gst_parse_launch(description.toUtf8().constData(), nullptr);
    if (!pipeline)
        return {};
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
    QImage image;
    gst_element_set_state(pipeline, GST_STATE_PAUSED);
    if (gst_element_get_state(pipeline, nullptr, nullptr, 20 * GST_SECOND) == GST_STATE_CHANGE_SUCCESS &&
        (seconds <= 0 || gst_element_seek_simple(pipeline, GST_FORMAT_TIME,
                                                 GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                                                 gint64(seconds * GST_SECOND)))) {
        gst_element_get_state(pipeline, nullptr, nullptr, 20 * GST_SECOND);
        if (GstSample* sample = gst_app_sink_try_pull_preroll(GST_APP_SINK(sink), 5 * GST_SECOND)) {
            GstVideoInfo info;
            GstVideoFrame frame;
            if (gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) &&
                gst_video_frame_map(&frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ)) {
                image = QImage(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                               GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info),
                               GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), QImage::Format_RGBX8888)
                            .copy();
                gst_video_frame_unmap(&frame);
            }
            gst_sample_unref(sample);
        }
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(sink);
    gst_object_unref(pipeline);
    return image;
}
} // namespace TestMedia

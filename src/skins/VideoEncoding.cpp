#include "VideoEncoding.h"

#include "GstSupport.h"

#include <QFile>

H264Settings H264Settings::forCrop()
{
    return {"faster", 23, 0, nullptr};
}

H264Settings H264Settings::forCompression()
{
    // An intermediate that is decoded once more: fast, and good enough not to show through the crop.
    return {"veryfast", 20, 0, nullptr};
}

QString H264Settings::launchDescription() const
{
    QString text = QStringLiteral("x264enc speed-preset=%1 pass=qual quantizer=%2")
                       .arg(QString::fromLatin1(speedPreset))
                       .arg(quality);
    if (keyframeInterval > 0)
        text += QStringLiteral(" key-int-max=%1").arg(keyframeInterval);
    if (psyTune)
        text += QStringLiteral(" psy-tune=%1").arg(QString::fromLatin1(psyTune));
    return text;
}

namespace VideoEncoding {
GstElement* addH264Encoder(GstBin* bin, const H264Settings& settings, GstElement** encoder)
{
    GstElement* convert = GstSupport::addElement(bin, "videoconvert");
    GstElement* format = GstSupport::addElement(bin, "capsfilter");
    GstElement* x264 = GstSupport::addElement(bin, "x264enc");
    if (!convert || !format || !x264)
        return nullptr;
    // Without a fixed 8-bit 4:2:0 input x264enc may pick a 4:4:4 or 10-bit profile few players decode.
    GstSupport::MiniObjectPtr<GstCaps> caps(
        gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "I420", nullptr));
    g_object_set(format, "caps", caps.get(), nullptr);
    gst_util_set_object_arg(G_OBJECT(x264), "speed-preset", settings.speedPreset);
    gst_util_set_object_arg(G_OBJECT(x264), "pass", "qual");
    g_object_set(x264, "quantizer", guint(settings.quality), nullptr);
    if (settings.keyframeInterval > 0)
        g_object_set(x264, "key-int-max", guint(settings.keyframeInterval), nullptr);
    if (settings.psyTune)
        gst_util_set_object_arg(G_OBJECT(x264), "psy-tune", settings.psyTune);
    if (!gst_element_link_many(convert, format, x264, nullptr))
        return nullptr;
    if (encoder)
        *encoder = x264;
    return convert;
}

GstElement* addMp4Writer(GstBin* bin, const QString& path, bool fastStart)
{
    GstElement* muxer = GstSupport::addElement(bin, "mp4mux");
    GstElement* sink = GstSupport::addElement(bin, "filesink");
    if (!muxer || !sink)
        return nullptr;
    g_object_set(muxer, "faststart", gboolean(fastStart), nullptr);
    g_object_set(sink, "location", QFile::encodeName(path).constData(), nullptr);
    if (!gst_element_link(muxer, sink))
        return nullptr;
    return muxer;
}

bool linkToMuxer(GstElement* upstream, GstElement* muxer, const char* padTemplate)
{
    GstSupport::ObjectPtr<GstPad> source(gst_element_get_static_pad(upstream, "src"));
    GstSupport::ObjectPtr<GstPad> sink(gst_element_request_pad_simple(muxer, padTemplate));
    return source && sink && gst_pad_link(source.get(), sink.get()) == GST_PAD_LINK_OK;
}
} // namespace VideoEncoding

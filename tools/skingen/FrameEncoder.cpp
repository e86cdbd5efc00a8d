#include "FrameEncoder.h"

#include "GstSupport.h"
#include "MediaPipeline.h"

#include <gst/app/gstappsrc.h>

std::expected<void, SkinError> FrameEncoder::encode(const QString& path, int size, int frameRate,
                                                    int frameCount, const H264Settings& settings,
                                                    const FrameSource& frames)
{
    if (auto error = GstSupport::ensureInitialized())
        return std::unexpected(*error);
    GstElement* pipeline = gst_pipeline_new("frames");
    MediaPipeline runner(pipeline, MediaPipeline::Goal::endOfStream);
    GstBin* bin = GST_BIN(pipeline);
    GstElement* source = GstSupport::addElement(bin, "appsrc");
    GstElement* encoder = nullptr;
    GstElement* head = VideoEncoding::addH264Encoder(bin, settings, &encoder);
    GstElement* muxer = VideoEncoding::addMp4Writer(bin, path, true);
    if (!source || !head || !muxer || !gst_element_link(source, head) ||
        !VideoEncoding::linkToMuxer(encoder, muxer, "video_%u"))
        return std::unexpected(GstSupport::pipelineError(10, QStringLiteral("Cannot build the encoder")));

    GstSupport::MiniObjectPtr<GstCaps> caps(
        gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "RGBx", "width", G_TYPE_INT, size,
                            "height", G_TYPE_INT, size, "framerate", GST_TYPE_FRACTION, frameRate, 1,
                            "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr));
    g_object_set(source, "caps", caps.get(), "format", GST_FORMAT_TIME, "block", TRUE, "max-bytes",
                 guint64(size) * size * 4 * 8, nullptr);

    if (auto started = runner.begin(); !started)
        return started;
    for (int index = 0; index < frameCount; ++index) {
        const QImage image = frames(index).convertToFormat(QImage::Format_RGBX8888);
        if (image.width() != size || image.height() != size)
            return std::unexpected(GstSupport::pipelineError(11, QStringLiteral("Frame of the wrong size")));
        const gsize bytes = gsize(image.sizeInBytes());
        GstBuffer* buffer = gst_buffer_new_allocate(nullptr, bytes, nullptr);
        gst_buffer_fill(buffer, 0, image.constBits(), bytes);
        GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(guint64(index), GST_SECOND, guint64(frameRate));
        GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(1, GST_SECOND, guint64(frameRate));
        // The pipeline's own error, if any, is what wait() reports.
        if (gst_app_src_push_buffer(GST_APP_SRC(source), buffer) != GST_FLOW_OK)
            break;
    }
    gst_app_src_end_of_stream(GST_APP_SRC(source));
    return runner.wait(std::chrono::minutes(5));
}

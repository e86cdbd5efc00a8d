#include "VideoProcessor.h"

#include "GstSupport.h"
#include "Log.h"
#include "MediaPipeline.h"
#include "SkinRendition.h"
#include "VideoEncoding.h"
#include "VideoGeometry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QTimer>
#include <QUuid>
#include <algorithm>

namespace {
const QString processorDomain = QStringLiteral("VideoProcessor");

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

bool samePath(const QString& a, const QString& b)
{
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (first.exists() && second.exists())
        return first.canonicalFilePath() == second.canonicalFilePath();
    return first.absoluteFilePath() == second.absoluteFilePath();
}

// Where the decoded streams of a file go; shared with the streaming threads.
struct Routing
{
    GstElement* pipeline = nullptr;
    GstElement* videoEntry = nullptr;
    GstElement* audioEntry = nullptr;
    std::atomic<bool> videoLinked{false};
    std::atomic<bool> audioLinked{false};
    std::atomic<qint64> positionNs{-1};
    SkinError linkFailure;
    SkinError missingStream;
};
using RoutingHandle = std::shared_ptr<Routing>;

Routing& routingOf(gpointer data)
{
    return **static_cast<RoutingHandle*>(data);
}

void releaseRouting(gpointer data)
{
    delete static_cast<RoutingHandle*>(data);
}

void releaseRoutingClosure(gpointer data, GClosure*)
{
    releaseRouting(data);
}

bool linkEntry(GstPad* pad, GstElement* entry)
{
    GstSupport::ObjectPtr<GstPad> sink(gst_element_get_static_pad(entry, "sink"));
    return gst_pad_link(pad, sink.get()) == GST_PAD_LINK_OK;
}

void onPadAdded(GstElement*, GstPad* pad, gpointer data)
{
    auto& routing = routingOf(data);
    const QString type = GstSupport::padMediaType(pad);
    GstElement* entry = nullptr;
    if (type == u"video/x-raw" && !routing.videoLinked.exchange(true))
        entry = routing.videoEntry;
    else if (type == u"audio/x-raw" && routing.audioEntry && !routing.audioLinked.exchange(true))
        entry = routing.audioEntry;
    if (!entry) {
        GstSupport::discardPad(GST_BIN(routing.pipeline), pad);
        return;
    }
    if (!linkEntry(pad, entry))
        MediaPipeline::postFailure(routing.pipeline, routing.linkFailure);
}

void onNoMorePads(GstElement*, gpointer data)
{
    auto& routing = routingOf(data);
    // A branch that never gets its stream would keep the muxer waiting for ever.
    if (!routing.videoLinked || (routing.audioEntry && !routing.audioLinked))
        MediaPipeline::postFailure(routing.pipeline, routing.missingStream);
}

GstPadProbeReturn onEncodedInput(GstPad* pad, GstPadProbeInfo* info, gpointer data)
{
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (!buffer || !GST_BUFFER_PTS_IS_VALID(buffer))
        return GST_PAD_PROBE_OK;
    GstSupport::MiniObjectPtr<GstEvent> event(gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0));
    if (!event)
        return GST_PAD_PROBE_OK;
    const GstSegment* segment = nullptr;
    gst_event_parse_segment(event.get(), &segment);
    const guint64 streamTime = gst_segment_to_stream_time(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    if (streamTime != GST_CLOCK_TIME_NONE)
        routingOf(data).positionNs = qint64(streamTime);
    return GST_PAD_PROBE_OK;
}

// The decoding half shared by compression and crop: filesrc ! decodebin, its pads routed as above.
GstElement* addDecoder(GstBin* bin, const QString& path, const RoutingHandle& routing)
{
    GstElement* source = GstSupport::addElement(bin, "filesrc");
    GstElement* decoder = GstSupport::addElement(bin, "decodebin");
    if (!source || !decoder || !gst_element_link(source, decoder))
        return nullptr;
    g_object_set(source, "location", QFile::encodeName(path).constData(), nullptr);
    g_signal_connect_data(decoder, "pad-added", G_CALLBACK(onPadAdded), new RoutingHandle(routing),
                          releaseRoutingClosure, GConnectFlags(0));
    g_signal_connect_data(decoder, "no-more-pads", G_CALLBACK(onNoMorePads), new RoutingHandle(routing),
                          releaseRoutingClosure, GConnectFlags(0));
    return decoder;
}

void watchEncoderInput(GstElement* encoder, const RoutingHandle& routing)
{
    GstSupport::ObjectPtr<GstPad> pad(gst_element_get_static_pad(encoder, "sink"));
    gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_BUFFER, onEncodedInput, new RoutingHandle(routing),
                      releaseRouting);
}

GstElement* addVideoFlip(GstBin* bin, GstVideoOrientationMethod orientation)
{
    GstElement* flip = GstSupport::addElement(bin, "videoflip");
    if (flip)
        g_object_set(flip, "video-direction", orientation, nullptr);
    return flip;
}

// What the shared part of a re-encode hands to the part that differs.
struct EncodeGraph
{
    GstBin* bin = nullptr;
    // Where the decoded picture comes out upright.
    GstElement* upright = nullptr;
    GstElement* muxer = nullptr;
    // Set by a graph that keeps the sound.
    GstElement* audioEntry = nullptr;
};

QSize uprightSize(const MediaInfo& info)
{
    return VideoGeometry::uprightSize({info.width, info.height}, info.orientation);
}

GstElement* addCompression(EncodeGraph& graph, QSize size, bool withAudio)
{
    GstBin* bin = graph.bin;
    GstElement* encoder = nullptr;
    GstElement* scaler = GstSupport::addElement(bin, "videoscale");
    GstElement* shape = GstSupport::addElement(bin, "capsfilter");
    GstElement* encoderHead = VideoEncoding::addH264Encoder(bin, H264Settings::forCompression(), &encoder);
    GstElement* videoQueue = GstSupport::addElement(bin, "queue");
    if (!scaler || !shape || !encoderHead || !videoQueue ||
        !gst_element_link_many(graph.upright, scaler, shape, encoderHead, nullptr) ||
        !gst_element_link(encoder, videoQueue) ||
        !VideoEncoding::linkToMuxer(videoQueue, graph.muxer, "video_%u"))
        return nullptr;
    GstSupport::MiniObjectPtr<GstCaps> caps(gst_caps_new_simple(
        "video/x-raw", "width", G_TYPE_INT, size.width(), "height", G_TYPE_INT, size.height(), nullptr));
    g_object_set(shape, "caps", caps.get(), nullptr);
    g_object_set(scaler, "add-borders", FALSE, nullptr);
    if (!withAudio)
        return encoder;
    GstElement* convert = GstSupport::addElement(bin, "audioconvert");
    GstElement* resample = GstSupport::addElement(bin, "audioresample");
    GstElement* aac = GstSupport::addElement(bin, "avenc_aac");
    if (!aac)
        aac = GstSupport::addElement(bin, "voaacenc");
    GstElement* audioQueue = GstSupport::addElement(bin, "queue");
    if (!convert || !resample || !aac || !audioQueue ||
        !gst_element_link_many(convert, resample, aac, audioQueue, nullptr) ||
        !VideoEncoding::linkToMuxer(audioQueue, graph.muxer, "audio_%u"))
        return nullptr;
    graph.audioEntry = convert;
    return encoder;
}

GstElement* addCrop(EncodeGraph& graph, QSize upright, const VideoGeometry::SquareCrop& square)
{
    GstBin* bin = graph.bin;
    GstElement* encoder = nullptr;
    GstElement* crop = GstSupport::addElement(bin, "videocrop");
    GstElement* scaler = GstSupport::addElement(bin, "videoscale");
    GstElement* rate = GstSupport::addElement(bin, "videorate");
    GstElement* shape = GstSupport::addElement(bin, "capsfilter");
    GstElement* encoderHead = VideoEncoding::addH264Encoder(bin, H264Settings::forCrop(), &encoder);
    if (!crop || !scaler || !rate || !shape || !encoderHead ||
        !gst_element_link_many(graph.upright, crop, scaler, rate, shape, encoderHead, nullptr) ||
        !VideoEncoding::linkToMuxer(encoder, graph.muxer, "video_%u"))
        return nullptr;
    const QRect& kept = square.kept;
    g_object_set(crop, "left", kept.x(), "right", upright.width() - kept.x() - kept.width(), "top", kept.y(),
                 "bottom", upright.height() - kept.y() - kept.height(), nullptr);
    g_object_set(scaler, "add-borders", FALSE, nullptr);
    const int side = square.outputSide;
    GstSupport::MiniObjectPtr<GstCaps> caps(gst_caps_new_simple(
        "video/x-raw", "width", G_TYPE_INT, side, "height", G_TYPE_INT, side, "framerate", GST_TYPE_FRACTION,
        VideoProcessor::croppedFrameRate, 1, "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr));
    g_object_set(shape, "caps", caps.get(), nullptr);
    return encoder;
}
} // namespace

struct VideoProcessor::Job : QObject
{
    MediaPipeline* pipeline = nullptr; // child
    RoutingHandle routing = std::make_shared<Routing>();
    std::optional<qint64> durationNs;
};

VideoProcessor::VideoProcessor(QString temporaryDirectory, QObject* parent)
    : QObject(parent), m_temporaryDirectory(std::move(temporaryDirectory))
{}

VideoProcessor::~VideoProcessor() = default;

QString VideoProcessor::defaultTemporaryDirectory()
{
    return QDir::tempPath();
}

SkinError VideoProcessor::error(ErrorCode code)
{
    static const char* const descriptions[] = {
        "",
        "Failed to create export session",
        "Export failed",
        "Export cancelled",
        "Unknown export status",
        "No video track found",
        "Failed to create composition track",
        "Failed to create export session",
        "Crop failed",
        "Crop cancelled",
        "Unknown crop status",
        "Invalid video file",
    };
    return {processorDomain, int(code), QString::fromLatin1(descriptions[code])};
}

QString VideoProcessor::newTemporaryPath() const
{
    return QDir(m_temporaryDirectory)
        .filePath(QStringLiteral("compressed-") +
                  QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".mp4"));
}

void VideoProcessor::deliver(Completion completion, Result result)
{
    // Queued behind any progress report already posted, so the completion is the last word.
    QMetaObject::invokeMethod(
        this, [completion = std::move(completion), result = std::move(result)] { completion(result); },
        Qt::QueuedConnection);
}

void VideoProcessor::probe(const QString& path, bool withFirstFrame,
                           std::function<void(MediaProbe::Result)> completion)
{
    if (m_probe)
        m_probe.release()->deleteLater();
    m_probe = std::make_unique<MediaProbe>(path, withFirstFrame);
    m_probe->start(std::move(completion));
}

// ---- the whole job ----

void VideoProcessor::processVideo(const QString& source, const QString& output, StageProgressHandler progress,
                                  Completion completion)
{
    if (m_tracker)
        m_tracker->deleteLater();
    m_tracker = new SmoothProgressTracker(std::move(progress), this);
    m_processCompletion = std::move(completion);
    m_tracker->start();
    m_tracker->setTarget(0.1, ProcessingStage::validating);

    validateVideo(source, [this, source, output](bool valid) {
        if (!valid) {
            m_tracker->stop();
            deliver(std::exchange(m_processCompletion, nullptr), std::unexpected(error(invalidVideoFile)));
            return;
        }
        if (!needsCompression(source, compressionLimitMiB)) {
            m_tracker->setTarget(0.1, ProcessingStage::cropping);
            cropToSquare(
                source, output,
                [this](double p) { m_tracker->setTarget(0.1 + 0.85 * p, ProcessingStage::cropping); },
                [this](Result result) { finishProcessing(std::move(result)); });
            return;
        }
        logLine(QStringLiteral("📦 Compressing large video: ") + fileName(source));
        const QString temporary = newTemporaryPath();
        m_tracker->setTarget(0.1, ProcessingStage::compressing);
        compressVideo(
            source, temporary,
            [this](double p) { m_tracker->setTarget(0.1 + 0.55 * p, ProcessingStage::compressing); },
            [this, temporary, output](Result compressed) {
                if (!compressed) {
                    // A half-written intermediate is of no use to anyone.
                    QFile::remove(temporary);
                    m_tracker->stop();
                    deliver(std::exchange(m_processCompletion, nullptr), compressed);
                    return;
                }
                m_tracker->setTarget(0.65, ProcessingStage::cropping);
                cropToSquare(
                    temporary, output,
                    [this](double p) { m_tracker->setTarget(0.65 + 0.3 * p, ProcessingStage::cropping); },
                    [this, temporary](Result result) {
                        QFile::remove(temporary);
                        finishProcessing(std::move(result));
                    });
            });
    });
}

void VideoProcessor::finishProcessing(Result result)
{
    m_tracker->setTarget(0.95, ProcessingStage::finalizing);
    if (result) {
        // The small copy is an extra: without it the clip is decoded in full, so its failure is not
        // the import's.
        const QString clip = *result;
        makeSmallCopy(
            clip, SkinRendition::smallPath(clip), [](double) {},
            [this, result](const Result&) {
                QTimer::singleShot(finalizingPauseMs, this, [this, result] {
                    m_tracker->stop();
                    deliver(std::exchange(m_processCompletion, nullptr), result);
                });
            });
        return;
    }
    QTimer::singleShot(finalizingPauseMs, this, [this, result = std::move(result)] {
        m_tracker->stop();
        deliver(std::exchange(m_processCompletion, nullptr), result);
    });
}

// ---- validation ----

bool VideoProcessor::reportValidation(const QString& path, const MediaProbe::Result& result)
{
    if (result)
        return true;
    switch (result.error().kind) {
    case ProbeFailure::Kind::unreadable:
        logLine(QStringLiteral("⚠️ Cannot read video file: ") + fileName(path) + QStringLiteral(" (") +
                result.error().error.description + u')');
        break;
    case ProbeFailure::Kind::noVideoTrack:
        logLine(QStringLiteral("⚠️ No video track found in file: ") + fileName(path));
        break;
    case ProbeFailure::Kind::notPlayable:
        logLine(QStringLiteral("⚠️ Video is not playable: ") + fileName(path));
        break;
    }
    return false;
}

void VideoProcessor::validateVideo(const QString& path, std::function<void(bool)> completion)
{
    probe(path, false, [path, completion = std::move(completion)](const MediaProbe::Result& result) {
        completion(reportValidation(path, result));
    });
}

bool VideoProcessor::validateVideoBlocking(const QString& path)
{
    return reportValidation(path, MediaProbe::probe(path, false));
}

bool VideoProcessor::needsCompression(const QString& path, double limitMiB)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        logLine(QStringLiteral("⚠️ Error checking file size: The file ") + fileName(path) +
                QStringLiteral(" does not exist"));
        return false;
    }
    return double(info.size()) / 1048576.0 > limitMiB;
}

// ---- compression and crop ----

// The part of a re-encode that differs between compression and crop; the runner below does the rest.
struct VideoProcessor::Encode
{
    const char* pipelineName;
    ErrorCode setupFailure;  // the pipeline cannot be built
    ErrorCode linkFailure;   // a decoded stream cannot be linked
    ErrorCode missingStream; // the decoder ends without a stream a branch waits for
    bool fastStart;
    QString failurePrefix; // logged before the error's description
    QString successLine;
    // Adds the elements between the upright picture and the muxer; returns the x264enc or nullptr.
    std::function<GstElement*(EncodeGraph&)> build;
};

void VideoProcessor::compressVideo(const QString& source, const QString& output, ProgressHandler progress,
                                   Completion completion)
{
    probe(source, false, [=, this](const MediaProbe::Result& info) {
        if (!info) {
            logLine(QStringLiteral("❌ Compression failed: ") + info.error().error.description);
            completion(std::unexpected(info.error().error));
            return;
        }
        const QSize size = VideoGeometry::compressedSize(uprightSize(*info));
        const bool withAudio = info->hasAudio;
        const Encode steps{
            "compress",
            failedToCreateExportSession,
            exportFailed,
            exportFailed,
            true,
            QStringLiteral("❌ Compression failed: "),
            QStringLiteral("✅ Video compressed: ") + fileName(source) + QStringLiteral(" → ") +
                fileName(output),
            [size, withAudio](EncodeGraph& graph) { return addCompression(graph, size, withAudio); },
        };
        encode(source, output, *info, steps, progress, completion);
    });
}

void VideoProcessor::cropToSquare(const QString& source, const QString& output, ProgressHandler progress,
                                  Completion completion)
{
    probe(source, false, [=, this](const MediaProbe::Result& info) {
        if (!info) {
            const bool unreadable = info.error().kind == ProbeFailure::Kind::unreadable;
            completion(std::unexpected(unreadable ? info.error().error : error(noVideoTrackFound)));
            return;
        }
        if (VideoGeometry::isSquare({info->width, info->height})) {
            logLine(QStringLiteral("✅ Video already square, skipping crop"));
            copySquare(source, output, progress, completion);
            return;
        }
        const QSize upright = uprightSize(*info);
        const std::optional<VideoGeometry::SquareCrop> square = VideoGeometry::squareCrop(upright);
        const Encode steps{
            "crop",
            failedToCreateCropExportSession,
            failedToCreateCompositionTrack,
            noVideoTrackFound,
            false,
            QStringLiteral("❌ Crop failed: "),
            QStringLiteral("✅ Video cropped to square: ") + fileName(output),
            [upright, square](EncodeGraph& graph) {
                return square ? addCrop(graph, upright, *square) : nullptr;
            },
        };
        encode(source, output, *info, steps, progress, completion);
    });
}

void VideoProcessor::makeSmallCopy(const QString& source, const QString& output, ProgressHandler progress,
                                   Completion completion)
{
    probe(source, false, [=, this](const MediaProbe::Result& info) {
        const QSize upright = info ? uprightSize(*info) : QSize();
        if (!info || upright.width() <= SkinRendition::smallSide ||
            upright.height() <= SkinRendition::smallSide) {
            QFile::remove(output); // none needed, and none of an earlier clip may stay
            completion(std::unexpected(error(noVideoTrackFound)));
            return;
        }
        const auto centre = VideoGeometry::squareCrop(upright);
        const VideoGeometry::SquareCrop whole{centre ? centre->kept : QRect(QPoint(0, 0), upright),
                                              SkinRendition::smallSide};
        const Encode steps{
            "small copy",
            failedToCreateCropExportSession,
            failedToCreateCompositionTrack,
            noVideoTrackFound,
            false,
            QStringLiteral("⚠️ Small copy failed: "),
            QStringLiteral("✅ Small copy made: ") + fileName(output),
            [upright, whole](EncodeGraph& graph) { return addCrop(graph, upright, whole); },
        };
        encode(source, output, *info, steps, progress, [output, completion](Result result) {
            if (!result)
                QFile::remove(output);
            completion(std::move(result));
        });
    });
}

void VideoProcessor::copySquare(const QString& source, const QString& output, ProgressHandler progress,
                                Completion completion)
{
    progress(1.0);
    if (samePath(source, output)) {
        completion(output);
        return;
    }
    if (QFileInfo::exists(output) || QFileInfo(output).isSymLink()) {
        QFile existing(output);
        if (!existing.remove()) {
            completion(std::unexpected(SkinError{QStringLiteral("QFileDevice"), int(existing.error()),
                                                 QStringLiteral("Cannot replace ") + fileName(output) +
                                                     QStringLiteral(": ") + existing.errorString()}));
            return;
        }
    }
    QFile file(source);
    if (!file.copy(output)) {
        completion(std::unexpected(SkinError{QStringLiteral("QFileDevice"), int(file.error()),
                                             QStringLiteral("Cannot copy ") + fileName(source) +
                                                 QStringLiteral(": ") + file.errorString()}));
        return;
    }
    completion(output);
}

void VideoProcessor::encode(const QString& source, const QString& output, const MediaInfo& info,
                            const Encode& steps, ProgressHandler progress, Completion completion)
{
    auto job = std::make_unique<Job>();
    GstElement* pipeline = gst_pipeline_new(steps.pipelineName);
    job->pipeline = new MediaPipeline(pipeline, MediaPipeline::Goal::endOfStream, job.get());
    job->durationNs = info.durationNs;
    Routing& routing = *job->routing;
    routing.pipeline = pipeline;
    routing.linkFailure = error(steps.linkFailure);
    routing.missingStream = error(steps.missingStream);

    GstBin* bin = GST_BIN(pipeline);
    EncodeGraph graph{bin, nullptr, VideoEncoding::addMp4Writer(bin, output, steps.fastStart)};
    GstElement* decoder = addDecoder(bin, source, job->routing);
    graph.upright = addVideoFlip(bin, info.orientation);
    GstElement* encoder = graph.muxer && decoder && graph.upright ? steps.build(graph) : nullptr;
    if (!encoder) {
        job.reset();
        QMetaObject::invokeMethod(
            this, [completion, failure = error(steps.setupFailure)] { completion(std::unexpected(failure)); },
            Qt::QueuedConnection);
        return;
    }
    routing.videoEntry = graph.upright;
    routing.audioEntry = graph.audioEntry;
    watchEncoderInput(encoder, job->routing);

    if (m_job)
        m_job.release()->deleteLater();
    m_job = std::move(job);
    Job* current = m_job.get();
    current->pipeline->setProgressSource([current]() -> std::optional<double> {
        const qint64 position = current->routing->positionNs;
        if (!current->durationNs) {
            gint64 duration = 0;
            if (gst_element_query_duration(current->pipeline->pipeline(), GST_FORMAT_TIME, &duration) &&
                duration > 0)
                current->durationNs = duration;
        }
        if (position < 0)
            return std::nullopt;
        if (!current->durationNs) {
            // A file that does not tell its length still shows that it moves: a fraction that
            // rises with every second and never reaches the end.
            const double seconds = double(position) / GST_SECOND;
            return seconds / (seconds + 10);
        }
        return std::clamp(double(position) / double(*current->durationNs), 0.0, 1.0);
    });
    auto finish = [=, failurePrefix = steps.failurePrefix,
                   successLine = steps.successLine](const MediaPipeline::Result& result) {
        if (!result) {
            logLine(failurePrefix + result.error().description);
            completion(std::unexpected(result.error()));
            return;
        }
        progress(1.0);
        logLine(successLine);
        completion(output);
    };
    current->pipeline->start(progress, std::move(finish));
}

// ---- thumbnails ----

void VideoProcessor::generateThumbnail(const QString& path, std::function<void(QImage)> completion)
{
    probe(path, true, [completion = std::move(completion)](const MediaProbe::Result& result) {
        if (!result) {
            logLine(QStringLiteral("❌ Failed to generate thumbnail: ") + result.error().error.description);
            completion({});
            return;
        }
        completion(result->firstFrame);
    });
}

QImage VideoProcessor::generateThumbnailBlocking(const QString& path)
{
    const MediaProbe::Result result = MediaProbe::probe(path, true);
    if (!result) {
        logLine(QStringLiteral("❌ Failed to generate thumbnail: ") + result.error().error.description);
        return {};
    }
    return result->firstFrame;
}

bool VideoProcessor::saveThumbnail(const QImage& image, const QString& path)
{
    if (image.isNull()) {
        logLine(QStringLiteral("❌ Failed to convert image to PNG"));
        return false;
    }
    QImageWriter writer(path, "png");
    if (!writer.write(image)) {
        logLine(QStringLiteral("❌ Failed to save thumbnail: ") + writer.errorString());
        return false;
    }
    logLine(QStringLiteral("✅ Thumbnail saved: ") + fileName(path));
    return true;
}

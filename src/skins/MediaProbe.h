#pragma once

#include "MediaPipeline.h"
#include "SkinError.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <expected>
#include <functional>
#include <gst/video/video.h>
#include <memory>
#include <optional>

// What a probe learnt about a file whose first video frame it decoded.
struct MediaInfo
{
    // The stored frame size, before any rotation the file asks for.
    int width = 0;
    int height = 0;
    // How the frame must be turned to be upright, from the file's orientation tags.
    GstVideoOrientationMethod orientation = GST_VIDEO_ORIENTATION_IDENTITY;
    bool hasAudio = false;
    std::optional<qint64> durationNs;
    // Upright; only when the probe was asked for it.
    QImage firstFrame;
};

struct ProbeFailure
{
    enum class Kind
    {
        unreadable,   // missing, not a regular file, or cannot be opened
        noVideoTrack, // not a media file, audio only, an image, empty
        notPlayable,  // a video stream that cannot be decoded
    };
    Kind kind;
    SkinError error;
};

// Opens a file the way every later step will, and succeeds only once a video frame has been decoded:
// proof that the file holds a usable video stream.
class MediaProbe : public QObject
{
    Q_OBJECT
public:
    using Result = std::expected<MediaInfo, ProbeFailure>;

    MediaProbe(QString path, bool withFirstFrame, QObject* parent = nullptr);
    ~MediaProbe() override;

    // The result arrives later on this object's thread.
    void start(std::function<void(Result)> onFinished);
    // Blocks the calling thread; usable from any thread.
    static Result probe(const QString& path, bool withFirstFrame);

    static QImage uprightImage(const QImage& stored, GstVideoOrientationMethod orientation);

private:
    std::optional<ProbeFailure> build();
    Result collect(const MediaPipeline::Result& run);

    const QString m_path;
    const bool m_withFirstFrame;
    std::shared_ptr<struct ProbeShared> m_shared;
    std::unique_ptr<MediaPipeline> m_pipeline;
    GstElement* m_appSink = nullptr;
    GstElement* m_decoder = nullptr;
};

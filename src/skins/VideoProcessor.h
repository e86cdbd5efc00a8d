#pragma once

#include "MediaProbe.h"
#include "SkinError.h"
#include "SmoothProgressTracker.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <expected>
#include <functional>
#include <memory>
#include <optional>

class MediaPipeline;

// Prepares one user video for a skin: checks that it decodes, re-encodes it when it is large, crops it
// to a centred upright square at 30 fps without sound (or copies it when it is square already) and
// makes thumbnails. Runs one job at a time on the GUI thread; destroying it abandons the job without
// a completion.
class VideoProcessor : public QObject
{
    Q_OBJECT
public:
    enum ErrorCode
    {
        failedToCreateExportSession = 1,
        exportFailed = 2,
        exportCancelled = 3,
        unknownExportStatus = 4,
        noVideoTrackFound = 5,
        failedToCreateCompositionTrack = 6,
        failedToCreateCropExportSession = 7,
        cropFailed = 8,
        cropCancelled = 9,
        unknownCropStatus = 10,
        invalidVideoFile = 11,
    };

    static constexpr double compressionLimitMiB = 5;
    static constexpr int croppedFrameRate = 30;
    static constexpr int finalizingPauseMs = 200;

    using Result = std::expected<QString, SkinError>;
    using Completion = std::function<void(Result)>;
    using StageProgressHandler = SmoothProgressTracker::ProgressHandler;
    using ProgressHandler = std::function<void(double)>;

    explicit VideoProcessor(QString temporaryDirectory = defaultTemporaryDirectory(),
                            QObject* parent = nullptr);
    ~VideoProcessor() override;

    static QString defaultTemporaryDirectory();
    static SkinError error(ErrorCode code);

    // The whole job; progress and the completion arrive on this object's thread, the completion
    // once, after the last progress report.
    void processVideo(const QString& source, const QString& output, StageProgressHandler progress,
                      Completion completion);

    void validateVideo(const QString& path, std::function<void(bool)> completion);
    static bool validateVideoBlocking(const QString& path);
    static bool needsCompression(const QString& path, double limitMiB);
    void compressVideo(const QString& source, const QString& output, ProgressHandler progress,
                       Completion completion);
    void cropToSquare(const QString& source, const QString& output, ProgressHandler progress,
                      Completion completion);

    // A copy of a square clip scaled down to SkinRendition::smallSide, for small pictures; fails,
    // leaving no file, when the clip is that small already.
    void makeSmallCopy(const QString& source, const QString& output, ProgressHandler progress,
                       Completion completion);

    // The first frame, upright; a null image when none could be decoded.
    void generateThumbnail(const QString& path, std::function<void(QImage)> completion);
    static QImage generateThumbnailBlocking(const QString& path);
    static bool saveThumbnail(const QImage& image, const QString& path);

private:
    struct Job;
    struct Encode;
    static bool reportValidation(const QString& path, const MediaProbe::Result& result);
    QString newTemporaryPath() const;
    void probe(const QString& path, bool withFirstFrame, std::function<void(MediaProbe::Result)> completion);
    void copySquare(const QString& source, const QString& output, ProgressHandler progress,
                    Completion completion);
    // Decodes the source upright, runs it through the steps' elements into an MP4 at output, and
    // reports progress, failure or completion the same way for every kind of re-encode.
    void encode(const QString& source, const QString& output, const MediaInfo& info, const Encode& steps,
                ProgressHandler progress, Completion completion);
    void finishProcessing(Result result);
    void deliver(Completion completion, Result result);

    const QString m_temporaryDirectory;
    std::unique_ptr<MediaProbe> m_probe;
    std::unique_ptr<Job> m_job;
    QPointer<SmoothProgressTracker> m_tracker;
    Completion m_processCompletion;
};

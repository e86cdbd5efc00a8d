// Importing a custom skin from four 10-second 1920x1080 clips: the wall time of
// SkinManager::importCustomSkin (validation, crop to 1080x1080 at 30 fps, thumbnail, metadata) against
// gst-launch-1.0 doing the same decode, crop and encode of the same clips, measured in the same run.
// Also the longest wait between two progress reports and the longest stall of the GUI thread.
#include "GstSupport.h"
#include "MediaPipeline.h"
#include "SkinManager.h"
#include "VideoEncoding.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {
constexpr int clipCount = 4;
constexpr int clipSeconds = 10;

// Moving colour bars with a tone, H.264 and AAC: a phone clip small enough to need no compression.
void makeClip(const QString& path)
{
    const QString description =
        QStringLiteral("videotestsrc num-buffers=%1 pattern=smpte75 horizontal-speed=4 ! "
                       "video/x-raw,format=I420,width=1920,height=1080,framerate=30/1 ! "
                       "x264enc speed-preset=ultrafast bitrate=3000 ! queue ! mux. "
                       "audiotestsrc num-buffers=%2 ! audioconvert ! avenc_aac ! queue ! mux. "
                       "mp4mux name=mux ! filesink location=\"%3\"")
            .arg(clipSeconds * 30)
            .arg(clipSeconds * 44100 / 1024 + 1)
            .arg(path);
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.toUtf8().constData(), &error);
    if (error)
        qFatal("cannot build the clip pipeline: %s", error->message);
    MediaPipeline runner(pipeline, MediaPipeline::Goal::endOfStream);
    if (auto started = runner.begin(); !started)
        qFatal("cannot start the clip pipeline: %s", qPrintable(started.error().description));
    if (auto done = runner.wait(std::chrono::minutes(5)); !done)
        qFatal("cannot make a clip: %s", qPrintable(done.error().description));
}

struct ImportFigures
{
    double seconds = 0;
    qint64 longestProgressGapMs = 0; // between two changes of importProgress
    qint64 longestStallMs = 0;       // of the GUI thread, seen by a 10 ms timer
};

ImportFigures importSeconds(const QStringList& clips, const QString& root)
{
    SkinManager manager(root + QStringLiteral("/custom"), root + QStringLiteral("/bundled"), {}, {},
                        root + QStringLiteral("/tmp"));
    const SkinManager::VideoSources sources{{ClaudeStatus::idle, clips[0]},
                                            {ClaudeStatus::working, clips[1]},
                                            {ClaudeStatus::needsInput, clips[2]},
                                            {ClaudeStatus::completed, clips[3]}};
    ImportFigures figures;
    QElapsedTimer sinceProgress;
    QObject::connect(&manager, &SkinManager::importProgressChanged, [&] {
        if (sinceProgress.isValid())
            figures.longestProgressGapMs = std::max(figures.longestProgressGapMs, sinceProgress.restart());
        else
            sinceProgress.start();
    });
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { figures.longestStallMs = std::max(figures.longestStallMs, sinceTick.restart()); });
    ticker.start(10);
    QElapsedTimer timer;
    timer.start();
    bool done = false;
    manager.importCustomSkin(QStringLiteral("Bench"), std::nullopt, sources,
                             [&](SkinManager::ImportResult result) {
                                 if (!result)
                                     qFatal("import failed: %s", qPrintable(result.error().description));
                                 done = true;
                             });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    figures.seconds = timer.nsecsElapsed() / 1e9;
    return figures;
}

double gstLaunchSeconds(const QStringList& clips, const QString& root)
{
    const QString launcher = QStandardPaths::findExecutable(QStringLiteral("gst-launch-1.0"));
    if (launcher.isEmpty())
        qFatal("gst-launch-1.0 is not installed");
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < clips.size(); ++i) {
        const QString description =
            QStringLiteral(
                "filesrc location=\"%1\" ! decodebin ! videocrop left=420 right=420 ! videoscale ! "
                "videorate ! video/x-raw,width=1080,height=1080,framerate=30/1,pixel-aspect-ratio=1/1 ! "
                "videoconvert ! video/x-raw,format=I420 ! %2 ! mp4mux ! filesink location=\"%3\"")
                .arg(clips[i], H264Settings::forCrop().launchDescription(),
                     root + QStringLiteral("/out%1.mp4").arg(i));
        QProcess process;
        process.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"), launcher + QStringLiteral(" -q ") + description});
        if (!process.waitForFinished(-1) || process.exitCode() != 0)
            qFatal("gst-launch-1.0 failed: %s", process.readAllStandardError().constData());
    }
    return timer.nsecsElapsed() / 1e9;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (auto error = GstSupport::ensureInitialized())
        qFatal("GStreamer: %s", qPrintable(error->description));
    QTemporaryDir dir;
    QStringList clips;
    for (int i = 0; i < clipCount; ++i) {
        clips.append(dir.filePath(QStringLiteral("clip%1.mp4").arg(i)));
        makeClip(clips.last());
    }
    std::printf("four %d s 1920x1080 clips of %.1f MiB each\n", clipSeconds,
                QFileInfo(clips[0]).size() / 1048576.0);

    // Alternate the two, so that neither gets a warmer machine.
    constexpr int rounds = 2;
    double ours = 0;
    double baseline = 0;
    for (int round = 0; round < rounds; ++round) {
        const QString root = dir.filePath(QStringLiteral("round%1").arg(round));
        QDir().mkpath(root + QStringLiteral("/tmp"));
        const double launched = gstLaunchSeconds(clips, root);
        const ImportFigures figures = importSeconds(clips, root);
        const double imported = figures.seconds;
        std::printf("round %d: importCustomSkin %.2f s, gst-launch-1.0 %.2f s; longest gap between progress "
                    "changes %lld ms, longest GUI-thread stall %lld ms\n",
                    round + 1, imported, launched, figures.longestProgressGapMs, figures.longestStallMs);
        ours += imported;
        baseline += launched;
    }
    std::printf("importCustomSkin / gst-launch-1.0 = %.3f (%.2f s against %.2f s over %d rounds)\n",
                ours / baseline, ours, baseline, rounds);
    return 0;
}

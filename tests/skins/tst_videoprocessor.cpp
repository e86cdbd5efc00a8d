#include "LogCapture.h"
#include "TestMedia.h"
#include "VideoProcessor.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The message of QVERIFY2 is built also when the check passes.
#define VERIFY_SUCCESS(result) QVERIFY2(result, (result) ? "" : qPrintable((result).error().description))

namespace {
struct Report
{
    double progress;
    QString stage;
};

// A moving test picture with vertical colour bars, H.264 in MP4, optionally with AAC sound.
QString barsClip(int width, int height, int frames, int rate, bool withAudio)
{
    QString description = QStringLiteral("videotestsrc num-buffers=%1 pattern=smpte75 ! "
                                         "video/x-raw,format=I420,width=%2,height=%3,framerate=%4/1 ! "
                                         "x264enc speed-preset=ultrafast ! queue ! mux. ")
                              .arg(frames)
                              .arg(width)
                              .arg(height)
                              .arg(rate);
    if (withAudio)
        description +=
            QStringLiteral("audiotestsrc num-buffers=%1 ! audioconvert ! avenc_aac ! queue ! mux. ")
                .arg(frames * 44100 / rate / 1024 + 1);
    return description + QStringLiteral("mp4mux name=mux ! {out}");
}

// Noise as high-quality JPEG frames: a few frames make a file of many MiB, quickly.
QString largeClip(int width, int height, int frames)
{
    return QStringLiteral(
               "videotestsrc num-buffers=%1 pattern=snow ! video/x-raw,width=%2,height=%3,framerate=30/1 ! "
               "jpegenc quality=100 ! queue ! mux. "
               "audiotestsrc num-buffers=10 ! audioconvert ! avenc_aac ! queue ! mux. "
               "qtmux name=mux ! {out}")
        .arg(frames)
        .arg(width)
        .arg(height);
}

bool similar(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) < 40 && qAbs(qGreen(a) - qGreen(b)) < 40 && qAbs(qBlue(a) - qBlue(b)) < 40;
}
} // namespace

class TestVideoProcessor : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void invalidInputFailsValidation_data();
    void invalidInputFailsValidation();
    void landscapeIsCroppedToCentreSquare();
    void quarterTurnIsAppliedBeforeCrop();
    void oddDimensionsGiveEvenSquare();
    void nearSquareIsCopiedUnchanged();
    void largeFileIsCompressedThenCropped();
    void compressionFitsAndKeepsSound();
    void failedCropStillRemovesTemporary();
    void compressionThreshold_data();
    void compressionThreshold();
    void thumbnailFailures();

private:
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }
    // Runs processVideo to its completion.
    VideoProcessor::Result process(const QString& source, const QString& output);
    // The stages reported so far, each once.
    QStringList stages() const
    {
        QStringList result;
        for (const Report& report : m_reports) {
            if (result.isEmpty() || result.last() != report.stage)
                result.append(report.stage);
        }
        return result;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_temporary;
    QList<Report> m_reports;
};

void TestVideoProcessor::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_temporary = std::make_unique<QTemporaryDir>();
    m_reports.clear();
}

VideoProcessor::Result TestVideoProcessor::process(const QString& source, const QString& output)
{
    VideoProcessor processor(m_temporary->path());
    std::optional<VideoProcessor::Result> result;
    int reportsAtCompletion = -1;
    processor.processVideo(
        source, output,
        [this](double p, const QString& stage) {
            m_reports.append({p, stage});
        },
        [&](VideoProcessor::Result r) {
            reportsAtCompletion = int(m_reports.size());
            result = std::move(r);
        });
    if (!QTest::qWaitFor([&] { return result.has_value(); }, 90000))
        return std::unexpected(SkinError{"test", 0, "timed out"});
    QTest::qWait(50);
    // The completion comes after the final report, and nothing follows it.
    if (reportsAtCompletion != m_reports.size() || m_reports.isEmpty() || m_reports.last().progress != 1.0)
        return std::unexpected(SkinError{"test", 1, "progress reports out of order"});
    for (qsizetype i = 1; i < m_reports.size(); ++i) {
        if (m_reports[i].progress < m_reports[i - 1].progress)
            return std::unexpected(SkinError{"test", 2, "progress went backwards"});
    }
    return *result;
}

void TestVideoProcessor::invalidInputFailsValidation_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("logLine");
    const QString noTrack = QStringLiteral("⚠️ No video track found in file: input.mp4");
    for (const char* kind : {"text", "empty", "audio", "truncated", "image"})
        QTest::newRow(kind) << kind << noTrack;
    QTest::newRow("missing") << "missing"
                             << "⚠️ Cannot read video file: input.mp4 (The file does not exist)";
    QTest::newRow("folder") << "folder"
                            << "⚠️ Cannot read video file: input.mp4 (Not a regular file)";
}

void TestVideoProcessor::invalidInputFailsValidation()
{
    QFETCH(QString, kind);
    QFETCH(QString, logLine);
    const QString input = path("input.mp4");
    if (kind == "text" || kind == "empty") {
        QFile file(input);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (kind == "text")
            QVERIFY(file.write("These are my notes, not a video.\n") > 0);
    } else if (kind == "audio") {
        QVERIFY(
            TestMedia::makeClip(input, "audiotestsrc num-buffers=40 ! audioconvert ! avenc_aac ! mp4mux"));
    } else if (kind == "truncated") {
        // The index of a plain MP4 comes last; the first half alone has none.
        QVERIFY(TestMedia::makeClip(input, barsClip(320, 240, 30, 30, false)));
        QFile file(input);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(file.size() / 2));
    } else if (kind == "image") {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(input, "PNG"));
    } else if (kind == "folder") {
        QVERIFY(QDir().mkpath(input));
    }

    LogCapture log;
    const QString output = path("out.mp4");
    const auto result = process(input, output);
    QVERIFY(!result);
    QCOMPARE(result.error(), (SkinError{"VideoProcessor", 11, "Invalid video file"}));
    QCOMPARE(log.count(logLine), 1);
    QCOMPARE(m_reports.last().stage, "Validating video...");
    QVERIFY(!QFileInfo::exists(output));
}

void TestVideoProcessor::landscapeIsCroppedToCentreSquare()
{
    const QString source = path("landscape.mp4");
    QVERIFY(TestMedia::makeClip(source, barsClip(1920, 1080, 25, 25, true)));
    QVERIFY(QFileInfo(source).size() < 5 * 1024 * 1024);

    LogCapture log;
    const QString output = path("idle.mp4");
    const auto result = process(source, output);
    VERIFY_SUCCESS(result);
    QCOMPARE(*result, output);

    const TestMedia::Summary summary = TestMedia::describe(output);
    QVERIFY(summary.ok);
    QCOMPARE(summary.container, "video/quicktime");
    QCOMPARE(summary.videoCodec, "video/x-h264");
    QCOMPARE(summary.width, 1080);
    QCOMPARE(summary.height, 1080);
    QCOMPARE(summary.frameRate, 30.0);
    QCOMPARE(summary.audioStreams, 0);
    QVERIFY(qAbs(summary.durationSeconds - 1.0) < 0.1);

    // The square is the middle of the picture: 420 columns are cut on each side.
    const QImage before = TestMedia::frameAt(source, 0);
    const QImage after = TestMedia::frameAt(output, 0);
    QCOMPARE(after.size(), QSize(1080, 1080));
    for (int x : {8, 300, 540, 800, 1071})
        QVERIFY2(similar(after.pixel(x, 200), before.pixel(x + 420, 200)), qPrintable(QString::number(x)));

    QCOMPARE(stages(), (QStringList{"Validating video...", "Cropping to square...", "Finalizing..."}));
    QCOMPARE(log.count("✅ Video cropped to square: idle.mp4"), 1);
    QCOMPARE(log.countStartingWith("📦"), 0);
}

void TestVideoProcessor::quarterTurnIsAppliedBeforeCrop()
{
    // Stored 640x360 with vertical bars, shown a quarter turn clockwise: upright it is 360x640 with
    // horizontal bars.
    const QString source = path("portrait.mp4");
    QVERIFY(TestMedia::makeClip(source, barsClip(640, 360, 15, 30, false)));
    QVERIFY(TestMedia::setQuarterTurn(source));

    const QImage thumbnail = VideoProcessor::generateThumbnailBlocking(source);
    QCOMPARE(thumbnail.size(), QSize(360, 640));

    const auto result = process(source, path("out.mp4"));
    VERIFY_SUCCESS(result);
    const QImage frame = TestMedia::frameAt(*result, 0);
    QCOMPARE(frame.size(), QSize(360, 360));
    // Bars now run across: colour changes down the picture, not along it.
    for (int y : {30, 180, 330})
        QVERIFY(similar(frame.pixel(20, y), frame.pixel(340, y)));
    QVERIFY(!similar(frame.pixel(180, 20), frame.pixel(180, 340)));
    // The thumbnail of the source is upright in the same way.
    QVERIFY(similar(thumbnail.pixel(20, 320), thumbnail.pixel(340, 320)));
}

void TestVideoProcessor::oddDimensionsGiveEvenSquare()
{
    const QString source = path("odd.mov");
    QVERIFY(TestMedia::makeClip(
        source, "videotestsrc num-buffers=10 ! video/x-raw,width=641,height=479,framerate=30/1 ! "
                "jpegenc ! qtmux"));
    const auto result = process(source, path("out.mp4"));
    VERIFY_SUCCESS(result);
    const TestMedia::Summary summary = TestMedia::describe(*result);
    QCOMPARE(summary.width, 478);
    QCOMPARE(summary.height, 478);
    QCOMPARE(summary.videoCodec, "video/x-h264");
}

void TestVideoProcessor::nearSquareIsCopiedUnchanged()
{
    const QString source = path("square.mp4");
    QVERIFY(TestMedia::makeClip(source, barsClip(400, 392, 10, 30, true)));
    QFile original(source);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();

    LogCapture log;
    const QString output = path("copy.mp4");
    QVERIFY(QFile(output).open(QIODevice::WriteOnly)); // an old file there is replaced
    auto result = process(source, output);
    VERIFY_SUCCESS(result);
    QFile copy(output);
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), bytes);
    QCOMPARE(TestMedia::describe(output).audioStreams, 1);
    QCOMPARE(log.count("✅ Video already square, skipping crop"), 1);
    QCOMPARE(log.countStartingWith("✅ Video cropped"), 0);

    // Onto itself: nothing to copy, the file stays as it is.
    m_reports.clear();
    result = process(source, source);
    QVERIFY(result);
    QCOMPARE(*result, source);
    QCOMPARE(m_reports.last().stage, "Finalizing...");
    QVERIFY(original.seek(0));
    QCOMPARE(original.readAll(), bytes);
}

void TestVideoProcessor::largeFileIsCompressedThenCropped()
{
    const QString source = path("big.mov");
    QVERIFY(TestMedia::makeClip(source, largeClip(1920, 1080, 8)));
    QVERIFY2(QFileInfo(source).size() > 5 * 1024 * 1024, "the test clip must be over 5 MiB");

    LogCapture log;
    const auto result = process(source, path("working.mp4"));
    VERIFY_SUCCESS(result);
    const TestMedia::Summary summary = TestMedia::describe(*result);
    QCOMPARE(summary.width, 1080);
    QCOMPARE(summary.height, 1080);
    QCOMPARE(summary.audioStreams, 0);

    QCOMPARE(stages(), (QStringList{"Validating video...", "Compressing video...", "Cropping to square...",
                                    "Finalizing..."}));
    QCOMPARE(log.count("📦 Compressing large video: big.mov"), 1);
    QCOMPARE(log.countStartingWith("✅ Video compressed: big.mov → compressed-"), 1);
    QVERIFY(QDir(m_temporary->path()).isEmpty());
}

void TestVideoProcessor::compressionFitsAndKeepsSound()
{
    // A 4K phone clip held upright: stored landscape with a quarter turn.
    const QString source = path("phone.mov");
    QVERIFY(TestMedia::makeClip(source, largeClip(3840, 2160, 3)));
    QVERIFY(TestMedia::setQuarterTurn(source));

    VideoProcessor processor(m_temporary->path());
    const QString output = path("compressed.mp4");
    std::optional<VideoProcessor::Result> result;
    QList<double> progress;
    processor.compressVideo(
        source, output, [&](double p) { progress.append(p); },
        [&](VideoProcessor::Result r) { result = std::move(r); });
    QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 90000);
    VERIFY_SUCCESS(*result);
    QCOMPARE(progress.last(), 1.0);

    const TestMedia::Summary summary = TestMedia::describe(output);
    QCOMPARE(summary.videoCodec, "video/x-h264");
    QCOMPARE(summary.width, 1080);
    QCOMPARE(summary.height, 1920);
    QCOMPARE(summary.audioStreams, 1);
    // The turn is in the pixels now, not in the file, so the crop will not turn it a second time.
    const MediaProbe::Result probed = MediaProbe::probe(output, false);
    QVERIFY(probed);
    QCOMPARE(probed->orientation, GST_VIDEO_ORIENTATION_IDENTITY);
    QFile file(output);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY2(bytes.indexOf("moov") < bytes.indexOf("mdat"), "the index must come first (fast start)");
}

void TestVideoProcessor::failedCropStillRemovesTemporary()
{
    const QString source = path("big.mov");
    QVERIFY(TestMedia::makeClip(source, largeClip(1280, 720, 16)));
    QVERIFY(QFileInfo(source).size() > 5 * 1024 * 1024);

    LogCapture log;
    const auto result = process(source, path("no/such/folder/out.mp4"));
    QVERIFY(!result);
    QVERIFY(result.error().domain != "test");
    QVERIFY(!result.error().description.isEmpty());
    QCOMPARE(log.countStartingWith("❌ Crop failed: "), 1);
    // A failed crop still passes through the finalizing stage.
    QCOMPARE(m_reports.last().stage, "Finalizing...");
    QVERIFY(QDir(m_temporary->path()).isEmpty());
}

void TestVideoProcessor::compressionThreshold_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("compress");
    QTest::newRow("4 MiB") << qint64(4 * 1048576) << false;
    QTest::newRow("exactly 5 MiB") << qint64(5 * 1048576) << false;
    QTest::newRow("one byte more") << qint64(5 * 1048576 + 1) << true;
    QTest::newRow("missing") << qint64(-1) << false;
}

void TestVideoProcessor::compressionThreshold()
{
    QFETCH(qint64, size);
    QFETCH(bool, compress);
    const QString file = path("sized.mp4");
    if (size >= 0) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(size));
    }
    LogCapture log;
    QCOMPARE(VideoProcessor::needsCompression(file, VideoProcessor::compressionLimitMiB), compress);
    QCOMPARE(log.countStartingWith("⚠️ Error checking file size: "), size < 0 ? 1 : 0);
}

void TestVideoProcessor::thumbnailFailures()
{
    LogCapture log;
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QVERIFY(!VideoProcessor::saveThumbnail(QImage(), path("a.png")));
    QCOMPARE(log.count("❌ Failed to convert image to PNG"), 1);
    QVERIFY(!VideoProcessor::saveThumbnail(image, path("missing/a.png")));
    QCOMPARE(log.countStartingWith("❌ Failed to save thumbnail: "), 1);
    QVERIFY(VideoProcessor::saveThumbnail(image, path("a.png")));
    QCOMPARE(log.count("✅ Thumbnail saved: a.png"), 1);
    QCOMPARE(QImage(path("a.png")).pixel(3, 3), QColor(Qt::blue).rgb());

    QVERIFY(VideoProcessor::generateThumbnailBlocking(path("a.png")).isNull());
    QCOMPARE(log.countStartingWith("❌ Failed to generate thumbnail: "), 1);
}

QTEST_GUILESS_MAIN(TestVideoProcessor)
#include "tst_videoprocessor.moc"

#include "LogCapture.h"
#include "TestMedia.h"
#include "VideoGeometry.h"
#include "VideoProcessor.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The message of QVERIFY2 is built also when the check passes.
#define VERIFY_SUCCESS(result) QVERIFY2(result, (result) ? "" : qPrintable((result).error().description))

namespace {
using Report = std::pair<double, QString>; // progress, stage

// Vertical colour bars, H.264 in MP4, of a width and a height.
const QString barsClip =
    QStringLiteral("videotestsrc num-buffers=10 pattern=smpte75 ! video/x-raw,width=%1,height=%2 "
                   "! x264enc speed-preset=ultrafast ! mp4mux");

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
    void geometry_data();
    void geometry();
    void compressionThreshold_data();
    void compressionThreshold();
    void invalidInputFailsValidation_data();
    void invalidInputFailsValidation();
    void turnedLargeFileIsCompressedThenCropped();
    void nearSquareIsCopiedUnchanged();

private:
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }
    // Runs processVideo to its completion; fails when the reports are out of order.
    VideoProcessor::Result process(const QString& source, const QString& output);

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
    m_reports.clear();
    VideoProcessor processor(m_temporary->path());
    std::optional<VideoProcessor::Result> result;
    qsizetype reportsAtCompletion = -1;
    processor.processVideo(
        source, output,
        [this](double p, const QString& stage) {
            m_reports.append({p, stage});
        },
        [&](VideoProcessor::Result r) {
            reportsAtCompletion = m_reports.size();
            result = std::move(r);
        });
    if (!QTest::qWaitFor([&] { return result.has_value(); }, 90000))
        return std::unexpected(SkinError{"test", 0, "timed out"});
    QTest::qWait(50);
    // The completion comes after the final report, and nothing follows it.
    if (reportsAtCompletion != m_reports.size() || m_reports.isEmpty() || m_reports.last().first != 1.0)
        return std::unexpected(SkinError{"test", 1, "progress reports out of order"});
    for (qsizetype i = 1; i < m_reports.size(); ++i) {
        if (m_reports[i].first < m_reports[i - 1].first)
            return std::unexpected(SkinError{"test", 2, "progress went backwards"});
    }
    return *result;
}

void TestVideoProcessor::geometry_data()
{
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<bool>("square");
    QTest::addColumn<QSize>("compressed");
    QTest::addColumn<QRect>("kept"); // of the upright frame
    QTest::addColumn<int>("side");
    const auto row = [](const char* name, QSize stored, GstVideoOrientationMethod orientation, bool square,
                        QSize compressed, QRect kept, int side) {
        QTest::newRow(name) << stored << int(orientation) << square << compressed << kept << side;
    };
    const auto upright = GST_VIDEO_ORIENTATION_IDENTITY;
    row("exactly 1920x1080", {1920, 1080}, upright, false, {1920, 1080}, {420, 0, 1080, 1080}, 1080);
    row("portrait", {1080, 1920}, upright, false, {1080, 1920}, {0, 420, 1080, 1080}, 1080);
    row("4K turned 90", {3840, 2160}, GST_VIDEO_ORIENTATION_90R, false, {1080, 1920}, {0, 840, 2160, 2160},
        1080);
    row("turned 270, never enlarged", {1280, 720}, GST_VIDEO_ORIENTATION_90L, false, {720, 1280},
        {0, 280, 720, 720}, 720);
    row("mirrored across", {640, 360}, GST_VIDEO_ORIENTATION_UR_LL, false, {360, 640}, {0, 140, 360, 360},
        360);
    row("upside down", {1280, 720}, GST_VIDEO_ORIENTATION_180, false, {1280, 720}, {280, 0, 720, 720}, 720);
    row("panorama, capped by width", {4000, 1000}, upright, false, {1920, 480}, {1500, 0, 1000, 1000}, 1000);
    row("scaled side made even", {3001, 1688}, upright, false, {1920, 1078}, {656, 0, 1688, 1688}, 1080);
    // The extra pixel of an odd margin goes right or down.
    row("odd sides", {641, 479}, upright, false, {640, 478}, {81, 0, 478, 478}, 478);
    row("square within 10", {1080, 1075}, upright, true, {1080, 1074}, {3, 0, 1074, 1074}, 1074);
    row("10 apart", {400, 390}, upright, false, {400, 390}, {5, 0, 390, 390}, 390);
    row("smallest", {2, 3}, upright, true, {2, 2}, {0, 0, 2, 2}, 2);
    row("too small to crop", {3, 1}, upright, true, {2, 2}, {}, 0);
}

void TestVideoProcessor::geometry()
{
    QFETCH(QSize, stored);
    QFETCH(int, orientation);
    QFETCH(bool, square);
    QFETCH(QSize, compressed);
    QFETCH(QRect, kept);
    QFETCH(int, side);
    const QSize upright = VideoGeometry::uprightSize(stored, GstVideoOrientationMethod(orientation));
    QCOMPARE(VideoGeometry::isSquare(stored), square);
    QCOMPARE(VideoGeometry::compressedSize(upright), compressed);
    const auto crop = VideoGeometry::squareCrop(upright);
    QCOMPARE(crop ? crop->kept : QRect(), kept);
    QCOMPARE(crop ? crop->outputSide : 0, side);
}

void TestVideoProcessor::compressionThreshold_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("compress");
    QTest::newRow("exactly 5 MiB") << qint64(5 * 1048576) << false;
    QTest::newRow("one byte more") << qint64(5 * 1048576 + 1) << true;
    QTest::newRow("missing") << qint64(-1) << false;
}

void TestVideoProcessor::compressionThreshold()
{
    QFETCH(qint64, size);
    QFETCH(bool, compress);
    QFile file(path("sized.mp4"));
    QVERIFY(size < 0 || (file.open(QIODevice::WriteOnly) && file.resize(size)));
    LogCapture log;
    QCOMPARE(VideoProcessor::needsCompression(file.fileName(), VideoProcessor::compressionLimitMiB),
             compress);
    QCOMPARE(log.countStartingWith("⚠️ Error checking file size: "), size < 0 ? 1 : 0);
}

void TestVideoProcessor::invalidInputFailsValidation_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("logLine");
    const QString noTrack = QStringLiteral("⚠️ No video track found in file: input.mp4");
    for (const char* kind : {"text", "audio", "truncated", "image"})
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
    QFile file(input);
    if (kind == "text")
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("My notes, not a video") > 0);
    else if (kind == "audio")
        QVERIFY(
            TestMedia::makeClip(input, "audiotestsrc num-buffers=40 ! audioconvert ! avenc_aac ! mp4mux"));
    else if (kind == "image")
        QVERIFY(TestMedia::makeClip(input, "videotestsrc num-buffers=1 ! pngenc"));
    else if (kind == "folder")
        QVERIFY(QDir().mkpath(input));
    else if (kind == "truncated") // the index of a plain MP4 comes last: the first half has none
        QVERIFY(TestMedia::makeClip(input, barsClip.arg(320).arg(240)) && file.resize(file.size() / 2));
    file.close();

    LogCapture log;
    const QString output = path("out.mp4");
    const auto result = process(input, output);
    QCOMPARE(result, (VideoProcessor::Result(
                         std::unexpected(SkinError{"VideoProcessor", 11, "Invalid video file"}))));
    QCOMPARE(log.count(logLine), 1);
    QCOMPARE(m_reports.last().second, "Validating video...");
    QVERIFY(!QFileInfo::exists(output));
}

void TestVideoProcessor::turnedLargeFileIsCompressedThenCropped()
{
    // A 4K phone clip held upright: stored landscape with vertical bars and a quarter turn, so the
    // bars run across once it is upright. JPEG frames make it large quickly.
    const QString source = path("phone.mov");
    QVERIFY(TestMedia::makeClip(source, "videotestsrc num-buffers=20 pattern=smpte75 ! "
                                        "video/x-raw,width=3840,height=2160,framerate=30/1 ! "
                                        "jpegenc quality=100 ! queue ! mux. audiotestsrc num-buffers=10 ! "
                                        "audioconvert ! avenc_aac ! queue ! mux. qtmux name=mux"));
    QVERIFY(TestMedia::setQuarterTurn(source));
    QVERIFY2(QFileInfo(source).size() > 5 * 1048576, "the test clip must be over 5 MiB");
    QCOMPARE(VideoProcessor::generateThumbnailBlocking(source).size(), QSize(2160, 3840));

    LogCapture log;
    const QString output = path("idle.mp4");
    const auto result = process(source, output);
    VERIFY_SUCCESS(result);
    const TestMedia::Summary summary = TestMedia::describe(output);
    QCOMPARE(QSize(summary.width, summary.height), QSize(1080, 1080));
    QCOMPARE(summary.frameRate, 30.0);
    QCOMPARE(summary.audioStreams, 0);
    // Turned once, not twice: the bars run across. The kept middle starts in the second bar (yellow)
    // and ends in the sixth (red).
    QVERIFY(
        TestMedia::makeClip(path("frame.png"), "filesrc location=\"" + output +
                                                   "\" ! decodebin ! videoconvert ! pngenc snapshot=true"));
    const QImage frame(path("frame.png"));
    QVERIFY(similar(frame.pixel(20, 20), qRgb(191, 191, 0)));
    QVERIFY(similar(frame.pixel(1060, 20), qRgb(191, 191, 0)));
    QVERIFY(similar(frame.pixel(540, 1060), qRgb(191, 0, 0)));

    QStringList stages; // each once
    for (const Report& report : m_reports) {
        if (stages.isEmpty() || stages.last() != report.second)
            stages.append(report.second);
    }
    QCOMPARE(stages, (QStringList{"Validating video...", "Compressing video...", "Cropping to square...",
                                  "Finalizing..."}));
    QCOMPARE(log.count("📦 Compressing large video: phone.mov"), 1);
    QCOMPARE(log.countStartingWith("✅ Video compressed: phone.mov → compressed-"), 1);
    QCOMPARE(log.count("✅ Video cropped to square: idle.mp4"), 1);
    QVERIFY(QDir(m_temporary->path()).isEmpty());

    // A crop that cannot write still passes through the finalizing stage and leaves no intermediate.
    log.clear();
    const auto failed = process(source, path("no/such/folder/out.mp4"));
    QVERIFY(!failed);
    QVERIFY(failed.error().domain != "test");
    QCOMPARE(log.countStartingWith("❌ Crop failed: "), 1);
    QCOMPARE(m_reports.last().second, "Finalizing...");
    QVERIFY(QDir(m_temporary->path()).isEmpty());
}

void TestVideoProcessor::nearSquareIsCopiedUnchanged()
{
    const QString source = path("square.mp4");
    QVERIFY(TestMedia::makeClip(source, barsClip.arg(400).arg(392)));
    QFile original(source);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();

    LogCapture log;
    const QString output = path("copy.mp4");
    QVERIFY(QFile(output).open(QIODevice::WriteOnly)); // an old file there is replaced
    const auto result = process(source, output);
    VERIFY_SUCCESS(result);
    QFile copy(output);
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), bytes);
    QCOMPARE(log.lines(), QStringList{"✅ Video already square, skipping crop"});

    // Onto itself: nothing to copy, the file stays as it is.
    QCOMPARE(process(source, source), VideoProcessor::Result(source));
    QCOMPARE(m_reports.last().second, "Finalizing...");
    QVERIFY(original.seek(0));
    QCOMPARE(original.readAll(), bytes);
}

QTEST_GUILESS_MAIN(TestVideoProcessor)
#include "tst_videoprocessor.moc"

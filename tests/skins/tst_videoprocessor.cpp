#include "LogCapture.h"
#include "TestMedia.h"
#include "VideoGeometry.h"
#include "VideoProcessor.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <ranges>

namespace {
using Report = std::pair<double, QString>; // progress, stage

// Vertical colour bars, H.264 in MP4, of a width and a height.
const QString barsClip = QStringLiteral("videotestsrc num-buffers=10 pattern=smpte75 ! video/x-raw,width=%1,"
                                        "height=%2 ! x264enc speed-preset=ultrafast ! mp4mux");

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    void geometry_data();
    void geometry();
    void compressionThreshold();
    void invalidInputFailsValidation_data();
    void invalidInputFailsValidation();
    void turnedLargeFileIsCompressedThenCropped();
    void nearSquareIsCopiedUnchanged();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
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
}

VideoProcessor::Result TestVideoProcessor::process(const QString& source, const QString& output)
{
    m_reports.clear();
    VideoProcessor processor(m_temporary->path());
    std::optional<VideoProcessor::Result> result;
    qsizetype reportsAtCompletion = -1;
    const auto report = [this](double progress, const QString& stage) {
        m_reports.append({progress, stage});
    };
    processor.processVideo(source, output, report, [&](VideoProcessor::Result r) {
        reportsAtCompletion = m_reports.size();
        result = std::move(r);
    });
    if (!QTest::qWaitFor([&] { return result.has_value(); }, 90000))
        return std::unexpected(SkinError{"test", 0, "timed out"});
    QTest::qWait(50);
    // The completion comes after the final report of 1.0, nothing follows it, and nothing goes back.
    if (reportsAtCompletion != m_reports.size() || m_reports.isEmpty() || m_reports.last().first != 1.0 ||
        !std::ranges::is_sorted(m_reports, {}, &Report::first))
        return std::unexpected(SkinError{"test", 1, "progress reports out of order"});
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
    const auto row = [](const char* name, QSize stored, int orientation, bool square, QSize compressed,
                        QRect kept, int side) {
        QTest::newRow(name) << stored << orientation << square << compressed << kept << side;
    };
    const int upright = GST_VIDEO_ORIENTATION_IDENTITY, right = GST_VIDEO_ORIENTATION_90R,
              left = GST_VIDEO_ORIENTATION_90L, across = GST_VIDEO_ORIENTATION_UR_LL;
    row("exactly 1920x1080", {1920, 1080}, upright, false, {1920, 1080}, {420, 0, 1080, 1080}, 1080);
    row("4K turned 90", {3840, 2160}, right, false, {1080, 1920}, {0, 840, 2160, 2160}, 1080);
    row("turned 270, never enlarged", {1280, 720}, left, false, {720, 1280}, {0, 280, 720, 720}, 720);
    row("mirrored across", {640, 360}, across, false, {360, 640}, {0, 140, 360, 360}, 360);
    row("upside down", {1280, 720}, GST_VIDEO_ORIENTATION_180, false, {1280, 720}, {280, 0, 720, 720}, 720);
    row("panorama, capped by width", {4000, 1000}, upright, false, {1920, 480}, {1500, 0, 1000, 1000}, 1000);
    row("scaled side made even", {3001, 1688}, upright, false, {1920, 1078}, {656, 0, 1688, 1688}, 1080);
    row("odd sides, extra pixel right or down", {641, 479}, upright, false, {640, 478}, {81, 0, 478, 478},
        478);
    row("square within 10", {1080, 1075}, upright, true, {1080, 1074}, {3, 0, 1074, 1074}, 1074);
    row("10 apart", {400, 390}, upright, false, {400, 390}, {5, 0, 390, 390}, 390);
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

void TestVideoProcessor::compressionThreshold()
{
    // Only a file strictly larger than the limit; one that cannot be read is logged and left alone.
    const double limit = VideoProcessor::compressionLimitMiB;
    QFile file(path("sized.mp4"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(5 * 1048576));
    QVERIFY(!VideoProcessor::needsCompression(file.fileName(), limit));
    QVERIFY(file.resize(5 * 1048576 + 1));
    QVERIFY(VideoProcessor::needsCompression(file.fileName(), limit));
    LogCapture log;
    QVERIFY(!VideoProcessor::needsCompression(path("gone.mp4"), limit));
    QCOMPARE(log.lines(), QStringList{"⚠️ Error checking file size: The file gone.mp4 does not exist"});
}

void TestVideoProcessor::invalidInputFailsValidation_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("logLine");
    for (const char* kind : {"text", "audio", "truncated", "image"})
        QTest::newRow(kind) << kind << "⚠️ No video track found in file: input.mp4";
    const QString unreadable = QStringLiteral("⚠️ Cannot read video file: input.mp4 (%1)");
    QTest::newRow("missing") << "missing" << unreadable.arg("The file does not exist");
    QTest::newRow("folder") << "folder" << unreadable.arg("Not a regular file");
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
    const auto result = process(input, path("out.mp4"));
    QVERIFY(!result);
    QCOMPARE(result.error(), VideoProcessor::error(VideoProcessor::invalidVideoFile));
    QCOMPARE(log.lines(), QStringList{logLine});
    QCOMPARE(m_reports.last().second, "Validating video...");
    QVERIFY(!QFileInfo::exists(path("out.mp4")));
}

void TestVideoProcessor::turnedLargeFileIsCompressedThenCropped()
{
    // A phone clip held upright: stored 4K landscape with vertical bars and a quarter turn; JPEG is large.
    const QString source = path("phone.mov");
    QVERIFY(TestMedia::makeClip(source,
                                "videotestsrc num-buffers=20 pattern=smpte75 ! video/x-raw,width=3840,"
                                "height=2160 ! jpegenc quality=100 ! queue ! mux. audiotestsrc "
                                "num-buffers=10 ! audioconvert ! avenc_aac ! queue ! mux. qtmux name=mux"));
    QVERIFY(TestMedia::setQuarterTurn(source));

    LogCapture log;
    const QString output = path("idle.mp4");
    const auto result = process(source, output);
    QVERIFY2(result, qPrintable(result ? QString() : result.error().description));
    QCOMPARE(log.lines().first(), "📦 Compressing large video: phone.mov");
    QVERIFY(log.lines()[1].startsWith("✅ Video compressed: phone.mov → compressed-"));
    QCOMPARE(log.lines().mid(log.lines().size() - 2),
             (QStringList{"✅ Video cropped to square: idle.mp4", "✅ Small copy made: idle@240.mp4"}));
    QStringList stages;
    std::ranges::unique_copy(m_reports | std::views::values, std::back_inserter(stages));
    QCOMPARE(stages, (QStringList{"Validating video...", "Compressing video...", "Cropping to square...",
                                  "Finalizing..."}));
    QVERIFY(QDir(m_temporary->path()).isEmpty());
    QVERIFY(!MediaProbe::probe(output, false)->hasAudio);
    // Turned once, not twice: bars run across, the kept middle from the 2nd (yellow) to the 6th (red).
    const QString png = path("frame.png");
    QVERIFY(TestMedia::makeClip(png, "filesrc location=" + output +
                                         " ! decodebin ! videoconvert ! pngenc snapshot=true"));
    const QImage frame(png);
    QCOMPARE(frame.size(), QSize(1080, 1080));
    QVERIFY(similar(frame.pixel(20, 20), qRgb(191, 191, 0)) &&
            similar(frame.pixel(1060, 20), qRgb(191, 191, 0)));
    QVERIFY(similar(frame.pixel(540, 1060), qRgb(191, 0, 0)));
    // The small copy shows the same picture.
    QVERIFY(TestMedia::makeClip(png, "filesrc location=" + path("idle@240.mp4") +
                                         " ! decodebin ! videoconvert ! pngenc snapshot=true"));
    const QImage small(png);
    QCOMPARE(small.size(), QSize(240, 240));
    QVERIFY(similar(small.pixel(5, 5), qRgb(191, 191, 0)) && similar(small.pixel(120, 235), qRgb(191, 0, 0)));

    // A crop that cannot write still passes through the finalizing stage and leaves no intermediate.
    const auto failed = process(source, path("no/such/folder/out.mp4"));
    QVERIFY(!failed && failed.error().domain != "test");
    QCOMPARE(log.countStartingWith("❌ Crop failed: "), 1);
    QCOMPARE(m_reports.last().second, "Finalizing...");
    QVERIFY(QDir(m_temporary->path()).isEmpty());
}

void TestVideoProcessor::nearSquareIsCopiedUnchanged()
{
    const QString source = path("square.mp4"), output = path("copy.mp4");
    QVERIFY(TestMedia::makeClip(source, barsClip.arg(400).arg(392)));
    const QByteArray original = contents(source);
    QVERIFY(QFile(output).open(QIODevice::WriteOnly)); // an old file there is replaced
    LogCapture log;
    QCOMPARE(process(source, output), VideoProcessor::Result(output));
    QCOMPARE(contents(output), original);
    QCOMPARE(log.lines(),
             (QStringList{"✅ Video already square, skipping crop", "✅ Small copy made: copy@240.mp4"}));
    // Onto itself: nothing to copy, the file stays as it is.
    QCOMPARE(process(source, source), VideoProcessor::Result(source));
    QCOMPARE(contents(source), original);
}

QTEST_GUILESS_MAIN(TestVideoProcessor)
#include "tst_videoprocessor.moc"

#include "FramePicture.h"

#include <QTest>
#include <QVideoFrame>
#include <QVideoFrameFormat>

namespace {
// Limited-range Y'CbCr samples of the colours the frames are made of.
using Ycc = std::array<int, 3>;
constexpr Ycc black{16, 128, 128}, white{235, 128, 128}, red{81, 90, 240}, blue{41, 240, 110};

// A frame of equal-width vertical bands, one colour each, from left to right.
struct Frame
{
    QVideoFrameFormat::PixelFormat format = QVideoFrameFormat::Format_YUV420P;
    QSize size{64, 48};
    QList<Ycc> bands;
    QVideoFrameFormat::ColorSpace space = QVideoFrameFormat::ColorSpace_BT601;
    QVideoFrame::RotationAngle rotation = QVideoFrame::Rotation0;
    bool mirrored = false;
};

QVideoFrame makeFrame(const Frame& spec)
{
    QVideoFrameFormat format(spec.size, spec.format);
    format.setColorSpace(spec.space);
    format.setColorRange(QVideoFrameFormat::ColorRange_Video);
    QVideoFrame frame(format);
    if (!frame.map(QVideoFrame::WriteOnly))
        return {};
    auto put = [&](int plane, int x, int y, int value) {
        frame.bits(plane)[y * frame.bytesPerLine(plane) + x] = uchar(value);
    };
    for (int y = 0; y < spec.size.height(); ++y) {
        for (int x = 0; x < spec.size.width(); ++x) {
            const auto [luma, cb, cr] = spec.bands[x * spec.bands.size() / spec.size.width()];
            put(0, x, y, luma);
            if (x % 2 || y % 2)
                continue;
            if (spec.format == QVideoFrameFormat::Format_NV12)
                put(1, x, y / 2, cb), put(1, x + 1, y / 2, cr);
            else if (spec.format == QVideoFrameFormat::Format_YV12)
                put(1, x / 2, y / 2, cr), put(2, x / 2, y / 2, cb);
            else
                put(1, x / 2, y / 2, cb), put(2, x / 2, y / 2, cr);
        }
    }
    frame.unmap();
    frame.setRotationAngle(spec.rotation);
    frame.setMirrored(spec.mirrored);
    return frame;
}
} // namespace

Q_DECLARE_METATYPE(Frame)

class TestFramePicture : public QObject
{
    Q_OBJECT
private slots:
    void picture_data()
    {
        QTest::addColumn<Frame>("frame");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("radius");
        QTest::addColumn<QList<QPoint>>("points");
        QTest::addColumn<QList<QColor>>("colours");
        const QColor r(255, 0, 0), g(0, 255, 0), b(0, 0, 255), w(255, 255, 255), none(0, 0, 0, 0);
        const QSize square(40, 40);
        const QList<QPoint> centreAndCorner{{20, 20}, {0, 0}};
        // A wrong plane order or matrix shows as a wrong colour.
        QTest::newRow("I420") << Frame{.bands = {red}} << square << 0 << centreAndCorner << QList{r, r};
        QTest::newRow("YV12") << Frame{.format = QVideoFrameFormat::Format_YV12, .bands = {blue}} << square
                              << 0 << centreAndCorner << QList{b, b};
        QTest::newRow("NV12") << Frame{.format = QVideoFrameFormat::Format_NV12, .bands = {{145, 54, 34}}}
                              << square << 0 << centreAndCorner << QList{g, g};
        QTest::newRow("BT.709") << Frame{.bands = {{63, 102, 240}},
                                         .space = QVideoFrameFormat::ColorSpace_BT709}
                                << square << 0 << centreAndCorner << QList{r, r};
        // Filling a square crops the sides of a wide frame: no bars above or below.
        QTest::newRow("wide") << Frame{.size = {128, 64}, .bands = {black, white, white, black}} << square
                              << 0 << QList<QPoint>{{0, 0}, {39, 39}, {20, 0}, {1, 20}, {38, 20}}
                              << QList{w, w, w, w, w};
        // One-pixel stripes shown nine times smaller average to grey instead of aliasing.
        QList<Ycc> stripes;
        for (int i = 0; i < 180; ++i)
            stripes << black << white;
        QTest::newRow("stripes") << Frame{.size = {360, 360}, .bands = stripes} << square << 0
                                 << QList<QPoint>{{0, 20}, {7, 20}, {20, 20}, {33, 20}, {39, 20}}
                                 << QList<QColor>(5, QColor(128, 128, 128));
        // Corners outside the radius are transparent, the edge blended and premultiplied.
        QTest::newRow("corners") << Frame{.bands = {white}} << square << 10
                                 << QList<QPoint>{{0, 0}, {39, 0}, {0, 39}, {39, 39},
                                                  {1, 1}, {0, 20}, {5, 5},  {2, 3}}
                                 << QList{none, none, none, none, none, w, w, QColor(148, 148, 148, 148)};
        // Frames to be shown turned or mirrored: their left half (red) ends up on top, or on the right.
        QTest::newRow("turned") << Frame{.size = {64, 32},
                                         .bands = {red, blue},
                                         .rotation = QVideoFrame::Rotation90}
                                << QSize(20, 40) << 0 << QList<QPoint>{{10, 5}, {10, 35}} << QList{r, b};
        QTest::newRow("mirrored") << Frame{.size = {128, 64},
                                           .bands = {black, red, blue, black},
                                           .mirrored = true}
                                  << square << 0 << QList<QPoint>{{5, 2}, {35, 37}} << QList{b, r};
    }

    void picture()
    {
        QFETCH(Frame, frame);
        QFETCH(QSize, size);
        QFETCH(int, radius);
        QFETCH(QList<QPoint>, points);
        QFETCH(QList<QColor>, colours);
        const QImage picture = FramePicture::make(makeFrame(frame), size, radius);
        QCOMPARE(picture.size(), size);
        for (qsizetype i = 0; i < points.size(); ++i) {
            const QRgb seen = picture.pixel(points[i]), wanted = colours[i].rgba();
            const bool near =
                std::ranges::all_of(std::array<int (*)(QRgb), 4>{qRed, qGreen, qBlue, qAlpha},
                                    [&](auto part) { return std::abs(part(seen) - part(wanted)) <= 16; });
            QVERIFY2(near,
                     qPrintable(QString::asprintf("(%d,%d) is #%08x", points[i].x(), points[i].y(), seen)));
        }
    }
};

QTEST_MAIN(TestFramePicture)
#include "tst_framepicture.moc"

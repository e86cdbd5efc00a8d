#include "FramePicture.h"

#include <QTest>
#include <QVideoFrame>
#include <QVideoFrameFormat>

namespace {
using Format = QVideoFrameFormat;

// Limited-range Y'CbCr samples of the colours the frames are made of.
using Ycc = std::array<int, 3>;
constexpr Ycc black{16, 128, 128}, white{235, 128, 128}, red{81, 90, 240}, blue{41, 240, 110};

// A frame of equal vertical bands, one colour each, from left to right, and the picture made of it.
struct Case
{
    Format::PixelFormat format = Format::Format_YUV420P;
    QSize size{64, 48};
    QList<Ycc> bands;
    Format::ColorSpace space = Format::ColorSpace_BT601;
    QVideoFrame::RotationAngle rotation = QVideoFrame::Rotation0;
    bool mirrored = false;
    QSize output{40, 40};
    int radius = 0;
};

QVideoFrame makeFrame(const Case& wanted)
{
    Format format(wanted.size, wanted.format);
    format.setColorSpace(wanted.space);
    QVideoFrame frame(format);
    frame.map(QVideoFrame::WriteOnly);
    auto put = [&](int plane, int x, int y, int value) {
        frame.bits(plane)[y * frame.bytesPerLine(plane) + x] = uchar(value);
    };
    const bool nv12 = wanted.format == Format::Format_NV12;
    const bool yv12 = wanted.format == Format::Format_YV12; // Cr before Cb
    for (int y = 0; y < wanted.size.height(); ++y) {
        for (int x = 0; x < wanted.size.width(); ++x) {
            const auto [luma, cb, cr] = wanted.bands[x * wanted.bands.size() / wanted.size.width()];
            put(0, x, y, luma);
            if (x % 2 == 0 && y % 2 == 0) {
                put(yv12 ? 2 : 1, nv12 ? x : x / 2, y / 2, cb);
                put(yv12 || nv12 ? 1 : 2, nv12 ? x + 1 : x / 2, y / 2, cr);
            }
        }
    }
    frame.unmap();
    frame.setRotationAngle(wanted.rotation);
    frame.setMirrored(wanted.mirrored);
    return frame;
}
} // namespace

// Points of the picture, and the colour each must have.
using Probes = QList<std::tuple<int, int, QColor>>;
Q_DECLARE_METATYPE(Case)

class TestFramePicture : public QObject
{
    Q_OBJECT
private slots:
    void picture_data()
    {
        QTest::addColumn<Case>("wanted");
        QTest::addColumn<Probes>("probes");
        const QColor r(Qt::red), b(Qt::blue), w(Qt::white), grey(128, 128, 128), none(0, 0, 0, 0),
            edge(148, 148, 148, 148);
        auto row = [](const char* name, const Case& wanted, const Probes& probes) {
            QTest::newRow(name) << wanted << probes;
        };
        // A wrong plane order or matrix shows as a wrong colour.
        row("I420", {.bands = {red}}, {{20, 20, r}});
        row("YV12 BT.709",
            {.format = Format::Format_YV12, .bands = {{63, 102, 240}}, .space = Format::ColorSpace_BT709},
            {{20, 20, r}});
        row("NV12", {.format = Format::Format_NV12, .bands = {{145, 54, 34}}}, {{20, 20, Qt::green}});
        // Filling a square crops the sides of a wide frame, with no bars above or below.
        row("wide", {.size = {128, 64}, .bands = {black, white, white, black}},
            {{0, 0, w}, {39, 39, w}, {20, 0, w}, {1, 20, w}, {38, 20, w}});
        // One-pixel stripes shown nine times smaller average to grey instead of aliasing.
        QList<Ycc> stripes;
        for (int i = 0; i < 180; ++i)
            stripes << black << white;
        row("stripes", {.size = {360, 360}, .bands = stripes},
            {{0, 20, grey}, {7, 20, grey}, {20, 20, grey}, {39, 20, grey}});
        // Corners outside the radius are transparent, the edge blended and premultiplied.
        row("corners", {.bands = {white}, .radius = 10},
            {{0, 0, none}, {39, 0, none}, {0, 39, none}, {39, 39, none}, {1, 1, none}});
        row("corner edge", {.bands = {white}, .radius = 10}, {{0, 20, w}, {5, 5, w}, {2, 3, edge}});
        // Frames to be shown turned or mirrored: their left half (red) ends up on top, or on the right.
        row("turned", {.size = {64, 32}, .bands = {red, blue}, .rotation = QVideoFrame::Rotation90},
            {{20, 5, r}, {20, 35, b}});
        row("mirrored", {.size = {128, 64}, .bands = {black, red, blue, black}, .mirrored = true},
            {{5, 2, b}, {35, 37, r}});
    }

    void picture()
    {
        QFETCH(Case, wanted);
        QFETCH(Probes, probes);
        const QImage picture = FramePicture::make(makeFrame(wanted), wanted.output, wanted.radius);
        for (const auto& [x, y, colour] : probes) {
            const QRgb seen = picture.pixel(x, y), wanted = colour.rgba();
            const auto near = [&](int (*part)(QRgb)) { return std::abs(part(seen) - part(wanted)) <= 16; };
            QVERIFY2(near(qRed) && near(qGreen) && near(qBlue) && near(qAlpha),
                     qPrintable(QString::asprintf("(%d,%d) is #%08x", x, y, seen)));
        }
    }
};

QTEST_MAIN(TestFramePicture)
#include "tst_framepicture.moc"

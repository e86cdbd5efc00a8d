#include "FramePicture.h"

#include <QTest>
#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <functional>

// Frames are made by hand: every sample from a function of its position, in luma coordinates.
using Sample = std::function<std::array<int, 3>(int x, int y)>; // Y', Cb, Cr

namespace {
QVideoFrame makeFrame(QVideoFrameFormat::PixelFormat pixelFormat, QSize size, const Sample& sample,
                      QVideoFrameFormat::ColorSpace space = QVideoFrameFormat::ColorSpace_BT601)
{
    QVideoFrameFormat format(size, pixelFormat);
    format.setColorSpace(space);
    format.setColorRange(QVideoFrameFormat::ColorRange_Video);
    QVideoFrame frame(format);
    if (!frame.map(QVideoFrame::WriteOnly))
        return {};
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            frame.bits(0)[y * frame.bytesPerLine(0) + x] = uchar(sample(x, y)[0]);
    for (int y = 0; y < size.height() / 2; ++y) {
        for (int x = 0; x < size.width() / 2; ++x) {
            const auto [luma, cb, cr] = sample(2 * x, 2 * y);
            Q_UNUSED(luma);
            switch (pixelFormat) {
            case QVideoFrameFormat::Format_NV12:
                frame.bits(1)[y * frame.bytesPerLine(1) + 2 * x] = uchar(cb);
                frame.bits(1)[y * frame.bytesPerLine(1) + 2 * x + 1] = uchar(cr);
                break;
            case QVideoFrameFormat::Format_YV12:
                frame.bits(1)[y * frame.bytesPerLine(1) + x] = uchar(cr);
                frame.bits(2)[y * frame.bytesPerLine(2) + x] = uchar(cb);
                break;
            default:
                frame.bits(1)[y * frame.bytesPerLine(1) + x] = uchar(cb);
                frame.bits(2)[y * frame.bytesPerLine(2) + x] = uchar(cr);
            }
        }
    }
    frame.unmap();
    return frame;
}

bool near(QRgb pixel, int r, int g, int b, int tolerance = 4)
{
    return std::abs(qRed(pixel) - r) <= tolerance && std::abs(qGreen(pixel) - g) <= tolerance &&
           std::abs(qBlue(pixel) - b) <= tolerance;
}

QByteArray describe(QRgb pixel)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(qRed(pixel))
        .arg(qGreen(pixel))
        .arg(qBlue(pixel))
        .arg(qAlpha(pixel))
        .toUtf8();
}
} // namespace

class TestFramePicture : public QObject
{
    Q_OBJECT
private slots:
    void coloursOfEachLayout_data();
    void coloursOfEachLayout();
    void fillsAndCropsWithoutBars();
    void muchSmallerPictureAveragesInsteadOfAliasing();
    void cornersAreTransparentAndSmooth();
    void otherFormatsAndBadInput();
};

void TestFramePicture::coloursOfEachLayout_data()
{
    QTest::addColumn<QVideoFrameFormat::PixelFormat>("format");
    QTest::addColumn<QVideoFrameFormat::ColorSpace>("space");
    QTest::addColumn<int>("luma");
    QTest::addColumn<int>("cb");
    QTest::addColumn<int>("cr");
    QTest::addColumn<QColor>("expected");
    // Limited-range primaries, so a wrong plane order or matrix shows as a wrong colour.
    QTest::newRow("I420 red") << QVideoFrameFormat::Format_YUV420P << QVideoFrameFormat::ColorSpace_BT601
                              << 81 << 90 << 240 << QColor(255, 0, 0);
    QTest::newRow("YV12 blue") << QVideoFrameFormat::Format_YV12 << QVideoFrameFormat::ColorSpace_BT601 << 41
                               << 240 << 110 << QColor(0, 0, 255);
    QTest::newRow("NV12 green") << QVideoFrameFormat::Format_NV12 << QVideoFrameFormat::ColorSpace_BT601
                                << 145 << 54 << 34 << QColor(0, 255, 0);
    QTest::newRow("I420 white") << QVideoFrameFormat::Format_YUV420P << QVideoFrameFormat::ColorSpace_BT601
                                << 235 << 128 << 128 << QColor(255, 255, 255);
    QTest::newRow("BT.709 red") << QVideoFrameFormat::Format_YUV420P << QVideoFrameFormat::ColorSpace_BT709
                                << 63 << 102 << 240 << QColor(255, 0, 0);
}

void TestFramePicture::coloursOfEachLayout()
{
    QFETCH(QVideoFrameFormat::PixelFormat, format);
    QFETCH(QVideoFrameFormat::ColorSpace, space);
    QFETCH(int, luma);
    QFETCH(int, cb);
    QFETCH(int, cr);
    QFETCH(QColor, expected);
    const QVideoFrame frame = makeFrame(
        format, QSize(64, 48),
        [&](int, int) {
            return std::array{luma, cb, cr};
        },
        space);
    const QImage picture = FramePicture::make(frame, QSize(30, 30), 0);
    QCOMPARE(picture.size(), QSize(30, 30));
    const QRgb centre = picture.pixel(15, 15);
    QVERIFY2(near(centre, expected.red(), expected.green(), expected.blue()), describe(centre));
    QCOMPARE(qAlpha(picture.pixel(0, 0)), 255);
}

void TestFramePicture::fillsAndCropsWithoutBars()
{
    // A wide frame: black left quarter, white middle half, black right quarter. Filling a square
    // crops the sides away, so only the white middle remains, with no bars above or below.
    const QVideoFrame wide = makeFrame(QVideoFrameFormat::Format_YUV420P, QSize(128, 64), [](int x, int) {
        return std::array{x < 32 || x >= 96 ? 16 : 235, 128, 128};
    });
    const QImage square = FramePicture::make(wide, QSize(40, 40), 0);
    for (const QPoint point : {QPoint(0, 0), QPoint(39, 39), QPoint(20, 0), QPoint(1, 20), QPoint(38, 20)})
        QVERIFY2(near(square.pixel(point), 255, 255, 255, 8), describe(square.pixel(point)));

    // A tall frame into a wide picture: top and bottom are cropped, the left/right halves stay.
    const QVideoFrame tall = makeFrame(QVideoFrameFormat::Format_NV12, QSize(64, 128), [](int x, int) {
        return std::array{x < 32 ? 16 : 235, 128, 128};
    });
    const QImage band = FramePicture::make(tall, QSize(60, 20), 0);
    QVERIFY(near(band.pixel(5, 10), 0, 0, 0, 8));
    QVERIFY(near(band.pixel(55, 10), 255, 255, 255, 8));
}

void TestFramePicture::muchSmallerPictureAveragesInsteadOfAliasing()
{
    // One-pixel stripes shown nine times smaller must come out as an even grey, not as whichever
    // stripe a sample happens to hit.
    const QVideoFrame stripes = makeFrame(QVideoFrameFormat::Format_YUV420P, QSize(360, 360), [](int x, int) {
        return std::array{x % 2 ? 235 : 16, 128, 128};
    });
    const QImage picture = FramePicture::make(stripes, QSize(40, 40), 0);
    for (int x = 0; x < 40; ++x) {
        const QRgb pixel = picture.pixel(x, 20);
        QVERIFY2(near(pixel, 128, 128, 128, 20), describe(pixel));
    }
}

void TestFramePicture::cornersAreTransparentAndSmooth()
{
    const QVideoFrame white = makeFrame(QVideoFrameFormat::Format_YUV420P, QSize(64, 64), [](int, int) {
        return std::array{235, 128, 128};
    });
    const QImage picture = FramePicture::make(white, QSize(40, 40), 10);
    for (const QPoint corner : {QPoint(0, 0), QPoint(39, 0), QPoint(0, 39), QPoint(39, 39), QPoint(1, 1)})
        QCOMPARE(qAlpha(picture.pixel(corner)), 0);
    for (const QPoint inside : {QPoint(20, 20), QPoint(0, 20), QPoint(20, 0), QPoint(5, 5)})
        QCOMPARE(qAlpha(picture.pixel(inside)), 255);
    // The edge is blended, and stays premultiplied.
    bool partial = false;
    for (int x = 0; x < 10; ++x) {
        const QRgb pixel = picture.pixel(x, 3);
        partial |= qAlpha(pixel) > 0 && qAlpha(pixel) < 255;
        QVERIFY(qRed(pixel) <= qAlpha(pixel));
    }
    QVERIFY(partial);
}

void TestFramePicture::otherFormatsAndBadInput()
{
    // A packed RGB frame goes the slow way and still fills the picture.
    QVideoFrame rgb(QVideoFrameFormat(QSize(32, 16), QVideoFrameFormat::Format_BGRA8888));
    QVERIFY(rgb.map(QVideoFrame::WriteOnly));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            uchar* pixel = rgb.bits(0) + y * rgb.bytesPerLine(0) + 4 * x;
            pixel[0] = 255, pixel[1] = 0, pixel[2] = 0, pixel[3] = 255; // blue
        }
    rgb.unmap();
    const QImage picture = FramePicture::make(rgb, QSize(20, 20), 0);
    QVERIFY2(near(picture.pixel(10, 10), 0, 0, 255, 8), describe(picture.pixel(10, 10)));
    QVERIFY(near(picture.pixel(0, 0), 0, 0, 255, 8));

    // A frame to be shown turned: its left half (red) ends up at the top.
    QVideoFrame turned = makeFrame(QVideoFrameFormat::Format_YUV420P, QSize(64, 32), [](int x, int) {
        return x < 32 ? std::array{81, 90, 240} : std::array{41, 240, 110};
    });
    turned.setRotationAngle(QVideoFrame::Rotation90);
    const QImage upright = FramePicture::make(turned, QSize(20, 40), 0);
    QVERIFY2(near(upright.pixel(10, 5), 255, 0, 0, 12), describe(upright.pixel(10, 5)));
    QVERIFY2(near(upright.pixel(10, 35), 0, 0, 255, 12), describe(upright.pixel(10, 35)));

    QVERIFY(FramePicture::make(QVideoFrame(), QSize(20, 20), 0).isNull());
    QVERIFY(FramePicture::make(rgb, QSize(0, 20), 0).isNull());
}

QTEST_MAIN(TestFramePicture)
#include "tst_framepicture.moc"

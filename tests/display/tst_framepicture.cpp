#include "FramePicture.h"

#include <QPainter>
#include <QTest>

namespace {
// A frame of equal vertical bands, one colour each, from left to right.
QImage bands(QSize size, const QList<QColor>& colours)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    const int width = size.width() / int(colours.size());
    for (int i = 0; i < colours.size(); ++i)
        painter.fillRect(i * width, 0, width, size.height(), colours[i]);
    return image;
}
} // namespace

// Points of the picture, and the colour each must have.
using Probes = QList<std::tuple<int, int, QColor>>;

class TestFramePicture : public QObject
{
    Q_OBJECT
private slots:
    void picture_data()
    {
        QTest::addColumn<QImage>("frame");
        QTest::addColumn<int>("radius");
        QTest::addColumn<Probes>("probes");
        const QColor k(Qt::black), r(Qt::red), w(Qt::white), none(0, 0, 0, 0), edge(148, 148, 148, 148);
        // At the size shown, the frame is taken as it is.
        QTest::newRow("same size") << bands({40, 40}, {r, w}) << 0 << Probes{{0, 0, r}, {39, 39, w}};
        // Filling a square crops the sides of a wide frame (a source of the old size), no bars.
        QTest::newRow("wide") << bands({128, 64}, {k, w, w, k}) << 0
                              << Probes{{0, 0, w}, {39, 39, w}, {20, 0, w}, {1, 20, w}, {38, 20, w}};
        // Corners outside the radius are transparent, the edge blended and premultiplied.
        QTest::newRow("corners")
            << bands({40, 40}, {w}) << 10
            << Probes{{0, 0, none}, {39, 0, none}, {0, 39, none}, {39, 39, none}, {1, 1, none}};
        QTest::newRow("corner edge") << bands({40, 40}, {w}) << 10
                                     << Probes{{0, 20, w}, {5, 5, w}, {2, 3, edge}};
    }

    void picture()
    {
        QFETCH(QImage, frame);
        QFETCH(int, radius);
        QFETCH(Probes, probes);
        const QImage picture = FramePicture::make(frame, {40, 40}, radius);
        QCOMPARE(picture.size(), QSize(40, 40));
        for (const auto& [x, y, colour] : probes) {
            const QRgb seen = picture.pixel(x, y), wanted = colour.rgba();
            const auto near = [&](int (*part)(QRgb)) { return std::abs(part(seen) - part(wanted)) <= 16; };
            QVERIFY2(near(qRed) && near(qGreen) && near(qBlue) && near(qAlpha),
                     qPrintable(QString::asprintf("(%d,%d) is #%08x", x, y, seen)));
        }
        QVERIFY(FramePicture::make(QImage(), {40, 40}, 0).isNull());
        QVERIFY(FramePicture::make(frame, {}, 0).isNull());
    }
};

QTEST_MAIN(TestFramePicture)
#include "tst_framepicture.moc"

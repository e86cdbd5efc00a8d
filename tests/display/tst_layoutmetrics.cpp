#include "LayoutMetrics.h"

#include <QTest>
#include <cmath>

using namespace LayoutMetrics;

class TestLayoutMetrics : public QObject
{
    Q_OBJECT
private slots:
    void containerSize_data();
    void containerSize();
    void gridColumnsAndRows_data();
    void gridColumnsAndRows();
    void gridCellSize_data();
    void gridCellSize();
    void instanceCatThresholds_data();
    void instanceCatThresholds();
    void folderName_data();
    void folderName();
    void textReadsOnAnyWallpaper();
    void barScrolling();
    void fittingSide();
    void toolTipsStayOffThePanel();
};

void TestLayoutMetrics::containerSize_data()
{
    QTest::addColumn<LayoutMode>("mode");
    QTest::addColumn<double>("side");
    QTest::addColumn<int>("sessions");
    QTest::addColumn<QSizeF>("expected");
    QTest::newRow("grid, 5 sessions as 3 x 2") << LayoutMode::grid << 200.0 << 5 << QSizeF(664, 510);
    QTest::newRow("grid, 3 sessions as 2 x 2") << LayoutMode::grid << 200.0 << 3 << QSizeF(448, 510);
    QTest::newRow("grid, 1 session") << LayoutMode::grid << 200.0 << 1 << QSizeF(232, 280);
    QTest::newRow("bar, 3 sessions") << LayoutMode::horizontalBar << 200.0 << 3 << QSizeF(640, 276);
    QTest::newRow("bar, 2 sessions at 150") << LayoutMode::horizontalBar << 150.0 << 2 << QSizeF(332, 226);
    QTest::newRow("list, 3 sessions") << LayoutMode::list << 200.0 << 3 << QSizeF(250, 190);
    QTest::newRow("list stops growing at 6") << LayoutMode::list << 200.0 << 8 << QSizeF(250, 340);
    QTest::newRow("list at 300 is 300 wide") << LayoutMode::list << 300.0 << 2 << QSizeF(300, 140);
    QTest::newRow("list, 0 counts as 1") << LayoutMode::list << 150.0 << 0 << QSizeF(250, 90);
}

void TestLayoutMetrics::containerSize()
{
    QFETCH(LayoutMode, mode);
    QFETCH(double, side);
    QFETCH(int, sessions);
    QFETCH(QSizeF, expected);
    QCOMPARE(LayoutMetrics::containerSize(mode, side, sessions), expected);
}

void TestLayoutMetrics::gridColumnsAndRows_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::newRow("0") << 0 << 1 << 1;
    QTest::newRow("1") << 1 << 1 << 1;
    QTest::newRow("2") << 2 << 2 << 1;
    QTest::newRow("4") << 4 << 2 << 2;
    QTest::newRow("5") << 5 << 3 << 2;
    QTest::newRow("10") << 10 << 4 << 3;
    QTest::newRow("17") << 17 << 4 << 5;
}

void TestLayoutMetrics::gridColumnsAndRows()
{
    QFETCH(int, count);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QCOMPARE(gridColumns(count), columns);
    QCOMPARE(gridRows(count), rows);
}

void TestLayoutMetrics::gridCellSize_data()
{
    QTest::addColumn<QSizeF>("container");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("expected");
    // The areas of the panels above: 510 - 36 high.
    // 3 x 2: by width (664 - 24 - 16) / 3 = 208, by height (474 - 24 - 8 - 48) / 2 = 197.
    QTest::newRow("5 cats, bounded by height") << QSizeF(664, 474) << 5 << 197.0;
    // 2 cats in 1 row: by width (448 - 24 - 8) / 2 = 208, by height 474 - 24 - 24 = 426.
    QTest::newRow("2 cats, bounded by width") << QSizeF(448, 474) << 2 << 208.0;
    QTest::newRow("1 cat") << QSizeF(232, 244) << 1 << 196.0;
    QTest::newRow("too small is 0, not negative") << QSizeF(20, 20) << 4 << 0.0;
}

void TestLayoutMetrics::gridCellSize()
{
    QFETCH(QSizeF, container);
    QFETCH(int, count);
    QFETCH(double, expected);
    QCOMPARE(LayoutMetrics::gridCellSize(container, count), expected);
}

void TestLayoutMetrics::instanceCatThresholds_data()
{
    QTest::addColumn<double>("size");
    QTest::addColumn<double>("spacing");
    QTest::addColumn<double>("dot");
    QTest::addColumn<bool>("pillLabel");
    QTest::addColumn<double>("pillFont");
    QTest::addColumn<bool>("skinButton");
    QTest::addColumn<double>("radius");
    QTest::addColumn<bool>("title");
    QTest::addColumn<double>("titleFont");
    QTest::addColumn<double>("cwdFont");
    QTest::addColumn<double>("remove");
    QTest::newRow("59") << 59.0 << 4.0 << 6.0 << false << 9.0 << false << 8.0 << false << 9.0 << 8.0 << 12.0;
    QTest::newRow("60") << 60.0 << 4.0 << 6.0 << false << 9.0 << false << 8.0 << true << 9.0 << 8.0 << 12.0;
    QTest::newRow("79.5") << 79.5 << 4.0 << 6.0 << false << 9.0 << false << 8.0 << true << 9.0 << 8.0 << 12.0;
    QTest::newRow("80") << 80.0 << 4.0 << 6.0 << true << 9.0 << true << 12.0 << true << 10.0 << 8.0 << 12.0;
    QTest::newRow("100") << 100.0 << 6.0 << 8.0 << true << 9.0 << true << 12.0 << true << 10.0 << 8.0 << 16.0;
    QTest::newRow("149") << 149.0 << 6.0 << 8.0 << true << 9.0 << true << 12.0 << true << 10.0 << 8.0 << 16.0;
    QTest::newRow("150") << 150.0 << 6.0 << 8.0 << true << 11.0 << true << 16.0 << true << 12.0 << 10.0
                         << 16.0;
}

void TestLayoutMetrics::instanceCatThresholds()
{
    QFETCH(double, size);
    const InstanceCat cat = instanceCat(size);
    QTEST(cat.spacing, "spacing");
    QTEST(cat.pillDotSize, "dot");
    QTEST(cat.pillShowsLabel, "pillLabel");
    QTEST(cat.pillFontSize, "pillFont");
    QTEST(cat.showsSkinButton, "skinButton");
    QTEST(cat.cornerRadius, "radius");
    QTEST(cat.showsTitle, "title");
    QTEST(cat.titleFontSize, "titleFont");
    QTEST(cat.cwdFontSize, "cwdFont");
    QTEST(cat.removeButtonSize, "remove");
}

void TestLayoutMetrics::folderName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "/Users/a/projects/webapp"
                           << "webapp";
    QTest::newRow("trailing slashes") << "/w/api//"
                                      << "api";
    QTest::newRow("root") << "/"
                          << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestLayoutMetrics::folderName()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(LayoutMetrics::folderName(path), expected);
}

void TestLayoutMetrics::textReadsOnAnyWallpaper()
{
    using namespace LayoutMetrics;
    // The extremes, a colour with itself, the lightest grey white text reads on, the old yellow strip.
    QCOMPARE(contrastRatio(Qt::black, Qt::white), 21.0);
    QCOMPARE(contrastRatio(QColor(0x34, 0xC7, 0x59), QColor(0x34, 0xC7, 0x59)), 1.0);
    QCOMPARE(std::round(contrastRatio(Qt::white, QColor(0x76, 0x76, 0x76)) * 100), 454.0);
    QCOMPARE(std::round(contrastRatio(Qt::white, QColor(0xFF, 0xCC, 0x00)) * 100), 151.0);
    for (const QColor wallpaper : {QColor(Qt::white), QColor(Qt::black), QColor(0xFF, 0xEE, 0x88)}) {
        const QColor behindTitles = composite(textBackdrop(), wallpaper);
        QVERIFY(contrastRatio(Qt::white, behindTitles) >= minimumContrast);
        const QColor folder = composite(QColor::fromRgbF(1, 1, 1, 0.85f), behindTitles);
        QVERIFY(contrastRatio(folder, behindTitles) >= minimumContrast);
        for (const auto status :
             {ClaudeStatus::idle, ClaudeStatus::working, ClaudeStatus::needsInput, ClaudeStatus::completed}) {
            QVERIFY(contrastRatio(stateTextColor(status), behindTitles) >= minimumContrast);
            QVERIFY(stripColor(status).alpha() == 255 && contrastRatio(Qt::white, stripColor(status)) >= 4.5);
        }
    }
}

void TestLayoutMetrics::barScrolling()
{
    // 1000 px of cats in a 400 px bar: a notch down moves 60 px on, and no turn goes past either end.
    QCOMPARE(LayoutMetrics::scrolledBy(100, 1000, 400, {0, -120}), 160.0);
    QCOMPARE(LayoutMetrics::scrolledBy(100, 1000, 400, {-120, 10}), 160.0); // a sideways wheel
    QCOMPARE(LayoutMetrics::scrolledBy(580, 1000, 400, {0, -120}), 600.0);
    QCOMPARE(LayoutMetrics::scrolledBy(30, 1000, 400, {0, 120}), 0.0);
    QCOMPARE(LayoutMetrics::scrolledBy(0, 300, 400, {0, -120}), 0.0); // all fits
}

void TestLayoutMetrics::fittingSide()
{
    const QSizeF share(768, 480); // 60 % of 1280 x 800
    // 12 at XL in the grid, 4 x 3: the height allows (480 - 50) / 3 - 30 = 113.
    QCOMPARE(LayoutMetrics::fittingSide(LayoutMode::grid, 400, 12, share), 113.0);
    QVERIFY(LayoutMetrics::containerSize(LayoutMode::grid, 113, 12).height() <= share.height());
    // 4 at L, 2 x 2: the width allows 768 / 2 - 24 = 360, the height (480 - 50) / 2 - 30 = 185.
    QCOMPARE(LayoutMetrics::fittingSide(LayoutMode::grid, 300, 4, share), 185.0);
    // What fits keeps its side; the bar and the list scroll instead.
    QCOMPARE(LayoutMetrics::fittingSide(LayoutMode::grid, 150, 2, share), 150.0);
    QCOMPARE(LayoutMetrics::fittingSide(LayoutMode::horizontalBar, 400, 12, share), 400.0);
    QCOMPARE(LayoutMetrics::fittingSide(LayoutMode::list, 400, 12, share), 400.0);
}

void TestLayoutMetrics::toolTipsStayOffThePanel()
{
    const QRectF screen(0, 0, 1000, 800);
    const QSizeF tip(100, 20);
    const struct
    {
        QRectF panel;
        QRectF target;
        std::optional<QPointF> expected;
    } cases[] = {
        // Under the panel, centred on the button.
        {{300, 100, 400, 200}, {480, 260, 40, 20}, QPointF(450, 304)},
        // At the bottom of the screen: above the panel.
        {{300, 580, 400, 200}, {480, 720, 40, 20}, QPointF(450, 556)},
        // A button at the screen's edge: the tip stays on screen.
        {{880, 100, 120, 200}, {970, 260, 30, 20}, QPointF(900, 304)},
        {{0, 100, 120, 200}, {0, 260, 30, 20}, QPointF(0, 304)},
        // A panel as tall as the screen leaves no room: no tooltip rather than one over the panel.
        {{300, 0, 400, 790}, {480, 700, 40, 20}, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto position = LayoutMetrics::toolTipPosition(c.panel, c.target, tip, screen);
        QCOMPARE(position, c.expected);
        if (position)
            QVERIFY(!QRectF(*position, tip).intersects(c.panel) && screen.contains(QRectF(*position, tip)));
    }
}

QTEST_APPLESS_MAIN(TestLayoutMetrics)
#include "tst_layoutmetrics.moc"

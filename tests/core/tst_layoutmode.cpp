#include "LayoutMode.h"

#include <QTest>

class TestLayoutMode : public QObject
{
    Q_OBJECT
private slots:
    void gridDimensions_data();
    void gridDimensions();
    void rawValues();
};

void TestLayoutMode::gridDimensions_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    const int grid = int(LayoutMode::grid), bar = int(LayoutMode::horizontalBar),
              list = int(LayoutMode::list);
    QTest::newRow("none") << grid << 0 << 1 << 1;
    QTest::newRow("negative list") << list << -3 << 1 << 1;
    QTest::newRow("grid 1") << grid << 1 << 1 << 1;
    QTest::newRow("grid 2") << grid << 2 << 2 << 1;
    QTest::newRow("grid 3") << grid << 3 << 2 << 2;
    QTest::newRow("grid 4") << grid << 4 << 2 << 2;
    QTest::newRow("grid 5") << grid << 5 << 3 << 2;
    QTest::newRow("grid 7") << grid << 7 << 3 << 3;
    QTest::newRow("grid 9") << grid << 9 << 3 << 3;
    QTest::newRow("grid 10") << grid << 10 << 4 << 3;
    QTest::newRow("list 5") << list << 5 << 1 << 5;
    QTest::newRow("bar 5") << bar << 5 << 5 << 1;
}

void TestLayoutMode::gridDimensions()
{
    QFETCH(int, mode);
    QFETCH(int, count);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QCOMPARE(::gridDimensions(LayoutMode(mode), count), (GridDimensions{columns, rows}));
}

void TestLayoutMode::rawValues()
{
    QStringList raws;
    for (const LayoutMode mode : allLayoutModes) {
        raws << layoutModeRawValue(mode);
        QCOMPARE(layoutModeFromRawValue(layoutModeRawValue(mode)), mode);
    }
    QCOMPARE(raws, (QStringList{"grid", "horizontalBar", "list"}));
    QCOMPARE(layoutModeLabel(LayoutMode::horizontalBar), QStringLiteral("Horizontal"));
    QVERIFY(!layoutModeFromRawValue(u"Grid"));
    QVERIFY(!layoutModeFromRawValue(u"horizontal"));
}

QTEST_GUILESS_MAIN(TestLayoutMode)
#include "tst_layoutmode.moc"

#include "LayoutMode.h"

#include <QTest>

class TestLayoutMode : public QObject
{
    Q_OBJECT
private slots:
    void gridDimensions_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("count");
        QTest::addColumn<GridDimensions>("expected");
        const int grid = int(LayoutMode::grid), bar = int(LayoutMode::horizontalBar),
                  list = int(LayoutMode::list);
        QTest::newRow("none") << grid << 0 << GridDimensions{1, 1};
        QTest::newRow("negative list") << list << -3 << GridDimensions{1, 1};
        QTest::newRow("grid 3") << grid << 3 << GridDimensions{2, 2};
        QTest::newRow("grid 5") << grid << 5 << GridDimensions{3, 2};
        QTest::newRow("grid 10") << grid << 10 << GridDimensions{4, 3};
        QTest::newRow("list 5") << list << 5 << GridDimensions{1, 5};
        QTest::newRow("bar 5") << bar << 5 << GridDimensions{5, 1};
    }
    void gridDimensions()
    {
        QFETCH(int, mode);
        QFETCH(int, count);
        QTEST(::gridDimensions(LayoutMode(mode), count), "expected");
    }
};

QTEST_GUILESS_MAIN(TestLayoutMode)
#include "tst_layoutmode.moc"

#include "SmoothProgressTracker.h"

#include <QTest>

using Report = std::pair<double, QString>;

class TestSmoothProgressTracker : public QObject
{
    Q_OBJECT
private slots:
    void stepsCloseFifteenPercentOfTheGap_data();
    void stepsCloseFifteenPercentOfTheGap();
    void reportsAreQueuedAndReadWhenTheyRun();
};

void TestSmoothProgressTracker::stepsCloseFifteenPercentOfTheGap_data()
{
    QTest::addColumn<double>("current");
    QTest::addColumn<double>("target");
    QTest::addColumn<double>("next");
    QTest::newRow("first tick of a crop") << 0.0 << 0.1 << 0.015;
    QTest::newRow("minimum step") << 0.94 << 0.95 << 0.945;
    QTest::newRow("never past the target") << 0.948 << 0.95 << 0.95;
    QTest::newRow("target below current") << 0.5 << 0.3 << 0.5;
}

void TestSmoothProgressTracker::stepsCloseFifteenPercentOfTheGap()
{
    QFETCH(double, current);
    QFETCH(double, target);
    QFETCH(double, next);
    QCOMPARE(SmoothProgressTracker::nextProgress(current, target), next);
}

void TestSmoothProgressTracker::reportsAreQueuedAndReadWhenTheyRun()
{
    QList<Report> reports;
    auto tracker = std::make_unique<SmoothProgressTracker>([&](double progress, const QString& stage) {
        reports.append({progress, stage});
    });
    tracker->start();
    tracker->setTarget(0.015, ProcessingStage::compressing);
    for (int i = 0; i < 5; ++i) // the fourth and fifth find nothing to do
        tracker->tick();
    tracker->setTarget(0.015, ProcessingStage::cropping);
    QVERIFY(reports.isEmpty()); // never called inline
    QCoreApplication::processEvents();
    // Start and three ticks, each showing the state when it ran.
    QCOMPARE(reports, QList<Report>(4, {0.015, "Cropping to square..."}));

    // Stopping ends at exactly 1.0 with the active stage.
    tracker->stop();
    QCoreApplication::processEvents();
    QCOMPARE(reports.last(), Report(1.0, "Cropping to square..."));

    // A report still queued when the tracker goes is never delivered.
    tracker->start();
    tracker.reset();
    QCoreApplication::processEvents();
    QCOMPARE(reports.size(), 5);
}

QTEST_GUILESS_MAIN(TestSmoothProgressTracker)
#include "tst_smoothprogresstracker.moc"

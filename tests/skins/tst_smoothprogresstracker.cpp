#include "ProcessingStage.h"
#include "SmoothProgressTracker.h"

#include <QTest>

namespace {
struct Report
{
    double progress;
    QString stage;
};
} // namespace

class TestSmoothProgressTracker : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_reports.clear(); }
    void stageTexts();
    void stepsCloseFifteenPercentOfTheGap_data();
    void stepsCloseFifteenPercentOfTheGap();
    void reportsReadTheFieldsWhenTheyRun();
    void stopEndsAtOneWithTheActiveStage();
    void timerDrivesTowardsTarget();
    void destroyedTrackerReportsNothing();

private:
    std::unique_ptr<SmoothProgressTracker> makeTracker()
    {
        return std::make_unique<SmoothProgressTracker>([this](double progress, const QString& stage) {
            m_reports.append({progress, stage});
        });
    }
    QList<Report> m_reports;
};

void TestSmoothProgressTracker::stageTexts()
{
    QCOMPARE(processingStageText(ProcessingStage::validating), "Validating video...");
    QCOMPARE(processingStageText(ProcessingStage::compressing), "Compressing video...");
    QCOMPARE(processingStageText(ProcessingStage::cropping), "Cropping to square...");
    QCOMPARE(processingStageText(ProcessingStage::finalizing), "Finalizing...");
}

void TestSmoothProgressTracker::stepsCloseFifteenPercentOfTheGap_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("target");
    QTest::addColumn<QList<double>>("steps");
    QTest::newRow("first tick of a crop") << 0.0 << 0.1 << QList<double>{0.015, 0.02775};
    QTest::newRow("large gap") << 0.1 << 0.95 << QList<double>{0.2275, 0.335875};
    QTest::newRow("minimum step, then clamped") << 0.94 << 0.95 << QList<double>{0.945, 0.95, 0.95};
    QTest::newRow("at target") << 0.65 << 0.65 << QList<double>{0.65};
    QTest::newRow("target below current") << 0.5 << 0.3 << QList<double>{0.5};
}

void TestSmoothProgressTracker::stepsCloseFifteenPercentOfTheGap()
{
    QFETCH(double, from);
    QFETCH(double, target);
    QFETCH(QList<double>, steps);
    auto tracker = makeTracker();
    tracker->start();
    // Walk up to the starting value: the minimum step lands exactly on the target.
    tracker->setTarget(from, ProcessingStage::cropping);
    for (int i = 0; i < 1000 && tracker->currentProgress() < from; ++i)
        tracker->tick();
    QCOMPARE(tracker->currentProgress(), from);
    QCoreApplication::processEvents();
    m_reports.clear();

    tracker->setTarget(target, ProcessingStage::finalizing);
    int expectedReports = 0;
    double previous = from;
    for (double expected : steps) {
        tracker->tick();
        QVERIFY(qAbs(tracker->currentProgress() - expected) < 1e-12);
        QCoreApplication::processEvents();
        if (expected != previous)
            ++expectedReports;
        QCOMPARE(m_reports.size(), expectedReports); // a tick with nothing to do reports nothing
        previous = expected;
    }
    if (!m_reports.isEmpty())
        QCOMPARE(m_reports.last().stage, "Finalizing...");
    tracker->stop();
}

void TestSmoothProgressTracker::reportsReadTheFieldsWhenTheyRun()
{
    auto tracker = makeTracker();
    tracker->start();
    tracker->setTarget(0.5, ProcessingStage::compressing);
    tracker->tick();
    tracker->tick();
    tracker->setTarget(0.5, ProcessingStage::cropping);
    QCOMPARE(m_reports.size(), 0); // queued, never called inline
    QCoreApplication::processEvents();
    QCOMPARE(m_reports.size(), 3); // start, two ticks
    for (const Report& report : m_reports) {
        QCOMPARE(report.progress, tracker->currentProgress());
        QCOMPARE(report.stage, "Cropping to square...");
    }
    tracker->stop();
}

void TestSmoothProgressTracker::stopEndsAtOneWithTheActiveStage()
{
    auto tracker = makeTracker();
    tracker->start();
    QVERIFY(tracker->isRunning());
    tracker->setTarget(0.1, ProcessingStage::validating);
    tracker->tick();
    tracker->stop();
    QVERIFY(!tracker->isRunning());
    QCoreApplication::processEvents();
    QCOMPARE(m_reports.last().progress, 1.0);
    QCOMPARE(m_reports.last().stage, "Validating video...");
    // Restarting begins at zero again.
    tracker->start();
    QCoreApplication::processEvents();
    QCOMPARE(m_reports.last().progress, 0.0);
    tracker->stop();
}

void TestSmoothProgressTracker::timerDrivesTowardsTarget()
{
    auto tracker = makeTracker();
    tracker->start();
    tracker->setTarget(0.6, ProcessingStage::cropping);
    QTRY_VERIFY(!m_reports.isEmpty() && m_reports.last().progress > 0.3);
    for (qsizetype i = 1; i < m_reports.size(); ++i)
        QVERIFY(m_reports[i].progress >= m_reports[i - 1].progress);
    QVERIFY(m_reports.last().progress <= 0.6);
    tracker->stop();
}

void TestSmoothProgressTracker::destroyedTrackerReportsNothing()
{
    auto tracker = makeTracker();
    tracker->start();
    tracker->stop();
    tracker.reset();
    QCoreApplication::processEvents();
    QVERIFY(m_reports.isEmpty());
}

QTEST_GUILESS_MAIN(TestSmoothProgressTracker)
#include "tst_smoothprogresstracker.moc"

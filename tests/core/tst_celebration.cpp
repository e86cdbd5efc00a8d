#include "Celebration.h"
#include "LogCapture.h"

#include <QTest>

class TestCelebration : public QObject
{
    Q_OBJECT
private slots:
    void timeline_data()
    {
        // Steps: start, cancel, finish (an acknowledgement), moveOn (the cat leaves completed), wait (long
        // enough for a short timer to run out).
        QTest::addColumn<QString>("sessionId");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<bool>("pending");
        const QString start = "⏱️ Starting celebration timer (0.02s)",
                      cancel = "⏱️ Cancelling celebration timer",
                      start5 = "⏱️ Starting celebration timer (5.0s)",
                      end = "🎉 Celebration complete, returning to idle",
                      manual = "⏱️ Celebration auto-transition disabled (manual only)";
        QTest::newRow("runs out") << "" << 0.02 << "start wait" << QStringList{start, end} << false;
        QTest::newRow("session") << "0123456789" << 0.02 << "start wait"
                                 << QStringList{"⏱️ Starting celebration timer for 01234567 (0.02s)",
                                                "🎉 Celebration complete for 01234567, returning to idle"}
                                 << false;
        QTest::newRow("zero: until acknowledged")
            << "" << 0.0 << "start wait" << QStringList{manual} << false;
        QTest::newRow("negative") << "s" << -1.0 << "start wait"
                                  << QStringList{"⏱️ Celebration auto-transition disabled for s"}
                                  << false;
        QTest::newRow("not a number") << "" << qQNaN() << "start wait" << QStringList{manual} << false;
        QTest::newRow("beyond an int of ms")
            << "" << 1e12 << "start" << QStringList{"⏱️ Starting celebration timer (1e+12s)"} << true;
        QTest::newRow("restarted") << "" << 5.0 << "start start" << QStringList{start5, cancel, start5}
                                   << true;
        QTest::newRow("cancelled") << "" << 0.02 << "start cancel wait" << QStringList{start, cancel}
                                   << false;
        QTest::newRow("acknowledged")
            << "" << 5.0 << "start finish" << QStringList{start5, cancel, end} << false;
        QTest::newRow("acknowledged, no timer")
            << "" << 0.0 << "start finish" << QStringList{manual, end} << false;
        QTest::newRow("cat moved on") << "" << 0.02 << "moveOn start wait" << QStringList{start} << false;
    }
    void timeline()
    {
        QFETCH(QString, sessionId);
        QFETCH(double, seconds);
        QFETCH(QString, steps);
        QFETCH(QStringList, log);
        bool completed = true;
        int ends = 0;
        Celebration celebration([seconds] { return seconds; }, sessionId, [&completed] { return completed; });
        connect(&celebration, &Celebration::ended, this, [&ends] { ++ends; });
        LogCapture capture;
        for (const QString& step : steps.split(u' ')) {
            if (step == "start")
                celebration.start();
            else if (step == "cancel")
                celebration.cancel();
            else if (step == "finish")
                celebration.finish();
            else if (step == "moveOn")
                completed = false;
            else
                QTest::qWait(100);
        }
        QTRY_COMPARE(capture.lines(), log);
        QCOMPARE(ends, capture.countStartingWith("🎉")); // the owner hears of every end that is logged
        QTEST(celebration.isPending(), "pending");
    }
};

QTEST_GUILESS_MAIN(TestCelebration)
#include "tst_celebration.moc"

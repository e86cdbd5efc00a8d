#include "Celebration.h"
#include "LogCapture.h"

#include <QRegularExpression>
#include <QTest>

namespace {
const QString start = "⏱️ Starting celebration timer (0.02s)",
              start5 = "⏱️ Starting celebration timer (5.0s)",
              cancel = "⏱️ Cancelling celebration timer",
              end = "🎉 Celebration complete, returning to idle",
              manual = "⏱️ Celebration auto-transition disabled (manual only)";
} // namespace

class TestCelebration : public QObject
{
    Q_OBJECT
private slots:
    void timeline_data()
    {
        // Steps: start, cancel, finish (acknowledged), moveOn (the cat leaves completed), wait (100 ms).
        QTest::addColumn<QString>("sessionId");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<bool>("pending");
        const auto row = [](const char* tag, const char* id, double seconds, const char* steps,
                            const QStringList& log, bool pending = false) {
            QTest::newRow(tag) << QString(id) << seconds << QString(steps) << log << pending;
        };
        row("runs out", "", 0.02, "start wait", {start, end});
        row("session", "0123456789", 0.02, "start wait",
            {"⏱️ Starting celebration timer for 01234567 (0.02s)",
             "🎉 Celebration complete for 01234567, returning to idle"});
        row("zero: until acknowledged", "", 0, "start wait", {manual});
        row("negative", "s", -1, "start wait", {"⏱️ Celebration auto-transition disabled for s"});
        row("not a number", "", qQNaN(), "start", {manual});
        row("beyond an int of ms", "", 1e12, "start", {"⏱️ Starting celebration timer (1e+12s)"}, true);
        row("restarted", "", 5, "start start", {start5, cancel, start5}, true);
        row("cancelled", "", 0.02, "start cancel wait", {start, cancel});
        row("acknowledged", "", 5, "start finish", {start5, cancel, end});
        row("acknowledged, no timer", "", 0, "start finish", {manual, end});
        row("cat moved on", "", 0.02, "moveOn start wait", {start});
    }
    void timeline()
    {
        QFETCH(QString, sessionId);
        QFETCH(double, seconds);
        QFETCH(QString, steps);
        QFETCH(QStringList, log);
        QTest::failOnWarning(QRegularExpression(".")); // such as a timer that Qt refused
        bool completed = true;
        int ends = 0;
        Celebration celebration([seconds] { return seconds; }, sessionId, [&completed] { return completed; });
        connect(&celebration, &Celebration::ended, this, [&ends] { ++ends; });
        LogCapture capture;
        const QHash<QString, std::function<void()>> act{{"start", [&] { celebration.start(); }},
                                                        {"cancel", [&] { celebration.cancel(); }},
                                                        {"finish", [&] { celebration.finish(); }},
                                                        {"moveOn", [&] { completed = false; }},
                                                        {"wait", [] { QTest::qWait(100); }}};
        for (const QString& step : steps.split(u' '))
            act[step]();
        QTRY_COMPARE(capture.lines(), log);
        QCOMPARE(ends, capture.countStartingWith("🎉")); // the owner hears of every end that is logged
        QTEST(celebration.isPending(), "pending");
    }
};

QTEST_GUILESS_MAIN(TestCelebration)
#include "tst_celebration.moc"

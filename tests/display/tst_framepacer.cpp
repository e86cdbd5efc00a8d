#include "FramePacer.h"

#include <QTest>
#include <thread>

class TestFramePacer : public QObject
{
    Q_OBJECT
private slots:
    // The clock ticks while something new is taken, sleeps after a few idle ticks, and wakes from
    // another thread; a frame that arrives while it falls asleep is still taken.
    void ticksOnlyWhileFramesCome()
    {
        FramePacer pacer(std::chrono::milliseconds(5));
        int ticks = 0, pending = 0, taken = 0;
        connect(&pacer, &FramePacer::tick, &pacer, [&] {
            ++ticks;
            if (pending > 0) {
                --pending;
                ++taken;
                pacer.markMoved();
            }
        });
        QTest::qWait(30);
        QCOMPARE(ticks, 0); // asleep from the start

        pending = 3;
        std::thread([&pacer] { pacer.wake(); }).join();
        QTRY_COMPARE(taken, 3);
        QTRY_VERIFY(!pacer.isTicking());
        // Each frame took one tick, then the idle ticks and the last look before sleeping.
        QCOMPARE(ticks, 3 + FramePacer::idleTicksBeforeSleep + 1);

        // A frame that comes after the last look wakes it again.
        pending = 1;
        pacer.wake();
        QTRY_COMPARE(taken, 4);
        QTRY_VERIFY(!pacer.isTicking());
    }
};

QTEST_MAIN(TestFramePacer)
#include "tst_framepacer.moc"

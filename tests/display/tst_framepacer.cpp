#include "FramePacer.h"

#include <QSignalSpy>
#include <QTest>
#include <QVideoFrameFormat>
#include <QVideoSink>

namespace {
QVideoFrame frameAt(qint64 time)
{
    QVideoFrame frame(QVideoFrameFormat(QSize(2, 2), QVideoFrameFormat::Format_RGBA8888));
    frame.setStartTime(time);
    return frame;
}
} // namespace

class TestFramePacer : public QObject
{
    Q_OBJECT
private slots:
    void framesWaitForTheTickAndOnlyTheNewestIsShown();
    void flushDeliversAtOnce();
    void outputThatIsGoneIsSkipped();
};

void TestFramePacer::framesWaitForTheTickAndOnlyTheNewestIsShown()
{
    FramePacer pacer(std::chrono::milliseconds(20));
    QVideoSink first, second;
    QSignalSpy firstFrames(&first, &QVideoSink::videoFrameChanged);
    QSignalSpy secondFrames(&second, &QVideoSink::videoFrameChanged);
    QVERIFY(!pacer.isTicking());

    pacer.post(&first, frameAt(1));
    pacer.post(&first, frameAt(2));
    pacer.post(&second, frameAt(7));
    QCOMPARE(firstFrames.count(), 0);
    QVERIFY(pacer.isTicking());
    // One tick hands every output its newest frame, together.
    QTRY_COMPARE(firstFrames.count(), 1);
    QCOMPARE(secondFrames.count(), 1);
    QCOMPARE(first.videoFrame().startTime(), 2);
    QCOMPARE(second.videoFrame().startTime(), 7);
    // With nothing more to hand on, the clock stops.
    QTRY_VERIFY(!pacer.isTicking());
    QCOMPARE(firstFrames.count(), 1);
}

void TestFramePacer::flushDeliversAtOnce()
{
    FramePacer pacer(std::chrono::milliseconds(1000));
    QVideoSink sink;
    pacer.post(&sink, frameAt(3));
    pacer.flush(&sink);
    QCOMPARE(sink.videoFrame().startTime(), 3);
    QCOMPARE(pacer.waitingFrames(), 0);
    // Nothing waiting: nothing happens.
    pacer.flush(&sink);
    QCOMPARE(sink.videoFrame().startTime(), 3);
}

void TestFramePacer::outputThatIsGoneIsSkipped()
{
    FramePacer pacer(std::chrono::milliseconds(10));
    QVideoSink kept;
    auto gone = std::make_unique<QVideoSink>();
    pacer.post(gone.get(), frameAt(1));
    pacer.post(&kept, frameAt(4));
    gone.reset();
    QTRY_COMPARE(kept.videoFrame().startTime(), 4);
    QTRY_VERIFY(!pacer.isTicking());
}

QTEST_MAIN(TestFramePacer)
#include "tst_framepacer.moc"

#include "FramePacer.h"

#include <QSignalSpy>
#include <QTest>
#include <QVideoFrameFormat>
#include <QVideoSink>

class TestFramePacer : public QObject
{
    Q_OBJECT
private slots:
    void newestFrameOfEachOutputOnOneTick()
    {
        auto frameAt = [](qint64 time) {
            QVideoFrame frame(QVideoFrameFormat(QSize(2, 2), QVideoFrameFormat::Format_RGBA8888));
            frame.setStartTime(time);
            return frame;
        };
        FramePacer pacer(std::chrono::milliseconds(20));
        QVideoSink first, second;
        auto gone = std::make_unique<QVideoSink>();
        QSignalSpy firstFrames(&first, &QVideoSink::videoFrameChanged);
        pacer.post(&first, frameAt(1));
        pacer.post(gone.get(), frameAt(9));
        pacer.post(&first, frameAt(2));
        pacer.post(&second, frameAt(7));
        gone.reset();
        QCOMPARE(firstFrames.count(), 0);
        QTRY_COMPARE(first.videoFrame().startTime(), 2);
        QCOMPARE(firstFrames.count(), 1);
        QCOMPARE(second.videoFrame().startTime(), 7);
        QTRY_VERIFY(!pacer.isTicking()); // nothing more to hand on
    }
};

QTEST_MAIN(TestFramePacer)
#include "tst_framepacer.moc"

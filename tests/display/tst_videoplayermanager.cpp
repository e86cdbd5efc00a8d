#include "FramePacer.h"
#include "FrameSourceRegistry.h"
#include "LogCapture.h"
#include "TestClips.h"
#include "VideoPicture.h"
#include "VideoPlayerManager.h"

#include <QFile>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>

using TestClips::url;
using namespace std::chrono_literals;

class TestVideoPlayerManager : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_red, m_green, m_blue, m_broken;

    // A cat: its picture in a window (which gives it a size in pixels) and its manager.
    struct Cat
    {
        Cat(FrameSourceRegistry& registry, FramePacer& pacer, int side = 32) : manager(registry, pacer)
        {
            picture.setParentItem(window.contentItem());
            picture.setSize(QSizeF(side, side));
            manager.setOutput(&picture);
        }
        QQuickWindow window;
        VideoPicture picture;
        VideoPlayerManager manager;
    };

private slots:
    void initTestCase()
    {
        m_red = TestClips::make(m_dir.path(), QStringLiteral("red"));
        m_green = TestClips::make(m_dir.path(), QStringLiteral("green"));
        m_blue = TestClips::make(m_dir.path(), QStringLiteral("blue"));
        QVERIFY(!m_red.isEmpty() && !m_green.isEmpty() && !m_blue.isEmpty());
        QFile broken(m_broken = m_dir.filePath(QStringLiteral("broken.mp4")));
        QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write(QByteArray("Not a video.\n").repeated(64)));
    }

    void oneVideoReplacesAnother()
    {
        FramePacer pacer(10ms);
        FrameSourceRegistry registry(100ms, &pacer);
        Cat cat(registry, pacer);
        VideoPlayerManager& manager = cat.manager;
        // Once there is a picture, every tick until the end shows one.
        bool blank = false;
        connect(&pacer, &FramePacer::tick, this,
                [&] { blank = blank || (manager.currentVideoURL().isValid() && !cat.picture.hasPicture()); });
        const QString missing = m_dir.filePath(QStringLiteral("gone/working.mp4"));
        LogCapture log;
        manager.loadVideo(url(m_red));
        manager.loadVideo(url(m_red));
        manager.loadVideo(url(m_green)); // before red was ready: red is never shown
        QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), url(m_green), 10000);
        QVERIFY(cat.picture.hasPicture());
        manager.loadVideo(url(m_green));
        manager.loadVideo(url(m_blue));
        manager.loadVideo(url(missing)); // leaves the preparation under way alone
        manager.loadVideo(QUrl());
        QCOMPARE(manager.pendingVideoURL(), url(m_blue));
        QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), url(m_blue), 10000);
        // Back to the shown video before the other is ready: the other is never swapped in.
        manager.loadVideo(url(m_red));
        manager.loadVideo(url(m_blue));
        QVERIFY(manager.pendingVideoURL().isEmpty());
        QTest::qWait(300);
        QCOMPARE(manager.currentVideoURL(), url(m_blue));
        QCOMPARE(
            log.lines(),
            QStringList(
                {QStringLiteral("▶️ Preparing video: red.mp4"),
                 QStringLiteral("⏭️ Skipping load - already preparing: red.mp4"),
                 QStringLiteral("▶️ Preparing video: green.mp4"),
                 QStringLiteral("✅ Video ready: green.mp4"), QStringLiteral("🔄 Player swapped successfully"),
                 QStringLiteral("⏭️ Skipping load - same video already playing: green.mp4"),
                 QStringLiteral("▶️ Preparing video: blue.mp4"),
                 QStringLiteral("⚠️ Video not found at path: ") + missing,
                 QStringLiteral("⚠️ Video not found at path: "),
                 QStringLiteral("✅ Video ready: blue.mp4"), QStringLiteral("🔄 Player swapped successfully"),
                 QStringLiteral("▶️ Preparing video: red.mp4"),
                 QStringLiteral("⏭️ Skipping load - same video already playing: blue.mp4")}));
        log.clear();

        // Nobody sees the cat: it lets its source go and keeps its picture; seen again, it takes
        // the clip up without a word, and a new size is taken up the same way.
        manager.setSeen(false);
        QCOMPARE(manager.heldSources(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(registry.sourceCount(), 0, 5000);
        QVERIFY(cat.picture.hasPicture());
        manager.setSeen(true);
        QTRY_COMPARE(manager.heldSources(), 1);
        cat.picture.setSize(QSizeF(24, 24));
        QTRY_COMPARE_WITH_TIMEOUT(registry.sourceCount(), 1, 5000); // the 32 px source closed
        QCOMPARE(manager.currentVideoURL(), url(m_blue));
        QCOMPARE(log.lines(), QStringList());
        QVERIFY(!blank);
    }

    void catsShowingOneClipShareItsSource()
    {
        FramePacer pacer(10ms);
        FrameSourceRegistry registry(100ms, &pacer);
        auto first = std::make_unique<Cat>(registry, pacer), second = std::make_unique<Cat>(registry, pacer);
        Cat other(registry, pacer, 48);
        for (Cat* cat : {first.get(), second.get(), &other})
            cat->manager.loadVideo(url(m_red));
        for (Cat* cat : {first.get(), second.get(), &other})
            QTRY_COMPARE_WITH_TIMEOUT(cat->manager.currentVideoURL(), url(m_red), 10000);
        QCOMPARE(registry.sourceCount(), 2); // one per size
        first.reset();
        QTest::qWait(300);
        QCOMPARE(registry.sourceCount(), 2);
        second.reset();
        QTRY_COMPARE_WITH_TIMEOUT(registry.sourceCount(), 1, 5000);
    }

    void aBrokenClipKeepsTheShownPicture()
    {
        FramePacer pacer(10ms);
        FrameSourceRegistry registry(2s, &pacer);
        Cat cat(registry, pacer);
        cat.manager.loadVideo(url(m_red));
        QTRY_COMPARE_WITH_TIMEOUT(cat.manager.currentVideoURL(), url(m_red), 10000);
        LogCapture log;
        // Neither shown nor pending after failing, so asking again asks again; the clip is not
        // decoded again while its failed source is still known.
        for (int attempt = 1; attempt <= 2; ++attempt) {
            cat.manager.loadVideo(url(m_broken));
            QTRY_COMPARE_WITH_TIMEOUT(log.countStartingWith(QStringLiteral("❌ Video load failed: ")), attempt,
                                      10000);
            QVERIFY(cat.manager.pendingVideoURL().isEmpty());
        }
        QCOMPARE(cat.manager.currentVideoURL(), url(m_red));
        QVERIFY(cat.picture.hasPicture());
        QCOMPARE(log.count(QStringLiteral("▶️ Preparing video: broken.mp4")), 2);
    }
};

QTEST_MAIN(TestVideoPlayerManager)
#include "tst_videoplayermanager.moc"

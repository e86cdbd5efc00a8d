#include "LogCapture.h"
#include "TestClips.h"
#include "VideoPlayerManager.h"

#include <QFile>
#include <QMediaPlayer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVideoFrame>
#include <QVideoSink>

using TestClips::url;

class TestVideoPlayerManager : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_red, m_green, m_blue, m_broken;
    std::unique_ptr<VideoPlayerManager> m_manager;

    // Loads the video and waits until it is shown.
    void show(const QString& path)
    {
        m_manager->loadVideo(url(path));
        QTRY_COMPARE_WITH_TIMEOUT(m_manager->currentVideoURL(), url(path), 10000);
    }

    // Asks for `path` the moment `signal` of `sender` first reports a frame or an error.
    void loadOn(auto* sender, auto signal, const QString& path)
    {
        auto once = std::make_shared<QMetaObject::Connection>();
        *once = connect(sender, signal, m_manager.get(), [this, path, once](const auto& what) {
            if (what != std::decay_t<decltype(what)>()) { // not an empty frame, not NoError
                disconnect(*once);
                m_manager->loadVideo(url(path));
            }
        });
    }

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

    void init()
    {
        m_manager = std::make_unique<VideoPlayerManager>();
        m_manager->setFirstOutput(new QVideoSink(m_manager.get()));
        m_manager->setSecondOutput(new QVideoSink(m_manager.get()));
    }

    void swapsOnlyWhenReadyAndSkipsRepeats()
    {
        VideoPlayerManager& manager = *m_manager;
        QSignalSpy swaps(&manager, &VideoPlayerManager::displayPlayerChanged);
        const QString missing = m_dir.filePath(QStringLiteral("gone/working.mp4"));
        LogCapture log;
        manager.loadVideo(url(m_red));
        QCOMPARE(manager.displayPlayer(), manager.firstPlayer());
        QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), url(m_red), 10000);
        QVERIFY(qobject_cast<QVideoSink*>(manager.secondOutput())->videoFrame().isValid());

        manager.loadVideo(url(m_red));
        manager.loadVideo(url(m_blue));
        manager.loadVideo(url(m_blue));
        manager.loadVideo(url(missing)); // leaves the preparation under way alone
        manager.loadVideo(QUrl());
        QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), url(m_blue), 10000);
        // Back to the shown video before the other is ready: the other is never swapped in, and the
        // hidden player is emptied once nothing is pending.
        manager.loadVideo(url(m_red));
        manager.loadVideo(url(m_blue));
        QTRY_VERIFY_WITH_TIMEOUT(manager.stagingPlayer()->source().isEmpty(), 10000);
        QCOMPARE(manager.currentVideoURL(), url(m_blue));
        QCOMPARE(swaps.count(), 2);
        QCOMPARE(
            log.lines(),
            QStringList(
                {QStringLiteral("▶️ Preparing video: red.mp4"), QStringLiteral("✅ Video ready: red.mp4"),
                 QStringLiteral("🔄 Player swapped successfully"),
                 QStringLiteral("⏭️ Skipping load - same video already playing: red.mp4"),
                 QStringLiteral("▶️ Preparing video: blue.mp4"),
                 QStringLiteral("⏭️ Skipping load - already preparing: blue.mp4"),
                 QStringLiteral("⚠️ Video not found at path: ") + missing,
                 QStringLiteral("⚠️ Video not found at path: "),
                 QStringLiteral("✅ Video ready: blue.mp4"), QStringLiteral("🔄 Player swapped successfully"),
                 QStringLiteral("▶️ Preparing video: red.mp4"),
                 QStringLiteral("⏭️ Skipping load - same video already playing: blue.mp4")}));
        // Nobody sees the cat: nothing plays until it is seen again.
        manager.setSeen(false);
        QCOMPARE(manager.displayPlayer()->playbackState(), QMediaPlayer::PausedState);
        manager.setSeen(true);
        QCOMPARE(manager.displayPlayer()->playbackState(), QMediaPlayer::PlayingState);
    }

    void requestsWhilePreparing()
    {
        VideoPlayerManager& manager = *m_manager;
        show(m_red);
        // Giving a GStreamer pipeline a new source while it is playing, or before its first frame,
        // holds the GUI thread for 0.3 to 1 s on Qt 6.4. Count each time that happens to either player.
        int busy = 0;
        for (QMediaPlayer* player : {manager.firstPlayer(), manager.secondPlayer()}) {
            auto started = std::make_shared<bool>(true);
            auto playing = std::make_shared<bool>(player->playbackState() == QMediaPlayer::PlayingState);
            connect(player->videoSink(), &QVideoSink::videoFrameChanged, this,
                    [started](const QVideoFrame& frame) { *started = *started || frame.isValid(); });
            connect(player, &QMediaPlayer::errorOccurred, this, [started] { *started = true; });
            connect(player, &QMediaPlayer::playbackStateChanged, this, [playing, &busy](auto now) {
                busy += *playing && now == QMediaPlayer::StoppedState; // only a new source stops a player
                *playing = now == QMediaPlayer::PlayingState;
            });
            connect(player, &QMediaPlayer::sourceChanged, this, [started, &busy](const QUrl& source) {
                busy += !*started;
                *started = source.isEmpty();
            });
        }
        // Green asked for the moment blue's first frame reaches the hidden player: blue's ready
        // report is then already on its way and must be ignored.
        LogCapture log;
        manager.loadVideo(url(m_blue));
        loadOn(manager.stagingPlayer()->videoSink(), &QVideoSink::videoFrameChanged, m_green);
        QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), url(m_green), 10000);
        QCOMPARE(log.lines().mid(1, 2),
                 QStringList({QStringLiteral("▶️ Preparing video: green.mp4"),
                              QStringLiteral("⏭️ Ignoring ready signal - URL changed")}));
        // A second request while the first video is still starting on a quiet player.
        QTRY_VERIFY_WITH_TIMEOUT(manager.stagingPlayer()->source().isEmpty(), 10000);
        manager.loadVideo(url(m_red));
        show(m_blue);
        // A request right after a swap, to the player that was shown until then.
        show(m_red);
        QCOMPARE(busy, 0);
        QCOMPARE(manager.displayPlayer()->playbackState(), QMediaPlayer::PlayingState);
    }

    void failedVideoLeavesTheShownOne()
    {
        show(m_red);
        LogCapture log;
        // Neither shown nor pending after failing, so asking again tries again.
        for (int attempt = 0; attempt < 2; ++attempt) {
            m_manager->loadVideo(url(m_broken));
            QTRY_VERIFY_WITH_TIMEOUT(m_manager->pendingVideoURL().isEmpty(), 10000);
        }
        QCOMPARE(log.count(QStringLiteral("▶️ Preparing video: broken.mp4")), 2);
        QCOMPARE(log.countStartingWith(QStringLiteral("❌ Video load failed: ")), 2);
        QCOMPARE(m_manager->currentVideoURL(), url(m_red));
        QCOMPARE(m_manager->displayPlayer()->playbackState(), QMediaPlayer::PlayingState);
        // The file that failed does not go on playing unseen.
        QTRY_VERIFY(m_manager->stagingPlayer()->source().isEmpty());
        // Blue asked for the moment the failure is reported, before it is handled, is still shown.
        m_manager->loadVideo(url(m_broken));
        loadOn(m_manager->stagingPlayer(), &QMediaPlayer::errorOccurred, m_blue);
        QTRY_COMPARE_WITH_TIMEOUT(m_manager->currentVideoURL(), url(m_blue), 10000);
        QCOMPARE(log.countStartingWith(QStringLiteral("❌ Video load failed: ")), 3);
    }

    void preparationWithoutPictureIsTriedAgain()
    {
        m_manager =
            std::make_unique<VideoPlayerManager>(VideoPlayerManager::Timing{std::chrono::milliseconds(1500)});
        show(m_red);
        // A pipeline whose picture never reaches the sink that is watched, as when its output failed
        // to start: no frame, no error.
        LogCapture log;
        m_manager->loadVideo(url(m_blue));
        m_manager->stagingPlayer()->setVideoSink(new QVideoSink(m_manager->stagingPlayer()));
        QTRY_COMPARE_WITH_TIMEOUT(m_manager->currentVideoURL(), url(m_blue), 10000);
        QCOMPARE(log.lines().mid(0, 3),
                 QStringList({QStringLiteral("▶️ Preparing video: blue.mp4"),
                              QStringLiteral("⚠️ No picture yet, preparing again: blue.mp4"),
                              QStringLiteral("✅ Video ready: blue.mp4")}));
    }
};

QTEST_MAIN(TestVideoPlayerManager)
#include "tst_videoplayermanager.moc"

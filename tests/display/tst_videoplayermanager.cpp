#include "LogCapture.h"
#include "TestClips.h"
#include "VideoPlayerManager.h"

#include <QFile>
#include <QMediaPlayer>
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

    // Asks `manager` for `path` the moment `signal` of `sender` first reports a frame or an error.
    static void loadOn(VideoPlayerManager& manager, auto* sender, auto signal, const QString& path)
    {
        auto once = std::make_shared<QMetaObject::Connection>();
        *once = connect(sender, signal, &manager, [&manager, path, once](const auto& what) {
            if (what != std::decay_t<decltype(what)>()) { // not an empty frame, not NoError
                disconnect(*once);
                manager.loadVideo(url(path));
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

    void oneVideoReplacesAnother()
    {
        VideoPlayerManager manager;
        // Re-sourcing a pipeline that plays, or has not shown a frame yet, stalls the GUI thread: count it.
        int busy = 0;
        for (QMediaPlayer* player : {manager.firstPlayer(), manager.secondPlayer()}) {
            auto started = std::make_shared<bool>(true);
            auto playing = std::make_shared<bool>(false);
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
        const QString missing = m_dir.filePath(QStringLiteral("gone/working.mp4"));
        LogCapture log;
        // A second request while the first video is still starting.
        manager.loadVideo(url(m_red));
        manager.loadVideo(url(m_red));
        manager.loadVideo(url(m_green));
        QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), url(m_green), 10000);

        manager.loadVideo(url(m_green));
        manager.loadVideo(url(m_blue));
        manager.loadVideo(url(missing)); // leaves the preparation under way alone
        manager.loadVideo(QUrl());
        // Red asked for the moment blue's first frame reaches the hidden player: blue's ready report
        // is then already on its way and must be ignored.
        loadOn(manager, manager.stagingPlayer()->videoSink(), &QVideoSink::videoFrameChanged, m_red);
        QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), url(m_red), 10000);
        // Right after a swap, to the player that was shown until then.
        manager.loadVideo(url(m_blue));
        QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), url(m_blue), 10000);
        // Back to the shown video before the other is ready: the other is never swapped in, and the
        // hidden player is emptied once nothing is pending.
        manager.loadVideo(url(m_green));
        manager.loadVideo(url(m_blue));
        QTRY_VERIFY_WITH_TIMEOUT(manager.stagingPlayer()->source().isEmpty(), 10000);
        QCOMPARE(manager.currentVideoURL(), url(m_blue));
        QCOMPARE(busy, 0);
        QCOMPARE(log.lines().mid(0, 13),
                 QStringList({QStringLiteral("▶️ Preparing video: red.mp4"),
                              QStringLiteral("⏭️ Skipping load - already preparing: red.mp4"),
                              QStringLiteral("▶️ Preparing video: green.mp4"),
                              QStringLiteral("✅ Video ready: green.mp4"),
                              QStringLiteral("🔄 Player swapped successfully"),
                              QStringLiteral("⏭️ Skipping load - same video already playing: green.mp4"),
                              QStringLiteral("▶️ Preparing video: blue.mp4"),
                              QStringLiteral("⚠️ Video not found at path: ") + missing,
                              QStringLiteral("⚠️ Video not found at path: "),
                              QStringLiteral("▶️ Preparing video: red.mp4"),
                              QStringLiteral("⏭️ Ignoring ready signal - URL changed"),
                              QStringLiteral("✅ Video ready: red.mp4"),
                              QStringLiteral("🔄 Player swapped successfully")}));
        // Nobody sees the cat: nothing plays until it is seen again.
        manager.setSeen(false);
        QCOMPARE(manager.displayPlayer()->playbackState(), QMediaPlayer::PausedState);
        manager.setSeen(true);
        QCOMPARE(manager.displayPlayer()->playbackState(), QMediaPlayer::PlayingState);
    }

    void failedPreparationsLeaveTheShownVideo()
    {
        VideoPlayerManager manager;
        // A pipeline whose picture never reaches the sink that is watched, as when its output failed
        // to start: no frame and no error, so it is prepared once more.
        LogCapture log;
        manager.loadVideo(url(m_red));
        manager.stagingPlayer()->setVideoSink(new QVideoSink(manager.stagingPlayer()));
        QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), url(m_red), 15000);
        QCOMPARE(log.lines(), QStringList({QStringLiteral("▶️ Preparing video: red.mp4"),
                                           QStringLiteral("⚠️ No picture yet, preparing again: red.mp4"),
                                           QStringLiteral("✅ Video ready: red.mp4"),
                                           QStringLiteral("🔄 Player swapped successfully")}));
        // Neither shown nor pending after failing, so asking again tries again.
        for (int attempt = 0; attempt < 2; ++attempt) {
            manager.loadVideo(url(m_broken));
            QTRY_VERIFY_WITH_TIMEOUT(manager.pendingVideoURL().isEmpty(), 10000);
        }
        QCOMPARE(log.countStartingWith(QStringLiteral("❌ Video load failed: ")), 2);
        QCOMPARE(manager.currentVideoURL(), url(m_red));
        // The file that failed does not go on playing unseen.
        QTRY_VERIFY(manager.stagingPlayer()->source().isEmpty());
        // Blue asked for the moment the failure is reported, before it is handled, is still shown.
        manager.loadVideo(url(m_broken));
        loadOn(manager, manager.stagingPlayer(), &QMediaPlayer::errorOccurred, m_blue);
        QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), url(m_blue), 10000);
        QCOMPARE(log.countStartingWith(QStringLiteral("❌ Video load failed: ")), 3);
    }
};

QTEST_MAIN(TestVideoPlayerManager)
#include "tst_videoplayermanager.moc"

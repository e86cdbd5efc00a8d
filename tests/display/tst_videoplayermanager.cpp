#include "LogCapture.h"
#include "TestClips.h"
#include "VideoPlayerManager.h"

#include <QMediaPlayer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVideoFrame>
#include <QVideoSink>

class TestVideoPlayerManager : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void firstLoadSwapsIn();
    void repeatedRequestsAreSkipped();
    void lateReadySignalOfSupersededVideoIsIgnored();
    void missingFileLeavesEverythingAlone();
    void undecodableFileFailsAndCanBeRetried();
    void lateFailureOfSupersededVideoKeepsTheNewOne();
    void returningToTheShownVideoCancelsThePendingOne();
    void busyPlayerIsNeverGivenANewVideo();
    void unseenCatIsPaused();
    void videoWithoutPictureFails();
    void preparationWithoutPictureIsTriedAgain();

private:
    // Loads the URL and waits until it is shown.
    void show(VideoPlayerManager& manager, const QString& path);

    QTemporaryDir m_dir;
    QString m_red, m_green, m_blue, m_broken, m_audio;
    std::unique_ptr<QVideoSink> m_firstSink, m_secondSink;
    std::unique_ptr<VideoPlayerManager> m_manager;
};

void TestVideoPlayerManager::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_red = TestClips::make(m_dir.path(), QStringLiteral("red"));
    m_green = TestClips::make(m_dir.path(), QStringLiteral("green"));
    m_blue = TestClips::make(m_dir.path(), QStringLiteral("blue"));
    m_broken = TestClips::makeUndecodable(m_dir.path());
    m_audio = TestClips::makeAudioOnly(m_dir.path());
    QVERIFY(!m_red.isEmpty() && !m_green.isEmpty() && !m_blue.isEmpty() && !m_broken.isEmpty() &&
            !m_audio.isEmpty());
}

void TestVideoPlayerManager::init()
{
    m_manager.reset();
    m_firstSink = std::make_unique<QVideoSink>();
    m_secondSink = std::make_unique<QVideoSink>();
    m_manager = std::make_unique<VideoPlayerManager>();
    m_manager->setFirstOutput(m_firstSink.get());
    m_manager->setSecondOutput(m_secondSink.get());
}

void TestVideoPlayerManager::show(VideoPlayerManager& manager, const QString& path)
{
    manager.loadVideo(TestClips::url(path));
    QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), TestClips::url(path), 10000);
}

void TestVideoPlayerManager::firstLoadSwapsIn()
{
    VideoPlayerManager& manager = *m_manager;
    QCOMPARE(manager.displayPlayer(), manager.firstPlayer());
    QVERIFY(manager.currentVideoURL().isEmpty());

    LogCapture log;
    QSignalSpy swaps(&manager, &VideoPlayerManager::displayPlayerChanged);
    manager.loadVideo(TestClips::url(m_red));
    // Nothing changes on screen until the new video is ready.
    QCOMPARE(manager.pendingVideoURL(), TestClips::url(m_red));
    QCOMPARE(manager.displayPlayer(), manager.firstPlayer());
    QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), TestClips::url(m_red), 10000);

    QCOMPARE(log.lines(), QStringList({QStringLiteral("▶️ Preparing video: red.mp4"),
                                       QStringLiteral("✅ Video ready: red.mp4"),
                                       QStringLiteral("🔄 Player swapped successfully")}));
    QCOMPARE(swaps.count(), 1);
    QVERIFY(manager.pendingVideoURL().isEmpty());
    QCOMPARE(manager.displayPlayer(), manager.secondPlayer());
    QCOMPARE(manager.displayPlayer()->source(), TestClips::url(m_red));
    QCOMPARE(manager.displayPlayer()->playbackState(), QMediaPlayer::PlayingState);
    QVERIFY(manager.displayPlayer()->videoSink()->videoFrame().isValid());
    // Frames go on to the output of the player that is shown.
    QVERIFY(m_secondSink->videoFrame().isValid());
    // The hidden player is paused at once and emptied soon after.
    QVERIFY(manager.stagingPlayer()->playbackState() != QMediaPlayer::PlayingState);
    QTRY_VERIFY(manager.stagingPlayer()->source().isEmpty());

    // The next video goes to the other player, and the two trade places again.
    show(manager, m_blue);
    QCOMPARE(manager.displayPlayer(), manager.firstPlayer());
    QCOMPARE(swaps.count(), 2);
}

void TestVideoPlayerManager::repeatedRequestsAreSkipped()
{
    VideoPlayerManager& manager = *m_manager;
    show(manager, m_red);
    QMediaPlayer* shown = manager.displayPlayer();
    QSignalSpy swaps(&manager, &VideoPlayerManager::displayPlayerChanged);
    QSignalSpy sourceChanges(shown, &QMediaPlayer::sourceChanged);

    LogCapture log;
    manager.loadVideo(TestClips::url(m_red));
    manager.loadVideo(TestClips::url(m_blue));
    manager.loadVideo(TestClips::url(m_blue));
    QCOMPARE(log.lines(),
             QStringList({QStringLiteral("⏭️ Skipping load - same video already playing: red.mp4"),
                          QStringLiteral("▶️ Preparing video: blue.mp4"),
                          QStringLiteral("⏭️ Skipping load - already preparing: blue.mp4")}));
    QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), TestClips::url(m_blue), 10000);
    QCOMPARE(swaps.count(), 1);
    // The shown video was never restarted by the repeated request.
    QCOMPARE(sourceChanges.count(), 0);
}

void TestVideoPlayerManager::lateReadySignalOfSupersededVideoIsIgnored()
{
    VideoPlayerManager& manager = *m_manager;
    show(manager, m_red);

    // Ask for blue and, the moment its first frame reaches the hidden player, for green: blue's
    // ready report is then already on its way and must be ignored.
    LogCapture log;
    manager.loadVideo(TestClips::url(m_blue));
    bool switched = false;
    connect(manager.stagingPlayer()->videoSink(), &QVideoSink::videoFrameChanged, &manager,
            [&](const QVideoFrame& frame) {
                if (switched || !frame.isValid())
                    return;
                switched = true;
                manager.loadVideo(TestClips::url(m_green));
            });
    QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), TestClips::url(m_green), 10000);
    QVERIFY(switched);
    QCOMPARE(log.count(QStringLiteral("⏭️ Ignoring ready signal - URL changed")), 1);
    QCOMPARE(log.count(QStringLiteral("✅ Video ready: blue.mp4")), 0);
    QCOMPARE(log.count(QStringLiteral("✅ Video ready: green.mp4")), 1);
    QCOMPARE(log.count(QStringLiteral("🔄 Player swapped successfully")), 1);
    QCOMPARE(manager.displayPlayer()->source(), TestClips::url(m_green));
}

void TestVideoPlayerManager::missingFileLeavesEverythingAlone()
{
    VideoPlayerManager& manager = *m_manager;
    show(manager, m_red);
    const QString missing = m_dir.filePath(QStringLiteral("gone/working.mp4"));

    LogCapture log;
    manager.loadVideo(TestClips::url(m_blue));
    manager.loadVideo(TestClips::url(missing));
    QCOMPARE(log.lines().last(), QStringLiteral("⚠️ Video not found at path: ") + missing);
    QCOMPARE(manager.currentVideoURL(), TestClips::url(m_red));
    QCOMPARE(manager.pendingVideoURL(), TestClips::url(m_blue));
    // The preparation under way still finishes.
    QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), TestClips::url(m_blue), 10000);

    // Not a file URL at all: a skin without a video for a state.
    log.clear();
    manager.loadVideo(QUrl());
    QCOMPARE(log.lines(), QStringList(QStringLiteral("⚠️ Video not found at path: ")));
    QCOMPARE(manager.currentVideoURL(), TestClips::url(m_blue));
}

void TestVideoPlayerManager::undecodableFileFailsAndCanBeRetried()
{
    VideoPlayerManager& manager = *m_manager;
    show(manager, m_red);
    QMediaPlayer* shown = manager.displayPlayer();

    LogCapture log;
    manager.loadVideo(TestClips::url(m_broken));
    QTRY_VERIFY_WITH_TIMEOUT(manager.pendingVideoURL().isEmpty(), 10000);
    QCOMPARE(log.countStartingWith(QStringLiteral("❌ Video load failed: ")), 1);
    QVERIFY(log.lines().last().size() > QStringLiteral("❌ Video load failed: ").size());
    QCOMPARE(manager.currentVideoURL(), TestClips::url(m_red));
    QCOMPARE(manager.displayPlayer(), shown);
    QCOMPARE(shown->playbackState(), QMediaPlayer::PlayingState);

    // Neither shown nor pending any more, so asking again tries again.
    log.clear();
    manager.loadVideo(TestClips::url(m_broken));
    QCOMPARE(log.lines().first(), QStringLiteral("▶️ Preparing video: broken.mp4"));
    QTRY_VERIFY_WITH_TIMEOUT(manager.pendingVideoURL().isEmpty(), 10000);
    QCOMPARE(log.countStartingWith(QStringLiteral("❌ Video load failed: ")), 1);

    // And a good video afterwards is shown as usual.
    show(manager, m_blue);
}

void TestVideoPlayerManager::lateFailureOfSupersededVideoKeepsTheNewOne()
{
    VideoPlayerManager& manager = *m_manager;
    show(manager, m_red);
    // Ask for blue the moment the broken video's failure is reported, before it is handled.
    LogCapture log;
    manager.loadVideo(TestClips::url(m_broken));
    bool switched = false;
    connect(manager.stagingPlayer(), &QMediaPlayer::mediaStatusChanged, &manager,
            [&](QMediaPlayer::MediaStatus status) {
                if (switched || status != QMediaPlayer::InvalidMedia)
                    return;
                switched = true;
                manager.loadVideo(TestClips::url(m_blue));
            });
    QTRY_VERIFY_WITH_TIMEOUT(switched, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), TestClips::url(m_blue), 10000);
    QCOMPARE(log.countStartingWith(QStringLiteral("❌ Video load failed: ")), 1);
}

void TestVideoPlayerManager::returningToTheShownVideoCancelsThePendingOne()
{
    VideoPlayerManager& manager = *m_manager;
    show(manager, m_red);
    LogCapture log;
    manager.loadVideo(TestClips::url(m_blue));
    manager.loadVideo(TestClips::url(m_red));
    QVERIFY(manager.pendingVideoURL().isEmpty());
    QTest::qWait(600); // longer than a preparation takes here
    QCOMPARE(manager.currentVideoURL(), TestClips::url(m_red));
    QCOMPARE(log.count(QStringLiteral("✅ Video ready: blue.mp4")), 0);
    QCOMPARE(manager.displayPlayer()->playbackState(), QMediaPlayer::PlayingState);
    // Blue can be asked for again later.
    show(manager, m_blue);
}

void TestVideoPlayerManager::busyPlayerIsNeverGivenANewVideo()
{
    VideoPlayerManager& manager = *m_manager;
    show(manager, m_red);

    // Giving a GStreamer pipeline a new source while it is playing, or before its first frame, holds
    // the GUI thread for 0.3 to 1 s on Qt 6.4. Count each time that happens to either player.
    int busyChanges = 0;
    for (QMediaPlayer* player : {manager.firstPlayer(), manager.secondPlayer()}) {
        auto started = std::make_shared<bool>(true);
        auto state = std::make_shared<QMediaPlayer::PlaybackState>(player->playbackState());
        connect(player->videoSink(), &QVideoSink::videoFrameChanged, this,
                [started](const QVideoFrame& frame) {
                    if (frame.isValid())
                        *started = true;
                });
        connect(player, &QMediaPlayer::mediaStatusChanged, this, [started](QMediaPlayer::MediaStatus status) {
            if (status == QMediaPlayer::InvalidMedia)
                *started = true;
        });
        connect(player, &QMediaPlayer::playbackStateChanged, this,
                [state, &busyChanges](QMediaPlayer::PlaybackState now) {
                    // Nothing stops a player but a new source.
                    if (*state == QMediaPlayer::PlayingState && now == QMediaPlayer::StoppedState)
                        ++busyChanges;
                    *state = now;
                });
        connect(player, &QMediaPlayer::sourceChanged, this, [started, &busyChanges](const QUrl& source) {
            if (!*started)
                ++busyChanges;
            *started = source.isEmpty();
        });
    }

    // A second request while the first video is still starting.
    LogCapture log;
    manager.loadVideo(TestClips::url(m_blue));
    manager.loadVideo(TestClips::url(m_green));
    QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), TestClips::url(m_green), 10000);
    QCOMPARE(log.count(QStringLiteral("✅ Video ready: blue.mp4")), 0);

    // A request while the staging player already plays the previous one unseen.
    bool asked = false;
    manager.loadVideo(TestClips::url(m_red));
    connect(manager.stagingPlayer()->videoSink(), &QVideoSink::videoFrameChanged, &manager,
            [&](const QVideoFrame& frame) {
                if (!asked && frame.isValid()) {
                    asked = true;
                    manager.loadVideo(TestClips::url(m_blue));
                }
            });
    QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), TestClips::url(m_blue), 10000);

    // A request right after a swap, to the player that was shown until then.
    show(manager, m_red);
    QCOMPARE(busyChanges, 0);
    QCOMPARE(manager.displayPlayer()->playbackState(), QMediaPlayer::PlayingState);
}

void TestVideoPlayerManager::unseenCatIsPaused()
{
    VideoPlayerManager& manager = *m_manager;
    show(manager, m_red);
    manager.setSeen(false);
    QCOMPARE(manager.displayPlayer()->playbackState(), QMediaPlayer::PausedState);

    // A state change while hidden is still prepared and swapped in, but nothing plays.
    show(manager, m_blue);
    QCOMPARE(manager.displayPlayer()->playbackState(), QMediaPlayer::PausedState);
    QVERIFY(manager.stagingPlayer()->playbackState() != QMediaPlayer::PlayingState);

    manager.setSeen(true);
    QCOMPARE(manager.displayPlayer()->playbackState(), QMediaPlayer::PlayingState);
    QVERIFY(manager.stagingPlayer()->playbackState() != QMediaPlayer::PlayingState);
}

void TestVideoPlayerManager::videoWithoutPictureFails()
{
    VideoPlayerManager& manager = *m_manager;
    show(manager, m_red);
    LogCapture log;
    manager.loadVideo(TestClips::url(m_audio));
    QTRY_VERIFY_WITH_TIMEOUT(manager.pendingVideoURL().isEmpty(), 10000);
    QCOMPARE(log.countStartingWith(QStringLiteral("❌ Video load failed: ")), 1);
    QCOMPARE(manager.currentVideoURL(), TestClips::url(m_red));
    QCOMPARE(manager.displayPlayer()->playbackState(), QMediaPlayer::PlayingState);
    // The file that failed does not go on playing unseen.
    QVERIFY(manager.stagingPlayer()->playbackState() != QMediaPlayer::PlayingState);
    QTRY_VERIFY(manager.stagingPlayer()->source().isEmpty());
}

void TestVideoPlayerManager::preparationWithoutPictureIsTriedAgain()
{
    VideoPlayerManager manager(VideoPlayerManager::Timing{std::chrono::milliseconds(300)});
    QVideoSink first, second;
    manager.setFirstOutput(&first);
    manager.setSecondOutput(&second);
    show(manager, m_red);

    // A pipeline whose picture never reaches the sink that is watched, as when its output failed to
    // start: no frame, no error.
    LogCapture log;
    manager.loadVideo(TestClips::url(m_blue));
    QVideoSink elsewhere;
    manager.stagingPlayer()->setVideoSink(&elsewhere);
    QTRY_COMPARE_WITH_TIMEOUT(manager.currentVideoURL(), TestClips::url(m_blue), 10000);
    QCOMPARE(log.lines().mid(0, 3),
             QStringList({QStringLiteral("▶️ Preparing video: blue.mp4"),
                          QStringLiteral("⚠️ No picture yet, preparing again: blue.mp4"),
                          QStringLiteral("✅ Video ready: blue.mp4")}));
    manager.displayPlayer()->setVideoSink(nullptr);
}

QTEST_MAIN(TestVideoPlayerManager)
#include "tst_videoplayermanager.moc"

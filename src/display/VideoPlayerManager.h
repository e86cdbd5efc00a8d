#pragma once

#include <QElapsedTimer>
#include <QMediaPlayer>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>
#include <chrono>

class QVideoSink;

// Plays one cat's looping, silent video and switches videos without a blank frame: the next video
// is loaded and started on a hidden staging player, and the two players trade places only when the
// first frame of the new video has reached the staging player's sink. The QML bridge shows the
// output of displayPlayer above the other one.
//
// Each player draws into a video sink of its own, which hands every frame on to the output. A
// GStreamer pipeline that draws straight into a QML VideoOutput is reconfigured, with the GUI thread
// waiting some 300 ms for it, whenever that output leaves its window, as it does each time a cat goes
// away; with sinks of our own the outputs come and go freely.
class VideoPlayerManager : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QMediaPlayer* firstPlayer READ firstPlayer CONSTANT)
    Q_PROPERTY(QMediaPlayer* secondPlayer READ secondPlayer CONSTANT)
    Q_PROPERTY(QMediaPlayer* displayPlayer READ displayPlayer NOTIFY displayPlayerChanged)
    // Where each player's frames are shown: a QVideoSink, or an item with one (VideoPicture).
    Q_PROPERTY(QObject* firstOutput READ firstOutput WRITE setFirstOutput NOTIFY firstOutputChanged)
    Q_PROPERTY(QObject* secondOutput READ secondOutput WRITE setSecondOutput NOTIFY secondOutputChanged)
    Q_PROPERTY(QUrl currentVideoURL READ currentVideoURL NOTIFY currentVideoURLChanged)
    Q_PROPERTY(QUrl pendingVideoURL READ pendingVideoURL NOTIFY pendingVideoURLChanged)
    // False while nobody can see the cat: both players stay paused until it is seen again.
    Q_PROPERTY(bool seen READ isSeen WRITE setSeen NOTIFY seenChanged)

public:
    struct Timing
    {
        // A preparation without a first frame by then is tried once more, then given up.
        std::chrono::milliseconds readyTimeout{3000};
        // Players are stopped this long after their last frame was shown: a GStreamer pipeline that
        // was just paused takes some 300 ms to stop, and the GUI thread would wait for it.
        std::chrono::milliseconds stopDelay{500};
        // The staging player takes a new video only once it has shown a first frame (or failed) and
        // has been paused this long: re-sourcing a GStreamer pipeline that is still starting holds up
        // the GUI thread for a second on Qt 6.4, one that is playing or just paused for 300 ms.
        std::chrono::milliseconds quietPeriod{40};
        // A pipeline that never settles is re-sourced anyway after this long.
        std::chrono::milliseconds settleTimeout{1500};
    };

    explicit VideoPlayerManager(QObject* parent = nullptr);
    VideoPlayerManager(Timing timing, QObject* parent = nullptr);
    ~VideoPlayerManager() override;

    QMediaPlayer* firstPlayer() const { return m_first; }
    QMediaPlayer* secondPlayer() const { return m_second; }
    QMediaPlayer* displayPlayer() const { return m_active; }
    QMediaPlayer* activePlayer() const { return m_active; }
    QMediaPlayer* stagingPlayer() const { return m_staging; }
    QObject* firstOutput() const;
    QObject* secondOutput() const;
    void setFirstOutput(QObject* output);
    void setSecondOutput(QObject* output);
    // Empty when absent.
    QUrl currentVideoURL() const { return m_currentVideoURL; }
    QUrl pendingVideoURL() const { return m_pendingVideoURL; }
    bool isSeen() const { return m_seen; }
    void setSeen(bool seen);

    // Shows the video at the file URL, looping, once it is ready; the old picture stays until then.
    Q_INVOKABLE void loadVideo(const QUrl& url);

signals:
    void displayPlayerChanged();
    void firstOutputChanged();
    void secondOutputChanged();
    void currentVideoURLChanged();
    void pendingVideoURLChanged();
    void seenChanged();

private:
    void removeObservations();
    void prepareStaging();
    void pause(QMediaPlayer* player);
    void stageWhenQuiet();
    void stage(const QUrl& url);
    void handleSettled(QMediaPlayer* player);
    int indexOf(const QMediaPlayer* player) const { return player == m_first ? 0 : 1; }
    void cancelPreparation();
    void handleStagingFailed(const QUrl& url, const QString& error);
    void handleStagingReady(const QUrl& url);
    void handleReadyTimeout();
    void swapPlayers();
    void setPendingVideoURL(const QUrl& url);
    void setOutput(int index, QObject* output);
    QVideoSink* sinkOf(QMediaPlayer* player) const;

    const Timing m_timing;
    QMediaPlayer* m_first;
    QMediaPlayer* m_second;
    QMediaPlayer* m_active;
    QMediaPlayer* m_staging;
    QPointer<QObject> m_outputs[2];
    QMetaObject::Connection m_forwarding[2];
    QUrl m_currentVideoURL;
    QUrl m_pendingVideoURL;
    QMetaObject::Connection m_frameObservation;
    QMetaObject::Connection m_errorObservation;
    QMetaObject::Connection m_statusObservation;
    QTimer m_readyTimeout;
    int m_retries = 0;
    QTimer m_emptyStaging;
    QTimer m_stageTimer;
    // The pending video waits for the staging player to become quiet.
    bool m_waitingToStage = false;
    // Per player: a first frame or a failure since its source was last set, and since when the
    // source was set and the player paused.
    bool m_settled[2] = {true, true};
    QElapsedTimer m_sourcedAt[2];
    QElapsedTimer m_pausedAt[2];
    QElapsedTimer m_settledAt[2];
    bool m_seen = true;
};

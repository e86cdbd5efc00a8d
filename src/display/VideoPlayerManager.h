#pragma once

#include <QMediaPlayer>
#include <QMetaObject>
#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

// Plays one cat's looping, silent video and switches videos without a blank frame: the next video
// is loaded and started on a hidden staging player, and the two players trade places only when the
// first frame of the new video has reached the staging player's output. The QML bridge shows the
// output of displayPlayer above the other one.
class VideoPlayerManager : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QMediaPlayer* firstPlayer READ firstPlayer CONSTANT)
    Q_PROPERTY(QMediaPlayer* secondPlayer READ secondPlayer CONSTANT)
    Q_PROPERTY(QMediaPlayer* displayPlayer READ displayPlayer NOTIFY displayPlayerChanged)
    // Where each player draws: a QML VideoOutput or a QVideoSink.
    Q_PROPERTY(QObject* firstOutput READ firstOutput WRITE setFirstOutput NOTIFY firstOutputChanged)
    Q_PROPERTY(QObject* secondOutput READ secondOutput WRITE setSecondOutput NOTIFY secondOutputChanged)
    Q_PROPERTY(QUrl currentVideoURL READ currentVideoURL NOTIFY currentVideoURLChanged)
    Q_PROPERTY(QUrl pendingVideoURL READ pendingVideoURL NOTIFY pendingVideoURLChanged)
    // False while nobody can see the cat: both players stay paused until it is seen again.
    Q_PROPERTY(bool seen READ isSeen WRITE setSeen NOTIFY seenChanged)

public:
    explicit VideoPlayerManager(QObject* parent = nullptr);
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
    void prepareStaging(const QUrl& url);
    void cancelPreparation();
    void handleStagingFailed(const QUrl& url, const QString& error);
    void handleStagingReady(const QUrl& url);
    void swapPlayers();
    void setPendingVideoURL(const QUrl& url);

    QMediaPlayer* m_first;
    QMediaPlayer* m_second;
    QMediaPlayer* m_active;
    QMediaPlayer* m_staging;
    QUrl m_currentVideoURL;
    QUrl m_pendingVideoURL;
    QMetaObject::Connection m_frameObservation;
    QMetaObject::Connection m_errorObservation;
    QMetaObject::Connection m_statusObservation;
    bool m_seen = true;
};

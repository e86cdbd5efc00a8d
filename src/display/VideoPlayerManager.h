#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>
#include <memory>

class FramePacer;
class FrameSource;
class FrameSourceRegistry;
class VideoPicture;

// Plays one cat's looping, silent video into its picture and switches videos without a blank frame:
// the new clip's source is taken from the registry (shared with every cat showing that clip at that
// size) and the picture keeps the old frames until the new source's first frame is ready; the switch
// happens on the next tick of the frame clock. Nothing here waits: sources start, seek and close on
// worker threads, and each tick only takes the newest frame.
//
// A cat nobody can see holds no source, so that a hidden panel decodes nothing; it keeps its last
// picture and takes the clip up again, without a word in the log, once it is seen.
class VideoPlayerManager : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(VideoPicture* output READ output WRITE setOutput NOTIFY outputChanged)
    Q_PROPERTY(QUrl currentVideoURL READ currentVideoURL NOTIFY currentVideoURLChanged)
    Q_PROPERTY(QUrl pendingVideoURL READ pendingVideoURL NOTIFY pendingVideoURLChanged)
    Q_PROPERTY(bool seen READ isSeen WRITE setSeen NOTIFY seenChanged)

public:
    // A size change waits this long for the layout to settle before sources of the new size are made.
    static constexpr int resizeSettleMs = 120;

    explicit VideoPlayerManager(QObject* parent = nullptr);
    VideoPlayerManager(FrameSourceRegistry& registry, FramePacer& pacer, QObject* parent = nullptr);
    ~VideoPlayerManager() override;

    VideoPicture* output() const;
    void setOutput(VideoPicture* output);
    // Empty when absent.
    QUrl currentVideoURL() const { return m_current.url; }
    QUrl pendingVideoURL() const { return m_pending.announced ? m_pending.url : QUrl(); }
    bool isSeen() const { return m_seen; }
    void setSeen(bool seen);
    // Sources held now: none while unseen, two while a new clip starts.
    int heldSources() const;

    // Shows the video at the file URL, looping, once it is ready; the old picture stays until then.
    Q_INVOKABLE void loadVideo(const QUrl& url);

signals:
    void outputChanged();
    void currentVideoURLChanged();
    void pendingVideoURLChanged();
    void seenChanged();

private:
    struct Clip
    {
        QUrl url;
        std::shared_ptr<FrameSource> source;
        quint64 shownFrame = 0;
        // Asked for by loadVideo, so logged; a clip taken up again after a resize or while unseen is not.
        bool announced = false;
    };

    void onTick();
    void acquireSources();
    void take(Clip& clip);
    void handleFailed(FrameSource* source, const QString& reason);
    void setPending(Clip clip);
    void scheduleAcquire(int delayMs);
    QSize wantedSize() const;

    FrameSourceRegistry& m_registry;
    FramePacer& m_pacer;
    QPointer<VideoPicture> m_output;
    QMetaObject::Connection m_sizeWatch;
    Clip m_current;
    Clip m_pending;
    QTimer m_acquire;
    bool m_seen = true;
};

#pragma once

#include <QImage>
#include <QQuickImageProvider>
#include <QUrl>

// The pictures of the skin library's cells, read on Qt Quick's image thread: the skin's thumbnail
// file, or else the first frame of its idle video, written back to the thumbnail file so that the
// next look finds it. Installed on each QML engine as "skinthumbnail".
class SkinThumbnailProvider : public QQuickImageProvider
{
public:
    SkinThumbnailProvider();

    static constexpr const char* providerId = "skinthumbnail";
    // Everything the image thread needs travels in the URL, so that it never reads the skin manager.
    // An empty thumbnail file: the skin has none, the frame is shown but not written.
    static QUrl url(const QString& thumbnailFile, const QString& idleVideo);
    // Blocks; any thread. A null image when neither the file nor the video gives one.
    static QImage load(const QString& thumbnailFile, const QString& idleVideo);

    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};

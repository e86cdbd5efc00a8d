#include "SkinThumbnailProvider.h"

#include "VideoProcessor.h"

#include <QFileInfo>
#include <QImageReader>

namespace {
constexpr auto base64 = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;
}

SkinThumbnailProvider::SkinThumbnailProvider()
    : QQuickImageProvider(QQuickImageProvider::Image, QQuickImageProvider::ForceAsynchronousImageLoading)
{}

QUrl SkinThumbnailProvider::url(const QString& thumbnailFile, const QString& idleVideo)
{
    // Paths may hold any character; base64url keeps them out of the URL's own syntax.
    const QByteArray file = thumbnailFile.toUtf8().toBase64(base64);
    const QByteArray video = idleVideo.toUtf8().toBase64(base64);
    return QUrl(QStringLiteral("image://%1/%2/%3")
                    .arg(QLatin1String(providerId), QString::fromLatin1(file), QString::fromLatin1(video)));
}

QImage SkinThumbnailProvider::load(const QString& thumbnailFile, const QString& idleVideo)
{
    if (!thumbnailFile.isEmpty() && QFileInfo::exists(thumbnailFile)) {
        QImage image = QImageReader(thumbnailFile).read();
        if (!image.isNull())
            return image;
    }
    QImage frame = VideoProcessor::generateThumbnailBlocking(idleVideo);
    if (!frame.isNull() && !thumbnailFile.isEmpty())
        VideoProcessor::saveThumbnail(frame, thumbnailFile);
    return frame;
}

QImage SkinThumbnailProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize)
{
    const qsizetype slash = id.indexOf(u'/');
    const auto decoded = [](QStringView part) {
        return QString::fromUtf8(QByteArray::fromBase64(part.toLatin1(), base64));
    };
    QImage image = slash < 0
                       ? QImage()
                       : load(decoded(QStringView(id).left(slash)), decoded(QStringView(id).mid(slash + 1)));
    if (!image.isNull() && requestedSize.isValid())
        image = image.scaled(requestedSize, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    if (size)
        *size = image.size();
    return image;
}

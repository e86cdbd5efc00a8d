#pragma once

#include <QString>
#include <QUrl>

// Short clips made at test time with GStreamer, so that no video is checked in.
namespace TestClips {
// A square H.264 MP4 of one videotestsrc pattern ("red", "blue", ...); empty if it could not be made.
QString make(const QString& directory, const QString& pattern, int side = 32, int frames = 15);
inline QUrl url(const QString& path)
{
    return QUrl::fromLocalFile(path);
}
} // namespace TestClips

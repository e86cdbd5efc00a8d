#pragma once

#include <QString>
#include <QUrl>

// Short looping clips made at test time with GStreamer, so that no video is checked in.
namespace TestClips {
// A square H.264 MP4 of one solid colour ("red", "green", "blue", "white", "black", or any other
// pattern name of videotestsrc). Empty when the clip could not be made.
QString make(const QString& directory, const QString& pattern, int side = 32, int frames = 15);
// An MP4 with sound and no picture.
QString makeAudioOnly(const QString& directory);
// A file with an .mp4 name that no decoder can read.
QString makeUndecodable(const QString& directory);
inline QUrl url(const QString& path)
{
    return QUrl::fromLocalFile(path);
}
} // namespace TestClips

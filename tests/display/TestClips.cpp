#include "TestClips.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace TestClips {

QString make(const QString& directory, const QString& pattern, int side, int frames)
{
    const QString path = QDir(directory).filePath(pattern + QStringLiteral(".mp4"));
    if (QFile::exists(path))
        return path;
    const QString caps =
        QStringLiteral("video/x-raw,format=I420,width=%1,height=%1,framerate=30/1").arg(side);
    QProcess gst;
    gst.start(QStringLiteral("gst-launch-1.0"),
              {QStringLiteral("-q"), QStringLiteral("videotestsrc"),
               QStringLiteral("num-buffers=%1").arg(frames), QStringLiteral("pattern=") + pattern,
               QStringLiteral("!"), QStringLiteral("videoconvert"), QStringLiteral("!"), caps,
               QStringLiteral("!"), QStringLiteral("x264enc"), QStringLiteral("!"), QStringLiteral("mp4mux"),
               QStringLiteral("!"), QStringLiteral("filesink"), QStringLiteral("location=") + path});
    if (!gst.waitForFinished(60000) || gst.exitStatus() != QProcess::NormalExit || gst.exitCode() != 0) {
        qWarning("gst-launch-1.0 failed: %s", gst.readAllStandardError().constData());
        return {};
    }
    return path;
}

QString makeAudioOnly(const QString& directory)
{
    const QString path = QDir(directory).filePath(QStringLiteral("audio.mp4"));
    QProcess gst;
    gst.start(QStringLiteral("gst-launch-1.0"),
              {QStringLiteral("-q"), QStringLiteral("audiotestsrc"), QStringLiteral("num-buffers=20"),
               QStringLiteral("!"), QStringLiteral("audioconvert"), QStringLiteral("!"),
               QStringLiteral("avenc_aac"), QStringLiteral("!"), QStringLiteral("mp4mux"),
               QStringLiteral("!"), QStringLiteral("filesink"), QStringLiteral("location=") + path});
    if (!gst.waitForFinished(60000) || gst.exitStatus() != QProcess::NormalExit || gst.exitCode() != 0)
        return {};
    return path;
}

QString makeUndecodable(const QString& directory)
{
    const QString path = QDir(directory).filePath(QStringLiteral("broken.mp4"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(QByteArray("This is not a video, whatever its name says.\n").repeated(64));
    return path;
}

} // namespace TestClips

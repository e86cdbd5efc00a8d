#include "TestClips.h"

#include <QDir>
#include <QProcess>

QString TestClips::make(const QString& directory, const QString& pattern, int side, int frames)
{
    const QString path = QDir(directory).filePath(pattern + QStringLiteral(".mp4"));
    const QString pipeline = QStringLiteral("-q videotestsrc num-buffers=%1 pattern=%2 ! videoconvert ! "
                                            "video/x-raw,format=I420,width=%3,height=%3,framerate=30/1 ! "
                                            "x264enc ! mp4mux ! filesink")
                                 .arg(frames)
                                 .arg(pattern)
                                 .arg(side);
    QProcess gst;
    gst.start(QStringLiteral("gst-launch-1.0"), pipeline.split(u' ') << QStringLiteral("location=") + path);
    if (gst.waitForFinished(60000) && gst.exitStatus() == QProcess::NormalExit && gst.exitCode() == 0)
        return path;
    qWarning("gst-launch-1.0 failed: %s", gst.readAllStandardError().constData());
    return {};
}

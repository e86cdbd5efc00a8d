#pragma once

#include <QImage>
#include <QString>

// Makes small test clips with GStreamer and describes files through GStreamer's discoverer, which
// the code under test does not use.
namespace TestMedia {
// Runs "<description> ! filesink location=<path>" to its end; false on any error. A description that
// names "{out}" gets the filesink there instead.
bool makeClip(const QString& path, const QString& description);

// Rewrites the first track's display matrix to a quarter turn clockwise, as phones record portrait.
bool setQuarterTurn(const QString& path);

struct Summary
{
    bool ok = false;
    QString container;  // e.g. "video/quicktime"
    QString videoCodec; // caps name of the first video stream
    int width = 0;
    int height = 0;
    double frameRate = 0;
    int videoStreams = 0;
    int audioStreams = 0;
    double durationSeconds = 0;
};
Summary describe(const QString& path);

// One decoded frame as RGB, or a null image.
QImage frameAt(const QString& path, double seconds);
} // namespace TestMedia

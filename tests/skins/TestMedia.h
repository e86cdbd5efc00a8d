#pragma once

#include <QString>

// Makes small test clips with GStreamer and describes files through GStreamer's discoverer, which
// the code under test does not use.
namespace TestMedia {
// Runs "<description> ! filesink location=<path>" to its end; false on any error.
bool makeClip(const QString& path, const QString& description);

// Rewrites the first track's display matrix to a quarter turn clockwise, as phones record portrait.
bool setQuarterTurn(const QString& path);

struct Summary
{
    bool ok = false;
    int width = 0;
    int height = 0;
    double frameRate = 0;
    int audioStreams = 0;
};
Summary describe(const QString& path);
} // namespace TestMedia

#pragma once

#include <QString>

// Makes small test clips with GStreamer, outside the code under test.
namespace TestMedia {
// Runs "<description> ! filesink location=<path>" to its end; false on any error.
bool makeClip(const QString& path, const QString& description);

// Rewrites the first track's display matrix to a quarter turn clockwise, as phones record portrait.
bool setQuarterTurn(const QString& path);
} // namespace TestMedia

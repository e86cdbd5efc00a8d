#pragma once

#include <QSize>
#include <QString>

// A skin's clip may come with a smaller copy beside it ("working@240.mp4" beside "working.mp4"): a cat
// drawn no larger than that decodes the small copy, which costs about half the CPU and memory of the
// full clip. The full clip stays the skin's clip in every other respect.
class SkinRendition
{
public:
    static constexpr int smallSide = 240;

    static QString smallPath(const QString& clip);
    // Whether a picture of `shown` device pixels is served as well by the small copy (never upscaled).
    static bool smallSuffices(QSize shown);
    // The file to decode for a picture of `shown` device pixels: the small copy when it suffices and
    // exists, else the clip itself.
    static QString pathFor(const QString& clip, QSize shown);
};

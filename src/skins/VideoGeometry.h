#pragma once

#include <QRect>
#include <QSize>
#include <gst/video/video.h>
#include <optional>

// The frame arithmetic of the video processor, apart from any pipeline: which way up a file is shown,
// how far a large one is scaled down and which square of it is kept. Sides come out even because
// 4:2:0 video cannot have odd ones.
namespace VideoGeometry {
// Largest frame of a compressed file (either orientation) and largest side of a cropped one.
inline constexpr int maximumLongSide = 1920;
inline constexpr int maximumShortSide = 1080;
// Stored frames whose sides differ by less than this count as square.
inline constexpr int squareTolerance = 10;

// The frame once the file's orientation tag has been applied.
QSize uprightSize(QSize stored, GstVideoOrientationMethod orientation);

// Decided on the stored size: a quarter turn does not make a square any less square.
bool isSquare(QSize stored);

// Fits the upright frame inside 1920x1080 in its own orientation, never enlarging.
QSize compressedSize(QSize upright);

struct SquareCrop
{
    // The centre square of the upright frame; odd margins put the extra pixel on the right or bottom.
    QRect kept;
    // The side the square is scaled to.
    int outputSide = 0;
};
// Nothing when the frame is too small to hold a square of even sides.
std::optional<SquareCrop> squareCrop(QSize upright);
} // namespace VideoGeometry

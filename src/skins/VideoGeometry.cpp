#include "VideoGeometry.h"

#include <algorithm>
#include <cstdlib>

namespace {
int evenDown(int value)
{
    return value & ~1;
}
} // namespace

namespace VideoGeometry {
QSize uprightSize(QSize stored, GstVideoOrientationMethod orientation)
{
    switch (orientation) {
    case GST_VIDEO_ORIENTATION_90R:
    case GST_VIDEO_ORIENTATION_90L:
    case GST_VIDEO_ORIENTATION_UL_LR:
    case GST_VIDEO_ORIENTATION_UR_LL:
        return stored.transposed();
    default:
        return stored;
    }
}

bool isSquare(QSize stored)
{
    return std::abs(stored.width() - stored.height()) < squareTolerance;
}

QSize compressedSize(QSize upright)
{
    const int width = upright.width();
    const int height = upright.height();
    const bool portrait = height > width;
    const double scale = std::min({1.0, double(portrait ? maximumShortSide : maximumLongSide) / width,
                                   double(portrait ? maximumLongSide : maximumShortSide) / height});
    return {std::max(2, evenDown(int(width * scale))), std::max(2, evenDown(int(height * scale)))};
}

std::optional<SquareCrop> squareCrop(QSize upright)
{
    const int cropSide = evenDown(std::min(upright.width(), upright.height()));
    const int side = std::min(cropSide, maximumShortSide);
    if (side < 2)
        return std::nullopt;
    const QRect kept((upright.width() - cropSide) / 2, (upright.height() - cropSide) / 2, cropSide, cropSide);
    return SquareCrop{kept, side};
}
} // namespace VideoGeometry

#pragma once

#include <QImage>
#include <QSize>

class QVideoFrame;

// Turns a video frame into the picture of a cat: scaled to fill `size` (cropped, never letterboxed),
// with the corners outside a rounded rectangle of `radius` made transparent. The result is
// premultiplied ARGB, ready to be a texture; it is null for an invalid frame or an empty size.
// Planar and semi-planar 4:2:0 frames, which the decoders of our clips give, are converted here in
// one pass at the size shown; other formats, and frames to be shown turned or mirrored, go through
// QVideoFrame::toImage().
class FramePicture
{
public:
    static QImage make(const QVideoFrame& frame, QSize size, qreal radius);

private:
    static void clipCorners(QImage& image, qreal radius);
};

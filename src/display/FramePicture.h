#pragma once

#include <QImage>
#include <QSize>

// Turns a video frame into the picture of a cat: at `size` (a frame of another size is scaled to fill
// it, cropped, never letterboxed), with the corners outside a rounded rectangle of `radius` made
// transparent. The result is premultiplied ARGB, ready to be a texture, and never shares the frame's
// pixels; it is null for a null frame or an empty size.
class FramePicture
{
public:
    static QImage make(const QImage& frame, QSize size, qreal radius);

private:
    static void clipCorners(QImage& image, qreal radius);
};

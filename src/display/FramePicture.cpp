#include "FramePicture.h"

#include <QPainter>
#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <algorithm>
#include <cmath>

namespace {
// One plane of samples: `step` bytes between neighbours in a row (2 for interleaved chroma).
struct Plane
{
    const uchar* bits = nullptr;
    int stride = 0;
    int step = 1;
    int width = 0;
    int height = 0;
};

// Where each output column or row reads in a plane: one source sample, two to blend, or a run to
// average when the picture is made much smaller than the video.
struct Tap
{
    int first = 0;
    int count = 1;  // samples averaged, for shrinking
    int next = 0;   // the second sample when blending
    int weight = 0; // of `next`, out of 256
};

std::vector<Tap> taps(int outputs, int samples, double origin, double perOutput)
{
    std::vector<Tap> result(size_t(std::max(outputs, 0)));
    for (int i = 0; i < outputs; ++i) {
        Tap& tap = result[size_t(i)];
        if (perOutput > 1.5) {
            const int from = std::clamp(int(std::lround(origin + i * perOutput)), 0, samples - 1);
            const int to = std::clamp(int(std::lround(origin + (i + 1) * perOutput)), from + 1, samples);
            tap = {from, to - from, from, 0};
        } else {
            const double centre = std::clamp(origin + (i + 0.5) * perOutput - 0.5, 0.0, double(samples - 1));
            const int from = int(centre);
            tap = {from, 1, std::min(from + 1, samples - 1), int((centre - from) * 256)};
        }
    }
    return result;
}

int sample(const Plane& plane, const Tap& x, const Tap& y)
{
    if (x.count > 1 || y.count > 1) {
        int sum = 0;
        for (int row = y.first; row < y.first + y.count; ++row) {
            const uchar* line = plane.bits + row * plane.stride;
            for (int column = x.first; column < x.first + x.count; ++column)
                sum += line[column * plane.step];
        }
        return sum / (x.count * y.count);
    }
    const uchar* top = plane.bits + y.first * plane.stride;
    const uchar* bottom = plane.bits + y.next * plane.stride;
    const int a = top[x.first * plane.step], b = top[x.next * plane.step];
    const int c = bottom[x.first * plane.step], d = bottom[x.next * plane.step];
    const int upper = a * 256 + (b - a) * x.weight;
    const int lower = c * 256 + (d - c) * x.weight;
    return (upper * 256 + (lower - upper) * y.weight + (1 << 15)) >> 16;
}

// Y'CbCr to RGB, in 1/1024 steps: luma scale and offset, then the chroma terms.
struct Matrix
{
    int luma, lumaOffset, rv, gu, gv, bu;
};

Matrix matrixFor(const QVideoFrameFormat& format)
{
    const bool full = format.colorRange() == QVideoFrameFormat::ColorRange_Full;
    if (format.colorSpace() == QVideoFrameFormat::ColorSpace_BT709)
        return full ? Matrix{1024, 0, 1613, -192, -479, 1900} : Matrix{1192, 16, 1836, -218, -546, 2163};
    // BT.601, which untagged clips of our sizes use.
    return full ? Matrix{1024, 0, 1436, -352, -731, 1815} : Matrix{1192, 16, 1634, -401, -833, 2066};
}

bool planesOf(const QVideoFrame& frame, Plane& luma, Plane& blue, Plane& red)
{
    const int width = frame.width(), height = frame.height();
    const int chromaWidth = (width + 1) / 2, chromaHeight = (height + 1) / 2;
    luma = {frame.bits(0), frame.bytesPerLine(0), 1, width, height};
    switch (frame.pixelFormat()) {
    case QVideoFrameFormat::Format_YUV420P:
        blue = {frame.bits(1), frame.bytesPerLine(1), 1, chromaWidth, chromaHeight};
        red = {frame.bits(2), frame.bytesPerLine(2), 1, chromaWidth, chromaHeight};
        return true;
    case QVideoFrameFormat::Format_YV12:
        red = {frame.bits(1), frame.bytesPerLine(1), 1, chromaWidth, chromaHeight};
        blue = {frame.bits(2), frame.bytesPerLine(2), 1, chromaWidth, chromaHeight};
        return true;
    case QVideoFrameFormat::Format_NV12:
        blue = {frame.bits(1), frame.bytesPerLine(1), 2, chromaWidth, chromaHeight};
        red = {frame.bits(1) + 1, frame.bytesPerLine(1), 2, chromaWidth, chromaHeight};
        return true;
    case QVideoFrameFormat::Format_NV21:
        red = {frame.bits(1), frame.bytesPerLine(1), 2, chromaWidth, chromaHeight};
        blue = {frame.bits(1) + 1, frame.bytesPerLine(1), 2, chromaWidth, chromaHeight};
        return true;
    default:
        return false;
    }
}

void convert(const QVideoFrame& frame, const Plane& luma, const Plane& blue, const Plane& red, QImage& out)
{
    const int width = out.width(), height = out.height();
    // Fill: the scale that covers the whole output, the video centred under it.
    const double perOutput = std::min(double(luma.width) / width, double(luma.height) / height);
    const double left = (luma.width - width * perOutput) / 2, top = (luma.height - height * perOutput) / 2;
    const auto lumaColumns = taps(width, luma.width, left, perOutput);
    const auto lumaRows = taps(height, luma.height, top, perOutput);
    const double chromaScale = double(blue.width) / luma.width;
    const auto chromaColumns = taps(width, blue.width, left * chromaScale, perOutput * chromaScale);
    const auto chromaRows = taps(height, blue.height, top * chromaScale, perOutput * chromaScale);
    const Matrix m = matrixFor(frame.surfaceFormat());
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int l = (sample(luma, lumaColumns[size_t(x)], lumaRows[size_t(y)]) - m.lumaOffset) * m.luma;
            const int u = sample(blue, chromaColumns[size_t(x)], chromaRows[size_t(y)]) - 128;
            const int v = sample(red, chromaColumns[size_t(x)], chromaRows[size_t(y)]) - 128;
            const int r = (l + m.rv * v + 512) >> 10;
            const int g = (l + m.gu * u + m.gv * v + 512) >> 10;
            const int b = (l + m.bu * u + 512) >> 10;
            line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
}
} // namespace

QImage FramePicture::make(const QVideoFrame& source, QSize size, qreal radius)
{
    if (!source.isValid() || size.isEmpty() || source.width() <= 0 || source.height() <= 0)
        return {};
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    QVideoFrame frame(source);
    Plane luma, blue, red;
    if (frame.map(QVideoFrame::ReadOnly)) {
        // toImage() turns and mirrors the picture as the frame says; the fast path does not.
        const bool upright = frame.rotationAngle() == QVideoFrame::Rotation0 && !frame.mirrored();
        const bool planar = upright && planesOf(frame, luma, blue, red);
        if (planar)
            convert(frame, luma, blue, red, out);
        frame.unmap();
        if (!planar) {
            const QImage image = frame.toImage();
            if (image.isNull())
                return {};
            out.fill(Qt::transparent);
            QPainter painter(&out);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            const QSize filled = image.size().scaled(size, Qt::KeepAspectRatioByExpanding);
            painter.drawImage(
                QRect(QPoint((size.width() - filled.width()) / 2, (size.height() - filled.height()) / 2),
                      filled),
                image);
        }
    } else {
        return {};
    }
    clipCorners(out, radius);
    return out;
}

void FramePicture::clipCorners(QImage& image, qreal radius)
{
    const int width = image.width(), height = image.height();
    radius = std::min({radius, width / 2.0, height / 2.0});
    if (radius <= 0)
        return;
    const int reach = int(std::ceil(radius));
    for (int y = 0; y < reach; ++y) {
        const double dy = radius - (y + 0.5);
        for (int x = 0; x < reach; ++x) {
            const double dx = radius - (x + 0.5);
            // Coverage of the pixel by the quarter circle, with a one-pixel soft edge.
            const double coverage = std::clamp(radius - std::hypot(dx, dy) + 0.5, 0.0, 1.0);
            if (coverage >= 1)
                continue;
            const int alpha = int(coverage * 255 + 0.5);
            for (const auto& [cx, cy] : {std::pair{x, y},
                                         {width - 1 - x, y},
                                         {x, height - 1 - y},
                                         {width - 1 - x, height - 1 - y}}) {
                auto* pixel = reinterpret_cast<QRgb*>(image.scanLine(cy)) + cx;
                const QRgb c = *pixel;
                *pixel = qRgba(qRed(c) * alpha / 255, qGreen(c) * alpha / 255, qBlue(c) * alpha / 255,
                               qAlpha(c) * alpha / 255);
            }
        }
    }
}

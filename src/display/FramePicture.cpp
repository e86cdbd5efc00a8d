#include "FramePicture.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

QImage FramePicture::make(const QImage& frame, QSize size, qreal radius)
{
    if (frame.isNull() || size.isEmpty())
        return {};
    QImage out;
    if (frame.size() == size) {
        // A frame over a decoder's buffer is read only: cutting the corners detaches the copy.
        out = frame.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    } else {
        out = QImage(size, QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::transparent);
        QPainter painter(&out);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QSize filled = frame.size().scaled(size, Qt::KeepAspectRatioByExpanding);
        painter.drawImage(
            QRect(QPoint((size.width() - filled.width()) / 2, (size.height() - filled.height()) / 2), filled),
            frame);
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

#include "FloatingPanelAnchor.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// Edges as QRect::x() + width(): the first pixel past the panel, so that corners round-trip exactly.
int rightEdge(const QRect& rect)
{
    return rect.x() + rect.width();
}
int bottomEdge(const QRect& rect)
{
    return rect.y() + rect.height();
}
} // namespace

FloatingPanelAnchor FloatingPanelAnchor::of(const QRect& frame, const QRect& available)
{
    // Compared doubled to stay in integers: centres of even and odd sizes alike.
    const bool right = frame.x() * 2 + frame.width() > available.x() * 2 + available.width();
    const bool bottom = frame.y() * 2 + frame.height() > available.y() * 2 + available.height();
    return {{right ? rightEdge(frame) : frame.x(), bottom ? bottomEdge(frame) : frame.y()}, right, bottom};
}

FloatingPanelAnchor FloatingPanelAnchor::at(const QPoint& point, const QRect& available)
{
    return {point, point.x() * 2 > available.x() * 2 + available.width(),
            point.y() * 2 > available.y() * 2 + available.height()};
}

QRect FloatingPanelAnchor::screenFor(const QPoint& point, const QList<QRect>& availableAreas)
{
    QRect nearest;
    double best = std::numeric_limits<double>::max();
    for (const QRect& area : availableAreas) {
        const int dx = std::max({area.x() - point.x(), 0, point.x() - rightEdge(area)});
        const int dy = std::max({area.y() - point.y(), 0, point.y() - bottomEdge(area)});
        const double distance = std::hypot(double(dx), double(dy));
        if (distance < best) {
            best = distance;
            nearest = area;
        }
    }
    return nearest;
}

QSize FloatingPanelAnchor::maximumSize(const QRect& available)
{
    return {std::max(1, int(available.width() * maxScreenShare)),
            std::max(1, int(available.height() * maxScreenShare))};
}

QRect FloatingPanelAnchor::frameFor(const QSize& size, const QRect& available) const
{
    const QSize bounded = size.boundedTo(available.size());
    QRect frame(QPoint(right ? point.x() - bounded.width() : point.x(),
                       bottom ? point.y() - bounded.height() : point.y()),
                bounded);
    frame.moveLeft(std::clamp(frame.x(), available.x(), rightEdge(available) - bounded.width()));
    frame.moveTop(std::clamp(frame.y(), available.y(), bottomEdge(available) - bounded.height()));
    return frame;
}

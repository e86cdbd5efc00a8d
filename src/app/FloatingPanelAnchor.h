#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// The corner of the panel that stays put when the panel changes size: the one nearest to the screen's
// corner on the side where the user put it, so that the panel grows away from that corner.
struct FloatingPanelAnchor
{
    // Share of each dimension of the screen's free area that the panel may take.
    static constexpr double maxScreenShare = 0.6;

    QPoint point; // where that corner of the panel is
    bool right = true;
    bool bottom = false;

    // The anchor of a panel the user left at frame: its corner on the side of the area's centre
    // where the panel's centre is.
    static FloatingPanelAnchor of(const QRect& frame, const QRect& available);
    // The anchor saved as a point alone (its corner follows from the side of the centre it is on).
    static FloatingPanelAnchor at(const QPoint& point, const QRect& available);
    // The free area of the screen that holds point, else of the nearest one (a screen was unplugged).
    static QRect screenFor(const QPoint& point, const QList<QRect>& availableAreas);
    // The largest size the cats of many sessions take on that area: beyond it they get smaller or scroll.
    static QSize maximumSize(const QRect& available);

    // A panel of size with its anchored corner at point, bounded and moved onto the area.
    QRect frameFor(const QSize& size, const QRect& available) const;

    bool operator==(const FloatingPanelAnchor&) const = default;
};

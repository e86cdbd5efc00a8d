#pragma once

#include <QList>
#include <QRectF>
#include <QRegion>
#include <QSize>
#include <optional>

class QQuickItem;

// The part of the panel that is drawn and takes the pointer: the cats, the session rows and the
// controls shown. Clicks on the clear rest reach the window below. Items take part by declaring
// `property bool inputShapePart: true`; an item declaring `inputShapeJoined` true while the pointer
// is over the panel joins all parts into one block, so that the pointer can cross the gaps between
// them to the control bar.
class PanelInputShape
{
public:
    struct Parts
    {
        QList<QRectF> rects;
        bool joined = false;
        bool operator==(const Parts&) const = default;
    };

    // Reach around each part, so that the gaps between neighbouring cats take the pointer too.
    static constexpr double reach = 4;

    // The visible parts under root, in scene coordinates, cut by the views that clip them.
    static Parts collect(QQuickItem* root);
    // The window's rounded rectangle, reduced to the parts when there are any.
    static QRegion shape(QSize window, int cornerRadius, const Parts& parts);
};

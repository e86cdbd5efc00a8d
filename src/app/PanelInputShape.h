#pragma once

#include <QList>
#include <QRectF>
#include <QRegion>
#include <QSize>

class QQuickItem;

// The part of the panel that is drawn and takes the pointer: the cats' pictures and titles, the session
// rows and the controls shown. Clicks on the clear rest reach the window below, and without a
// compositor nothing around the cats shows black. Items take part by declaring
// `property bool inputShapePart: true`, rounded by `inputShapeRadius`; an item declaring
// `inputShapeJoined` true while the pointer is over the panel joins all parts into one block, so that
// the pointer can cross the gaps between them to the control bar.
class PanelInputShape
{
public:
    struct Part
    {
        QRectF rect;
        double radius = 0;
        bool operator==(const Part&) const = default;
    };
    struct Parts
    {
        QList<Part> parts;
        bool joined = false;
        bool operator==(const Parts&) const = default;
    };

    // How far the joined block reaches around the parts.
    static constexpr double reach = 4;

    // The visible parts under root, in scene coordinates, cut by the views that clip them.
    static Parts collect(QQuickItem* root);
    // The window's rounded rectangle, reduced to the parts when there are any.
    static QRegion shape(QSize window, int cornerRadius, const Parts& parts);
};

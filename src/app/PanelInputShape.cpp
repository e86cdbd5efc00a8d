#include "PanelInputShape.h"

#include <QPainterPath>
#include <QQuickItem>

namespace {
QRegion rounded(const QRectF& rect, double radius)
{
    if (radius <= 0)
        return rect.toAlignedRect();
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return QRegion(path.toFillPolygon().toPolygon());
}

bool declares(const QQuickItem* item, const char* name)
{
    return item->property(name).toBool();
}

void collectUnder(QQuickItem* item, const QRectF& clip, PanelInputShape::Parts& parts)
{
    if (!item->isVisible() || item->opacity() <= 0)
        return;
    const QRectF bounds = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
    if (declares(item, "inputShapeJoined"))
        parts.joined = true;
    if (declares(item, "inputShapePart")) {
        const QRectF shown = bounds.intersected(clip);
        // A part cut by a scrolled view keeps its corners square at the cut.
        if (!shown.isEmpty())
            parts.parts.append({shown, shown == bounds ? item->property("inputShapeRadius").toDouble() : 0});
        return;
    }
    const QRectF inner = item->clip() ? clip.intersected(bounds) : clip;
    for (QQuickItem* child : item->childItems())
        collectUnder(child, inner, parts);
}
} // namespace

PanelInputShape::Parts PanelInputShape::collect(QQuickItem* root)
{
    Parts parts;
    if (root)
        collectUnder(root, QRectF(-1e6, -1e6, 2e6, 2e6), parts);
    return parts;
}

QRegion PanelInputShape::shape(QSize window, int cornerRadius, const Parts& parts)
{
    const QRegion whole = rounded(QRectF(QPointF(0, 0), QSizeF(window)), cornerRadius);
    if (parts.parts.isEmpty())
        return whole;
    QRegion drawn;
    QRectF block;
    for (const Part& part : parts.parts) {
        drawn += rounded(part.rect, part.radius);
        block = block.united(part.rect);
    }
    if (parts.joined)
        drawn += block.adjusted(-reach, -reach, reach, reach).toAlignedRect();
    return drawn.intersected(whole);
}

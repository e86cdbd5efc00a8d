#include "PanelInputShape.h"

#include <QPainterPath>
#include <QQuickItem>

namespace {
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
        if (!shown.isEmpty())
            parts.rects.append(shown);
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
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(window)), cornerRadius, cornerRadius);
    const QRegion whole(rounded.toFillPolygon().toPolygon());
    if (parts.rects.isEmpty())
        return whole;
    QRegion drawn;
    QRectF block;
    for (const QRectF& rect : parts.rects) {
        const QRectF reached = rect.adjusted(-reach, -reach, reach, reach);
        drawn += reached.toAlignedRect();
        block = block.united(reached);
    }
    if (parts.joined)
        drawn += block.toAlignedRect();
    return drawn.intersected(whole);
}

#include "VideoPicture.h"

#include "FramePicture.h"

#include <QQuickWindow>
#include <QSGSimpleTextureNode>
#include <QVideoSink>

namespace {
class PictureNode : public QSGSimpleTextureNode
{
public:
    ~PictureNode() override { delete texture(); }

    void replaceTexture(QSGTexture* texture)
    {
        QSGTexture* old = this->texture();
        setTexture(texture);
        delete old;
    }
};
} // namespace

VideoPicture::VideoPicture(QQuickItem* parent) : QQuickItem(parent), m_sink(new QVideoSink(this))
{
    setFlag(ItemHasContents);
    connect(m_sink, &QVideoSink::videoFrameChanged, this, &VideoPicture::setFrame);
}

void VideoPicture::setRadius(qreal radius)
{
    if (qFuzzyCompare(radius, m_radius))
        return;
    m_radius = radius;
    changed();
    emit radiusChanged();
}

void VideoPicture::setFrame(const QVideoFrame& frame)
{
    m_frame = frame;
    changed();
}

void VideoPicture::changed()
{
    m_dirty = true;
    // A hidden picture (the staging player's) is converted only once it is shown.
    if (isVisible())
        update();
}

void VideoPicture::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        changed();
}

void VideoPicture::itemChange(ItemChange change, const ItemChangeData& value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemVisibleHasChanged && value.boolValue && m_dirty)
        update();
}

QSGNode* VideoPicture::updatePaintNode(QSGNode* old, UpdatePaintNodeData*)
{
    auto* node = static_cast<PictureNode*>(old);
    if (!m_dirty && node) {
        node->setRect(boundingRect());
        return node;
    }
    m_dirty = false;
    const qreal ratio = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    const QSize pixels = (size() * ratio).toSize();
    const QImage image = FramePicture::make(m_frame, pixels, m_radius * ratio);
    if (image.isNull()) {
        delete node;
        return nullptr;
    }
    QSGTexture* texture = window()->createTextureFromImage(image, QQuickWindow::TextureHasAlphaChannel);
    if (!node) {
        node = new PictureNode;
        node->setOwnsTexture(false);
        node->setFiltering(QSGTexture::Linear);
        node->setTexture(texture);
    } else {
        node->replaceTexture(texture);
    }
    node->setRect(boundingRect());
    return node;
}

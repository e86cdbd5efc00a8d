#include "VideoPicture.h"

#include "FramePicture.h"

#include <QCoreApplication>
#include <QImageReader>
#include <QPointer>
#include <QQuickWindow>
#include <QSGSimpleTextureNode>
#include <QThreadPool>

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

VideoPicture::VideoPicture(QQuickItem* parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents);
}

void VideoPicture::setRadius(qreal radius)
{
    if (qFuzzyCompare(radius, m_radius))
        return;
    m_radius = radius;
    changed();
    emit radiusChanged();
}

void VideoPicture::setPicture(const QImage& picture)
{
    const bool had = hasPicture();
    m_picture = picture;
    changed();
    if (had != hasPicture())
        emit hasPictureChanged();
}

void VideoPicture::setPlaceholder(const QUrl& placeholder)
{
    if (placeholder == m_placeholder)
        return;
    m_placeholder = placeholder;
    emit placeholderChanged();
    const QString path = placeholder.toLocalFile();
    if (path.isEmpty()) {
        setPlaceholderImage({});
        return;
    }
    QThreadPool::globalInstance()->start([self = QPointer(this), placeholder, path] {
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QImage image = reader.read();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, placeholder, image] {
                if (self && self->m_placeholder == placeholder)
                    self->setPlaceholderImage(image);
            },
            Qt::QueuedConnection);
    });
}

void VideoPicture::setPlaceholderImage(const QImage& image)
{
    const bool had = hasPlaceholder();
    m_placeholderImage = image;
    if (!hasPicture())
        changed();
    if (had != hasPlaceholder())
        emit hasPlaceholderChanged();
}

void VideoPicture::changed()
{
    m_dirty = true;
    if (isVisible())
        update();
}

void VideoPicture::updatePixelSize()
{
    const qreal ratio = window() ? window()->effectiveDevicePixelRatio() : 0.0;
    const QSize pixels = (size() * ratio).toSize();
    if (pixels == m_pixelSize)
        return;
    m_pixelSize = pixels;
    emit pixelSizeChanged();
}

void VideoPicture::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size()) {
        changed();
        updatePixelSize();
    }
}

void VideoPicture::itemChange(ItemChange change, const ItemChangeData& value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemSceneChange || change == ItemDevicePixelRatioHasChanged)
        updatePixelSize();
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
    const qreal ratio = window()->effectiveDevicePixelRatio();
    const QImage image = FramePicture::make(hasPicture() ? m_picture : m_placeholderImage,
                                            (size() * ratio).toSize(), m_radius * ratio);
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

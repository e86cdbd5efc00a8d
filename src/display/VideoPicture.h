#pragma once

#include <QImage>
#include <QQuickItem>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

// Shows the frames handed to it, filling the item and cropped, with rounded corners, as a plain
// texture: that draws the same under every scene graph backend (the software one included) and rounds
// the corners without a layer and its second pass per frame. Frames come at pixelSize(), the size the
// item covers on screen; one of another size (while a source of the new size starts) is scaled.
class VideoPicture : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY radiusChanged)
    Q_PROPERTY(bool hasPicture READ hasPicture NOTIFY hasPictureChanged)
    // An image file shown until the first frame, read off the GUI thread.
    Q_PROPERTY(QUrl placeholder READ placeholder WRITE setPlaceholder NOTIFY placeholderChanged)
    Q_PROPERTY(bool hasPlaceholder READ hasPlaceholder NOTIFY hasPlaceholderChanged)

public:
    explicit VideoPicture(QQuickItem* parent = nullptr);

    qreal radius() const { return m_radius; }
    void setRadius(qreal radius);
    bool hasPicture() const { return !m_picture.isNull(); }
    // The size in device pixels that frames should have; empty while the item has no window or size.
    QSize pixelSize() const { return m_pixelSize; }
    void setPicture(const QImage& picture);
    QUrl placeholder() const { return m_placeholder; }
    void setPlaceholder(const QUrl& placeholder);
    bool hasPlaceholder() const { return !m_placeholderImage.isNull(); }

signals:
    void radiusChanged();
    void hasPictureChanged();
    void pixelSizeChanged();
    void placeholderChanged();
    void hasPlaceholderChanged();

protected:
    QSGNode* updatePaintNode(QSGNode* old, UpdatePaintNodeData* data) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;
    void itemChange(ItemChange change, const ItemChangeData& value) override;

private:
    void changed();
    void updatePixelSize();
    void setPlaceholderImage(const QImage& image);

    QImage m_picture;
    QUrl m_placeholder;
    QImage m_placeholderImage;
    QSize m_pixelSize;
    qreal m_radius = 0;
    bool m_dirty = true;
};

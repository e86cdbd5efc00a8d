#pragma once

#include <QQuickItem>
#include <QVideoFrame>
#include <QVideoSink>
#include <QtQml/qqmlregistration.h>

// Shows the frames handed to its video sink, filling the item and cropped, with rounded corners.
// Each frame is converted once, at the size shown, into a plain texture: that costs far less than
// Qt's video node at a cat's size, draws the same under every scene graph backend (the software one
// included), and rounds the corners without a layer and its second pass per frame.
class VideoPicture : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QVideoSink* videoSink READ videoSink CONSTANT)
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY radiusChanged)

public:
    explicit VideoPicture(QQuickItem* parent = nullptr);

    QVideoSink* videoSink() const { return m_sink; }
    qreal radius() const { return m_radius; }
    void setRadius(qreal radius);

signals:
    void radiusChanged();

protected:
    QSGNode* updatePaintNode(QSGNode* old, UpdatePaintNodeData* data) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;
    void itemChange(ItemChange change, const ItemChangeData& value) override;

private:
    void setFrame(const QVideoFrame& frame);
    void changed();

    QVideoSink* m_sink;
    QVideoFrame m_frame;
    qreal m_radius = 0;
    bool m_dirty = true;
};

#include "StatusBarIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace {
// The head on a 24-unit grid, the same outline as the cat.fill icon.
QPainterPath headPath()
{
    QPainterPath path;
    path.moveTo(4.5, 10.5);
    path.lineTo(4, 3.5);
    path.lineTo(9, 7.2);
    path.quadTo(12, 6.4, 15, 7.2);
    path.lineTo(20, 3.5);
    path.lineTo(19.5, 10.5);
    path.quadTo(21, 13, 20, 16);
    path.quadTo(18, 21, 12, 21);
    path.quadTo(6, 21, 4, 16);
    path.quadTo(3, 13, 4.5, 10.5);
    path.closeSubpath();
    return path;
}

QPainterPath facePath()
{
    QPainterPath path;
    path.addEllipse(QPointF(9, 13.2), 1.3, 1.5);
    path.addEllipse(QPointF(15, 13.2), 1.3, 1.5);
    path.moveTo(10.8, 16.2);
    path.lineTo(13.2, 16.2);
    path.lineTo(12, 17.6);
    path.closeSubpath();
    return path;
}
} // namespace

namespace StatusBarIcon {

QColor dotColor(InstallationStatus status)
{
    switch (status) {
    case InstallationStatus::notInstalled:
    case InstallationStatus::error:
        return QColor(0xFF, 0x3B, 0x30);
    case InstallationStatus::partiallyInstalled:
        return QColor(0xFF, 0xCC, 0x00);
    case InstallationStatus::installing:
        return QColor(0x00, 0x7A, 0xFF);
    case InstallationStatus::installed:
        return QColor(0x34, 0xC7, 0x59);
    }
    return Qt::gray;
}

QRectF dotRect(int side)
{
    // Large enough to tell the colour at 16 px, small enough to leave the face readable.
    const qreal diameter = std::round(side * 0.4);
    return {side - diameter - 0.5, side - diameter - 0.5, diameter, diameter};
}

QImage render(int side, InstallationStatus status)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const qreal outline = std::max(1.5, side / 10.0);
    // The head spans 3..21 of its grid; keep the outline inside the image.
    const qreal scale = (side - outline) / 18.5;
    painter.save();
    painter.translate(outline / 2 - 2.75 * scale, outline / 2 - 3.25 * scale);
    painter.scale(scale, scale);
    painter.setPen(
        QPen(QColor(0x1E, 0x1E, 0x1E), outline / scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(0xF4, 0xF4, 0xF4));
    painter.drawPath(headPath());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1E, 0x1E, 0x1E));
    painter.drawPath(facePath());
    painter.restore();

    painter.setPen(QPen(Qt::white, std::max(1.0, side / 24.0)));
    painter.setBrush(dotColor(status));
    painter.drawEllipse(dotRect(side));
    return image;
}

QIcon icon(InstallationStatus status)
{
    QIcon result;
    for (int side : sizes)
        result.addPixmap(QPixmap::fromImage(render(side, status)));
    return result;
}

} // namespace StatusBarIcon

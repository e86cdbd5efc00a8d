#include "IconProvider.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

IconProvider::IconProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}

QUrl IconProvider::url(const QString& symbol, const QColor& color)
{
    return QUrl(QStringLiteral("image://%1/%2/%3")
                    .arg(QLatin1String(providerId), symbol, color.name(QColor::HexArgb).mid(1)));
}

QByteArray IconProvider::svg(const QString& symbol)
{
    QFile file(QStringLiteral(":/tabbywatch/icons/") + symbol + QStringLiteral(".svg"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QImage IconProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize)
{
    const qsizetype slash = id.lastIndexOf(u'/');
    const QString symbol = id.left(slash);
    const QColor color = QColor(u'#' + id.mid(slash + 1));
    QByteArray source = svg(symbol);
    if (source.isEmpty()) {
        qWarning("No icon for %s", qPrintable(symbol));
        return {};
    }
    source.replace("currentColor", color.name(QColor::HexRgb).toLatin1());
    QSvgRenderer renderer(source);
    const QSize imageSize =
        requestedSize.isValid() && !requestedSize.isEmpty() ? requestedSize : renderer.defaultSize();
    QImage image(imageSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setOpacity(color.alphaF());
    renderer.render(&painter);
    painter.end();
    if (size)
        *size = imageSize;
    return image;
}

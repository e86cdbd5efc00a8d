#pragma once

#include <QColor>
#include <QQuickImageProvider>
#include <QUrl>

// Draws the icons of resources/icons, SVGs named after the symbol they stand for, in any colour:
// "currentColor" in the file becomes the colour asked for. Installed on each QML engine as "icon".
class IconProvider : public QQuickImageProvider
{
public:
    IconProvider();

    static constexpr const char* providerId = "icon";
    // image://icon/<symbol>/<colour as #aarrggbb>
    static QUrl url(const QString& symbol, const QColor& color);
    // The SVG source of a symbol; empty when there is no such icon.
    static QByteArray svg(const QString& symbol);

    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};

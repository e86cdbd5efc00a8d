#pragma once

#include "InstallationStatus.h"

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QRectF>

// The tray's picture: a cat head that reads on light and dark panels alike (a light face inside a dark
// outline) with the hook-status dot in its bottom-right corner.
namespace StatusBarIcon {
// The sizes trays and menus ask for; each is drawn for its own pixel grid rather than scaled.
inline constexpr int sizes[] = {16, 22, 24, 32, 48, 64};

QColor dotColor(InstallationStatus status);
QRectF dotRect(int side);
QImage render(int side, InstallationStatus status);
QIcon icon(InstallationStatus status);
} // namespace StatusBarIcon

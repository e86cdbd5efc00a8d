#include "LayoutMetrics.h"

#include "TextFormat.h"

#include <algorithm>

namespace LayoutMetrics {

Content content(bool isCompactMode, bool usesSingleCatView)
{
    if (isCompactMode)
        return Content::compactStrip;
    return usesSingleCatView ? Content::singleCat : Content::multiCat;
}

QSizeF containerSize(LayoutMode mode, double windowSize, int sessionCount)
{
    const double s = windowSize;
    const int n = std::max(sessionCount, 1);
    switch (mode) {
    case LayoutMode::grid: {
        const GridDimensions grid = gridDimensions(mode, n);
        return {(s + 16) * grid.columns + 16, (s + 30) * grid.rows + 50};
    }
    case LayoutMode::horizontalBar:
        return {(s + 8) * n + 16, s + 40};
    case LayoutMode::list:
        return {std::max(s, 250.0), 40.0 + 50.0 * std::min(n, 6)};
    }
    Q_UNREACHABLE();
}

int gridColumns(int count)
{
    if (count <= 1)
        return 1;
    if (count <= 4)
        return 2;
    if (count <= 9)
        return 3;
    return 4;
}

int gridRows(int count)
{
    const int columns = gridColumns(count);
    return std::max(1, (count + columns - 1) / columns);
}

double gridCellSize(QSizeF containerSize, int count)
{
    const int columns = gridColumns(count);
    const int rows = gridRows(count);
    const double byWidth = (containerSize.width() - 24 - (columns - 1) * 8) / columns;
    const double byHeight = (containerSize.height() - 24 - (rows - 1) * 8 - 40 - 24 * rows) / rows;
    return std::max(0.0, std::min(byWidth, byHeight));
}

double horizontalBarCatSize(double containerHeight)
{
    return std::max(0.0, containerHeight - 40);
}

InstanceCat instanceCat(double size)
{
    InstanceCat cat{};
    cat.spacing = size >= 100 ? 6 : 4;
    cat.pillDotSize = size < 100 ? 6 : 8;
    cat.pillShowsLabel = size >= 80;
    cat.pillFontSize = size < 150 ? 9 : 11;
    cat.showsSkinButton = size >= 80;
    cat.cornerRadius = size < 80 ? 8 : size < 150 ? 12 : 16;
    cat.showsTitle = size >= 60;
    cat.titleFontSize = size < 80 ? 9 : size < 150 ? 10 : 12;
    cat.cwdFontSize = std::max(cat.titleFontSize - 2, 8.0);
    cat.removeButtonSize = size < 100 ? 12 : 16;
    return cat;
}

bool isSelectedSize(double side, double windowSize)
{
    return side == windowSize;
}

QString sizeToolTip(double side)
{
    return QString::number(qRound64(side)) + QStringLiteral("px");
}

QString layoutViewIdentity(LayoutMode mode)
{
    switch (mode) {
    case LayoutMode::grid:
        return QStringLiteral("grid-") + layoutModeRawValue(mode);
    case LayoutMode::horizontalBar:
        return QStringLiteral("horizontal-") + layoutModeRawValue(mode);
    case LayoutMode::list:
        return QStringLiteral("list-") + layoutModeRawValue(mode);
    }
    Q_UNREACHABLE();
}

QString catViewIdentity(const QString& sessionId, const std::optional<QUuid>& skinId)
{
    return sessionId + u'-' +
           (skinId ? skinId->toString(QUuid::WithoutBraces).toUpper() : QStringLiteral("default"));
}

QColor stateColor(ClaudeStatus status)
{
    switch (status) {
    case ClaudeStatus::idle:
        return QColor(0x34, 0xC7, 0x59); // green
    case ClaudeStatus::working:
        return QColor(0x00, 0x7A, 0xFF); // blue
    case ClaudeStatus::needsInput:
        return QColor(0xFF, 0xCC, 0x00); // yellow
    case ClaudeStatus::completed:
        return QColor(0xAF, 0x52, 0xDE); // purple
    }
    Q_UNREACHABLE();
}

QString folderName(const QString& path)
{
    return TextFormat::lastPathComponent(path);
}

} // namespace LayoutMetrics

#include "LayoutMetrics.h"

#include "TextFormat.h"

#include <algorithm>
#include <cmath>

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
        return {(s + 8) * n + 16, s + 40 + controlStripHeight};
    case LayoutMode::list:
        return {std::max(s, 250.0), 40.0 + 50.0 * std::min(n, 6)};
    }
    Q_UNREACHABLE();
}

double fittingSide(LayoutMode mode, double windowSize, int sessionCount, QSizeF maximum)
{
    if (mode != LayoutMode::grid)
        return windowSize;
    const GridDimensions grid = gridDimensions(mode, std::max(sessionCount, 1));
    // containerSize solved for the side.
    const double byWidth = (maximum.width() - 16) / grid.columns - 16;
    const double byHeight = (maximum.height() - 50) / grid.rows - 30;
    return std::max(0.0, std::min({windowSize, std::floor(byWidth), std::floor(byHeight)}));
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

double gridCellSize(QSizeF layoutSize, int count)
{
    const int columns = gridColumns(count);
    const int rows = gridRows(count);
    const double byWidth = (layoutSize.width() - 24 - (columns - 1) * 8) / columns;
    const double byHeight = (layoutSize.height() - 24 - (rows - 1) * 8 - 24 * rows) / rows;
    return std::max(0.0, std::min(byWidth, byHeight));
}

double horizontalBarCatSize(double layoutHeight)
{
    return std::max(0.0, layoutHeight - 40);
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

namespace {
double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}
double luminance(const QColor& color)
{
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) + 0.0722 * linear(color.blueF());
}
QColor mixed(const QColor& from, const QColor& to, double share)
{
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * share),
                            float(from.greenF() + (to.greenF() - from.greenF()) * share),
                            float(from.blueF() + (to.blueF() - from.blueF()) * share));
}
} // namespace

double scrolledBy(double position, double contentSize, double viewSize, QPointF angleDelta)
{
    const double delta =
        std::abs(angleDelta.y()) > std::abs(angleDelta.x()) ? angleDelta.y() : angleDelta.x();
    return std::clamp(position - delta / 2, 0.0, std::max(0.0, contentSize - viewSize));
}

std::optional<QPointF> toolTipPosition(const QRectF& panel, const QRectF& target, QSizeF tip,
                                       const QRectF& screen)
{
    constexpr double gap = 4;
    const double x = std::clamp(target.center().x() - tip.width() / 2, screen.left(),
                                std::max(screen.left(), screen.right() - tip.width()));
    if (panel.bottom() + gap + tip.height() <= screen.bottom())
        return QPointF(x, panel.bottom() + gap);
    if (panel.top() - gap - tip.height() >= screen.top())
        return QPointF(x, panel.top() - gap - tip.height());
    return std::nullopt;
}

double contrastRatio(const QColor& first, const QColor& second)
{
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor composite(const QColor& top, const QColor& bottom)
{
    return mixed(bottom, QColor::fromRgbF(top.redF(), top.greenF(), top.blueF()), top.alphaF());
}

QColor textBackdrop()
{
    return QColor::fromRgbF(0, 0, 0, 0.7f);
}

QColor readableOn(const QColor& color, const QColor& background)
{
    const QColor toward = luminance(background) < 0.18 ? QColor(Qt::white) : QColor(Qt::black);
    // The smallest step towards white or black that reads, found by halving: 12 steps are below a
    // level of 8 bits.
    double low = 0, high = 1;
    if (contrastRatio(color, background) >= minimumContrast)
        return color;
    for (int step = 0; step < 12; ++step) {
        const double middle = (low + high) / 2;
        (contrastRatio(mixed(color, toward, middle), background) >= minimumContrast ? high : low) = middle;
    }
    return mixed(color, toward, high);
}

QColor stateTextColor(ClaudeStatus status)
{
    return readableOn(stateColor(status), composite(textBackdrop(), Qt::white));
}

QColor stripColor(ClaudeStatus status)
{
    return readableOn(stateColor(status), Qt::white);
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

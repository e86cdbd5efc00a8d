#include "CatMetrics.h"

#include "IconProvider.h"
#include "LayoutMetrics.h"

QVariantList CatMetrics::sizeChoices() const
{
    QVariantList list;
    for (const auto& choice : LayoutMetrics::sizeChoices) {
        list.append(QVariantMap{{QStringLiteral("label"), QString::fromLatin1(choice.label)},
                                {QStringLiteral("side"), choice.side},
                                {QStringLiteral("toolTip"), LayoutMetrics::sizeToolTip(choice.side)}});
    }
    return list;
}

QVariantList CatMetrics::layoutChoices() const
{
    QVariantList list;
    for (LayoutMode mode : allLayoutModes) {
        list.append(QVariantMap{
            {QStringLiteral("mode"), int(mode)},
            {QStringLiteral("name"), layoutModeRawValue(mode)},
            {QStringLiteral("symbol"), layoutModeSymbol(mode)},
            {QStringLiteral("toolTip"), layoutModeHelpText(mode)},
            {QStringLiteral("accessibleName"), layoutModeLabel(mode) + QStringLiteral(" layout")}});
    }
    return list;
}

LayoutMetrics::Content CatMetrics::content(bool isCompactMode, bool usesSingleCatView) const
{
    return LayoutMetrics::content(isCompactMode, usesSingleCatView);
}

QSizeF CatMetrics::containerSize(LayoutMode mode, double windowSize, int sessionCount) const
{
    return LayoutMetrics::containerSize(mode, windowSize, sessionCount);
}

int CatMetrics::gridColumns(int count) const
{
    return LayoutMetrics::gridColumns(count);
}

double CatMetrics::gridCellSize(QSizeF containerSize, int count) const
{
    return LayoutMetrics::gridCellSize(containerSize, count);
}

double CatMetrics::horizontalBarCatSize(double containerHeight) const
{
    return LayoutMetrics::horizontalBarCatSize(containerHeight);
}

QVariantMap CatMetrics::instanceCat(double size) const
{
    const LayoutMetrics::InstanceCat cat = LayoutMetrics::instanceCat(size);
    return {{QStringLiteral("spacing"), cat.spacing},
            {QStringLiteral("pillDotSize"), cat.pillDotSize},
            {QStringLiteral("pillShowsLabel"), cat.pillShowsLabel},
            {QStringLiteral("pillFontSize"), cat.pillFontSize},
            {QStringLiteral("showsSkinButton"), cat.showsSkinButton},
            {QStringLiteral("cornerRadius"), cat.cornerRadius},
            {QStringLiteral("showsTitle"), cat.showsTitle},
            {QStringLiteral("titleFontSize"), cat.titleFontSize},
            {QStringLiteral("cwdFontSize"), cat.cwdFontSize},
            {QStringLiteral("removeButtonSize"), cat.removeButtonSize}};
}

bool CatMetrics::isSelectedSize(double side, double windowSize) const
{
    return LayoutMetrics::isSelectedSize(side, windowSize);
}

QString CatMetrics::layoutViewIdentity(LayoutMode mode) const
{
    return LayoutMetrics::layoutViewIdentity(mode);
}

QColor CatMetrics::stateColor(ClaudeStatus status) const
{
    return LayoutMetrics::stateColor(status);
}

double CatMetrics::scrolledBy(double position, double contentSize, double viewSize, QPointF angleDelta) const
{
    return LayoutMetrics::scrolledBy(position, contentSize, viewSize, angleDelta);
}

QVariant CatMetrics::toolTipPosition(const QRectF& panel, const QRectF& target, QSizeF tip,
                                     const QRectF& screen) const
{
    const auto position = LayoutMetrics::toolTipPosition(panel, target, tip, screen);
    return position ? QVariant(*position) : QVariant();
}

QColor CatMetrics::stateTextColor(ClaudeStatus status) const
{
    return LayoutMetrics::stateTextColor(status);
}

QColor CatMetrics::stripColor(ClaudeStatus status) const
{
    return LayoutMetrics::stripColor(status);
}

QString CatMetrics::stateName(ClaudeStatus status) const
{
    return claudeStatusDisplayName(status);
}

QUrl CatMetrics::icon(const QString& symbol, const QColor& color) const
{
    return IconProvider::url(symbol, color);
}

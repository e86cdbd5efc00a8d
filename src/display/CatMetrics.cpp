#include "CatMetrics.h"

#include "IconProvider.h"
#include "LayoutMetrics.h"

namespace {
LayoutMode layoutMode(const QString& text)
{
    return layoutModeFromRawValue(text).value_or(LayoutMode::horizontalBar);
}
} // namespace

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
        list.append(QVariantMap{{QStringLiteral("mode"), layoutModeRawValue(mode)},
                                {QStringLiteral("symbol"), layoutModeSymbol(mode)},
                                {QStringLiteral("toolTip"), layoutModeHelpText(mode)}});
    }
    return list;
}

QString CatMetrics::content(bool isCompactMode, bool usesSingleCatView) const
{
    switch (LayoutMetrics::content(isCompactMode, usesSingleCatView)) {
    case LayoutMetrics::Content::compactStrip:
        return QStringLiteral("compact");
    case LayoutMetrics::Content::singleCat:
        return QStringLiteral("single");
    case LayoutMetrics::Content::multiCat:
        return QStringLiteral("multi");
    }
    Q_UNREACHABLE();
}

QSizeF CatMetrics::containerSize(const QString& mode, double windowSize, int sessionCount) const
{
    return LayoutMetrics::containerSize(layoutMode(mode), windowSize, sessionCount);
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

QString CatMetrics::layoutViewIdentity(const QString& mode) const
{
    return LayoutMetrics::layoutViewIdentity(layoutMode(mode));
}

QColor CatMetrics::stateColor(const QString& status) const
{
    return LayoutMetrics::stateColor(claudeStatusFromText(status).value_or(ClaudeStatus::idle));
}

QString CatMetrics::stateName(const QString& status) const
{
    return claudeStatusDisplayName(claudeStatusFromText(status).value_or(ClaudeStatus::idle));
}

QUrl CatMetrics::icon(const QString& symbol, const QColor& color) const
{
    return IconProvider::url(symbol, color);
}

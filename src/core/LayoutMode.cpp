#include "LayoutMode.h"

#include <cmath>

namespace {
struct LayoutModeInfo
{
    LayoutMode mode;
    const char16_t* raw;
    const char16_t* label;
    const char16_t* symbol;
    const char16_t* help;
};

constexpr std::array<LayoutModeInfo, 3> infos{{
    {LayoutMode::grid, u"grid", u"Grid", u"square.grid.2x2", u"Show cats in a grid layout"},
    {LayoutMode::horizontalBar, u"horizontalBar", u"Horizontal", u"rectangle.split.3x1",
     u"Show cats in a horizontal row"},
    {LayoutMode::list, u"list", u"List", u"list.bullet", u"Show cats as a text list"},
}};

const LayoutModeInfo& info(LayoutMode mode)
{
    return infos[size_t(mode)];
}
} // namespace

std::optional<LayoutMode> layoutModeFromRawValue(QStringView raw)
{
    for (const auto& entry : infos) {
        if (raw == QStringView(entry.raw))
            return entry.mode;
    }
    return std::nullopt;
}

QString layoutModeRawValue(LayoutMode mode)
{
    return QString::fromUtf16(info(mode).raw);
}

QString layoutModeLabel(LayoutMode mode)
{
    return QString::fromUtf16(info(mode).label);
}

QString layoutModeSymbol(LayoutMode mode)
{
    return QString::fromUtf16(info(mode).symbol);
}

QString layoutModeHelpText(LayoutMode mode)
{
    return QString::fromUtf16(info(mode).help);
}

GridDimensions gridDimensions(LayoutMode mode, int count)
{
    if (count < 1)
        return {1, 1};
    switch (mode) {
    case LayoutMode::horizontalBar:
        return {count, 1};
    case LayoutMode::list:
        return {1, count};
    case LayoutMode::grid:
        break;
    }
    const int columns = int(std::ceil(std::sqrt(double(count))));
    return {columns, (count + columns - 1) / columns};
}

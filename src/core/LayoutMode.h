#pragma once

#include <QString>
#include <array>
#include <optional>

// How several cats are arranged; the order is the order pickers list them in.
enum class LayoutMode
{
    grid,
    horizontalBar,
    list,
};

struct GridDimensions
{
    int columns = 1;
    int rows = 1;
    bool operator==(const GridDimensions&) const = default;
};

inline constexpr std::array<LayoutMode, 3> allLayoutModes{LayoutMode::grid, LayoutMode::horizontalBar,
                                                          LayoutMode::list};

std::optional<LayoutMode> layoutModeFromRawValue(QStringView raw);
QString layoutModeRawValue(LayoutMode mode);
QString layoutModeLabel(LayoutMode mode);
QString layoutModeSymbol(LayoutMode mode);
QString layoutModeHelpText(LayoutMode mode);
GridDimensions gridDimensions(LayoutMode mode, int count);

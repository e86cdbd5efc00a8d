#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <optional>

namespace LayoutModeType {
Q_NAMESPACE
// How several cats are arranged; the order is the order pickers list them in. QML reads only
// enumerators that begin with a capital, hence the second spelling of each case.
enum class LayoutMode
{
    grid,
    horizontalBar,
    list,
    Grid = grid,
    HorizontalBar = horizontalBar,
    List = list,
};
Q_ENUM_NS(LayoutMode)
} // namespace LayoutModeType
using LayoutModeType::LayoutMode;

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

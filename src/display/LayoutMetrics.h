#pragma once

#include "ClaudeStatus.h"
#include "LayoutMode.h"

#include <QColor>
#include <QObject>
#include <QSizeF>
#include <QString>
#include <QUuid>
#include <array>
#include <optional>

// Every size, threshold and choice of the cat views that can be computed; the QML files only lay out.
namespace LayoutMetrics {
Q_NAMESPACE

// What the panel shows. QML reads only enumerators that begin with a capital.
enum class Content
{
    compactStrip,
    singleCat,
    multiCat,
    CompactStrip = compactStrip,
    SingleCat = singleCat,
    MultiCat = multiCat,
};
Q_ENUM_NS(Content)
Content content(bool isCompactMode, bool usesSingleCatView);

// Size of the multi-cat display for `sessionCount` entries (0 counts as 1) of side `windowSize`.
QSizeF containerSize(LayoutMode mode, double windowSize, int sessionCount);

// The grid's own columns for `count` cats: 1, 2 (2-4), 3 (5-9), 4 (10 and more).
int gridColumns(int count);
int gridRows(int count);
// Side of one cat in the grid, leaving room for the insets, the spacing and the titles; never negative.
double gridCellSize(QSizeF containerSize, int count);
// Side of one cat in the horizontal bar.
double horizontalBarCatSize(double containerHeight);

// Sizes of one session's cat, by its side.
struct InstanceCat
{
    double spacing;      // between the cat and its title
    double pillDotSize;  // the state's dot in the pill
    bool pillShowsLabel; // the state's name beside the dot
    double pillFontSize;
    bool showsSkinButton; // room for the skin button in the top row
    double cornerRadius;
    bool showsTitle; // when the layout asks for titles
    double titleFontSize;
    double cwdFontSize;
    double removeButtonSize;
};
InstanceCat instanceCat(double size);

struct SizeChoice
{
    const char* label;
    double side;
};
inline constexpr std::array<SizeChoice, 4> sizeChoices{{{"S", 150}, {"M", 200}, {"L", 300}, {"XL", 400}}};
// Compared exactly: a stored size of 175 selects no button.
bool isSelectedSize(double side, double windowSize);
QString sizeToolTip(double side);

// A change of identity makes the view build the item anew, with new players.
QString layoutViewIdentity(LayoutMode mode);
QString catViewIdentity(const QString& sessionId, const std::optional<QUuid>& skinId);

QColor stateColor(ClaudeStatus status);

// The last component of a folder path, ignoring trailing slashes; empty for "" and "/".
QString folderName(const QString& path);

} // namespace LayoutMetrics

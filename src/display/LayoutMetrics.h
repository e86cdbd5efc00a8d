#pragma once

#include "ClaudeStatus.h"
#include "LayoutMode.h"

#include <QColor>
#include <QObject>
#include <QPointF>
#include <QRectF>
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

// The band along the bottom of the multi-cat display where the control bar shows, clear of every cat.
inline constexpr double controlStripHeight = 36;

// Size of the multi-cat display for `sessionCount` entries (0 counts as 1) of side `windowSize`, the
// control strip included.
QSizeF containerSize(LayoutMode mode, double windowSize, int sessionCount);

// The side at which the grid's cats fit in `maximum`, never above `windowSize`: a grid that would
// outgrow its share of the screen gets smaller cats rather than wide gaps. The bar and the list scroll
// instead and keep their side.
double fittingSide(LayoutMode mode, double windowSize, int sessionCount, QSizeF maximum);

// The grid's own columns for `count` cats: 1, 2 (2-4), 3 (5-9), 4 (10 and more).
int gridColumns(int count);
int gridRows(int count);
// Side of one cat in the grid's area (above the control strip), leaving room for the insets, the
// spacing and the titles; never negative.
double gridCellSize(QSizeF layoutSize, int count);
// Side of one cat in the horizontal bar, from the height of its area above the control strip.
double horizontalBarCatSize(double layoutHeight);

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

// Where a row that scrolls sideways goes for a wheel turn (angleDelta in eighths of a degree): a
// vertical wheel scrolls it too, 60 px a notch, never past either end.
double scrolledBy(double position, double contentSize, double viewSize, QPointF angleDelta);

// Where a tooltip for `target` goes so that it covers nothing of the panel: centred under the panel,
// or above it where the screen ends; nowhere when neither has room. All in screen coordinates.
std::optional<QPointF> toolTipPosition(const QRectF& panel, const QRectF& target, QSizeF tip,
                                       const QRectF& screen);

// Legibility on any wallpaper. Text reaches this contrast ratio against what is behind it.
inline constexpr double minimumContrast = 4.5;
// The ratio of two opaque colours' relative luminances (+ 0.05), from 1 to 21.
double contrastRatio(const QColor& first, const QColor& second);
// top, with its alpha, drawn over an opaque bottom.
QColor composite(const QColor& top, const QColor& bottom);
// Behind titles: dark enough that white text reads even over a white wallpaper.
QColor textBackdrop();
// color moved towards white or black, whichever reads on background, until it reaches the minimum.
QColor readableOn(const QColor& color, const QColor& background);
// A state's colour as text on the backdrop, on its lightest (over a white wallpaper).
QColor stateTextColor(ClaudeStatus status);
// The compact strip's opaque background for a state: its colour, darkened until white text reads on it.
QColor stripColor(ClaudeStatus status);

// The last component of a folder path, ignoring trailing slashes; empty for "" and "/".
QString folderName(const QString& path);

} // namespace LayoutMetrics

#pragma once

#include "FloatingPanelAnchor.h"
#include "LayoutMode.h"

#include <QPoint>
#include <QProcessEnvironment>
#include <QQuickView>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QTimer>

class AppNotifications;
class MultiSessionManager;
class PreferencesManager;

// The small borderless window in which the cats live: above other windows, on every workspace,
// without taking focus, moved by dragging it, sized from the preferences, and put back where it was.
class FloatingPanel : public QQuickView
{
    Q_OBJECT
public:
    struct Geometry
    {
        QSize size;
        int cornerRadius = 0;
        bool operator==(const Geometry&) const = default;
    };
    // The panel's size for what it shows: the compact strip, one cat, or one cat per session.
    static Geometry geometryFor(bool isCompactMode, bool usesSingleCatView, LayoutMode layoutMode,
                                double windowSize, int sessionCount);
    // Top-right of the screen's free area, 20 in from both edges, for a 200 x 200 panel.
    static QPoint defaultPosition(const QRect& availableGeometry);
    // The QPA platform to force before the application starts, or nothing: on a Wayland session the
    // compositor ignores always-on-top and window positions, so the panel runs through XWayland.
    static QByteArray platformOverride(const QProcessEnvironment& environment);

    // The shared instances behind the QML singletons must exist before the panel is made.
    FloatingPanel(PreferencesManager& preferences, MultiSessionManager& sessionManager,
                  AppNotifications& notifications, QWindow* parent = nullptr);
    ~FloatingPanel() override;

    Geometry currentGeometry() const;
    int cornerRadius() const { return m_cornerRadius; }

    // Applies the size table, keeping the corner the user anchored it by where it is.
    void updateWindowSize();
    FloatingPanelAnchor anchor() const { return m_anchor; }

signals:
    // A right click anywhere on the panel: the application menu opens there.
    void contextMenuRequested(const QPoint& globalPosition);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeInitially();
    void applyMask();
    void positionChanged();
    void savePosition();
    void applyFrame(const QRect& frame);
    QRect availableAreaFor(const QPoint& point) const;

    PreferencesManager& m_preferences;
    MultiSessionManager& m_sessionManager;
    int m_cornerRadius = 20;
    QTimer m_positionSave;
    // The shape follows what is drawn, looked at again at most every 100 ms while frames are drawn.
    QTimer m_shapeUpdate;
    QRegion m_shape;
    FloatingPanelAnchor m_anchor;
    // Positions this panel asked for: the window system may report them late, and they are not moves
    // of the user's to be saved.
    QList<QPoint> m_appliedPositions;
};

#include "FloatingPanel.h"

#include "AppNotifications.h"
#include "DisplayServices.h"
#include "FloatingPanelWorkspaces.h"
#include "LayoutMetrics.h"
#include "Log.h"
#include "MultiSessionManager.h"
#include "PanelInputShape.h"
#include "PreferencesManager.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QQmlEngine>
#include <QRegion>
#include <QScreen>
#include <QSurfaceFormat>
#include <QtQml/QQmlExtensionPlugin>
#include <cmath>

Q_IMPORT_QML_PLUGIN(TabbywatchPlugin)

namespace {
constexpr int initialSide = 200;
constexpr int screenInset = 20;

QSize roundedUp(QSizeF size)
{
    return {std::max(1, int(std::ceil(size.width()))), std::max(1, int(std::ceil(size.height())))};
}
} // namespace

FloatingPanel::Geometry FloatingPanel::geometryFor(bool isCompactMode, bool usesSingleCatView,
                                                   LayoutMode layoutMode, double windowSize, int sessionCount)
{
    if (isCompactMode)
        return {{180, 56}, 12};
    if (usesSingleCatView)
        return {roundedUp({windowSize, windowSize}), 20};
    return {roundedUp(LayoutMetrics::containerSize(layoutMode, windowSize, sessionCount)), 16};
}

QPoint FloatingPanel::defaultPosition(const QRect& availableGeometry)
{
    return {availableGeometry.x() + availableGeometry.width() - initialSide - screenInset,
            availableGeometry.y() + screenInset};
}

QByteArray FloatingPanel::platformOverride(const QProcessEnvironment& environment)
{
    if (environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        return {};
    const bool wayland = environment.value(QStringLiteral("XDG_SESSION_TYPE")) == u"wayland" ||
                         !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    if (!wayland)
        return {};
    // Without XWayland there is no X display to go to: stay on Wayland rather than fail to start.
    if (environment.value(QStringLiteral("DISPLAY")).isEmpty())
        return {};
    return QByteArrayLiteral("xcb");
}

FloatingPanel::FloatingPanel(PreferencesManager& preferences, MultiSessionManager& sessionManager,
                             AppNotifications& notifications, QWindow* parent)
    : QQuickView(parent), m_preferences(preferences), m_sessionManager(sessionManager)
{
    setTitle(QStringLiteral("Tabbywatch"));
    setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    QSurfaceFormat surface = format();
    surface.setAlphaBufferSize(8);
    setFormat(surface);
    setColor(Qt::transparent);
    setResizeMode(QQuickView::SizeRootObjectToView);

    m_positionSave.setSingleShot(true);
    m_positionSave.setInterval(250);
    connect(&m_positionSave, &QTimer::timeout, this, &FloatingPanel::savePosition);
    connect(this, &QWindow::xChanged, this, &FloatingPanel::positionChanged);
    connect(this, &QWindow::yChanged, this, &FloatingPanel::positionChanged);
    m_shapeUpdate.setSingleShot(true);
    m_shapeUpdate.setInterval(100);
    connect(&m_shapeUpdate, &QTimer::timeout, this, &FloatingPanel::applyMask);
    // Emitted on the render thread: the timer is started on ours.
    connect(
        this, &QQuickWindow::frameSwapped, this,
        [this] {
            if (!m_shapeUpdate.isActive())
                m_shapeUpdate.start();
        },
        Qt::QueuedConnection);

    connect(&notifications, &AppNotifications::compactModeChanged, this, &FloatingPanel::updateWindowSize);
    connect(&notifications, &AppNotifications::layoutModeChanged, this, &FloatingPanel::updateWindowSize);
    connect(&notifications, &AppNotifications::windowSizeChanged, this, &FloatingPanel::updateWindowSize);
    // The cats come and go with the sessions; the panel follows so that none is cut off.
    connect(&m_sessionManager, &MultiSessionManager::instancesChanged, this,
            &FloatingPanel::updateWindowSize);
    connect(&m_sessionManager, &MultiSessionManager::usesSingleCatViewChanged, this,
            &FloatingPanel::updateWindowSize);

    placeInitially();
    DisplayServices::prepareEngine(*engine());
    setSource(QUrl(QStringLiteral("qrc:/qt/qml/Tabbywatch/MultiCatContainerView.qml")));
    for (const QQmlError& error : errors())
        logLine(QStringLiteral("❌ ") + error.toString());
    FloatingPanelWorkspaces::joinAll(*this);
    updateWindowSize();
}

FloatingPanel::~FloatingPanel()
{
    if (m_positionSave.isActive())
        savePosition();
}

FloatingPanel::Geometry FloatingPanel::currentGeometry() const
{
    return {size(), m_cornerRadius};
}

QRect FloatingPanel::availableAreaFor(const QPoint& point) const
{
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    return areas.isEmpty() ? QRect(point, QSize(initialSide, initialSide))
                           : FloatingPanelAnchor::screenFor(point, areas);
}

void FloatingPanel::placeInitially()
{
    // The saved point is the anchored corner; on a screen that is gone it comes back on the nearest one.
    if (const auto saved = m_preferences.savedWindowPosition()) {
        const QPoint point = saved->toPoint();
        m_anchor = FloatingPanelAnchor::at(point, availableAreaFor(point));
    } else {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, initialSide, initialSide);
        m_anchor = FloatingPanelAnchor::of(QRect(defaultPosition(available), QSize(initialSide, initialSide)),
                                           available);
    }
    applyFrame(m_anchor.frameFor(QSize(initialSide, initialSide), availableAreaFor(m_anchor.point)));
}

void FloatingPanel::applyFrame(const QRect& frame)
{
    m_appliedPositions.append(frame.topLeft());
    if (m_appliedPositions.size() > 8)
        m_appliedPositions.removeFirst();
    setGeometry(frame);
}

void FloatingPanel::positionChanged()
{
    if (m_appliedPositions.contains(position()))
        return;
    // The user moved the panel: it now grows away from the corner nearest to where it was put.
    m_appliedPositions.clear();
    m_anchor = FloatingPanelAnchor::of(geometry(), availableAreaFor(geometry().center()));
    m_positionSave.start();
}

void FloatingPanel::updateWindowSize()
{
    const Geometry target = geometryFor(m_preferences.isCompactMode(), m_sessionManager.usesSingleCatView(),
                                        m_preferences.layoutMode(), m_preferences.windowSize(),
                                        int(m_sessionManager.instances().size()));
    m_cornerRadius = target.cornerRadius;
    // Many cats take a bounded share of the screen: beyond it the bar and the list scroll, and the grid
    // makes its cats smaller. The anchored corner stays; the panel is moved only to stay on screen.
    const QRect available = availableAreaFor(m_anchor.point);
    QSize size = target.size;
    if (!m_preferences.isCompactMode() && !m_sessionManager.usesSingleCatView()) {
        const QSize maximum = FloatingPanelAnchor::maximumSize(available);
        const int count = int(m_sessionManager.instances().size());
        const double side = LayoutMetrics::fittingSide(m_preferences.layoutMode(), m_preferences.windowSize(),
                                                       count, maximum);
        size = roundedUp(LayoutMetrics::containerSize(m_preferences.layoutMode(), side, count))
                   .boundedTo(maximum);
    }
    applyFrame(m_anchor.frameFor(size, available));
    applyMask();
}

bool FloatingPanel::event(QEvent* event)
{
    // Closing only hides the panel; the status menu shows it again.
    if (event->type() == QEvent::Close) {
        hide();
        event->ignore();
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::RightButton) {
            emit contextMenuRequested(press->globalPosition().toPoint());
            return true;
        }
    }
    return QQuickView::event(event);
}

void FloatingPanel::resizeEvent(QResizeEvent* event)
{
    QQuickView::resizeEvent(event);
    applyMask();
}

void FloatingPanel::applyMask()
{
    // The window's shape both cuts what is drawn (rounded corners also without a compositor, where
    // transparent pixels would show black) and lets clicks on the clear parts through.
    const QRegion shape =
        PanelInputShape::shape(size(), m_cornerRadius, PanelInputShape::collect(contentItem()));
    if (shape == m_shape)
        return;
    m_shape = shape;
    setMask(shape);
}

void FloatingPanel::savePosition()
{
    m_positionSave.stop();
    m_preferences.saveWindowPosition(m_anchor.point);
}

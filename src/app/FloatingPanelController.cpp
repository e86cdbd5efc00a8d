#include "FloatingPanelController.h"

#include "ApplicationServices.h"
#include "FloatingPanel.h"

FloatingPanelController::FloatingPanelController(ApplicationServices& services, QObject* parent)
    : QObject(parent), m_services(services)
{}

FloatingPanelController::~FloatingPanelController() = default;

void FloatingPanelController::setupFloatingPanel()
{
    if (m_floatingPanel)
        return;
    m_floatingPanel = std::make_unique<FloatingPanel>(
        m_services.preferences(), m_services.multiSessionManager(), m_services.notifications());
    showFloatingWindow();
    connect(&m_services.notifications(), &AppNotifications::windowSizeChanged, this,
            &FloatingPanelController::windowSizeDidChange);
}

void FloatingPanelController::toggleFloatingWindow()
{
    if (!m_floatingPanel)
        return;
    if (m_floatingPanel->isVisible())
        m_floatingPanel->hide();
    else
        showFloatingWindow();
}

void FloatingPanelController::showFloatingWindow()
{
    if (!m_floatingPanel)
        return;
    m_floatingPanel->show();
    m_floatingPanel->raise();
}

void FloatingPanelController::windowSizeDidChange()
{
    // A plain windowSize square would squash the compact strip and cut off a multi-cat layout, so
    // this follows the panel's own size table, which gives that square for the single cat.
    if (m_floatingPanel)
        m_floatingPanel->updateWindowSize();
}

#include "FloatingPanelPreferences.h"

#include "AppNotifications.h"
#include "PreferencesManager.h"

FloatingPanelPreferences::FloatingPanelPreferences(PreferencesManager& preferences,
                                                   AppNotifications& notifications, QObject* parent)
    : ViewPreferences(parent), m_preferences(preferences), m_notifications(notifications)
{
    connect(&m_preferences, &PreferencesManager::windowSizeChanged, this,
            &ViewPreferences::windowSizeChanged);
    connect(&m_preferences, &PreferencesManager::windowOpacityChanged, this,
            &ViewPreferences::windowOpacityChanged);
    connect(&m_preferences, &PreferencesManager::showOverlayChanged, this,
            &ViewPreferences::showOverlayChanged);
    connect(&m_preferences, &PreferencesManager::isCompactModeChanged, this,
            &ViewPreferences::isCompactModeChanged);
    connect(&m_preferences, &PreferencesManager::layoutModeChanged, this,
            &ViewPreferences::layoutModeChanged);
}

double FloatingPanelPreferences::windowSize() const
{
    return m_preferences.windowSize();
}

double FloatingPanelPreferences::windowOpacity() const
{
    return m_preferences.windowOpacity();
}

bool FloatingPanelPreferences::showOverlay() const
{
    return m_preferences.showOverlay();
}

bool FloatingPanelPreferences::isCompactMode() const
{
    return m_preferences.isCompactMode();
}

void FloatingPanelPreferences::setCompactMode(bool compact)
{
    m_preferences.setCompactMode(compact);
}

LayoutMode FloatingPanelPreferences::layoutMode() const
{
    return m_preferences.layoutMode();
}

void FloatingPanelPreferences::chooseWindowSize(double side)
{
    m_preferences.setWindowSize(side);
    emit m_notifications.windowSizeChanged();
}

void FloatingPanelPreferences::applyLayoutMode(LayoutMode mode)
{
    m_preferences.setLayoutMode(mode);
    emit m_notifications.layoutModeChanged();
}

#pragma once

#include "ViewPreferences.h"

class AppNotifications;
class PreferencesManager;

// The preferences store and the shell's notifications as the panel's views see them.
class FloatingPanelPreferences : public ViewPreferences
{
    Q_OBJECT
public:
    FloatingPanelPreferences(PreferencesManager& preferences, AppNotifications& notifications,
                             QObject* parent = nullptr);

    double windowSize() const override;
    double windowOpacity() const override;
    bool showOverlay() const override;
    bool isCompactMode() const override;
    void setCompactMode(bool compact) override;
    LayoutMode layoutMode() const override;
    void chooseWindowSize(double side) override;

protected:
    void applyLayoutMode(LayoutMode mode) override;

private:
    PreferencesManager& m_preferences;
    AppNotifications& m_notifications;
};

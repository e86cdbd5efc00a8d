#pragma once

#include "AutostartEntry.h"
#include "LayoutMode.h"

#include <QObject>
#include <QPointF>
#include <QSettings>
#include <QUuid>
#include <memory>
#include <optional>

class AppNotifications;

// The user's settings, loaded once and written back on every assignment. Every setter runs its side
// effects also when the value does not change, and always emits its NOTIFY signal; the application
// wires multiInstanceEnabledChanged and staleSessionTimeoutChanged to the multi-session manager.
class PreferencesManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double windowOpacity READ windowOpacity WRITE setWindowOpacity NOTIFY windowOpacityChanged)
    Q_PROPERTY(double windowSize READ windowSize WRITE setWindowSize NOTIFY windowSizeChanged)
    Q_PROPERTY(bool showOverlay READ showOverlay WRITE setShowOverlay NOTIFY showOverlayChanged)
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(double celebrationDuration READ celebrationDuration WRITE setCelebrationDuration NOTIFY
                   celebrationDurationChanged)
    Q_PROPERTY(bool isCompactMode READ isCompactMode WRITE setCompactMode NOTIFY isCompactModeChanged)
    Q_PROPERTY(bool multiInstanceEnabled READ multiInstanceEnabled WRITE setMultiInstanceEnabled NOTIFY
                   multiInstanceEnabledChanged)
    Q_PROPERTY(double staleSessionTimeout READ staleSessionTimeout WRITE setStaleSessionTimeout NOTIFY
                   staleSessionTimeoutChanged)
    Q_PROPERTY(bool skipOnboardingWindow READ skipOnboardingWindow WRITE setSkipOnboardingWindow NOTIFY
                   skipOnboardingWindowChanged)

public:
    PreferencesManager(std::unique_ptr<QSettings> settings, AppNotifications* notifications,
                       AutostartEntry autostart, QObject* parent = nullptr);
    ~PreferencesManager() override;

    // INI under $XDG_CONFIG_HOME/Tabbywatch/Tabbywatch.conf.
    static std::unique_ptr<QSettings> defaultSettings();

    double windowOpacity() const { return m_windowOpacity; }
    double windowSize() const { return m_windowSize; }
    bool showOverlay() const { return m_showOverlay; }
    bool launchAtLogin() const { return m_launchAtLogin; }
    double celebrationDuration() const { return m_celebrationDuration; }
    bool isCompactMode() const { return m_isCompactMode; }
    std::optional<QUuid> selectedSkinID() const { return m_selectedSkinID; }
    LayoutMode layoutMode() const { return m_layoutMode; }
    bool multiInstanceEnabled() const { return m_multiInstanceEnabled; }
    double staleSessionTimeout() const { return m_staleSessionTimeout; }
    bool skipOnboardingWindow() const { return m_skipOnboardingWindow; }

    void setWindowOpacity(double value);
    void setWindowSize(double value);
    void setShowOverlay(bool value);
    void setLaunchAtLogin(bool value);
    void setCelebrationDuration(double value);
    void setCompactMode(bool value);
    void setSelectedSkinID(std::optional<QUuid> value);
    void setLayoutMode(LayoutMode value);
    void setMultiInstanceEnabled(bool value);
    void setStaleSessionTimeout(double value);
    void setSkipOnboardingWindow(bool value);

    // The panel's bottom-left corner, when both coordinates are stored as numbers.
    std::optional<QPointF> savedWindowPosition() const;
    void saveWindowPosition(QPointF position);

    // False when the settings file exists but could not be read: then nothing is written back, so a
    // file we failed to understand is never overwritten.
    bool isPersistent() const { return m_persistent; }

signals:
    void windowOpacityChanged();
    void windowSizeChanged();
    void showOverlayChanged();
    void launchAtLoginChanged();
    void celebrationDurationChanged();
    void isCompactModeChanged();
    void selectedSkinIDChanged();
    void layoutModeChanged();
    void multiInstanceEnabledChanged(bool enabled);
    void staleSessionTimeoutChanged(double seconds);
    void skipOnboardingWindowChanged();

private:
    double loadDouble(const QString& key, double fallback) const;
    bool loadBool(const QString& key, bool fallback) const;
    void store(const QString& key, const QVariant& value);

    std::unique_ptr<QSettings> m_settings;
    AppNotifications* m_notifications;
    AutostartEntry m_autostart;
    bool m_persistent = true;

    double m_windowOpacity;
    double m_windowSize;
    bool m_showOverlay;
    bool m_launchAtLogin;
    double m_celebrationDuration;
    bool m_isCompactMode;
    std::optional<QUuid> m_selectedSkinID;
    LayoutMode m_layoutMode;
    bool m_multiInstanceEnabled;
    double m_staleSessionTimeout;
    bool m_skipOnboardingWindow;
};

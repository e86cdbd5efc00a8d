#pragma once

#include "AutostartEntry.h"
#include "LayoutMode.h"

#include <QObject>
#include <QPointF>
#include <QSettings>
#include <QUuid>
#include <QVariant>
#include <array>
#include <memory>
#include <optional>

class AppNotifications;

// The user's settings, loaded once and written back on every assignment. Keys, kinds, defaults, change
// signals and the notifications they post come from one table (PreferencesManager.cpp); the accessors
// below only name its rows. Every assignment emits its change signal and runs its side effects also
// when the value does not change.
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
    Q_PROPERTY(
        LayoutModeType::LayoutMode layoutMode READ layoutMode WRITE setLayoutMode NOTIFY layoutModeChanged)
    Q_PROPERTY(bool multiInstanceEnabled READ multiInstanceEnabled WRITE setMultiInstanceEnabled NOTIFY
                   multiInstanceEnabledChanged)
    Q_PROPERTY(double staleSessionTimeout READ staleSessionTimeout WRITE setStaleSessionTimeout NOTIFY
                   staleSessionTimeoutChanged)
    Q_PROPERTY(bool skipOnboardingWindow READ skipOnboardingWindow WRITE setSkipOnboardingWindow NOTIFY
                   skipOnboardingWindowChanged)
    Q_PROPERTY(bool notifyWhenNeedsInput READ notifyWhenNeedsInput WRITE setNotifyWhenNeedsInput NOTIFY
                   notifyWhenNeedsInputChanged)
    Q_PROPERTY(bool notifyWhenCompleted READ notifyWhenCompleted WRITE setNotifyWhenCompleted NOTIFY
                   notifyWhenCompletedChanged)
    Q_PROPERTY(
        bool analyticsEnabled READ analyticsEnabled WRITE setAnalyticsEnabled NOTIFY analyticsEnabledChanged)

public:
    // The rows of the table, in its order.
    enum class Preference
    {
        windowOpacity,
        windowSize,
        showOverlay,
        launchAtLogin,
        celebrationDuration,
        isCompactMode,
        selectedSkinID,
        layoutMode,
        multiInstanceEnabled,
        staleSessionTimeout,
        skipOnboardingWindow,
        // Desktop notifications, per state a session turns to.
        notifyWhenNeedsInput,
        notifyWhenCompleted,
        // The usage-event sender's own two keys.
        analyticsEnabled,
        analyticsDeviceId,
    };
    static constexpr int preferenceCount = int(Preference::analyticsDeviceId) + 1;

    PreferencesManager(std::unique_ptr<QSettings> settings, AppNotifications* notifications,
                       AutostartEntry autostart, QObject* parent = nullptr);
    ~PreferencesManager() override;

    // INI under $XDG_CONFIG_HOME/Tabbywatch/Tabbywatch.ini.
    static std::unique_ptr<QSettings> defaultSettings();
    static QString key(Preference preference);

    double windowOpacity() const { return m_values[int(Preference::windowOpacity)].toDouble(); }
    double windowSize() const { return m_values[int(Preference::windowSize)].toDouble(); }
    bool showOverlay() const { return m_values[int(Preference::showOverlay)].toBool(); }
    bool launchAtLogin() const { return m_values[int(Preference::launchAtLogin)].toBool(); }
    double celebrationDuration() const { return m_values[int(Preference::celebrationDuration)].toDouble(); }
    bool isCompactMode() const { return m_values[int(Preference::isCompactMode)].toBool(); }
    std::optional<QUuid> selectedSkinID() const;
    LayoutMode layoutMode() const { return m_values[int(Preference::layoutMode)].value<LayoutMode>(); }
    bool multiInstanceEnabled() const { return m_values[int(Preference::multiInstanceEnabled)].toBool(); }
    double staleSessionTimeout() const { return m_values[int(Preference::staleSessionTimeout)].toDouble(); }
    bool skipOnboardingWindow() const { return m_values[int(Preference::skipOnboardingWindow)].toBool(); }
    bool notifyWhenNeedsInput() const { return m_values[int(Preference::notifyWhenNeedsInput)].toBool(); }
    bool notifyWhenCompleted() const { return m_values[int(Preference::notifyWhenCompleted)].toBool(); }
    bool analyticsEnabled() const { return m_values[int(Preference::analyticsEnabled)].toBool(); }
    // Empty until one is made.
    QString analyticsDeviceId() const { return m_values[int(Preference::analyticsDeviceId)].toString(); }

    void setWindowOpacity(double value) { assign(Preference::windowOpacity, value); }
    void setWindowSize(double value) { assign(Preference::windowSize, value); }
    void setShowOverlay(bool value) { assign(Preference::showOverlay, value); }
    void setLaunchAtLogin(bool value);
    void setCelebrationDuration(double value) { assign(Preference::celebrationDuration, value); }
    void setCompactMode(bool value) { assign(Preference::isCompactMode, value); }
    void setSelectedSkinID(std::optional<QUuid> value);
    void setLayoutMode(LayoutMode value) { assign(Preference::layoutMode, QVariant::fromValue(value)); }
    void setMultiInstanceEnabled(bool value) { assign(Preference::multiInstanceEnabled, value); }
    void setStaleSessionTimeout(double value) { assign(Preference::staleSessionTimeout, value); }
    void setSkipOnboardingWindow(bool value) { assign(Preference::skipOnboardingWindow, value); }
    void setNotifyWhenNeedsInput(bool value) { assign(Preference::notifyWhenNeedsInput, value); }
    void setNotifyWhenCompleted(bool value) { assign(Preference::notifyWhenCompleted, value); }
    void setAnalyticsEnabled(bool value) { assign(Preference::analyticsEnabled, value); }
    void setAnalyticsDeviceId(const QString& value) { assign(Preference::analyticsDeviceId, value); }

    // A size button of the cat views: stores the side, then posts "WindowSizeChanged".
    Q_INVOKABLE void chooseWindowSize(double side);
    // A layout button: stores the mode (which posts "LayoutModeChanged"), then posts it once more.
    Q_INVOKABLE void chooseLayoutMode(LayoutModeType::LayoutMode mode);

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
    void multiInstanceEnabledChanged();
    void staleSessionTimeoutChanged();
    void skipOnboardingWindowChanged();
    void notifyWhenNeedsInputChanged();
    void notifyWhenCompletedChanged();
    void analyticsEnabledChanged();
    void analyticsDeviceIdChanged();

private:
    // Updates the value, emits its change signal, stores it, then posts its notification.
    void assign(Preference preference, const QVariant& value);
    void store(const QString& key, const QVariant& value);

    std::unique_ptr<QSettings> m_settings;
    AppNotifications* m_notifications;
    AutostartEntry m_autostart;
    bool m_persistent = true;
    std::array<QVariant, preferenceCount> m_values;
};

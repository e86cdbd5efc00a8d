#pragma once

#include "StatusBarItem.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <expected>
#include <memory>

class ApplicationServices;
class DesktopNotifications;
class FloatingPanelController;
class HookInstaller;
class OnboardingWindow;
class PreferencesWindow;
class QMessageBox;
class SessionNotifier;
class UpdateController;
struct UpdateCheckResult;

// The application's long-lived user interface: the tray item and its menu, the floating panel, the
// preferences and onboarding windows, the update check and the periodic hook check. Runs the start-up
// sequence and the shut-down steps, and carries out the commands another start hands over.
class AppController : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        std::chrono::milliseconds hookCheckInterval = std::chrono::seconds(300);
        StatusBarItem::TrayProbe trayProbe = {};
        QString updateFeedURL; // empty: no update checks
    };

    AppController(ApplicationServices& services, Options options, QObject* parent = nullptr);
    ~AppController() override;

    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    // "activate", "toggle", "preferences[=tab]", "onboarding", "quit"; anything else is logged and
    // ignored.
    void handleCommand(const QString& command);

    void hookStatusDidChange();
    void showAbout();
    void checkForUpdates();
    void quit();
    void toggleFloatingWindow();
    void showPreferences();
    void showPreferencesOnSkinsTab();
    // Raises the window as the user left it; makes it on the given tab the first time.
    void openPreferences(int tab);
    void openPreferencesOnTab(int tab);
    void showOnboarding();
    // A click on a session's notification: the panel comes forward with that session's cat focused.
    void showSession(const QString& sessionId);
    // Raises the terminal window that runs the session's Claude Code; the reason when it cannot.
    std::expected<void, QString> showTerminal(const QString& sessionId);

    StatusBarItem& statusBarItem() { return m_statusBarItem; }
    HookInstaller& hookInstaller() { return *m_hookInstaller; }
    FloatingPanelController& floatingPanel() { return *m_floatingPanel; }
    PreferencesWindow* preferencesWindow() const { return m_preferencesWindow.get(); }
    OnboardingWindow* onboardingWindow() const { return m_onboardingWindow.get(); }
    UpdateController* updaterController() const { return m_updaterController.get(); }

private:
    void updateStatusBarIcon();
    void showUpdateResult(const UpdateCheckResult& result);

    ApplicationServices& m_services;
    Options m_options;
    std::unique_ptr<FloatingPanelController> m_floatingPanel;
    StatusBarItem m_statusBarItem;
    std::unique_ptr<PreferencesWindow> m_preferencesWindow;
    std::unique_ptr<OnboardingWindow> m_onboardingWindow;
    std::unique_ptr<UpdateController> m_updaterController;
    QTimer m_hookStatusCheckTimer;
    std::unique_ptr<HookInstaller> m_hookInstaller;
    QPointer<QMessageBox> m_aboutBox;
    std::unique_ptr<DesktopNotifications> m_desktopNotifications;
    std::unique_ptr<SessionNotifier> m_sessionNotifier;
};

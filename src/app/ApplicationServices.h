#pragma once

#include "AnalyticsManager.h"
#include "AppNotifications.h"
#include "DisplayServices.h"
#include "HookInstaller.h"
#include "PreferencesManager.h"
#include "WindowContext.h"

#include <QObject>
#include <QString>
#include <memory>

// Puts the long-lived services together once, at start-up. Tests build it against a temporary home
// and settings file.
class ApplicationServices : public QObject
{
    Q_OBJECT
public:
    struct Paths
    {
        QString home; // where .tabbywatch lives
        QString autostartDirectory;
        QString executablePath;
        // Empty means the default: the hook installer's home falls back to home, the script source to
        // the data folder's status_writer.py, the analytics endpoint to ours.
        QString hookHome = {};
        QString hookScriptSource = {};
        QString analyticsURL = {};
        // Empty means the defaults: custom skins in home's .local/share/Tabbywatch/Skins (defaultPaths()
        // gives the XDG data folder's), bundled skins in the data folder's Skins.
        QString customSkinsDirectory = {};
        QString bundledSkinsDirectory = {};
        // Claude Code's configuration folder; empty means home's .claude.
        QString claudeConfigDirectory = {};
    };

    ApplicationServices(Paths paths, std::unique_ptr<QSettings> settings, QObject* parent = nullptr);
    ~ApplicationServices() override;

    static Paths defaultPaths();

    AppNotifications& notifications() { return m_notifications; }
    PreferencesManager& preferences() { return *m_preferences; }
    AnalyticsManager& analytics() { return *m_analytics; }
    // The status, session and skin services and their faces for the views.
    DisplayServices& display() { return *m_display; }
    StatusManager& statusManager() { return m_display->statusManager(); }
    SkinManager& skinManager() { return m_display->skinManager(); }
    MultiSessionManager& multiSessionManager() { return m_display->multiSessionManager(); }
    // AnalyticsManager::track, for the lower layers that send usage events.
    UsageEventSink usageEventSink();

    // Every owner of a hook installer (status-bar item, preferences, onboarding) gets it from here:
    // its usage events go to the analytics and its "HookStatusChanged" to notifications().
    std::unique_ptr<HookInstaller> makeHookInstaller(QObject* parent = nullptr);
    // What the preferences and onboarding windows are built with.
    WindowContext windowContext();

private:
    AppNotifications m_notifications;
    std::unique_ptr<PreferencesManager> m_preferences;
    std::unique_ptr<AnalyticsManager> m_analytics;
    std::unique_ptr<DisplayServices> m_display;
    QString m_hookHome;
    QString m_hookScriptSource;
};

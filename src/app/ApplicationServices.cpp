#include "ApplicationServices.h"

#include "HomeDirectory.h"

#include <QCoreApplication>
#include <QDir>

ApplicationServices::ApplicationServices(Paths paths, std::unique_ptr<QSettings> settings, QObject* parent)
    : QObject(parent)
{
    // The usage-event keys live in the user defaults beside the preferences: a second handle on the
    // same file.
    m_analytics = std::make_unique<AnalyticsManager>(
        std::make_unique<QSettings>(settings->fileName(), settings->format()),
        paths.analyticsURL.isEmpty() ? AnalyticsManager::defaultAnalyticsURL() : paths.analyticsURL);
    m_hookHome = paths.hookHome.isEmpty() ? paths.home : paths.hookHome;
    m_hookScriptSource =
        paths.hookScriptSource.isEmpty() ? HookInstaller::defaultScriptSourcePath() : paths.hookScriptSource;
    m_preferences =
        std::make_unique<PreferencesManager>(std::move(settings), &m_notifications,
                                             AutostartEntry(paths.autostartDirectory, paths.executablePath));
    m_statusManager = std::make_unique<StatusManager>(
        StatusManager::defaultStatusFilePath(paths.home),
        [prefs = m_preferences.get()] { return prefs->celebrationDuration(); });
    m_skinManager = std::make_unique<SkinManager>(
        paths.customSkinsDirectory.isEmpty()
            ? QDir(paths.home).filePath(QStringLiteral(".local/share/Tabbywatch/Skins"))
            : paths.customSkinsDirectory,
        paths.bundledSkinsDirectory.isEmpty() ? SkinManager::defaultBundledSkinsDirectory()
                                              : paths.bundledSkinsDirectory,
        SkinSelectionStore{[prefs = m_preferences.get()] { return prefs->selectedSkinID(); },
                           [prefs = m_preferences.get()](const QUuid& id) { prefs->setSelectedSkinID(id); }},
        usageEventSink());
    // New sessions get the bundled skins in turn.
    m_multiSessionManager = std::make_unique<MultiSessionManager>(
        MultiSessionManager::defaultSessionsDirectory(paths.home),
        [prefs = m_preferences.get()] { return prefs->celebrationDuration(); },
        [skins = m_skinManager.get()] { return std::optional(skins->nextBundledSkinId()); },
        m_preferences->multiInstanceEnabled(), m_preferences->staleSessionTimeout());
    connect(m_preferences.get(), &PreferencesManager::multiInstanceEnabledChanged,
            m_multiSessionManager.get(), &MultiSessionManager::setMultiInstanceEnabled);
    connect(m_preferences.get(), &PreferencesManager::staleSessionTimeoutChanged, m_multiSessionManager.get(),
            &MultiSessionManager::setStaleTimeout);
    m_panelPreferences = std::make_unique<FloatingPanelPreferences>(*m_preferences, m_notifications);
    m_display = std::make_unique<DisplayServices>(*m_statusManager, *m_multiSessionManager, *m_skinManager,
                                                  *m_panelPreferences);
}

ApplicationServices::~ApplicationServices()
{
    m_statusManager->stopMonitoring();
}

ApplicationServices::Paths ApplicationServices::defaultPaths()
{
    Paths paths{statusHomeDirectory(), AutostartEntry::defaultDirectory(),
                QCoreApplication::applicationFilePath()};
    paths.hookHome = HookInstaller::defaultHomeDirectory();
    paths.customSkinsDirectory = SkinManager::defaultCustomSkinsDirectory();
    return paths;
}

UsageEventSink ApplicationServices::usageEventSink()
{
    return
        [analytics = m_analytics.get()](const QString& event, const std::optional<QVariantMap>& properties) {
            analytics->track(event, properties);
        };
}

std::unique_ptr<HookInstaller> ApplicationServices::makeHookInstaller(QObject* parent)
{
    auto installer =
        std::make_unique<HookInstaller>(m_hookHome, m_hookScriptSource, usageEventSink(), parent);
    connect(installer.get(), &HookInstaller::hookStatusChanged, &m_notifications,
            &AppNotifications::hookStatusChanged);
    return installer;
}

#include "ApplicationServices.h"

#include "HomeDirectory.h"

#include <QCoreApplication>

ApplicationServices::ApplicationServices(Paths paths, std::unique_ptr<QSettings> settings, QObject* parent)
    : QObject(parent)
{
    m_preferences =
        std::make_unique<PreferencesManager>(std::move(settings), &m_notifications,
                                             AutostartEntry(paths.autostartDirectory, paths.executablePath));
    m_statusManager = std::make_unique<StatusManager>(
        StatusManager::defaultStatusFilePath(paths.home),
        [prefs = m_preferences.get()] { return prefs->celebrationDuration(); });
    // Sessions get no skin of their own until a skin manager is wired in here.
    m_multiSessionManager = std::make_unique<MultiSessionManager>(
        MultiSessionManager::defaultSessionsDirectory(paths.home),
        [prefs = m_preferences.get()] { return prefs->celebrationDuration(); }, NextBundledSkinIdSource(),
        m_preferences->multiInstanceEnabled(), m_preferences->staleSessionTimeout());
    connect(m_preferences.get(), &PreferencesManager::multiInstanceEnabledChanged,
            m_multiSessionManager.get(), &MultiSessionManager::setMultiInstanceEnabled);
    connect(m_preferences.get(), &PreferencesManager::staleSessionTimeoutChanged, m_multiSessionManager.get(),
            &MultiSessionManager::setStaleTimeout);
}

ApplicationServices::~ApplicationServices()
{
    m_statusManager->stopMonitoring();
}

ApplicationServices::Paths ApplicationServices::defaultPaths()
{
    return {statusHomeDirectory(), AutostartEntry::defaultDirectory(),
            QCoreApplication::applicationFilePath()};
}

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

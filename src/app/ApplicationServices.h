#pragma once

#include "AppNotifications.h"
#include "MultiSessionManager.h"
#include "PreferencesManager.h"
#include "StatusManager.h"

#include <QObject>
#include <QString>
#include <memory>

// Puts the long-lived services together once, at start-up, and wires what lower layers read from
// the preferences. Tests build it against a temporary home and settings file.
class ApplicationServices : public QObject
{
    Q_OBJECT
public:
    struct Paths
    {
        QString home; // where .tabbywatch lives
        QString autostartDirectory;
        QString executablePath;
    };

    ApplicationServices(Paths paths, std::unique_ptr<QSettings> settings, QObject* parent = nullptr);
    ~ApplicationServices() override;

    static Paths defaultPaths();

    AppNotifications& notifications() { return m_notifications; }
    PreferencesManager& preferences() { return *m_preferences; }
    StatusManager& statusManager() { return *m_statusManager; }
    MultiSessionManager& multiSessionManager() { return *m_multiSessionManager; }

private:
    AppNotifications m_notifications;
    std::unique_ptr<PreferencesManager> m_preferences;
    std::unique_ptr<StatusManager> m_statusManager;
    std::unique_ptr<MultiSessionManager> m_multiSessionManager;
};

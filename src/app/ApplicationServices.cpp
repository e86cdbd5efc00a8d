#include "ApplicationServices.h"

#include "BuildInfo.h"
#include "HomeDirectory.h"

#include <QCoreApplication>
#include <QDir>

ApplicationServices::ApplicationServices(Paths paths, std::unique_ptr<QSettings> settings, QObject* parent)
    : QObject(parent)
{
    m_hookHome = paths.hookHome.isEmpty() ? paths.home : paths.hookHome;
    m_hookScriptSource =
        paths.hookScriptSource.isEmpty() ? HookInstaller::defaultScriptSourcePath() : paths.hookScriptSource;
    m_preferences =
        std::make_unique<PreferencesManager>(std::move(settings), &m_notifications,
                                             AutostartEntry(paths.autostartDirectory, paths.executablePath));
    m_analytics = std::make_unique<AnalyticsManager>(
        *m_preferences,
        paths.analyticsURL.isEmpty() ? AnalyticsManager::defaultAnalyticsURL() : paths.analyticsURL);
    DisplayServices::Options display{paths.home, paths.customSkinsDirectory};
    display.claudeConfigDirectory = paths.claudeConfigDirectory;
    if (display.customSkinsDirectory.isEmpty())
        display.customSkinsDirectory =
            QDir(paths.home).filePath(QStringLiteral(".local/share/Tabbywatch/Skins"));
    if (!paths.bundledSkinsDirectory.isEmpty())
        display.bundledSkinsDirectory = paths.bundledSkinsDirectory;
    m_display = std::make_unique<DisplayServices>(*m_preferences, std::move(display), usageEventSink());
}

ApplicationServices::~ApplicationServices() = default;

ApplicationServices::Paths ApplicationServices::defaultPaths()
{
    Paths paths{statusHomeDirectory(), AutostartEntry::defaultDirectory(),
                AutostartEntry::programToLaunch(QCoreApplication::applicationFilePath(),
                                                QString::fromUtf8(BuildInfo::installedProgram))};
    paths.hookHome = HookInstaller::defaultHomeDirectory();
    paths.customSkinsDirectory = SkinManager::defaultCustomSkinsDirectory();
    // Where Claude Code keeps its own session files when the user moved its configuration.
    paths.claudeConfigDirectory = qEnvironmentVariable("CLAUDE_CONFIG_DIR");
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

WindowContext ApplicationServices::windowContext()
{
    return {statusManager(), [this] { return makeHookInstaller(); }, usageEventSink()};
}

#pragma once

#include "HookInstallerError.h"
#include "InstallationStatus.h"
#include "UsageEventSink.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <expected>
#include <optional>

// Installs, checks, updates and removes Tabbywatch's hook in Claude Code's per-user settings
// (~/.claude/settings.json) and the script it runs (~/.claude/hooks/status_writer.py), with the module
// beside it that does the script's work (tabbywatch_hook.py).
//
// Several instances may exist at once (status-bar item, preferences, onboarding); they share only the
// files. Every call reads the files afresh. The settings file is the user's: it is replaced atomically,
// written back with its members in their order in Claude Code's two-space layout, and a file that is
// not a JSON object is refused and left as it was.
class HookInstaller : public QObject
{
    Q_OBJECT
    Q_PROPERTY(InstallationStatus installationStatus READ installationStatus NOTIFY installationStatusChanged)
    Q_PROPERTY(QString statusMessage READ statusMessage NOTIFY statusMessageChanged)
    Q_PROPERTY(HookCompatibility hookCompatibility READ hookCompatibility NOTIFY hookCompatibilityChanged)
    Q_PROPERTY(QString manualConfiguration READ manualConfiguration CONSTANT)

public:
    // The events the hook is registered for, in the order the settings list them.
    static const QStringList& hookEvents();

    // home: the user's home as the password database has it (not $HOME); scriptSourcePath: the shipped
    // status_writer.py, with its module beside it; track: where the usage events go.
    explicit HookInstaller(QString home = defaultHomeDirectory(),
                           QString scriptSourcePath = defaultScriptSourcePath(), UsageEventSink track = {},
                           QObject* parent = nullptr);
    ~HookInstaller() override;

    static QString defaultHomeDirectory();
    static QString defaultScriptSourcePath();

    InstallationStatus installationStatus() const { return m_installationStatus; }
    QString statusMessage() const { return m_statusMessage; }
    HookCompatibility hookCompatibility() const { return m_hookCompatibility; }

    QString hookScriptPath() const { return m_hookScriptPath; }
    QString hookModulePath() const { return m_hookModulePath; }
    QString settingsPath() const { return m_settingsPath; }
    QString sessionsDirectoryPath() const { return m_sessionsDirectoryPath; }

    // Sets the three properties from the files; never fails.
    Q_INVOKABLE void checkInstallationStatus();
    // Both set the properties before returning, also on failure.
    std::expected<void, HookInstallerFailure> installHooks();
    std::expected<void, HookInstallerFailure> uninstallHooks();

    // The JSON users can merge into their settings by hand.
    QString manualConfiguration() const;

    // Whether the settings carry a PreToolUse or PostToolUse hook entry, whatever it holds.
    bool hooksConfigured() const;
    HookCompatibility checkCompatibility() const;
    // Whether the installed hook knows Claude Code's idle notification: its module, where the script's
    // work is done. A script of an earlier version, which has no module, reads as out of date.
    bool scriptHandlesIdlePrompt() const;

signals:
    void installationStatusChanged();
    void statusMessageChanged();
    void hookCompatibilityChanged();
    // "HookStatusChanged": the hook was installed or removed. The application forwards it to
    // AppNotifications::hookStatusChanged so that every installer's owner re-checks.
    void hookStatusChanged();

private:
    struct SettingsFile;

    std::expected<void, HookInstallerFailure> installFiles();
    std::expected<void, HookInstallerFailure> installScript();
    std::expected<void, HookInstallerFailure> mergeHookEntries();
    std::expected<void, HookInstallerFailure> removeHookEntries();
    std::expected<SettingsFile, HookInstallerFailure> readSettingsForUpdate() const;
    std::expected<void, HookInstallerFailure> writeSettings(const SettingsFile& settings) const;

    void setInstallationStatus(InstallationStatus status);
    void setStatusMessage(const QString& message);
    void setHookCompatibility(HookCompatibility compatibility);
    void track(const QString& event, const std::optional<QVariantMap>& properties = std::nullopt);

    InstallationStatus m_installationStatus = InstallationStatus::notInstalled;
    QString m_statusMessage;
    HookCompatibility m_hookCompatibility = HookCompatibility::notInstalled;

    const QString m_hookScriptPath;
    const QString m_hookModulePath;
    const QString m_settingsPath;
    const QString m_sessionsDirectoryPath;
    const QString m_scriptSourcePath;
    const QString m_moduleSourcePath;
    UsageEventSink m_track;
};

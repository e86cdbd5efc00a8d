#pragma once

#include <QString>
#include <optional>

// The installer's own failures; file-system and JSON problems are not among them.
enum class HookInstallerError
{
    scriptNotFoundInBundle,     // the data folder lacks status_writer.py or its module
    scriptNotExecutable,        // the copied script lacks the run bit after its mode was set
    settingsVerificationFailed, // after writing, settings.json does not show the hook
};

// The case name, as the usage event "hook_installation_failed" reports it.
QString hookInstallerErrorName(HookInstallerError error);
QString hookInstallerErrorDescription(HookInstallerError error);

// Why an install or uninstall failed: one of the installer's own cases, or a file-system or JSON
// problem described in words.
struct HookInstallerFailure
{
    std::optional<HookInstallerError> error;
    QString description;

    static HookInstallerFailure of(HookInstallerError error);
    static HookInstallerFailure fileSystem(QString description);

    // The "error_type" property: the case name, or "file_system_error" for everything else.
    QString errorType() const;
};

#include "HookInstallerError.h"

QString hookInstallerErrorName(HookInstallerError error)
{
    switch (error) {
    case HookInstallerError::scriptNotFoundInBundle:
        return QStringLiteral("scriptNotFoundInBundle");
    case HookInstallerError::scriptNotExecutable:
        return QStringLiteral("scriptNotExecutable");
    case HookInstallerError::settingsVerificationFailed:
        return QStringLiteral("settingsVerificationFailed");
    }
    return {};
}

QString hookInstallerErrorDescription(HookInstallerError error)
{
    switch (error) {
    case HookInstallerError::scriptNotFoundInBundle:
        return QStringLiteral(
            "The hook script status_writer.py or its module tabbywatch_hook.py is missing from the "
            "application's data folder.");
    case HookInstallerError::scriptNotExecutable:
        return QStringLiteral("The installed hook script could not be made executable.");
    case HookInstallerError::settingsVerificationFailed:
        return QStringLiteral("Claude Code's settings.json does not show the hooks after writing it.");
    }
    return {};
}

HookInstallerFailure HookInstallerFailure::of(HookInstallerError error)
{
    return {error, hookInstallerErrorDescription(error)};
}

HookInstallerFailure HookInstallerFailure::fileSystem(QString description)
{
    return {std::nullopt, std::move(description)};
}

QString HookInstallerFailure::errorType() const
{
    return error ? hookInstallerErrorName(*error) : QStringLiteral("file_system_error");
}

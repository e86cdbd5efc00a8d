#include "InstallationStatus.h"

QString installationStatusLabel(InstallationStatus status)
{
    switch (status) {
    case InstallationStatus::notInstalled:
        return QStringLiteral("Not Installed");
    case InstallationStatus::partiallyInstalled:
        return QStringLiteral("Partially Installed");
    case InstallationStatus::installing:
        return QStringLiteral("Installing...");
    case InstallationStatus::installed:
        return QStringLiteral("Installed");
    case InstallationStatus::error:
        return QStringLiteral("Error");
    }
    return {};
}

QString installationStatusSymbol(InstallationStatus status)
{
    switch (status) {
    case InstallationStatus::notInstalled:
        return QStringLiteral("xmark.circle.fill");
    case InstallationStatus::partiallyInstalled:
        return QStringLiteral("exclamationmark.triangle.fill");
    case InstallationStatus::installing:
        return QStringLiteral("arrow.triangle.2.circlepath");
    case InstallationStatus::installed:
        return QStringLiteral("checkmark.circle.fill");
    case InstallationStatus::error:
        return QStringLiteral("xmark.octagon.fill");
    }
    return {};
}

QString installationStatusColor(InstallationStatus status)
{
    switch (status) {
    case InstallationStatus::notInstalled:
    case InstallationStatus::error:
        return QStringLiteral("red");
    case InstallationStatus::partiallyInstalled:
        return QStringLiteral("orange");
    case InstallationStatus::installing:
        return QStringLiteral("blue");
    case InstallationStatus::installed:
        return QStringLiteral("green");
    }
    return {};
}

QString installationStatusDotColor(InstallationStatus status)
{
    if (status == InstallationStatus::partiallyInstalled)
        return QStringLiteral("yellow");
    return installationStatusColor(status);
}

#pragma once

#include <QMetaType>
#include <QString>

// How complete the hook installation is, from nothing to everything in place.
enum class InstallationStatus
{
    notInstalled,
    partiallyInstalled,
    installing,
    installed,
    error,
};

// Whether an installation is current enough for Claude Code's idle notification (v0.4.2+).
enum class HookCompatibility
{
    compatible,
    incompatible,
    notInstalled,
};

// The preferences window's wording; the symbols name files of our icon set (SF Symbols names).
QString installationStatusLabel(InstallationStatus status);
QString installationStatusSymbol(InstallationStatus status);
// Colour names as QML and QColor take them.
QString installationStatusColor(InstallationStatus status);
QString installationStatusDotColor(InstallationStatus status);

Q_DECLARE_METATYPE(InstallationStatus)
Q_DECLARE_METATYPE(HookCompatibility)

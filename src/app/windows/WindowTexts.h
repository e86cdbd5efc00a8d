#pragma once

#include "HookInstallerError.h"
#include "InstallationStatus.h"

#include <QString>
#include <QUrl>
#include <expected>

// The texts of the preferences and onboarding windows that follow a rule, kept out of QML so that
// they can be tested on their own.
namespace WindowTexts {

// The stale-session timeout as the slider shows it: whole minutes, then hours and minutes
// (300 -> "5m", 3600 -> "1h", 4500 -> "1h 15m").
QString staleTimeoutText(double seconds);

// A new mail to the support address; the subject is percent-encoded for the query.
QUrl mailtoURL(const QString& address, const QString& subject);

// The preferences tab's name in usage events; "Unknown" for an index without a tab.
QString preferencesTabName(int index);

// "Version 0.1.0 (Build 1)".
QString versionText(const QString& version, const QString& build);

// The mounts that let the application see the status files of a dev container.
QString devContainerConfiguration();

// What the window says after an install or removal, by the button that ran it.
enum class HookAction
{
    connect,           // preferences: Connect / Reconnect
    update,            // preferences: Update Hooks Now
    disconnect,        // preferences: Disconnect
    onboardingConnect, // onboarding: Connect to Claude Code / Reconnect
};
QString hookActionAlertText(HookAction action, const std::expected<void, HookInstallerFailure>& result);

// The onboarding window's status card.
struct OnboardingCard
{
    QString symbol;
    QString color;
    QString title;
    QString detail;
};
OnboardingCard onboardingCard(InstallationStatus status);

} // namespace WindowTexts

#include "WindowTexts.h"

#include <QUrlQuery>

namespace WindowTexts {

QString staleTimeoutText(double seconds)
{
    const qint64 minutes = qint64(seconds) / 60;
    if (minutes < 60)
        return QStringLiteral("%1m").arg(minutes);
    const qint64 hours = minutes / 60;
    const qint64 rest = minutes % 60;
    if (rest == 0)
        return QStringLiteral("%1h").arg(hours);
    return QStringLiteral("%1h %2m").arg(hours).arg(rest);
}

QUrl mailtoURL(const QString& address, const QString& subject)
{
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(address);
    // QUrlQuery leaves '+' and '&' alone in values; encode everything outside the unreserved set so
    // that a mail client reads the subject back as written.
    url.setQuery(QStringLiteral("subject=") + QString::fromLatin1(QUrl::toPercentEncoding(subject)),
                 QUrl::StrictMode);
    return url;
}

QString preferencesTabName(int index)
{
    switch (index) {
    case 0:
        return QStringLiteral("Skins");
    case 1:
        return QStringLiteral("Installation");
    case 2:
        return QStringLiteral("History");
    case 3:
        return QStringLiteral("About");
    default:
        return QStringLiteral("Unknown");
    }
}

QString versionText(const QString& version, const QString& build)
{
    return QStringLiteral("Version %1 (Build %2)").arg(version, build);
}

QString devContainerConfiguration()
{
    return QStringLiteral(
        "{\n"
        "  \"mounts\": [\n"
        "    \"source=${localEnv:HOME}/.tabbywatch,target=/home/vscode/.tabbywatch,type=bind\",\n"
        "    \"source=${localEnv:HOME}/.claude,target=/home/vscode/.claude,type=bind\"\n"
        "  ]\n"
        "}");
}

QString hookActionAlertText(HookAction action, const std::expected<void, HookInstallerFailure>& result)
{
    const QString reason = result ? QString() : result.error().description;
    switch (action) {
    case HookAction::connect:
        return result ? QStringLiteral("✅ Connected successfully! Restart Claude Code to activate.")
                      : QStringLiteral("❌ Connection failed: ") + reason;
    case HookAction::update:
        return result ? QStringLiteral("✅ Hooks updated successfully!")
                      : QStringLiteral("❌ Update failed: ") + reason;
    case HookAction::disconnect:
        return result ? QStringLiteral("Disconnected from Claude Code")
                      : QStringLiteral("❌ Disconnect failed: ") + reason;
    case HookAction::onboardingConnect:
        return result ? QStringLiteral("Connected successfully! Restart any active Claude Code sessions to "
                                       "see status updates.")
                      : QStringLiteral("Connection failed: ") + reason;
    }
    Q_UNREACHABLE();
}

OnboardingCard onboardingCard(InstallationStatus status)
{
    switch (status) {
    case InstallationStatus::installed:
        return {QStringLiteral("checkmark.circle.fill"), QStringLiteral("green"), QStringLiteral("Connected"),
                QStringLiteral("You're all set! Restart any active Claude Code sessions to activate the "
                               "connection.")};
    case InstallationStatus::installing:
        return {QStringLiteral("arrow.triangle.2.circlepath"), QStringLiteral("blue"),
                QStringLiteral("Connecting..."), QStringLiteral("Setting up connection...")};
    default:
        return {QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("orange"),
                QStringLiteral("Setup Required"), QStringLiteral("Tabbywatch isn't connected yet.")};
    }
}

} // namespace WindowTexts

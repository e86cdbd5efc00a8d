#include "DesktopActions.h"

#include "BuildInfo.h"
#include "DataDirectory.h"
#include "LayoutMode.h"
#include "WindowTexts.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

QString DesktopActions::versionText() const
{
    return WindowTexts::versionText(QString::fromUtf8(BuildInfo::version),
                                    QString::fromUtf8(BuildInfo::build));
}

QString DesktopActions::supportEmail() const
{
    return QString::fromUtf8(BuildInfo::supportEmail);
}

QString DesktopActions::websiteURL() const
{
    return QString::fromUtf8(BuildInfo::websiteURL);
}

QString DesktopActions::devContainerConfiguration() const
{
    return WindowTexts::devContainerConfiguration();
}

QVariantList DesktopActions::layoutChoices() const
{
    QVariantList list;
    for (LayoutMode mode : allLayoutModes) {
        list.append(QVariantMap{{QStringLiteral("mode"), int(mode)},
                                {QStringLiteral("label"), layoutModeLabel(mode)},
                                {QStringLiteral("symbol"), layoutModeSymbol(mode)}});
    }
    return list;
}

void DesktopActions::copyText(const QString& text) const
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

bool DesktopActions::sendMail(const QString& subject) const
{
    if (supportEmail().isEmpty())
        return false;
    return QDesktopServices::openUrl(WindowTexts::mailtoURL(supportEmail(), subject));
}

bool DesktopActions::openWebsite() const
{
    if (websiteURL().isEmpty())
        return false;
    return QDesktopServices::openUrl(QUrl(websiteURL()));
}

bool DesktopActions::openDevContainersGuide() const
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(devContainersGuidePath()));
}

QString DesktopActions::staleTimeoutText(double seconds) const
{
    return WindowTexts::staleTimeoutText(seconds);
}

QString DesktopActions::devContainersGuidePath()
{
    const QString shipped = dataDirectory() + QStringLiteral("/DEV_CONTAINERS.md");
    if (QFileInfo::exists(shipped))
        return shipped;
    return QDir::current().filePath(QStringLiteral("DEV_CONTAINERS.md"));
}

#include "CursorHookInstaller.h"

#include <QDir>

// Where Cursor keeps its per-user hooks (~/.cursor/hooks.json) and where its Linux packages put it.
CursorHookInstaller::CursorHookInstaller(const QString& home, QObject* parent)
    : QObject(parent),
      m_scriptInstallPath(QDir(home).filePath(QStringLiteral(".cursor/hooks/status_writer.py"))),
      m_hooksConfigPath(QDir(home).filePath(QStringLiteral(".cursor/hooks.json"))),
      m_cursorAppPaths{QStringLiteral("/usr/share/cursor/cursor"), QStringLiteral("/opt/Cursor/cursor"),
                       QDir(home).filePath(QStringLiteral("Applications/cursor.AppImage")),
                       QDir(home).filePath(QStringLiteral(".local/bin/cursor"))}
{}

void CursorHookInstaller::setInstallationStatus(CursorInstallationStatus status)
{
    m_installationStatus = status;
    emit installationStatusChanged();
}

void CursorHookInstaller::setStatusMessage(const QString& message)
{
    m_statusMessage = message;
    emit statusMessageChanged();
}

void CursorHookInstaller::setCursorInstalled(bool installed)
{
    m_isCursorInstalled = installed;
    emit isCursorInstalledChanged();
}

#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

enum class CursorInstallationStatus
{
    notInstalled,
    partiallyInstalled,
    installing,
    installed,
    error,
};

// Placeholder for a hook into the Cursor editor: state only, no operations, created by nothing yet.
class CursorHookInstaller : public QObject
{
    Q_OBJECT
    Q_PROPERTY(CursorInstallationStatus installationStatus READ installationStatus WRITE setInstallationStatus
                   NOTIFY installationStatusChanged)
    Q_PROPERTY(QString statusMessage READ statusMessage WRITE setStatusMessage NOTIFY statusMessageChanged)
    Q_PROPERTY(bool isCursorInstalled READ isCursorInstalled WRITE setCursorInstalled NOTIFY
                   isCursorInstalledChanged)

public:
    explicit CursorHookInstaller(const QString& home, QObject* parent = nullptr);

    CursorInstallationStatus installationStatus() const { return m_installationStatus; }
    QString statusMessage() const { return m_statusMessage; }
    bool isCursorInstalled() const { return m_isCursorInstalled; }

    // Every assignment notifies, as published fields do.
    void setInstallationStatus(CursorInstallationStatus status);
    void setStatusMessage(const QString& message);
    void setCursorInstalled(bool installed);

    QString scriptInstallPath() const { return m_scriptInstallPath; }
    QString hooksConfigPath() const { return m_hooksConfigPath; }
    QStringList cursorAppPaths() const { return m_cursorAppPaths; }

signals:
    void installationStatusChanged();
    void statusMessageChanged();
    void isCursorInstalledChanged();

private:
    CursorInstallationStatus m_installationStatus = CursorInstallationStatus::notInstalled;
    QString m_statusMessage;
    bool m_isCursorInstalled = false;
    const QString m_scriptInstallPath;
    const QString m_hooksConfigPath;
    const QStringList m_cursorAppPaths;
};

Q_DECLARE_METATYPE(CursorInstallationStatus)

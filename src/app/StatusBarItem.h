#pragma once

#include "InstallationStatus.h"

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

// The tray icon with the hook-status dot, and the application menu it opens. The same menu is offered
// by the panel's right click, since many desktops (stock GNOME) have no tray at all.
class StatusBarItem : public QObject
{
    Q_OBJECT
public:
    struct TrayProbe
    {
        std::function<bool()> isAvailable = &QSystemTrayIcon::isSystemTrayAvailable;
        // Trays often start after the session's applications: look again a few times.
        std::chrono::milliseconds retryInterval = std::chrono::seconds(10);
        int retries = 6;
    };

    explicit StatusBarItem(TrayProbe probe, QObject* parent = nullptr);
    ~StatusBarItem() override;

    // Builds the menu and puts the icon in the tray, or starts looking for one.
    void setupStatusBar();
    void updateStatusBarIcon(InstallationStatus status);
    // Hidden when no update feed is configured.
    void setUpdateCheckAvailable(bool available);

    InstallationStatus status() const { return m_status; }
    bool isInTray() const { return m_tray && m_tray->isVisible(); }
    QMenu* menu() const { return m_menu.get(); }
    void popUpMenu(const QPoint& globalPosition);

signals:
    void aboutRequested();
    void preferencesRequested();
    void updateCheckRequested();
    void toggleWindowRequested();
    void quitRequested();

private:
    void buildMenu();
    void tryToShowInTray();

    TrayProbe m_probe;
    std::unique_ptr<QMenu> m_menu;
    QAction* m_updateAction = nullptr;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    QTimer m_retry;
    int m_attempts = 0;
    InstallationStatus m_status = InstallationStatus::notInstalled;
};

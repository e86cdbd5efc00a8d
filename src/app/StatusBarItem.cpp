#include "StatusBarItem.h"

#include "Log.h"
#include "StatusBarIcon.h"

StatusBarItem::StatusBarItem(TrayProbe probe, QObject* parent) : QObject(parent), m_probe(std::move(probe))
{
    m_retry.setInterval(m_probe.retryInterval);
    connect(&m_retry, &QTimer::timeout, this, &StatusBarItem::tryToShowInTray);
}

StatusBarItem::~StatusBarItem() = default;

void StatusBarItem::setupStatusBar()
{
    if (m_tray)
        return;
    if (!m_menu)
        buildMenu();
    m_tray = std::make_unique<QSystemTrayIcon>(StatusBarIcon::icon(m_status));
    m_tray->setToolTip(QStringLiteral("Tabbywatch"));
    m_tray->setContextMenu(m_menu.get());
    // A left click opens the same menu, as a right click does.
    connect(m_tray.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    popUpMenu(QCursor::pos());
            });
    tryToShowInTray();
}

void StatusBarItem::buildMenu()
{
    m_menu = std::make_unique<QMenu>();
    m_menu->setTitle(QStringLiteral("Tabbywatch"));
    m_menu->addAction(QStringLiteral("About Tabbywatch"), this, &StatusBarItem::aboutRequested);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("Preferences..."), this, &StatusBarItem::preferencesRequested);
    m_menu->addSeparator();
    m_updateAction =
        m_menu->addAction(QStringLiteral("Check for Updates..."), this, &StatusBarItem::updateCheckRequested);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("Show/Hide Window"), this, &StatusBarItem::toggleWindowRequested);
    m_menu->addSeparator();
    QAction* quit = m_menu->addAction(QStringLiteral("Quit Tabbywatch"), this, &StatusBarItem::quitRequested);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    // Ctrl+Q works in every window of the program, not only while the menu is open.
    quit->setShortcutContext(Qt::ApplicationShortcut);
}

void StatusBarItem::setUpdateCheckAvailable(bool available)
{
    if (!m_menu)
        buildMenu();
    m_updateAction->setVisible(available);
}

void StatusBarItem::tryToShowInTray()
{
    if (m_probe.isAvailable()) {
        m_retry.stop();
        m_tray->show();
        if (m_attempts > 0)
            logLine(QStringLiteral("✅ System tray found"));
        return;
    }
    if (m_attempts == 0)
        logLine(QStringLiteral("⚠️ No system tray yet; right-click the panel for the menu"));
    if (m_attempts++ < m_probe.retries) {
        if (!m_retry.isActive())
            m_retry.start();
    } else {
        m_retry.stop();
    }
}

void StatusBarItem::updateStatusBarIcon(InstallationStatus status)
{
    m_status = status;
    if (m_tray)
        m_tray->setIcon(StatusBarIcon::icon(status));
}

void StatusBarItem::popUpMenu(const QPoint& globalPosition)
{
    if (!m_menu)
        buildMenu();
    m_menu->popup(globalPosition);
}

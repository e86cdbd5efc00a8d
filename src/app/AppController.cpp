#include "AppController.h"

#include "ApplicationServices.h"
#include "BuildInfo.h"
#include "DesktopNotifications.h"
#include "FloatingPanel.h"
#include "FloatingPanelController.h"
#include "HookInstaller.h"
#include "Log.h"
#include "OnboardingWindow.h"
#include "PreferencesWindow.h"
#include "SessionListModel.h"
#include "SessionNotifier.h"
#include "TerminalWindow.h"
#include "UpdateController.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QQmlEngine>
#include <QTimer>
#include <QToolTip>

namespace {
std::optional<int> preferencesTab(QStringView name)
{
    static const QStringList tabs{QStringLiteral("skins"), QStringLiteral("installation"),
                                  QStringLiteral("history"), QStringLiteral("about")};
    const qsizetype index = tabs.indexOf(name);
    return index < 0 ? std::nullopt : std::optional<int>(int(index));
}
} // namespace

AppController::AppController(ApplicationServices& services, Options options, QObject* parent)
    : QObject(parent), m_services(services), m_options(std::move(options)),
      m_floatingPanel(std::make_unique<FloatingPanelController>(services)),
      m_statusBarItem(m_options.trayProbe), m_hookInstaller(services.makeHookInstaller())
{
    connect(&m_statusBarItem, &StatusBarItem::aboutRequested, this, &AppController::showAbout);
    connect(&m_statusBarItem, &StatusBarItem::preferencesRequested, this, &AppController::showPreferences);
    connect(&m_statusBarItem, &StatusBarItem::updateCheckRequested, this, &AppController::checkForUpdates);
    connect(&m_statusBarItem, &StatusBarItem::toggleWindowRequested, this,
            &AppController::toggleFloatingWindow);
    connect(&m_statusBarItem, &StatusBarItem::quitRequested, this, &AppController::quit);
    connect(&services.display().skins(), &SkinCatalog::skinLibraryRequested, this,
            &AppController::showPreferencesOnSkinsTab);
}

AppController::~AppController() = default;

void AppController::applicationDidFinishLaunching()
{
    m_updaterController =
        std::make_unique<UpdateController>(m_options.updateFeedURL, QString::fromLatin1(BuildInfo::version));
    connect(m_updaterController.get(), &UpdateController::checkFinished, this,
            &AppController::showUpdateResult);
    // The skin manager already exists: the services made it before any view could ask.
    m_statusBarItem.setUpdateCheckAvailable(m_updaterController->isAvailable());
    m_statusBarItem.setupStatusBar();

    m_floatingPanel->setupFloatingPanel();
    connect(m_floatingPanel->floatingPanel(), &FloatingPanel::contextMenuRequested, &m_statusBarItem,
            &StatusBarItem::popUpMenu);
    // The preferences and onboarding windows share the panel's engine; their Ctrl+Q ends up here.
    connect(m_floatingPanel->floatingPanel()->engine(), &QQmlEngine::quit, this, &AppController::quit);
    connect(&m_services.notifications(), &AppNotifications::hookStatusChanged, this,
            &AppController::hookStatusDidChange);

    // A session waiting on the user is told about even when the panel is hidden or covered.
    m_desktopNotifications = std::make_unique<DesktopNotifications>();
    m_sessionNotifier =
        std::make_unique<SessionNotifier>(*m_desktopNotifications, m_services.preferences(),
                                          [panel = m_floatingPanel->floatingPanel()](const QString&) {
                                              return panel && panel->isVisible() && panel->isExposed();
                                          });
    MultiSessionManager& sessions = m_services.multiSessionManager();
    connect(&sessions, &MultiSessionManager::instancesChanged, m_sessionNotifier.get(),
            [this, &sessions] { m_sessionNotifier->sessionsChanged(sessions.instances()); });
    connect(m_sessionNotifier.get(), &SessionNotifier::showSessionRequested, this,
            &AppController::showSession);
    connect(m_sessionNotifier.get(), &SessionNotifier::showTerminalRequested, this,
            [this](const QString& sessionId) { showTerminal(sessionId); });
    // A double click on a cat. Where the terminal cannot be found, a tooltip at the pointer says why:
    // a window of its own, so that it shows outside the panel.
    connect(&m_services.display().sessions(), &SessionListModel::terminalRequested, this,
            [this](const QString& sessionId) {
                // After the double click's last release, which would hide it at once.
                if (const auto shown = showTerminal(sessionId); !shown)
                    QTimer::singleShot(300, this,
                                       [why = shown.error()] { QToolTip::showText(QCursor::pos(), why); });
            });

    hookStatusDidChange();
    m_hookStatusCheckTimer.setInterval(m_options.hookCheckInterval);
    connect(&m_hookStatusCheckTimer, &QTimer::timeout, this, &AppController::hookStatusDidChange);
    m_hookStatusCheckTimer.start();

    if (!m_services.preferences().skipOnboardingWindow() &&
        m_hookInstaller->installationStatus() != InstallationStatus::installed)
        showOnboarding();

    logLine(QStringLiteral("✅ Tabbywatch launched successfully"));
    m_services.analytics().track(
        QStringLiteral("app_launched"),
        QVariantMap{{QStringLiteral("version"), QString::fromLatin1(BuildInfo::version)},
                    {QStringLiteral("build"), QString::fromLatin1(BuildInfo::build)}});
}

void AppController::showSession(const QString& sessionId)
{
    m_floatingPanel->showFloatingWindow();
    if (FloatingPanel* panel = m_floatingPanel->floatingPanel())
        panel->raise();
    m_services.multiSessionManager().focusSession(sessionId);
}

std::expected<void, QString> AppController::showTerminal(const QString& sessionId)
{
    const std::optional<qint64> pid = m_services.multiSessionManager().claudePid(sessionId);
    const auto window = pid ? TerminalWindow::find(
                                  *pid, [](qint64 p) { return TerminalWindow::parentFromProc(p); },
                                  TerminalWindow::x11Windows())
                            : std::unexpected(QStringLiteral("The session's status file names no process"));
    if (!window) {
        logLine(QStringLiteral("⚠️ Cannot show the terminal of %1: %2").arg(sessionId, window.error()));
        return std::unexpected(window.error());
    }
    TerminalWindow::activate(*window);
    return {};
}

void AppController::applicationWillTerminate()
{
    m_services.statusManager().stopMonitoring();
    m_hookStatusCheckTimer.stop();
}

void AppController::handleCommand(const QString& command)
{
    if (command == u"activate") {
        m_floatingPanel->showFloatingWindow();
    } else if (command == u"toggle") {
        toggleFloatingWindow();
    } else if (command == u"onboarding") {
        showOnboarding();
    } else if (command == u"quit") {
        quit();
    } else if (command == u"preferences") {
        showPreferences();
    } else if (const auto tab = command.startsWith(u"preferences=")
                                    ? preferencesTab(QStringView(command).mid(12))
                                    : std::nullopt) {
        openPreferencesOnTab(*tab);
    } else {
        logLine(QStringLiteral("⚠️ Unknown command ignored: ") + command);
    }
}

void AppController::hookStatusDidChange()
{
    m_hookInstaller->checkInstallationStatus();
    updateStatusBarIcon();
}

void AppController::updateStatusBarIcon()
{
    m_statusBarItem.updateStatusBarIcon(m_hookInstaller->installationStatus());
}

void AppController::showAbout()
{
    if (!m_aboutBox) {
        m_aboutBox = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("About Tabbywatch"),
                                     QStringLiteral("<b>Tabbywatch</b>"), QMessageBox::Ok);
        m_aboutBox->setAttribute(Qt::WA_DeleteOnClose);
        m_aboutBox->setIconPixmap(QIcon(QStringLiteral(":/tabbywatch/icons/cat.fill.svg")).pixmap(64));
        m_aboutBox->setInformativeText(
            QStringLiteral("Version %1 (Build %2)<br><br>A desktop companion for Claude Code: an animated "
                           "cat that shows what each session is doing.<br><br>Released under the MIT "
                           "License.")
                .arg(QString::fromLatin1(BuildInfo::version), QString::fromLatin1(BuildInfo::build)));
        m_aboutBox->setModal(false);
    }
    m_aboutBox->show();
    m_aboutBox->raise();
    m_aboutBox->activateWindow();
}

void AppController::checkForUpdates()
{
    if (m_updaterController)
        m_updaterController->checkForUpdates();
}

void AppController::quit()
{
    QCoreApplication::quit();
}

void AppController::toggleFloatingWindow()
{
    m_floatingPanel->toggleFloatingWindow();
}

void AppController::showPreferences()
{
    openPreferences(PreferencesWindow::installation);
}

void AppController::showPreferencesOnSkinsTab()
{
    openPreferencesOnTab(PreferencesWindow::skins);
}

void AppController::openPreferences(int tab)
{
    if (!m_preferencesWindow)
        m_preferencesWindow = std::make_unique<PreferencesWindow>(*m_floatingPanel->floatingPanel()->engine(),
                                                                  m_services.windowContext());
    m_preferencesWindow->open(tab);
}

void AppController::openPreferencesOnTab(int tab)
{
    // Asked for by name ("Create a Custom Skin", --preferences=about): that tab, even if the window
    // was left on another.
    openPreferences(tab);
    m_preferencesWindow->setSelectedTab(tab);
}

void AppController::showOnboarding()
{
    if (!m_onboardingWindow)
        m_onboardingWindow = std::make_unique<OnboardingWindow>(*m_floatingPanel->floatingPanel()->engine(),
                                                                m_services.windowContext());
    m_onboardingWindow->show();
}

void AppController::showUpdateResult(const UpdateCheckResult& result)
{
    auto* box = new QMessageBox(QMessageBox::Information, result.title, result.text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    if (!result.notes.isEmpty())
        box->setDetailedText(result.notes);
    if (result.pageURL.isValid()) {
        box->setStandardButtons(QMessageBox::NoButton);
        QPushButton* open = box->addButton(QStringLiteral("Open Download Page"), QMessageBox::AcceptRole);
        box->addButton(QStringLiteral("Later"), QMessageBox::RejectRole);
        box->setDefaultButton(open);
        connect(open, &QPushButton::clicked, this,
                [url = result.pageURL] { QDesktopServices::openUrl(url); });
    }
    box->show();
    box->raise();
    box->activateWindow();
}

#include "ConnectionModel.h"

ConnectionModel::ConnectionModel(Window window, std::unique_ptr<HookInstaller> installer,
                                 UsageEventSink track, QObject* parent)
    : QObject(parent), m_window(window), m_installer(std::move(installer)), m_track(std::move(track))
{
    HookInstaller* hooks = m_installer.get();
    connect(hooks, &HookInstaller::installationStatusChanged, this, &ConnectionModel::changed);
    connect(hooks, &HookInstaller::statusMessageChanged, this, &ConnectionModel::changed);
    connect(hooks, &HookInstaller::hookCompatibilityChanged, this, &ConnectionModel::changed);
}

ConnectionModel::~ConnectionModel() = default;

QString ConnectionModel::connectHooks()
{
    if (m_window == Window::preferences)
        return WindowTexts::hookActionAlertText(WindowTexts::HookAction::connect,
                                                m_installer->installHooks());
    track(QStringLiteral("onboarding_connect_clicked"));
    const auto result = m_installer->installHooks();
    if (result)
        track(QStringLiteral("onboarding_completed"));
    return WindowTexts::hookActionAlertText(WindowTexts::HookAction::onboardingConnect, result);
}

QString ConnectionModel::updateHooks()
{
    return WindowTexts::hookActionAlertText(WindowTexts::HookAction::update, m_installer->installHooks());
}

QString ConnectionModel::disconnectHooks()
{
    return WindowTexts::hookActionAlertText(WindowTexts::HookAction::disconnect,
                                            m_installer->uninstallHooks());
}

void ConnectionModel::refresh()
{
    m_installer->checkInstallationStatus();
}

void ConnectionModel::track(const QString& event)
{
    if (m_track)
        m_track(event, QVariantMap{});
}

#pragma once

#include "HookInstaller.h"
#include "UsageEventSink.h"
#include "WindowTexts.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <memory>

// A window's own hook installer as its QML view shows and drives it: the status with its label, colour
// and symbol, the onboarding card, and the buttons, each returning the text of the alert that follows.
class ConnectionModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Each window makes its own")
    Q_PROPERTY(int status READ status NOTIFY changed)
    Q_PROPERTY(bool installed READ installed NOTIFY changed)
    Q_PROPERTY(bool installing READ installing NOTIFY changed)
    Q_PROPERTY(bool notInstalled READ notInstalled NOTIFY changed)
    Q_PROPERTY(bool incompatible READ incompatible NOTIFY changed)
    Q_PROPERTY(QString label READ label NOTIFY changed)
    Q_PROPERTY(QString color READ color NOTIFY changed)
    Q_PROPERTY(QString symbol READ symbol NOTIFY changed)
    Q_PROPERTY(QString statusMessage READ statusMessage NOTIFY changed)
    Q_PROPERTY(QString cardSymbol READ cardSymbol NOTIFY changed)
    Q_PROPERTY(QString cardColor READ cardColor NOTIFY changed)
    Q_PROPERTY(QString cardTitle READ cardTitle NOTIFY changed)
    Q_PROPERTY(QString cardDetail READ cardDetail NOTIFY changed)
    Q_PROPERTY(QString manualConfiguration READ manualConfiguration CONSTANT)

public:
    // Which window it serves: the wording of its alerts, and the onboarding's own usage events.
    enum class Window
    {
        preferences,
        onboarding,
    };

    ConnectionModel(Window window, std::unique_ptr<HookInstaller> installer, UsageEventSink track,
                    QObject* parent = nullptr);
    ~ConnectionModel() override;

    HookInstaller& installer() { return *m_installer; }

    int status() const { return int(m_installer->installationStatus()); }
    bool installed() const { return m_installer->installationStatus() == InstallationStatus::installed; }
    bool installing() const { return m_installer->installationStatus() == InstallationStatus::installing; }
    bool notInstalled() const
    {
        return m_installer->installationStatus() == InstallationStatus::notInstalled;
    }
    bool incompatible() const { return m_installer->hookCompatibility() == HookCompatibility::incompatible; }
    QString label() const { return installationStatusLabel(m_installer->installationStatus()); }
    QString color() const { return installationStatusColor(m_installer->installationStatus()); }
    QString symbol() const { return installationStatusSymbol(m_installer->installationStatus()); }
    QString statusMessage() const { return m_installer->statusMessage(); }
    QString cardSymbol() const { return card().symbol; }
    QString cardColor() const { return card().color; }
    QString cardTitle() const { return card().title; }
    QString cardDetail() const { return card().detail; }
    QString manualConfiguration() const { return m_installer->manualConfiguration(); }

    // Connect / Reconnect / Connect to Claude Code.
    Q_INVOKABLE QString connectHooks();
    // Update Hooks Now.
    Q_INVOKABLE QString updateHooks();
    // Disconnect.
    Q_INVOKABLE QString disconnectHooks();
    // Refresh, and whenever the window is shown.
    Q_INVOKABLE void refresh();

signals:
    void changed();

private:
    WindowTexts::OnboardingCard card() const
    {
        return WindowTexts::onboardingCard(m_installer->installationStatus());
    }
    void track(const QString& event);

    const Window m_window;
    std::unique_ptr<HookInstaller> m_installer;
    UsageEventSink m_track;
};

#include "OnboardingWindow.h"

#include "ConnectionModel.h"
#include "PreferencesManager.h"

#include <QQuickWindow>

OnboardingWindow::OnboardingWindow(QQmlEngine& engine, WindowContext context, QObject* parent)
    : QObject(parent), m_context(std::move(context)),
      m_window(engine, QUrl(QStringLiteral("qrc:/qt/qml/Tabbywatch/Windows/OnboardingView.qml")))
{}

OnboardingWindow::~OnboardingWindow() = default;

void OnboardingWindow::show()
{
    if (!m_window.window()) {
        m_connection = std::make_unique<ConnectionModel>(ConnectionModel::Window::onboarding,
                                                         m_context.makeHookInstaller(), m_context.track);
        QQuickWindow* window = m_window.create(
            {{QStringLiteral("connection"), QVariant::fromValue<QObject*>(m_connection.get())}},
            [this] { shown(); });
        if (!window)
            return;
    }
    m_window.present();
}

void OnboardingWindow::shown()
{
    m_connection->refresh();
    if (m_context.track)
        m_context.track(QStringLiteral("onboarding_shown"), QVariantMap{});
}

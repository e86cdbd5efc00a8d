#include "PreferencesWindow.h"

#include "ConnectionModel.h"
#include "PreferencesManager.h"
#include "StatusHistoryModel.h"
#include "WindowTexts.h"

#include <QQuickWindow>

PreferencesWindow::PreferencesWindow(QQmlEngine& engine, WindowContext context, QObject* parent)
    : QObject(parent), m_context(std::move(context)),
      m_window(engine, QUrl(QStringLiteral("qrc:/qt/qml/Tabbywatch/Windows/PreferencesView.qml")))
{}

PreferencesWindow::~PreferencesWindow() = default;

void PreferencesWindow::open(int tab)
{
    if (!m_window.window()) {
        m_selectedTab = tab;
        m_connection = std::make_unique<ConnectionModel>(ConnectionModel::Window::preferences,
                                                         m_context.makeHookInstaller(), m_context.track);
        m_history = std::make_unique<StatusHistoryModel>(m_context.statusManager);
        QQuickWindow* window = m_window.create(
            {{QStringLiteral("controller"), QVariant::fromValue<QObject*>(this)},
             {QStringLiteral("connection"), QVariant::fromValue<QObject*>(m_connection.get())},
             {QStringLiteral("history"), QVariant::fromValue<QObject*>(m_history.get())}},
            [this] { shown(); });
        if (!window)
            return;
    }
    m_window.present();
}

void PreferencesWindow::setSelectedTab(int tab)
{
    if (tab == m_selectedTab)
        return;
    m_selectedTab = tab;
    emit selectedTabChanged();
    trackTab();
}

void PreferencesWindow::shown()
{
    m_connection->refresh();
    trackTab();
}

void PreferencesWindow::trackTab()
{
    if (m_context.track)
        m_context.track(QStringLiteral("preferences_opened"),
                        QVariantMap{{QStringLiteral("tab"), WindowTexts::preferencesTabName(m_selectedTab)}});
}

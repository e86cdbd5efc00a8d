#pragma once

#include "KeptWindow.h"
#include "WindowContext.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>
#include <memory>

class ConnectionModel;
class QQmlEngine;
class QQuickWindow;
class StatusHistoryModel;

// The window "Tabbywatch Preferences": made at the first open, then kept with its tab, sections and
// installer when the user closes it. Its view binds to selectedTab.
class PreferencesWindow : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application makes it")
    Q_PROPERTY(int selectedTab READ selectedTab WRITE setSelectedTab NOTIFY selectedTabChanged)

public:
    enum Tab
    {
        skins = 0,
        installation = 1,
        history = 2,
        about = 3,
    };
    Q_ENUM(Tab)

    // The engine must outlive this window.
    PreferencesWindow(QQmlEngine& engine, WindowContext context, QObject* parent = nullptr);
    ~PreferencesWindow() override;

    // First use: makes the window centred at that tab. Later: brings it back as the user left it, the
    // tab unchanged. Always gives it the focus.
    void open(int tab);
    QQuickWindow* window() const { return m_window.window(); }

    int selectedTab() const { return m_selectedTab; }
    // Each change sends "preferences_opened" with the tab's name.
    void setSelectedTab(int tab);

signals:
    void selectedTabChanged();

private:
    void shown();
    void trackTab();

    WindowContext m_context;
    int m_selectedTab = installation;
    std::unique_ptr<ConnectionModel> m_connection;
    std::unique_ptr<StatusHistoryModel> m_history;
    // Last, so that the view goes before the models it binds to.
    KeptWindow m_window;
};

#pragma once

#include "KeptWindow.h"
#include "WindowContext.h"

#include <QObject>
#include <memory>

class ConnectionModel;
class QQmlEngine;
class QQuickWindow;

// The first-run window "Welcome to Tabbywatch": made at the first show, kept with its sections and
// installer when closed.
class OnboardingWindow : public QObject
{
    Q_OBJECT
public:
    // The engine must outlive this window.
    OnboardingWindow(QQmlEngine& engine, WindowContext context, QObject* parent = nullptr);
    ~OnboardingWindow() override;

    // Makes the window centred on first use, then brings it to the front and gives it the focus.
    void show();
    QQuickWindow* window() const { return m_window.window(); }

private:
    void shown();

    WindowContext m_context;
    std::unique_ptr<ConnectionModel> m_connection;
    KeptWindow m_window;
};

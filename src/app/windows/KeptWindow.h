#pragma once

#include <QPointer>
#include <QUrl>
#include <QVariantMap>
#include <functional>

class QQmlEngine;
class QQuickWindow;

// A window made from a QML file on first use and kept, hidden, when the user closes it. The engine
// must outlive it.
class KeptWindow
{
public:
    KeptWindow(QQmlEngine& engine, QUrl source);
    ~KeptWindow();
    KeptWindow(const KeptWindow&) = delete;
    KeptWindow& operator=(const KeptWindow&) = delete;

    QQuickWindow* window() const;

    // Makes the window, centred on the primary screen; nullptr when the QML does not load. shown runs
    // each time the window appears.
    QQuickWindow* create(const QVariantMap& initialProperties, std::function<void()> shown);
    // Shows it, brings it to the front and gives it the focus.
    void present();

private:
    QQmlEngine& m_engine;
    const QUrl m_source;
    QPointer<QQuickWindow> m_window;
};

#include "KeptWindow.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QScreen>
#include <QtQml/QQmlExtensionPlugin>

Q_IMPORT_QML_PLUGIN(Tabbywatch_WindowsPlugin)

KeptWindow::KeptWindow(QQmlEngine& engine, QUrl source) : m_engine(engine), m_source(std::move(source)) {}

KeptWindow::~KeptWindow()
{
    delete m_window.data();
}

QQuickWindow* KeptWindow::window() const
{
    return m_window;
}

QQuickWindow* KeptWindow::create(const QVariantMap& initialProperties, std::function<void()> shown)
{
    QQmlComponent component(&m_engine, m_source);
    QObject* object =
        component.isReady() ? component.createWithInitialProperties(initialProperties) : nullptr;
    m_window = qobject_cast<QQuickWindow*>(object);
    if (!m_window) {
        qWarning("Cannot make a window of %s: %s", qPrintable(m_source.toString()),
                 qPrintable(component.errorString()));
        delete object;
        return nullptr;
    }
    QQmlEngine::setObjectOwnership(m_window, QQmlEngine::CppOwnership);
    QObject::connect(m_window, &QWindow::visibleChanged, m_window, [shown = std::move(shown)](bool visible) {
        if (visible && shown)
            shown();
    });
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        m_window->setPosition(area.center() - QPoint(m_window->width() / 2, m_window->height() / 2));
    }
    return m_window;
}

void KeptWindow::present()
{
    if (!m_window)
        return;
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
}

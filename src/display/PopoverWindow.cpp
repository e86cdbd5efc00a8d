#include "PopoverWindow.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

PopoverWindow::PopoverWindow(QWindow* parent) : QQuickWindow(parent)
{
    setFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    setColor(Qt::transparent);
}

bool PopoverWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Expose: {
        // X11 grants a grab only to a window that is on screen.
        const bool handled = QQuickWindow::event(event);
        if (isExposed() && !m_grabbed)
            setGrabbed(true);
        return handled;
    }
    case QEvent::Hide:
        setGrabbed(false);
        break;
    case QEvent::MouseButtonPress: {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (!QRect(QPoint(0, 0), size()).contains(press->position().toPoint())) {
            close();
            return true;
        }
        break;
    }
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            close();
            return true;
        }
        break;
    default:
        break;
    }
    return QQuickWindow::event(event);
}

void PopoverWindow::setGrabbed(bool grabbed)
{
    // Without the grab a press elsewhere never reaches us and the popover would stay open. Only X11
    // offers grabs to applications.
    if (QGuiApplication::platformName() != u"xcb")
        return;
    m_grabbed = grabbed;
    setMouseGrabEnabled(grabbed);
    setKeyboardGrabEnabled(grabbed);
}

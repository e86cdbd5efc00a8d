#pragma once

#include <QQuickWindow>
#include <QtQml/qqmlregistration.h>

// A small window that floats over the panel, takes the pointer and the keyboard while it is open, and
// closes on a press outside it or on Escape, as menus do.
class PopoverWindow : public QQuickWindow
{
    Q_OBJECT
    QML_ELEMENT

public:
    explicit PopoverWindow(QWindow* parent = nullptr);

protected:
    bool event(QEvent* event) override;

private:
    void setGrabbed(bool grabbed);

    bool m_grabbed = false;
};

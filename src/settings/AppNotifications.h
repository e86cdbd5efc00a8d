#pragma once

#include <QObject>

// The shell's four process-wide notifications, without payload; observers re-read the preferences.
//   windowSizeChanged   "WindowSizeChanged"  posted by the size menus after they set windowSize
//   layoutModeChanged   "LayoutModeChanged"  after every assignment of layoutMode
//   compactModeChanged  "CompactModeChanged" after every assignment of isCompactMode
//   hookStatusChanged   "HookStatusChanged"  after the hook was installed or removed
class AppNotifications : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void windowSizeChanged();
    void layoutModeChanged();
    void compactModeChanged();
    void hookStatusChanged();
};

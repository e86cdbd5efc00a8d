#pragma once

#include "LayoutMode.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

// The user's settings as the cat views read and change them. The application implements it over its
// preferences store, which posts the shell's notifications; the views post the two notifications
// that follow their own buttons through chooseWindowSize and chooseLayoutMode.
class ViewPreferences : public QObject
{
    Q_OBJECT
    QML_NAMED_ELEMENT(Preferences)
    QML_SINGLETON
    Q_PROPERTY(double windowSize READ windowSize NOTIFY windowSizeChanged)
    Q_PROPERTY(double windowOpacity READ windowOpacity NOTIFY windowOpacityChanged)
    Q_PROPERTY(bool showOverlay READ showOverlay NOTIFY showOverlayChanged)
    Q_PROPERTY(bool isCompactMode READ isCompactMode WRITE setCompactMode NOTIFY isCompactModeChanged)
    // The layout's raw value: "grid", "horizontalBar" or "list".
    Q_PROPERTY(QString layoutMode READ layoutModeText NOTIFY layoutModeChanged)

public:
    using QObject::QObject;

    static ViewPreferences* create(QQmlEngine*, QJSEngine* engine);

    virtual double windowSize() const = 0;
    virtual double windowOpacity() const = 0;
    virtual bool showOverlay() const = 0;
    virtual bool isCompactMode() const = 0;
    virtual void setCompactMode(bool compact) = 0;
    virtual LayoutMode layoutMode() const = 0;
    QString layoutModeText() const { return layoutModeRawValue(layoutMode()); }

    // A size button: stores the side, then posts "WindowSizeChanged".
    Q_INVOKABLE virtual void chooseWindowSize(double side) = 0;
    // A layout button: stores the mode (which posts "LayoutModeChanged"), then posts it once more.
    // Unknown texts are ignored.
    Q_INVOKABLE void chooseLayoutMode(const QString& mode);
    // "Create a Custom Skin": nothing happens until the application handles skinLibraryRequested.
    Q_INVOKABLE void showPreferencesOnSkinsTab() { emit skinLibraryRequested(); }

signals:
    void windowSizeChanged();
    void windowOpacityChanged();
    void showOverlayChanged();
    void isCompactModeChanged();
    void layoutModeChanged();
    void skinLibraryRequested();

protected:
    virtual void applyLayoutMode(LayoutMode mode) = 0;
};

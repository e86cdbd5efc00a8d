#pragma once

#include <QObject>
#include <QQuickItem>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>
#include <memory>

#include "UsageEventSink.h"

class AppNotifications;
class DisplayServices;
class PreferencesManager;
class StatusManager;

// The real services against a temporary home, settings file and custom skins folder, as the views'
// singletons see them, and the few things the QML tests do from outside: write the status files,
// look into the session manager, and count the shell's notifications and usage events.
class QmlFixture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int windowSizeNotices READ windowSizeNotices NOTIFY noticesChanged)
    Q_PROPERTY(int layoutModeNotices READ layoutModeNotices NOTIFY noticesChanged)
    Q_PROPERTY(int compactModeNotices READ compactModeNotices NOTIFY noticesChanged)
    Q_PROPERTY(int skinLibraryRequests READ skinLibraryRequests NOTIFY noticesChanged)
    // {event, properties} in the order sent.
    Q_PROPERTY(QVariantList usageEvents READ usageEvents NOTIFY noticesChanged)

public:
    explicit QmlFixture(const QString& bundledSkinsDirectory, QObject* parent = nullptr);
    ~QmlFixture() override;

    int windowSizeNotices() const { return m_windowSizeNotices; }
    int layoutModeNotices() const { return m_layoutModeNotices; }
    int compactModeNotices() const { return m_compactModeNotices; }
    int skinLibraryRequests() const { return m_skinLibraryRequests; }
    QVariantList usageEvents() const { return m_usageEvents; }

    QString home() const;
    StatusManager& statusManager();
    UsageEventSink usageEventSink();

    // Default preferences, the default skin, no sessions, idle, counters at zero.
    Q_INVOKABLE void reset();
    Q_INVOKABLE void resetNotices();

    // Rewrites status.json in place, as the hook does.
    Q_INVOKABLE void writeStatus(const QString& status);
    Q_INVOKABLE void writeSession(const QString& sessionId, const QString& status, const QString& cwd);
    Q_INVOKABLE bool sessionFileExists(const QString& sessionId) const;
    Q_INVOKABLE QString focusedSessionId() const;
    Q_INVOKABLE QString sessionSkinId(const QString& sessionId) const;

    // The id of the skin with that name, upper case; empty when there is none.
    Q_INVOKABLE QString skinId(const QString& name) const;

    // What assistive tools call the button at or above the item; empty when the item is in none.
    Q_INVOKABLE QString accessibleButtonName(QQuickItem* item) const;

signals:
    void noticesChanged();

private:
    void makeCustomSkin(const QString& name);

    QTemporaryDir m_dir;
    std::unique_ptr<AppNotifications> m_notifications;
    std::unique_ptr<PreferencesManager> m_preferences;
    std::unique_ptr<DisplayServices> m_display;
    int m_windowSizeNotices = 0;
    int m_layoutModeNotices = 0;
    int m_compactModeNotices = 0;
    int m_skinLibraryRequests = 0;
    QVariantList m_usageEvents;
};

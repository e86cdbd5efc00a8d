#include "QmlFixture.h"

#include "AppNotifications.h"
#include "DisplayServices.h"
#include "PreferencesManager.h"
#include "TestClips.h"
#include "TestFiles.h"

#include <QAccessible>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

using namespace std::chrono_literals;

QmlFixture::QmlFixture(const QString& bundledSkinsDirectory, QObject* parent) : QObject(parent)
{
    QDir().mkpath(home());
    m_notifications = std::make_unique<AppNotifications>();
    m_preferences = std::make_unique<PreferencesManager>(
        std::make_unique<QSettings>(m_dir.filePath(QStringLiteral("config/Tabbywatch.conf")),
                                    QSettings::IniFormat),
        m_notifications.get(),
        AutostartEntry(m_dir.filePath(QStringLiteral("autostart")), QStringLiteral("/usr/bin/true")));
    makeCustomSkin(QStringLiteral("My Own Cat"));
    m_display = std::make_unique<DisplayServices>(
        *m_preferences,
        DisplayServices::Options{home(), m_dir.filePath(QStringLiteral("skins")), bundledSkinsDirectory,
                                 m_dir.filePath(QStringLiteral("tmp")), MultiSessionTiming{50ms, 60000ms}},
        usageEventSink());

    auto count = [this](int& counter) {
        return [this, &counter] {
            ++counter;
            emit noticesChanged();
        };
    };
    connect(m_notifications.get(), &AppNotifications::windowSizeChanged, this, count(m_windowSizeNotices));
    connect(m_notifications.get(), &AppNotifications::layoutModeChanged, this, count(m_layoutModeNotices));
    connect(m_notifications.get(), &AppNotifications::compactModeChanged, this, count(m_compactModeNotices));
    connect(&m_display->skins(), &SkinCatalog::skinLibraryRequested, this, count(m_skinLibraryRequests));
}

QmlFixture::~QmlFixture() = default;

QString QmlFixture::home() const
{
    return m_dir.filePath(QStringLiteral("home"));
}

StatusManager& QmlFixture::statusManager()
{
    return m_display->statusManager();
}

UsageEventSink QmlFixture::usageEventSink()
{
    return [this](const QString& event, const std::optional<QVariantMap>& properties) {
        m_usageEvents.append(QVariantMap{{QStringLiteral("event"), event},
                                         {QStringLiteral("properties"), properties.value_or(QVariantMap{})}});
        emit noticesChanged();
    };
}

void QmlFixture::makeCustomSkin(const QString& name)
{
    const QString id = QStringLiteral("C0FFEE00-0000-4000-8000-000000000001");
    const QString folder = m_dir.filePath(QStringLiteral("skins/") + id);
    QDir().mkpath(folder);
    const QString clips = m_dir.filePath(QStringLiteral("clips"));
    QDir().mkpath(clips);
    const QStringList states{"idle", "working", "needs_input", "completed"};
    const QStringList patterns{"green", "blue", "white", "red"};
    for (int i = 0; i < 4; ++i)
        QFile::copy(TestClips::make(clips, patterns[i]), folder + u'/' + states[i] + QStringLiteral(".mp4"));
    const QJsonObject metadata{{"name", name},
                               {"createdDate", "2025-01-15T10:30:00Z"},
                               {"type", "custom"},
                               {"idleVideoPath", "idle.mp4"},
                               {"workingVideoPath", "working.mp4"},
                               {"needsInputVideoPath", "needs_input.mp4"},
                               {"completedVideoPath", "completed.mp4"}};
    QFile file(folder + QStringLiteral("/metadata.json"));
    if (file.open(QIODevice::WriteOnly))
        file.write(QJsonDocument(metadata).toJson(QJsonDocument::Compact));
}

void QmlFixture::reset()
{
    m_preferences->setWindowSize(200);
    m_preferences->setShowOverlay(true);
    m_preferences->setCompactMode(false);
    m_preferences->setLayoutMode(LayoutMode::horizontalBar);
    m_preferences->setMultiInstanceEnabled(true);
    // A completed cat stays so until the test moves it on.
    m_preferences->setCelebrationDuration(0);
    m_display->skinManager().selectSkin(Skin::defaultSkinId());
    for (const QString& id : QStringList(m_display->multiSessionManager().orderedSessionIds()))
        m_display->multiSessionManager().dismissSession(id);
    // Files written while nothing was monitoring would come back at the first scan.
    QDir sessions(m_display->multiSessionManager().sessionsDirectory());
    for (const QString& name : sessions.entryList({QStringLiteral("*.json")}, QDir::Files))
        sessions.remove(name);
    if (m_display->statusManager().isMonitoring())
        writeStatus(QStringLiteral("idle"));
    resetNotices();
}

void QmlFixture::resetNotices()
{
    m_windowSizeNotices = m_layoutModeNotices = m_compactModeNotices = m_skinLibraryRequests = 0;
    m_usageEvents.clear();
    emit noticesChanged();
}

void QmlFixture::writeStatus(const QString& status)
{
    const QJsonObject record{{"status", status}, {"timestamp", "2025-01-15T10:30:45Z"}};
    const QString path = m_display->statusManager().statusFilePath();
    QDir().mkpath(QFileInfo(path).path());
    if (!QFile::exists(path)) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
    }
    TestFiles::rewriteInPlace(path, QJsonDocument(record).toJson(QJsonDocument::Compact));
}

void QmlFixture::writeSession(const QString& sessionId, const QString& status, const QString& cwd)
{
    const QJsonObject record{
        {"session_id", sessionId}, {"status", status}, {"cwd", cwd}, {"timestamp", "2025-01-15T10:30:45Z"}};
    const QString directory = m_display->multiSessionManager().sessionsDirectory();
    QDir().mkpath(directory);
    TestFiles::replaceByRename(directory + u'/' + sessionId + QStringLiteral(".json"),
                               QJsonDocument(record).toJson(QJsonDocument::Compact));
}

bool QmlFixture::sessionFileExists(const QString& sessionId) const
{
    return QFile::exists(m_display->multiSessionManager().sessionsDirectory() + u'/' + sessionId +
                         QStringLiteral(".json"));
}

QString QmlFixture::focusedSessionId() const
{
    return m_display->multiSessionManager().focusedSessionIdText();
}

QString QmlFixture::sessionSkinId(const QString& sessionId) const
{
    const auto found = m_display->multiSessionManager().instances().constFind(sessionId);
    if (found == m_display->multiSessionManager().instances().cend() || !found->selectedSkinId)
        return {};
    return Skin::idText(*found->selectedSkinId);
}

QString QmlFixture::skinId(const QString& name) const
{
    for (const Skin& skin : m_display->skinManager().availableSkins()) {
        if (skin.name == name)
            return skin.idText();
    }
    return {};
}

QString QmlFixture::accessibleButtonName(QQuickItem* item) const
{
    for (; item; item = item->parentItem()) {
        const QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(item);
        if (accessible && accessible->role() == QAccessible::Button)
            return accessible->text(QAccessible::Name);
    }
    return {};
}

#include "DisplayServices.h"

#include "IconProvider.h"
#include "PreferencesManager.h"
#include "QmlShared.h"
#include "SkinThumbnailProvider.h"

#include <QQmlEngine>

DisplayServices::DisplayServices(PreferencesManager& preferences, Options options, UsageEventSink track)
{
    PreferencesManager* prefs = &preferences;
    const auto celebrationDuration = [prefs] { return prefs->celebrationDuration(); };
    m_statusManager = std::make_unique<StatusManager>(StatusManager::defaultStatusFilePath(options.home),
                                                      celebrationDuration);
    m_skinManager = std::make_unique<SkinManager>(
        options.customSkinsDirectory, options.bundledSkinsDirectory,
        SkinSelectionStore{[prefs] { return prefs->selectedSkinID(); },
                           [prefs](const QUuid& id) { prefs->setSelectedSkinID(id); }},
        std::move(track), options.temporaryDirectory);
    // A session keeps the bundled skin its id gives it, across restarts too.
    m_multiSessionManager = std::make_unique<MultiSessionManager>(
        MultiSessionManager::defaultSessionsDirectory(options.home), celebrationDuration,
        [skins = m_skinManager.get()](const QString& sessionId, const QList<QUuid>& taken) {
            return std::optional(skins->bundledSkinIdFor(sessionId, taken));
        },
        preferences.multiInstanceEnabled(), preferences.staleSessionTimeout(), options.sessionTiming);
    m_multiSessionManager->setClaudeSessionRegistry(std::make_unique<ClaudeSessionRegistry>(
        ClaudeSessionRegistry::defaultDirectory(options.home, options.claudeConfigDirectory),
        options.sessionTiming.pollInterval));
    MultiSessionManager* sessions = m_multiSessionManager.get();
    QObject::connect(prefs, &PreferencesManager::multiInstanceEnabledChanged, sessions,
                     [prefs, sessions] { sessions->setMultiInstanceEnabled(prefs->multiInstanceEnabled()); });
    QObject::connect(prefs, &PreferencesManager::staleSessionTimeoutChanged, sessions,
                     [prefs, sessions] { sessions->setStaleTimeout(prefs->staleSessionTimeout()); });

    m_status = std::make_unique<StatusViewModel>(*m_statusManager, *m_multiSessionManager);
    m_sessions = std::make_unique<SessionListModel>(*m_multiSessionManager);
    m_skins = std::make_unique<SkinCatalog>(*m_skinManager);
    QmlShared<StatusViewModel>::set(m_status.get());
    QmlShared<SessionListModel>::set(m_sessions.get());
    QmlShared<SkinCatalog>::set(m_skins.get());
    QmlShared<SkinManager>::set(m_skinManager.get());
    QmlShared<PreferencesManager>::set(prefs);
}

DisplayServices::~DisplayServices()
{
    QmlShared<StatusViewModel>::set(nullptr);
    QmlShared<SessionListModel>::set(nullptr);
    QmlShared<SkinCatalog>::set(nullptr);
    QmlShared<SkinManager>::set(nullptr);
    QmlShared<PreferencesManager>::set(nullptr);
    m_statusManager->stopMonitoring();
}

void DisplayServices::prepareEngine(QQmlEngine& engine)
{
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    if (!engine.imageProvider(QLatin1String(IconProvider::providerId)))
        engine.addImageProvider(QLatin1String(IconProvider::providerId), new IconProvider);
    if (!engine.imageProvider(QLatin1String(SkinThumbnailProvider::providerId)))
        engine.addImageProvider(QLatin1String(SkinThumbnailProvider::providerId), new SkinThumbnailProvider);
}

#include "DisplayServices.h"

#include "IconProvider.h"
#include "QmlShared.h"
#include "ViewPreferences.h"

#include <QQmlEngine>

DisplayServices::DisplayServices(StatusManager& statusManager, MultiSessionManager& sessionManager,
                                 SkinManager& skinManager, ViewPreferences& preferences)
    : m_status(statusManager), m_sessions(sessionManager), m_skins(skinManager)
{
    QmlShared<StatusViewModel>::set(&m_status);
    QmlShared<SessionListModel>::set(&m_sessions);
    QmlShared<SkinCatalog>::set(&m_skins);
    QmlShared<ViewPreferences>::set(&preferences);
}

DisplayServices::~DisplayServices()
{
    QmlShared<StatusViewModel>::set(nullptr);
    QmlShared<SessionListModel>::set(nullptr);
    QmlShared<SkinCatalog>::set(nullptr);
    QmlShared<ViewPreferences>::set(nullptr);
}

void DisplayServices::prepareEngine(QQmlEngine& engine)
{
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    if (!engine.imageProvider(QLatin1String(IconProvider::providerId)))
        engine.addImageProvider(QLatin1String(IconProvider::providerId), new IconProvider);
}

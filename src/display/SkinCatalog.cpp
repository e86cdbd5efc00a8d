#include "SkinCatalog.h"

#include "QmlShared.h"
#include "SkinManager.h"

namespace {
QVariantList skinsOfType(const QList<Skin>& skins, SkinType type)
{
    QVariantList list;
    for (const Skin& skin : skins) {
        if (skin.type == type)
            list.append(
                QVariantMap{{QStringLiteral("id"), skin.idText()}, {QStringLiteral("name"), skin.name}});
    }
    return list;
}
} // namespace

SkinCatalog::SkinCatalog(SkinManager& skinManager, QObject* parent)
    : QObject(parent), m_skinManager(skinManager)
{
    connect(&m_skinManager, &SkinManager::currentSkinChanged, this, &SkinCatalog::currentSkinChanged);
    connect(&m_skinManager, &SkinManager::availableSkinsChanged, this, &SkinCatalog::availableSkinsChanged);
}

SkinCatalog* SkinCatalog::create(QQmlEngine*, QJSEngine* engine)
{
    return QmlShared<SkinCatalog>::create(engine);
}

QString SkinCatalog::currentSkinId() const
{
    return m_skinManager.currentSkin().idText();
}

QString SkinCatalog::currentSkinName() const
{
    return m_skinManager.currentSkin().name;
}

QVariantList SkinCatalog::bundledSkins() const
{
    return skinsOfType(m_skinManager.availableSkins(), SkinType::bundled);
}

QVariantList SkinCatalog::customSkins() const
{
    return skinsOfType(m_skinManager.availableSkins(), SkinType::custom);
}

QUrl SkinCatalog::thumbnailURL(const QString& skinId) const
{
    const std::optional<QUuid> id = Skin::parseId(skinId);
    const Skin* skin = id ? m_skinManager.findSkin(*id) : nullptr;
    const std::optional<QString> path =
        m_skinManager.thumbnailPath(skin ? *skin : m_skinManager.currentSkin());
    return path ? QUrl::fromLocalFile(*path) : QUrl();
}

QUrl SkinCatalog::videoURL(ClaudeStatus status, const QString& skinId) const
{
    return m_skinManager.videoURL(status, Skin::parseId(skinId));
}

QString SkinCatalog::skinName(const QString& skinId) const
{
    if (const auto id = Skin::parseId(skinId)) {
        for (const Skin& skin : m_skinManager.availableSkins()) {
            if (skin.id == *id)
                return skin.name;
        }
    }
    return m_skinManager.currentSkin().name;
}

void SkinCatalog::selectSkin(const QString& skinId)
{
    m_skinManager.selectSkin(skinId);
}

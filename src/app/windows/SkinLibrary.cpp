#include "SkinLibrary.h"

#include "Log.h"
#include "QmlShared.h"
#include "SkinManager.h"
#include "SkinThumbnailProvider.h"

#include <QDir>

SkinLibrary::SkinLibrary(QObject* parent) : SkinLibrary(QmlShared<SkinManager>::get(), parent) {}

SkinLibrary::SkinLibrary(SkinManager* skinManager, QObject* parent)
    : QObject(parent), m_skinManager(skinManager)
{
    if (m_skinManager)
        connect(m_skinManager, &SkinManager::availableSkinsChanged, this, &SkinLibrary::skinsChanged);
}

QVariantList SkinLibrary::bundledSkins() const
{
    return skins(false);
}

QVariantList SkinLibrary::customSkins() const
{
    return skins(true);
}

QVariantList SkinLibrary::skins(bool custom) const
{
    QVariantList list;
    if (!m_skinManager)
        return list;
    for (const Skin& skin : m_skinManager->availableSkins()) {
        if ((skin.type == SkinType::custom) != custom)
            continue;
        const QString folder = m_skinManager->skinDirectory(skin);
        const QUrl thumbnail =
            SkinThumbnailProvider::url(m_skinManager->thumbnailPath(skin).value_or(QString()),
                                       QDir(folder).filePath(skin.videoFileName(ClaudeStatus::idle)));
        list.append(QVariantMap{{QStringLiteral("id"), skin.idText()},
                                {QStringLiteral("name"), skin.name},
                                {QStringLiteral("custom"), custom},
                                {QStringLiteral("thumbnail"), thumbnail}});
    }
    return list;
}

QString SkinLibrary::deleteMessage(const QString& name)
{
    return QStringLiteral("Are you sure you want to delete \"%1\"? This action cannot be undone.").arg(name);
}

void SkinLibrary::deleteSkin(const QString& id)
{
    const std::optional<QUuid> parsed = Skin::parseId(id);
    if (!m_skinManager || !parsed)
        return;
    if (const auto deleted = m_skinManager->deleteSkin(*parsed); !deleted)
        logLine(QStringLiteral("❌ Error deleting skin: ") + deleted.error().description);
}

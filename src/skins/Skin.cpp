#include "Skin.h"

#include <QDir>
#include <QRegularExpression>

Skin Skin::make(const QUuid& id, const SkinMetadata& metadata)
{
    return {id,
            metadata.name,
            metadata.type,
            metadata.author,
            metadata.createdDate,
            metadata.idleVideoPath,
            metadata.workingVideoPath,
            metadata.needsInputVideoPath,
            metadata.completedVideoPath,
            metadata.thumbnailPath};
}

QUuid Skin::defaultSkinId()
{
    return QUuid(QStringLiteral("00000000-0000-0000-0000-000000000001"));
}

Skin Skin::defaultSkin(const QDateTime& createdDate)
{
    return {defaultSkinId(),
            QStringLiteral("Default Cat"),
            SkinType::bundled,
            QStringLiteral("Tabbywatch"),
            createdDate,
            QStringLiteral("idle.mp4"),
            QStringLiteral("working.mp4"),
            QStringLiteral("needs_input.mp4"),
            QStringLiteral("completed.mp4"),
            QStringLiteral("thumbnail.png")};
}

QString Skin::idText(const QUuid& id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> Skin::parseId(QStringView text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    return QUuid::fromString(text);
}

QString Skin::videoFileName(ClaudeStatus status) const
{
    switch (status) {
    case ClaudeStatus::idle:
        return idleVideoPath;
    case ClaudeStatus::working:
        return workingVideoPath;
    case ClaudeStatus::needsInput:
        return needsInputVideoPath;
    case ClaudeStatus::completed:
        return completedVideoPath;
    }
    Q_UNREACHABLE();
}

QString Skin::directory(const QString& customSkinsDirectory, const QString& bundledSkinsDirectory) const
{
    const QString& base = type == SkinType::bundled ? bundledSkinsDirectory : customSkinsDirectory;
    return QDir(base).filePath(idText());
}

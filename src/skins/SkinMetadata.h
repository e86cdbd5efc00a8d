#pragma once

#include "SkinType.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <expected>
#include <optional>

// The contents of a skin's metadata.json. The skin's id is not stored: it is the folder's name.
struct SkinMetadata
{
    QString name;
    std::optional<QString> author;
    QDateTime createdDate;
    SkinType type = SkinType::custom;
    QString idleVideoPath;
    QString workingVideoPath;
    QString needsInputVideoPath;
    QString completedVideoPath;
    std::optional<QString> thumbnailPath;

    // Fails as a whole on anything but the documented format; the error is a description for the log.
    static std::expected<SkinMetadata, QString> fromJson(const QByteArray& bytes);
    // Compact; absent author and thumbnail are left out; the date in UTC, whole seconds, with Z.
    QByteArray toJson() const;

    bool operator==(const SkinMetadata&) const = default;
};

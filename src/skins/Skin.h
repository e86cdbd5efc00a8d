#pragma once

#include "ClaudeStatus.h"
#include "SkinMetadata.h"
#include "SkinType.h"

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QUuid>
#include <optional>

// One skin: four looping videos, one per state, in a folder named by the skin's id. The file names
// are relative to that folder; where the folder lives depends on the type.
struct Skin
{
    Q_GADGET
    Q_PROPERTY(QString id READ idText)
    Q_PROPERTY(QString name MEMBER name)
    Q_PROPERTY(QString type READ typeText)
    Q_PROPERTY(QString author READ authorText)
    Q_PROPERTY(QDateTime createdDate MEMBER createdDate)

public:
    QUuid id;
    QString name;
    SkinType type = SkinType::bundled;
    std::optional<QString> author;
    QDateTime createdDate;
    QString idleVideoPath;
    QString workingVideoPath;
    QString needsInputVideoPath;
    QString completedVideoPath;
    std::optional<QString> thumbnailPath;

    static Skin make(const QUuid& id, const SkinMetadata& metadata);
    static QUuid defaultSkinId();
    // The record used whenever no skin could be loaded at all.
    static Skin defaultSkin(const QDateTime& createdDate);

    // Canonical upper-case form, also the folder name.
    static QString idText(const QUuid& id);
    // Only the hyphenated 36-character form, in either case.
    static std::optional<QUuid> parseId(QStringView text);

    QString idText() const { return idText(id); }
    QString typeText() const { return skinTypeText(type); }
    QString authorText() const { return author.value_or(QString()); }

    QString videoFileName(ClaudeStatus status) const;
    // The folder is rebuilt from the type and the id; nothing is checked on disk.
    QString directory(const QString& customSkinsDirectory, const QString& bundledSkinsDirectory) const;

    bool operator==(const Skin&) const = default;
};

Q_DECLARE_METATYPE(Skin)

#pragma once

#include "ClaudeStatus.h"

#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;
class SkinManager;

// The skins as the cat views list and play them, over the skin manager. Skins are named in QML by
// their upper-case UUID text.
class SkinCatalog : public QObject
{
    Q_OBJECT
    QML_NAMED_ELEMENT(Skins)
    QML_SINGLETON
    Q_PROPERTY(QString currentSkinId READ currentSkinId NOTIFY currentSkinChanged)
    Q_PROPERTY(QString currentSkinName READ currentSkinName NOTIFY currentSkinChanged)
    // Each a list of {id, name}, in the manager's order.
    Q_PROPERTY(QVariantList bundledSkins READ bundledSkins NOTIFY availableSkinsChanged)
    Q_PROPERTY(QVariantList customSkins READ customSkins NOTIFY availableSkinsChanged)

public:
    explicit SkinCatalog(SkinManager& skinManager, QObject* parent = nullptr);

    static SkinCatalog* create(QQmlEngine*, QJSEngine* engine);

    QString currentSkinId() const;
    QString currentSkinName() const;
    QVariantList bundledSkins() const;
    QVariantList customSkins() const;

    // The state's video in the skin with that id, or in the current skin when the id is empty or unknown.
    Q_INVOKABLE QUrl videoURL(ClaudeStatusType::ClaudeStatus status, const QString& skinId = {}) const;
    // The thumbnail of that skin (or of the current one, as videoURL); empty when it has none.
    Q_INVOKABLE QUrl thumbnailURL(const QString& skinId = {}) const;
    // The name of the skin with that id, or of the current skin when there is none such.
    Q_INVOKABLE QString skinName(const QString& skinId) const;
    Q_INVOKABLE void selectSkin(const QString& skinId);
    // "Create a Custom Skin": the application opens the skin library on skinLibraryRequested.
    Q_INVOKABLE void showPreferencesOnSkinsTab() { emit skinLibraryRequested(); }

signals:
    void currentSkinChanged();
    void availableSkinsChanged();
    void skinLibraryRequested();

private:
    SkinManager& m_skinManager;
};

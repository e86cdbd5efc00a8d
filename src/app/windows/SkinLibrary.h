#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class SkinManager;

// The skins page of the preferences: the bundled and the custom skins with their pictures, and the
// deletion of custom ones. Choosing goes through the Skins singleton.
class SkinLibrary : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    // Each a list of {id, name, custom, thumbnail}, in the manager's order; thumbnail is an image URL read
    // off the GUI thread.
    Q_PROPERTY(QVariantList bundledSkins READ bundledSkins NOTIFY skinsChanged)
    Q_PROPERTY(QVariantList customSkins READ customSkins NOTIFY skinsChanged)

public:
    // Over the application's skin manager.
    explicit SkinLibrary(QObject* parent = nullptr);
    SkinLibrary(SkinManager* skinManager, QObject* parent);

    QVariantList bundledSkins() const;
    QVariantList customSkins() const;

    // The confirmation asked before deleting the skin of that name.
    Q_INVOKABLE static QString deleteMessage(const QString& name);
    // A failure is only logged.
    Q_INVOKABLE void deleteSkin(const QString& id);

signals:
    void skinsChanged();

private:
    QVariantList skins(bool custom) const;

    QPointer<SkinManager> m_skinManager;
};

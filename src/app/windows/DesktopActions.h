#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

// What the windows ask of the desktop (clipboard, mail, browser, the dev-container guide) and the
// build's fixed texts. Every endpoint may be empty: the views then hide what would use it.
class DesktopActions : public QObject
{
    Q_OBJECT
    QML_NAMED_ELEMENT(Desktop)
    QML_SINGLETON
    Q_PROPERTY(QString versionText READ versionText CONSTANT)
    Q_PROPERTY(QString supportEmail READ supportEmail CONSTANT)
    Q_PROPERTY(QString websiteURL READ websiteURL CONSTANT)
    Q_PROPERTY(QString devContainerConfiguration READ devContainerConfiguration CONSTANT)
    // {mode (a LayoutMode), label, symbol} for each layout, in the order the picker shows them.
    Q_PROPERTY(QVariantList layoutChoices READ layoutChoices CONSTANT)

public:
    using QObject::QObject;

    static DesktopActions* create(QQmlEngine*, QJSEngine*) { return new DesktopActions; }

    QString versionText() const;
    QString supportEmail() const;
    QString websiteURL() const;
    QString devContainerConfiguration() const;
    QVariantList layoutChoices() const;

    // Replaces the clipboard's content with the text, as plain text.
    Q_INVOKABLE void copyText(const QString& text) const;
    // A new mail to the support address with that subject.
    Q_INVOKABLE bool sendMail(const QString& subject) const;
    Q_INVOKABLE bool openWebsite() const;
    // DEV_CONTAINERS.md from the data folder, else from the current working directory.
    Q_INVOKABLE bool openDevContainersGuide() const;
    Q_INVOKABLE QString staleTimeoutText(double seconds) const;

    static QString devContainersGuidePath();
};

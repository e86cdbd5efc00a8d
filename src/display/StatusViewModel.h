#pragma once

#include "ClaudeStatus.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;
class StatusManager;

// The single cat's state as its views show it, over the status manager.
class StatusViewModel : public QObject
{
    Q_OBJECT
    QML_NAMED_ELEMENT(Status)
    QML_SINGLETON
    Q_PROPERTY(ClaudeStatusType::ClaudeStatus status READ status NOTIFY statusChanged)
    Q_PROPERTY(QString statusName READ statusName NOTIFY statusChanged)
    Q_PROPERTY(QColor statusColor READ statusColor NOTIFY statusChanged)

public:
    explicit StatusViewModel(StatusManager& statusManager, QObject* parent = nullptr);

    static StatusViewModel* create(QQmlEngine*, QJSEngine* engine);

    ClaudeStatus status() const;
    QString statusName() const;
    QColor statusColor() const;

    // Safe to call repeatedly.
    Q_INVOKABLE void startMonitoring();
    // A click on the cat: acknowledges a completed state, does nothing in any other.
    Q_INVOKABLE void catClicked();

signals:
    void statusChanged();

private:
    StatusManager& m_statusManager;
};

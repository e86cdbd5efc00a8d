#pragma once

#include "ClaudeStatus.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;
class MultiSessionManager;
class StatusManager;

// The single cat's state as its views show it: the status file's, or, where the one cat stands for
// several live sessions (multi-cat display off), the most urgent of theirs rather than whichever hook
// wrote last.
class StatusViewModel : public QObject
{
    Q_OBJECT
    QML_NAMED_ELEMENT(Status)
    QML_SINGLETON
    Q_PROPERTY(ClaudeStatusType::ClaudeStatus status READ status NOTIFY statusChanged)
    Q_PROPERTY(QString statusName READ statusName NOTIFY statusChanged)
    Q_PROPERTY(QColor statusColor READ statusColor NOTIFY statusChanged)

public:
    StatusViewModel(StatusManager& statusManager, MultiSessionManager& sessionManager,
                    QObject* parent = nullptr);

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
    void update();

    StatusManager& m_statusManager;
    MultiSessionManager& m_sessionManager;
    ClaudeStatus m_status;
};

#pragma once

#include "SessionInstance.h"

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;
class MultiSessionManager;

// The live sessions in display order, for the multi-cat views. A row keeps its place while its
// session lives; a row whose identity (session and skin) changes is removed and inserted anew, so the
// view builds that cat again with a fresh player, and no other cat is rebuilt.
class SessionListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_NAMED_ELEMENT(Sessions)
    QML_SINGLETON
    // Sessions shown: those of orderedSessionIds that have a record.
    Q_PROPERTY(int count READ rowCount NOTIFY countChanged)
    // Records held; the container sizes itself by this count.
    Q_PROPERTY(int instanceCount READ instanceCount NOTIFY instanceCountChanged)
    Q_PROPERTY(bool usesSingleCatView READ usesSingleCatView NOTIFY usesSingleCatViewChanged)

public:
    enum Role
    {
        SessionIdRole = Qt::UserRole + 1,
        StatusRole,     // ClaudeStatus, as a number
        StatusNameRole, // Ready, Working..., ...
        StatusColorRole,
        DisplayNameRole, // folder name, with its number from 2 on
        CwdNameRole,     // last component of the working folder, possibly empty
        SkinIdRole,      // upper-case UUID of the session's own skin, empty when it has none
        IdentityRole,
    };
    Q_ENUM(Role)

    explicit SessionListModel(MultiSessionManager& manager, QObject* parent = nullptr);

    static SessionListModel* create(QQmlEngine*, QJSEngine* engine);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int instanceCount() const;
    bool usesSingleCatView() const;

    Q_INVOKABLE void startMonitoring();
    Q_INVOKABLE void focusSession(const QString& sessionId);
    Q_INVOKABLE void dismissSession(const QString& sessionId);
    // A double click on a cat: the application raises the terminal that runs the session.
    Q_INVOKABLE void showTerminal(const QString& sessionId) { emit terminalRequested(sessionId); }
    // Ignored unless skinId is a UUID.
    Q_INVOKABLE void updateSkin(const QString& sessionId, const QString& skinId);

signals:
    void terminalRequested(const QString& sessionId);
    void countChanged();
    void instanceCountChanged();
    void usesSingleCatViewChanged();

private:
    struct Row
    {
        QString identity;
        SessionInstance instance;
    };
    static QVariant targetData(const Row& row, int role);
    void update(int row, const Row& target);
    void sync();

    MultiSessionManager& m_manager;
    QList<Row> m_rows;
    int m_instanceCount = 0;
};

#include "SessionListModel.h"

#include "LayoutMetrics.h"
#include "Log.h"
#include "MultiSessionManager.h"
#include "QmlShared.h"

#include <QSet>

SessionListModel::SessionListModel(MultiSessionManager& manager, QObject* parent)
    : QAbstractListModel(parent), m_manager(manager)
{
    connect(&m_manager, &MultiSessionManager::instancesChanged, this, &SessionListModel::sync);
    connect(&m_manager, &MultiSessionManager::orderedSessionIdsChanged, this, &SessionListModel::sync);
    connect(&m_manager, &MultiSessionManager::usesSingleCatViewChanged, this,
            &SessionListModel::usesSingleCatViewChanged);
    sync();
}

SessionListModel* SessionListModel::create(QQmlEngine*, QJSEngine* engine)
{
    return QmlShared<SessionListModel>::create(engine);
}

int SessionListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant SessionListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    return targetData(m_rows[index.row()], role);
}

QVariant SessionListModel::targetData(const Row& row, int role)
{
    const SessionInstance& instance = row.instance;
    switch (role) {
    case SessionIdRole:
        return instance.sessionId;
    case StatusRole:
        return int(instance.status);
    case StatusNameRole:
        return claudeStatusDisplayName(instance.status);
    case StatusColorRole:
        return LayoutMetrics::stateColor(instance.status);
    case Qt::DisplayRole:
    case DisplayNameRole:
        return instance.displayName();
    case CwdNameRole:
        return LayoutMetrics::folderName(instance.cwd);
    case SkinIdRole:
        return instance.selectedSkinId ? instance.selectedSkinId->toString(QUuid::WithoutBraces).toUpper()
                                       : QString();
    case IdentityRole:
        return row.identity;
    default:
        return {};
    }
}

QHash<int, QByteArray> SessionListModel::roleNames() const
{
    return {{SessionIdRole, "sessionId"},     {StatusRole, "status"},
            {StatusNameRole, "statusName"},   {StatusColorRole, "statusColor"},
            {DisplayNameRole, "displayName"}, {CwdNameRole, "cwdName"},
            {SkinIdRole, "skinId"},           {IdentityRole, "identity"}};
}

int SessionListModel::instanceCount() const
{
    return m_instanceCount;
}

bool SessionListModel::usesSingleCatView() const
{
    return m_manager.usesSingleCatView();
}

void SessionListModel::startMonitoring()
{
    m_manager.startMonitoring();
}

void SessionListModel::focusSession(const QString& sessionId)
{
    m_manager.focusSession(sessionId);
}

void SessionListModel::dismissSession(const QString& sessionId)
{
    m_manager.dismissSession(sessionId);
}

void SessionListModel::updateSkin(const QString& sessionId, const QString& skinId)
{
    const QUuid id = QUuid::fromString(skinId);
    if (id.isNull()) {
        logLine(QStringLiteral("⚠️ Not a skin id: ") + skinId);
        return;
    }
    m_manager.updateSkin(sessionId, id);
}

void SessionListModel::update(int row, const Row& target)
{
    // Only the roles that changed, so that a cat reloads its video only when its state changed.
    const QModelIndex at = index(row);
    QList<int> roles;
    for (int role : roleNames().keys()) {
        if (data(at, role) != targetData(target, role))
            roles.append(role);
    }
    m_rows[row] = target;
    if (!roles.isEmpty())
        emit dataChanged(at, at, roles);
}

void SessionListModel::sync()
{
    QList<Row> target;
    QSet<QString> targetIdentities;
    for (const QString& id : m_manager.orderedSessionIds()) {
        const auto found = m_manager.instances().constFind(id);
        if (found == m_manager.instances().cend())
            continue;
        Row row{LayoutMetrics::catViewIdentity(id, found->selectedSkinId), *found};
        if (targetIdentities.contains(row.identity))
            continue;
        targetIdentities.insert(row.identity);
        target.append(std::move(row));
    }
    const int oldCount = int(m_rows.size());

    for (int i = int(m_rows.size()) - 1; i >= 0; --i) {
        if (!targetIdentities.contains(m_rows[i].identity)) {
            beginRemoveRows({}, i, i);
            m_rows.removeAt(i);
            endRemoveRows();
        }
    }
    for (int i = 0; i < int(target.size()); ++i) {
        if (i < int(m_rows.size()) && m_rows[i].identity == target[i].identity) {
            update(i, target[i]);
            continue;
        }
        int from = -1;
        for (int j = i + 1; j < int(m_rows.size()); ++j) {
            if (m_rows[j].identity == target[i].identity) {
                from = j;
                break;
            }
        }
        if (from >= 0) {
            beginMoveRows({}, from, from, {}, i);
            m_rows.move(from, i);
            endMoveRows();
            update(i, target[i]);
        } else {
            beginInsertRows({}, i, i);
            m_rows.insert(i, target[i]);
            endInsertRows();
        }
    }

    if (int(m_rows.size()) != oldCount)
        emit countChanged();
    const int instanceCount = int(m_manager.instances().size());
    if (instanceCount != m_instanceCount) {
        m_instanceCount = instanceCount;
        emit instanceCountChanged();
    }
}

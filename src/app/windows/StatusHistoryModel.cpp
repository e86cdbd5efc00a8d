#include "StatusHistoryModel.h"

#include "LayoutMetrics.h"
#include "StatusManager.h"

#include <QRegularExpression>

StatusHistoryModel::StatusHistoryModel(StatusManager& statusManager, QLocale locale, QObject* parent)
    : QAbstractListModel(parent), m_statusManager(statusManager), m_locale(std::move(locale)),
      m_timeFormat(timeFormat(m_locale))
{
    // Every change adds one entry at the top and may drop the oldest; a reset keeps it simple.
    connect(&m_statusManager, &StatusManager::statusHistoryChanged, this, [this] {
        beginResetModel();
        endResetModel();
        emit countChanged();
    });
}

int StatusHistoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_statusManager.statusHistory().size());
}

QVariant StatusHistoryModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const StatusHistoryItem& item = m_statusManager.statusHistory().at(index.row());
    switch (role) {
    case StateTextRole:
        return claudeStatusDisplayName(item.status);
    case StateColorRole:
        return LayoutMetrics::stateColor(item.status);
    case ToolRole:
        return item.tool.value_or(QString());
    case TimeRole:
        return m_locale.toString(item.timestamp.toLocalTime().time(), m_timeFormat);
    default:
        return {};
    }
}

QHash<int, QByteArray> StatusHistoryModel::roleNames() const
{
    return {
        {StateTextRole, "stateText"}, {StateColorRole, "stateColor"}, {ToolRole, "tool"}, {TimeRole, "time"}};
}

QString StatusHistoryModel::timeFormat(const QLocale& locale)
{
    QString format = locale.timeFormat(QLocale::ShortFormat);
    if (!format.contains(u's'))
        format.replace(QRegularExpression(QStringLiteral("([hH]+)(\\W*)(mm?)")),
                       QStringLiteral("\\1\\2\\3\\2ss"));
    return format;
}

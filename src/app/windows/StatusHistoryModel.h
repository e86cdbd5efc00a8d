#pragma once

#include <QAbstractListModel>
#include <QLocale>
#include <QString>
#include <QtQml/qqmlregistration.h>

class StatusManager;

// The status manager's recent changes, newest first, as the history tab lists them.
class StatusHistoryModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The preferences window makes it")
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role
    {
        StateTextRole = Qt::UserRole + 1,
        StateColorRole,
        ToolRole, // empty when the change named no tool
        TimeRole,
    };

    explicit StatusHistoryModel(StatusManager& statusManager, QLocale locale = QLocale::system(),
                                QObject* parent = nullptr);

    int count() const { return rowCount(); }
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The locale's short time with seconds added when it has none (a medium time: 3:04:05 PM).
    static QString timeFormat(const QLocale& locale);

signals:
    void countChanged();

private:
    StatusManager& m_statusManager;
    const QLocale m_locale;
    const QString m_timeFormat;
};

#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The contents of status.json. The status text is kept as read; the status manager validates it.
struct StatusUpdate
{
    QString status;
    QString timestamp;
    std::optional<QString> tool;
    std::optional<QString> session;

    static std::optional<StatusUpdate> decode(const QByteArray& bytes);

    bool operator==(const StatusUpdate&) const = default;
};

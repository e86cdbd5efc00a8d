#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

// ISO 8601 internet date-times: 2025-01-15T10:30:45.123Z or 2025-01-15T10:30:45+02:00.
// Stricter than QDateTime::fromString, which also takes a blank for the T or a missing zone.
class InternetDateTime
{
public:
    static std::optional<QDateTime> parse(QStringView text);
    // UTC, whole seconds, e.g. 2025-01-15T10:30:45Z.
    static QString format(const QDateTime& time);
    // UTC with milliseconds, e.g. 2025-01-15T10:30:45.123Z.
    static QString formatWithMilliseconds(const QDateTime& time);
};

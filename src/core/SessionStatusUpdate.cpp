#include "SessionStatusUpdate.h"

#include "StrictJsonObject.h"

#include <cmath>
#include <limits>

namespace {
std::optional<qint64> processId(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    // pid_t is an int; 1 and up are real processes (0 and negatives address process groups).
    if (!(number >= 1 && number <= std::numeric_limits<int>::max()) || std::trunc(number) != number)
        return std::nullopt;
    return qint64(number);
}
} // namespace

std::optional<SessionStatusUpdate> SessionStatusUpdate::decode(const QByteArray& bytes)
{
    auto json = StrictJsonObject::parse(bytes);
    if (!json)
        return std::nullopt;
    SessionStatusUpdate update;
    update.session_id = json->requiredString(QStringLiteral("session_id"));
    update.status = json->requiredString(QStringLiteral("status"));
    update.title = json->optionalString(QStringLiteral("title"));
    update.cwd = json->optionalString(QStringLiteral("cwd"));
    update.transcript_path = json->optionalString(QStringLiteral("transcript_path"));
    update.timestamp = json->requiredString(QStringLiteral("timestamp"));
    if (!json->ok())
        return std::nullopt;
    update.claude_pid = processId(json->object().value(QStringLiteral("claude_pid")));
    return update;
}

#include "SessionStatusUpdate.h"

#include "StrictJsonObject.h"

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
    return update;
}

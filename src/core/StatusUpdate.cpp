#include "StatusUpdate.h"

#include "StrictJsonObject.h"

std::optional<StatusUpdate> StatusUpdate::decode(const QByteArray& bytes)
{
    auto json = StrictJsonObject::parse(bytes);
    if (!json)
        return std::nullopt;
    StatusUpdate update;
    update.status = json->requiredString(QStringLiteral("status"));
    update.timestamp = json->requiredString(QStringLiteral("timestamp"));
    update.tool = json->optionalString(QStringLiteral("tool"));
    update.session = json->optionalString(QStringLiteral("session"));
    if (!json->ok())
        return std::nullopt;
    return update;
}

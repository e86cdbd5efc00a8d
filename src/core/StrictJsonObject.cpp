#include "StrictJsonObject.h"

#include <QJsonDocument>
#include <QJsonParseError>

std::optional<StrictJsonObject> StrictJsonObject::parse(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return StrictJsonObject(document.object());
}

QString StrictJsonObject::requiredString(const QString& key)
{
    const QJsonValue value = m_object.value(key);
    if (!value.isString()) {
        m_ok = false;
        return {};
    }
    return value.toString();
}

std::optional<QString> StrictJsonObject::optionalString(const QString& key)
{
    const QJsonValue value = m_object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    if (!value.isString()) {
        m_ok = false;
        return std::nullopt;
    }
    return value.toString();
}

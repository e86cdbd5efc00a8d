#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <optional>

// Reads the status files by their strict rules: a wrong JSON type under any listed key, also an
// optional one, fails the whole record. The caller checks ok() once after taking every field.
class StrictJsonObject
{
public:
    static std::optional<StrictJsonObject> parse(const QByteArray& bytes);

    QString requiredString(const QString& key);
    // Absent and null both give no value.
    std::optional<QString> optionalString(const QString& key);

    bool ok() const { return m_ok; }
    const QJsonObject& object() const { return m_object; }

private:
    explicit StrictJsonObject(QJsonObject object) : m_object(std::move(object)) {}

    QJsonObject m_object;
    bool m_ok = true;
};

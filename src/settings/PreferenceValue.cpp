#include "PreferenceValue.h"

#include "LayoutMode.h"

#include <QUuid>
#include <cmath>

namespace {
std::optional<QVariant> readNumber(const QVariant& stored)
{
    bool ok = false;
    double number = 0;
    switch (stored.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        number = stored.toDouble(&ok);
        break;
    case QMetaType::QString:
        number = stored.toString().trimmed().toDouble(&ok);
        break;
    default:
        break;
    }
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return number;
}

std::optional<QVariant> readBool(const QVariant& stored)
{
    if (stored.typeId() == QMetaType::Bool)
        return stored.toBool();
    if (stored.typeId() == QMetaType::QString) {
        if (stored.toString() == u"true")
            return true;
        if (stored.toString() == u"false")
            return false;
    }
    return std::nullopt;
}
} // namespace

std::optional<QVariant> readPreference(PreferenceKind kind, const QVariant& stored)
{
    switch (kind) {
    case PreferenceKind::number:
        return readNumber(stored);
    case PreferenceKind::boolean:
        return readBool(stored);
    case PreferenceKind::uuid:
        if (const QUuid id = QUuid::fromString(stored.toString()); !id.isNull())
            return QVariant::fromValue(id);
        return std::nullopt;
    case PreferenceKind::layoutMode:
        if (const auto mode = layoutModeFromRawValue(stored.toString()))
            return QVariant::fromValue(*mode);
        return std::nullopt;
    case PreferenceKind::text:
        if (stored.typeId() == QMetaType::QString && !stored.toString().isEmpty())
            return stored.toString();
        return std::nullopt;
    }
    Q_UNREACHABLE();
}

QVariant storedPreference(PreferenceKind kind, const QVariant& value)
{
    switch (kind) {
    case PreferenceKind::number:
        return value.toDouble();
    case PreferenceKind::boolean:
        return value.toBool();
    case PreferenceKind::uuid:
        if (const QUuid id = value.value<QUuid>(); !id.isNull())
            return id.toString(QUuid::WithoutBraces).toUpper();
        return {};
    case PreferenceKind::layoutMode:
        return layoutModeRawValue(value.value<LayoutMode>());
    case PreferenceKind::text:
        return value.toString();
    }
    Q_UNREACHABLE();
}

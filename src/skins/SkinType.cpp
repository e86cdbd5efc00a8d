#include "SkinType.h"

std::optional<SkinType> skinTypeFromText(QStringView text)
{
    if (text == u"bundled")
        return SkinType::bundled;
    if (text == u"custom")
        return SkinType::custom;
    return std::nullopt;
}

QString skinTypeText(SkinType type)
{
    switch (type) {
    case SkinType::bundled:
        return QStringLiteral("bundled");
    case SkinType::custom:
        return QStringLiteral("custom");
    }
    Q_UNREACHABLE();
}

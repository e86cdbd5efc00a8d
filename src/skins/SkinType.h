#pragma once

#include <QString>
#include <optional>

enum class SkinType
{
    bundled,
    custom,
};

// The text stored in metadata.json; matched exactly.
std::optional<SkinType> skinTypeFromText(QStringView text);
QString skinTypeText(SkinType type);

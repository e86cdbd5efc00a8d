#include "SkinError.h"

SkinError SkinError::fromErrorCode(const std::error_code& error, const QString& context)
{
    return {QStringLiteral("FileSystem"), error.value(),
            context + QStringLiteral(": ") + QString::fromLocal8Bit(error.message())};
}

#pragma once

#include <QString>
#include <system_error>

// Errors of the skin code: a domain ("SkinManager", "VideoProcessor", or where a lower layer's error
// came from), a code within that domain, and a text that can be shown to the user.
struct SkinError
{
    QString domain;
    int code = 0;
    QString description;

    static SkinError fromErrorCode(const std::error_code& error, const QString& context);

    bool operator==(const SkinError&) const = default;
};

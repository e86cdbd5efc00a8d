#pragma once

#include <QString>

// Short texts that the log lines and the session labels share.
namespace TextFormat {

// The first eight characters of a session id, as the log lines show it.
QString shortSessionId(const QString& sessionId);

// The last component of a path, ignoring trailing slashes: "/w/api/" -> "api"; empty for "" and "/".
QString lastPathComponent(const QString& path);

// Shortest text that reads back as the same double, always with a fractional part: 5 -> "5.0".
QString secondsText(double seconds);

} // namespace TextFormat

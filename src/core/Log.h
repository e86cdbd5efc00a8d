#pragma once

#include <QString>
#include <functional>

// One line per event on standard output, flushed at once so that a user piping the output sees it live.
// Control characters are written as escapes (\n, \x1b), so that every call stays one line.
void logLine(const QString& text);
QString escapeControlCharacters(const QString& text);

// Tests read the lines through a listener; the lines still go to standard output.
using LogListener = std::function<void(const QString&)>;
// Returns the previous listener so that callers can restore it.
LogListener setLogListener(LogListener listener);

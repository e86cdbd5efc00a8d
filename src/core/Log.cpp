#include "Log.h"

#include <cstdio>

namespace {
LogListener& listenerSlot()
{
    static LogListener listener;
    return listener;
}
} // namespace

QString escapeControlCharacters(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code == u'\n')
            escaped += QStringLiteral("\\n");
        else if (code == u'\r')
            escaped += QStringLiteral("\\r");
        else if (code == u'\t')
            escaped += QStringLiteral("\\t");
        else if (code < 0x20 || (code >= 0x7f && code < 0xa0))
            escaped += QStringLiteral("\\x%1").arg(int(code), 2, 16, QLatin1Char('0'));
        else
            escaped += c;
    }
    return escaped;
}

void logLine(const QString& rawText)
{
    // Lines carry values read from files (a session's folder, a tool name): a newline in one of them
    // would forge a line of its own, an escape sequence would drive the terminal.
    const QString text = escapeControlCharacters(rawText);
    const QByteArray line = text.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
    if (auto& listener = listenerSlot())
        listener(text);
}

LogListener setLogListener(LogListener listener)
{
    LogListener previous = std::move(listenerSlot());
    listenerSlot() = std::move(listener);
    return previous;
}

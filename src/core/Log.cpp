#include "Log.h"

#include <cstdio>

namespace {
LogListener& listenerSlot()
{
    static LogListener listener;
    return listener;
}
} // namespace

void logLine(const QString& text)
{
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

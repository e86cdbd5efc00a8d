#include "LogCapture.h"

#include "Log.h"

LogCapture::LogCapture()
{
    setLogListener([this](const QString& line) { m_lines.append(line); });
}

LogCapture::~LogCapture()
{
    setLogListener({});
}

int LogCapture::countStartingWith(const QString& prefix) const
{
    return int(std::count_if(m_lines.begin(), m_lines.end(),
                             [&](const QString& l) { return l.startsWith(prefix); }));
}

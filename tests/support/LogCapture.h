#pragma once

#include <QString>
#include <QStringList>

// Collects the log lines written while it lives.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const QStringList& lines() const { return m_lines; }
    int count(const QString& line) const { return int(m_lines.count(line)); }
    int countStartingWith(const QString& prefix) const;
    void clear() { m_lines.clear(); }

private:
    QStringList m_lines;
};

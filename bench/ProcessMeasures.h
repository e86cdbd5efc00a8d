#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Resident memory of a process ("self" or a pid) in MiB, from /proc; 0 when it cannot be read.
inline double residentMiB(const QString& pid = QStringLiteral("self"))
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

#include "AutostartEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {
// Quoting of the Exec key: reserved characters are escaped inside double quotes.
QString quotedExec(const QString& path)
{
    QString escaped;
    for (const QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            escaped += u'\\';
        escaped += c;
    }
    // Inside a desktop file a backslash itself is escaped once more.
    escaped.replace(u'\\', QStringLiteral("\\\\"));
    return u'"' + escaped + u'"';
}
} // namespace

AutostartEntry::AutostartEntry(QString autostartDirectory, QString executablePath)
    : m_directory(std::move(autostartDirectory)), m_executablePath(std::move(executablePath))
{}

QString AutostartEntry::defaultDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart");
}

QString AutostartEntry::programToLaunch(const QString& runningProgram, const QString& installedProgram)
{
    const QFileInfo installed(installedProgram);
    return installed.isFile() && installed.isExecutable() ? installedProgram : runningProgram;
}

std::expected<void, QString> AutostartEntry::refresh() const
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray exec = QStringLiteral("\nExec=%1\n").arg(quotedExec(m_executablePath)).toUtf8();
    if (file.readAll().contains(exec))
        return {};
    file.close();
    return setEnabled(true);
}

QString AutostartEntry::filePath() const
{
    return QDir(m_directory).filePath(QStringLiteral("tabbywatch.desktop"));
}

std::expected<void, QString> AutostartEntry::setEnabled(bool enabled) const
{
    if (!enabled) {
        QFile file(filePath());
        if (file.exists() && !file.remove())
            return std::unexpected(
                QStringLiteral("cannot remove %1: %2").arg(filePath(), file.errorString()));
        return {};
    }
    if (!QDir().mkpath(m_directory))
        return std::unexpected(QStringLiteral("cannot create folder %1").arg(m_directory));
    QSaveFile file(filePath());
    if (!file.open(QIODevice::WriteOnly))
        return std::unexpected(QStringLiteral("cannot write %1: %2").arg(filePath(), file.errorString()));
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Tabbywatch\n"
                                         "Comment=Shows what Claude Code is doing\n"
                                         "Exec=%1\n"
                                         "Icon=tabbywatch\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(quotedExec(m_executablePath));
    file.write(entry.toUtf8());
    if (!file.commit())
        return std::unexpected(QStringLiteral("cannot write %1: %2").arg(filePath(), file.errorString()));
    return {};
}

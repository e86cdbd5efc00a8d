#pragma once

#include <QString>
#include <expected>

// Starting at login on a freedesktop.org desktop: a .desktop file in the autostart folder.
class AutostartEntry
{
public:
    // autostartDirectory is normally $XDG_CONFIG_HOME/autostart.
    AutostartEntry(QString autostartDirectory, QString executablePath);

    static QString defaultDirectory();
    // The installed program when there is one, so an entry written from a build tree still starts
    // the program after that tree is gone; otherwise the running one.
    static QString programToLaunch(const QString& runningProgram, const QString& installedProgram);

    QString filePath() const;
    // Writes the entry (enabled) or removes it; the error is a sentence for the log.
    std::expected<void, QString> setEnabled(bool enabled) const;
    // Rewrites an existing entry that names another program (one written before an install, or by
    // an older copy); does nothing when there is no entry.
    std::expected<void, QString> refresh() const;

private:
    QString m_directory;
    QString m_executablePath;
};

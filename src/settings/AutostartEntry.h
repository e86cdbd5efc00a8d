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

    QString filePath() const;
    // Writes the entry (enabled) or removes it; the error is a sentence for the log.
    std::expected<void, QString> setEnabled(bool enabled) const;

private:
    QString m_directory;
    QString m_executablePath;
};

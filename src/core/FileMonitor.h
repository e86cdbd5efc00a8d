#pragma once

#include "StatusUpdate.h"

#include <QFile>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <expected>
#include <memory>
#include <optional>

struct FileMonitorError
{
    enum Kind
    {
        cannotOpenFile,
        fileNotFound,
    };
    Kind kind;
    std::optional<QString> underlying;

    // "fileNotFound", or "cannotOpenFile(<reason>)".
    QString text() const;
};

// Watches one existing file and re-reads it through the handle opened at creation on every change,
// so it stays bound to that file even when another file is later renamed over the path.
class FileMonitor : public QObject
{
    Q_OBJECT
public:
    // A status record is a few hundred bytes; anything this large is not one and is not read whole.
    static constexpr qint64 maxFileSize = 1024 * 1024;

    static std::expected<std::unique_ptr<FileMonitor>, FileMonitorError> create(const QString& path);
    ~FileMonitor() override;

    QString path() const { return m_path; }

signals:
    // Emitted synchronously for every change event: the decoded record, or nothing when the read or
    // the decoding failed.
    void didReadStatusUpdate(const std::optional<StatusUpdate>& update);

private:
    FileMonitor(QString path, std::unique_ptr<QFile> file);
    void readFile();

    QString m_path;
    std::unique_ptr<QFile> m_fileHandle;
    QFileSystemWatcher m_source;
};

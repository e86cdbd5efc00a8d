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

// Watches one existing file and re-reads it through the handle opened at creation on every change.
// When the path stops naming that file (deleted, or another file renamed over it) it says so once and
// reads no more: its owner then attaches a new monitor to whatever comes at the path.
class FileMonitor : public QObject
{
    Q_OBJECT
public:
    // A status record is a few hundred bytes; anything this large is not one and is not read whole.
    static constexpr qint64 maxFileSize = 1024 * 1024;

    static std::expected<std::unique_ptr<FileMonitor>, FileMonitorError> create(const QString& path);
    ~FileMonitor() override;

    QString path() const { return m_path; }
    bool isDetached() const { return m_detached; }
    // Reads the file now, as a change event does.
    void readFile();

signals:
    // Emitted synchronously for every change event: the decoded record, or nothing when the read or
    // the decoding failed.
    void didReadStatusUpdate(const std::optional<StatusUpdate>& update);
    // The path no longer names the file held open.
    void detached();

private:
    FileMonitor(QString path, std::unique_ptr<QFile> file);
    bool pathNamesHeldFile() const;

    QString m_path;
    std::unique_ptr<QFile> m_fileHandle;
    QFileSystemWatcher m_source;
    bool m_detached = false;
};

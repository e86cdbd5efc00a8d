#pragma once

#include <QByteArray>
#include <QString>
#include <expected>
#include <sys/types.h>

// The installer's file work, with errors that name the path and the system's reason.
namespace FileOperations {

std::expected<QByteArray, QString> readFile(const QString& path);

// Creates the folder and its missing parents with mode (less the umask); an existing folder is fine.
std::expected<void, QString> makePath(const QString& path, mode_t mode = 0777);

// Writes a temporary file beside path, gives it mode, flushes it to disk and renames it over path, so
// that readers see the old file or the new one and never a missing or half-written one. The temporary
// file is removed again on failure.
std::expected<void, QString> replaceFile(const QString& path, const QByteArray& bytes, mode_t mode);

// An absent file is no failure.
std::expected<void, QString> removeFile(const QString& path);

// The permission bits of an existing file.
std::expected<mode_t, QString> fileMode(const QString& path);

// What a newly created file gets from the process's umask (0666 minus the umask).
mode_t newFileMode();

} // namespace FileOperations

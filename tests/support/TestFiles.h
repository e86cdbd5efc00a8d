#pragma once

#include <QByteArray>
#include <QString>

namespace TestFiles {
// Truncates and writes the existing file, keeping its inode, as the hook does with status.json.
bool rewriteInPlace(const QString& path, const QByteArray& bytes);
// Writes a new file and renames it over the path, giving the path a new inode.
bool replaceByRename(const QString& path, const QByteArray& bytes);
} // namespace TestFiles

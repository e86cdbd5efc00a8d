#include "TestFiles.h"

#include <QFile>

namespace TestFiles {
bool rewriteInPlace(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::ExistingOnly))
        return false;
    return file.write(bytes) == bytes.size();
}

bool replaceByRename(const QString& path, const QByteArray& bytes)
{
    const QString temporary = path + QStringLiteral(".new");
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    return ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) == 0;
}
} // namespace TestFiles

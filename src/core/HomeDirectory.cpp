#include "HomeDirectory.h"

#include <QDir>

QString statusHomeDirectory()
{
    if (qEnvironmentVariableIsSet("HOME"))
        return qEnvironmentVariable("HOME");
    return QDir::homePath();
}

bool makePrivatePath(const QString& path)
{
    const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
    QStringList missing;
    for (QFileInfo info(absolute); !info.exists() && !info.isSymLink(); info.setFile(info.absolutePath())) {
        if (info.absoluteFilePath() == info.absolutePath())
            break; // the root
        missing.prepend(info.absoluteFilePath());
    }
    for (const QString& folder : std::as_const(missing))
        if (!QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            return QFileInfo(folder).isDir();
    return QFileInfo(absolute).isDir();
}

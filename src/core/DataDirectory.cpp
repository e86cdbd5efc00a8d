#include "DataDirectory.h"

#include <QCoreApplication>
#include <QDir>

QString dataDirectory()
{
    return QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tabbywatch"))
        .absolutePath();
}

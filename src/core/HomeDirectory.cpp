#include "HomeDirectory.h"

#include <QDir>

QString statusHomeDirectory()
{
    if (qEnvironmentVariableIsSet("HOME"))
        return qEnvironmentVariable("HOME");
    return QDir::homePath();
}

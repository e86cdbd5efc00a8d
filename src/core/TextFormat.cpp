#include "TextFormat.h"

#include <QFileInfo>
#include <QLocale>
#include <cmath>

namespace TextFormat {

QString shortSessionId(const QString& sessionId)
{
    return sessionId.left(8);
}

QString lastPathComponent(const QString& path)
{
    // QFileInfo gives nothing for a path that ends in a slash.
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    return QFileInfo(trimmed).fileName();
}

QString secondsText(double seconds)
{
    QString text = QString::number(seconds, 'g', QLocale::FloatingPointShortest);
    if (std::isfinite(seconds) && !text.contains(u'.') && !text.contains(u'e'))
        text += QStringLiteral(".0");
    return text;
}

} // namespace TextFormat

#include "SkinRendition.h"

#include <QFileInfo>

QString SkinRendition::smallPath(const QString& clip)
{
    const QFileInfo info(clip);
    if (clip.isEmpty() || info.completeBaseName().isEmpty())
        return {};
    return info.path() + u'/' + info.completeBaseName() + u'@' + QString::number(smallSide) + u'.' +
           info.suffix();
}

bool SkinRendition::smallSuffices(QSize shown)
{
    return !shown.isEmpty() && shown.width() <= smallSide && shown.height() <= smallSide;
}

QString SkinRendition::pathFor(const QString& clip, QSize shown)
{
    if (!smallSuffices(shown))
        return clip;
    const QString small = smallPath(clip);
    return !small.isEmpty() && QFileInfo(small).isFile() ? small : clip;
}

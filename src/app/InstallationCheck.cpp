#include "InstallationCheck.h"

#include "SkinManager.h"

#include <QDir>
#include <QFileInfo>

namespace InstallationCheck {

Result run(const QString& dataDirectory, const QString& temporaryDirectory)
{
    const QDir data(dataDirectory);
    QString report = QStringLiteral("Data folder: %1\n").arg(data.absolutePath());
    bool complete = true;
    for (const char* name : {"status_writer.py", "tabbywatch_hook.py"}) {
        const bool found = QFileInfo(data.filePath(QLatin1String(name))).isFile();
        complete = complete && found;
        report += QStringLiteral("Hook %1: %2\n")
                      .arg(QLatin1String(name), found ? QStringLiteral("found") : QStringLiteral("missing"));
    }

    const SkinManager skins(QDir(temporaryDirectory).filePath(QStringLiteral("Skins")),
                            data.filePath(QStringLiteral("Skins")), {}, {});
    int bundled = 0;
    for (const Skin& skin : skins.availableSkins()) {
        if (skin.type != SkinType::bundled)
            continue;
        ++bundled;
        const QDir folder(skins.skinDirectory(skin));
        for (const QString& video :
             {skin.idleVideoPath, skin.workingVideoPath, skin.needsInputVideoPath, skin.completedVideoPath}) {
            if (!QFileInfo(folder.filePath(video)).isFile()) {
                complete = false;
                report += QStringLiteral("Missing video: %1\n").arg(folder.filePath(video));
            }
        }
    }
    complete = complete && bundled > 0;
    report += QStringLiteral("Bundled skins: %1\n").arg(bundled);
    return {report, complete};
}

} // namespace InstallationCheck

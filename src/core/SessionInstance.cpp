#include "SessionInstance.h"

#include "InternetDateTime.h"

#include <QFileInfo>

QString SessionInstance::displayName() const
{
    // QFileInfo drops a trailing slash the way a file URL's last component does.
    QString name = QFileInfo(cwd).fileName();
    if (name.isEmpty() && cwd.endsWith(u'/') && cwd.size() > 1) {
        QString trimmed = cwd;
        while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
            trimmed.chop(1);
        name = QFileInfo(trimmed).fileName();
    }
    if (name.isEmpty())
        name = QStringLiteral("Session");
    if (sessionNumber && *sessionNumber >= 2)
        name += QStringLiteral(" (%1)").arg(*sessionNumber);
    return name;
}

std::optional<SessionInstance> makeSessionInstance(const SessionStatusUpdate& update, const QDateTime& now)
{
    const auto status = claudeStatusFromText(update.status);
    if (!status)
        return std::nullopt;
    SessionInstance instance;
    instance.sessionId = update.session_id;
    instance.status = *status;
    instance.title = update.title.value_or(QStringLiteral("New Session"));
    instance.cwd = update.cwd.value_or(QString());
    instance.lastUpdate = InternetDateTime::parse(update.timestamp).value_or(now);
    instance.transcriptPath = update.transcript_path;
    return instance;
}

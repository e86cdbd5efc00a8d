#include "SessionInstance.h"

#include "InternetDateTime.h"
#include "TextFormat.h"

QString SessionInstance::displayName() const
{
    QString name = TextFormat::lastPathComponent(cwd);
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

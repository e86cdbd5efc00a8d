#include "ClaudeSessionRecord.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
std::optional<QString> stringField(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    return value.isString() ? std::optional(value.toString()) : std::nullopt;
}

// A whole number within [low, high], or nothing.
std::optional<qint64> wholeNumber(const QJsonValue& value, double low, double high)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!(number >= low && number <= high) || std::trunc(number) != number)
        return std::nullopt;
    return qint64(number);
}

std::optional<QDateTime> millisecondsField(const QJsonObject& object, const QString& key)
{
    // Up to the year 9999: anything later is not a time this client wrote.
    const auto ms = wholeNumber(object.value(key), 0, 253402300799999.0);
    if (!ms)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(*ms, Qt::UTC);
}

std::optional<quint64> ticksField(const QJsonObject& object)
{
    const auto text = stringField(object, QStringLiteral("procStart"));
    // Decimal digits only: toULongLong would also take signs, spaces and hexadecimal.
    if (!text || text->isEmpty() || text->size() > 20 ||
        !std::all_of(text->cbegin(), text->cend(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const quint64 ticks = text->toULongLong(&ok);
    return ok ? std::optional(ticks) : std::nullopt;
}

std::optional<ClaudeSessionRecord::ScreenStatus> screenStatus(const std::optional<QString>& text)
{
    using enum ClaudeSessionRecord::ScreenStatus;
    for (const auto status : {idle, busy, waiting, shell})
        if (text == ClaudeSessionRecord::screenStatusText(status))
            return status;
    return std::nullopt;
}
} // namespace

QString ClaudeSessionRecord::screenStatusText(ScreenStatus status)
{
    switch (status) {
    case ScreenStatus::idle:
        return QStringLiteral("idle");
    case ScreenStatus::busy:
        return QStringLiteral("busy");
    case ScreenStatus::waiting:
        return QStringLiteral("waiting");
    case ScreenStatus::shell:
        return QStringLiteral("shell");
    }
    return {};
}

std::optional<ClaudeSessionRecord> ClaudeSessionRecord::parse(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    ClaudeSessionRecord record;
    // pid_t is an int; 1 and up are real processes.
    const auto pid = wholeNumber(object.value(QStringLiteral("pid")), 1, std::numeric_limits<int>::max());
    const auto sessionId = stringField(object, QStringLiteral("sessionId"));
    if (!pid || !sessionId || sessionId->isEmpty())
        return std::nullopt;
    record.pid = *pid;
    record.sessionId = *sessionId;
    record.procStart = ticksField(object);
    record.status = screenStatus(stringField(object, QStringLiteral("status")));
    record.waitingFor = stringField(object, QStringLiteral("waitingFor"));
    record.updatedAt = millisecondsField(object, QStringLiteral("updatedAt"));
    record.statusUpdatedAt = millisecondsField(object, QStringLiteral("statusUpdatedAt"));
    record.pidDomain = stringField(object, QStringLiteral("pidDomain"));
    return record;
}

QDateTime ClaudeSessionRecord::statusChangedAt() const
{
    return statusUpdatedAt.value_or(updatedAt.value_or(modified));
}

std::optional<ClaudeStatus> ClaudeSessionRecord::shownStatus(ClaudeStatus hookStatus,
                                                             const QDateTime& hookTime) const
{
    if (!status)
        return std::nullopt;
    switch (*status) {
    case ScreenStatus::busy:
    case ScreenStatus::shell:
        return ClaudeStatus::working;
    case ScreenStatus::waiting:
        return ClaudeStatus::needsInput;
    case ScreenStatus::idle:
        break;
    }
    const QDateTime changed = statusChangedAt();
    const bool completedLater = hookStatus == ClaudeStatus::completed && hookTime.isValid() &&
                                changed.isValid() && hookTime > changed;
    return completedLater ? ClaudeStatus::completed : ClaudeStatus::idle;
}

#include "InternetDateTime.h"

#include <QRegularExpression>
#include <QTimeZone>

std::optional<QDateTime> InternetDateTime::parse(QStringView text)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^(\d{4})-(\d{2})-(\d{2})T(\d{2}):(\d{2}):(\d{2})(?:\.(\d{1,9}))?(?:(Z)|([+-])(\d{2}):(\d{2}))$)"));
    const QRegularExpressionMatch match = pattern.match(text.toString());
    if (!match.hasMatch())
        return std::nullopt;
    const auto number = [&](int group) { return match.capturedView(group).toInt(); };

    const QDate date(number(1), number(2), number(3));
    // Only the first three fraction digits count; the rest is below the clock's resolution.
    const QString fraction = match.captured(7).leftJustified(3, u'0').left(3);
    const QTime time(number(4), number(5), number(6), fraction.toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;

    int offsetSeconds = 0;
    if (!match.hasCaptured(8)) {
        const int hours = number(10);
        const int minutes = number(11);
        if (hours > 23 || minutes > 59)
            return std::nullopt;
        offsetSeconds = (hours * 3600 + minutes * 60) * (match.capturedView(9) == u"-" ? -1 : 1);
    }
    const QDateTime result(date, time, QTimeZone(offsetSeconds));
    if (!result.isValid())
        return std::nullopt;
    return result.toUTC();
}

QString InternetDateTime::format(const QDateTime& time)
{
    return time.toUTC().toString(Qt::ISODate);
}

QString InternetDateTime::formatWithMilliseconds(const QDateTime& time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

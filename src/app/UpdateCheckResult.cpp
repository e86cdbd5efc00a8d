#include "UpdateCheckResult.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

namespace {
// Parts longer than this would overflow the comparison and are no version of ours anyway.
constexpr qsizetype maxPartDigits = 9;

std::optional<QList<int>> parseVersion(QStringView text)
{
    if (text.startsWith(u'v') || text.startsWith(u'V'))
        text = text.mid(1);
    if (text.isEmpty())
        return std::nullopt;
    QList<int> parts;
    for (QStringView part : text.split(u'.')) {
        if (part.isEmpty() || part.size() > maxPartDigits)
            return std::nullopt;
        for (QChar c : part)
            if (c < u'0' || c > u'9')
                return std::nullopt;
        parts.append(part.toInt());
    }
    return parts;
}
} // namespace

UpdateCheckResult UpdateCheckResult::upToDate(const QString& currentVersion)
{
    UpdateCheckResult result;
    result.outcome = Outcome::upToDate;
    result.version = currentVersion;
    result.title = QStringLiteral("You're up to date");
    result.text = QStringLiteral("Tabbywatch %1 is the newest version available.").arg(currentVersion);
    return result;
}

UpdateCheckResult UpdateCheckResult::updateAvailable(const QString& newVersion, const QString& currentVersion,
                                                     const QUrl& pageURL, const QString& notes)
{
    UpdateCheckResult result;
    result.outcome = Outcome::updateAvailable;
    result.version = newVersion;
    result.pageURL = pageURL;
    result.notes = notes;
    result.title = QStringLiteral("A new version of Tabbywatch is available");
    result.text = QStringLiteral("Tabbywatch %1 is available (you have %2). Would you like to open the "
                                 "download page?")
                      .arg(newVersion, currentVersion);
    return result;
}

UpdateCheckResult UpdateCheckResult::failed(const QString& reason)
{
    UpdateCheckResult result;
    result.outcome = Outcome::failed;
    result.title = QStringLiteral("Update check failed");
    result.text = QStringLiteral("Tabbywatch could not check for updates: %1.").arg(reason);
    return result;
}

bool isWebURL(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("https") || scheme == QLatin1String("http")) &&
           !url.host().isEmpty();
}

std::optional<std::strong_ordering> compareVersions(QStringView left, QStringView right)
{
    const std::optional<QList<int>> a = parseVersion(left);
    const std::optional<QList<int>> b = parseVersion(right);
    if (!a || !b)
        return std::nullopt;
    // Missing parts count as 0, so "1.2" and "1.2.0" are the same version.
    for (qsizetype i = 0; i < std::max(a->size(), b->size()); ++i) {
        const int x = a->value(i, 0);
        const int y = b->value(i, 0);
        if (x != y)
            return x <=> y;
    }
    return std::strong_ordering::equal;
}

UpdateCheckResult evaluateUpdateFeed(const QByteArray& body, const QString& currentVersion)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return UpdateCheckResult::failed(QStringLiteral("the update information is not valid JSON"));
    const QJsonObject feed = document.object();

    const QString version = feed.value(QLatin1String("version")).toString();
    const std::optional<std::strong_ordering> order = compareVersions(version, currentVersion);
    if (!order) {
        // Our own version always parses; a failure here is the feed's.
        if (!compareVersions(currentVersion, currentVersion))
            return UpdateCheckResult::failed(
                QStringLiteral("this build's version \"%1\" cannot be compared").arg(currentVersion));
        return UpdateCheckResult::failed(QStringLiteral("the update information has no valid version"));
    }
    if (*order != std::strong_ordering::greater)
        return UpdateCheckResult::upToDate(currentVersion);

    const QUrl page(feed.value(QLatin1String("url")).toString(), QUrl::StrictMode);
    if (!isWebURL(page))
        return UpdateCheckResult::failed(
            QStringLiteral("the update information has no valid download address"));
    return UpdateCheckResult::updateAvailable(version, currentVersion, page,
                                              feed.value(QLatin1String("notes")).toString());
}

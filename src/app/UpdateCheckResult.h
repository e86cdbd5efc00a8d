#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QStringView>
#include <QUrl>
#include <compare>
#include <optional>

// What one update check found, with the title and text of the message box that tells the user.
struct UpdateCheckResult
{
    enum class Outcome
    {
        upToDate,
        updateAvailable,
        failed,
    };

    Outcome outcome = Outcome::failed;
    QString version; // upToDate: the running one; updateAvailable: the newer one
    QUrl pageURL;    // updateAvailable: the download page, http or https
    QString notes;   // updateAvailable: the feed's release notes, for the box's details; may be empty
    QString title;
    QString text;

    static UpdateCheckResult upToDate(const QString& currentVersion);
    static UpdateCheckResult updateAvailable(const QString& newVersion, const QString& currentVersion,
                                             const QUrl& pageURL, const QString& notes);
    // reason completes "Tabbywatch could not check for updates: ".
    static UpdateCheckResult failed(const QString& reason);
};
Q_DECLARE_METATYPE(UpdateCheckResult)

// Dotted numbers ("1.10.0" > "1.9.2", "1.2" == "1.2.0"), with an optional leading "v". Anything else
// (suffixes, signs, spaces, empty parts) is no version and gives no ordering.
std::optional<std::strong_ordering> compareVersions(QStringView left, QStringView right);

// An absolute http or https address with a host: all we fetch or offer to open.
bool isWebURL(const QUrl& url);

// The decision on a feed's body, e.g. {"version": "0.3.0", "url": "https://…", "notes": "…"}. The page
// address is needed only when the feed's version is newer.
UpdateCheckResult evaluateUpdateFeed(const QByteArray& body, const QString& currentVersion);

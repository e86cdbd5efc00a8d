#pragma once

#include "ImportProgress.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QtQml/qqmlregistration.h>
#include <optional>

class SkinManager;

// The inputs and the running import of the sheet that makes a custom skin from four videos. Lives
// with the skin library, not with the sheet, so that an import outlives the sheet being closed.
class SkinCreator : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString skinName READ skinName WRITE setSkinName NOTIFY inputsChanged)
    // The chosen files' names for idle, working, needs input, completed; empty where none is chosen.
    Q_PROPERTY(QStringList videoNames READ videoNames NOTIFY inputsChanged)
    Q_PROPERTY(bool canCreate READ canCreate NOTIFY inputsChanged)
    // An import started here runs.
    Q_PROPERTY(bool isCreating READ isCreating NOTIFY isCreatingChanged)
    // Any import runs, from here or not: "Create Skin" waits for it.
    Q_PROPERTY(bool importRunning READ importRunning NOTIFY importRunningChanged)
    Q_PROPERTY(bool hasProgress READ hasProgress NOTIFY progressChanged)
    Q_PROPERTY(int percentage READ percentage NOTIFY progressChanged)
    Q_PROPERTY(QString percentageText READ percentageText NOTIFY progressChanged)
    Q_PROPERTY(QString videosText READ videosText NOTIFY progressChanged)
    Q_PROPERTY(QString progressMessage READ progressMessage NOTIFY progressChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)

public:
    static constexpr int videoCount = 4;

    // Over the application's skin manager.
    explicit SkinCreator(QObject* parent = nullptr);
    SkinCreator(SkinManager* skinManager, QObject* parent);
    ~SkinCreator() override;

    // The progress panel's lines: "42%", "2/4 Videos" and the stage; "Creating..." before the first
    // progress value, with the other two empty.
    struct ProgressTexts
    {
        QString percentage;
        QString videos;
        QString message;
        bool operator==(const ProgressTexts&) const = default;
    };
    static ProgressTexts progressTexts(const std::optional<ImportProgress>& progress);
    // A dropped file is taken when its extension, in lower case, is mp4 or mov.
    static bool isVideoFile(const QUrl& url);

    QString skinName() const { return m_skinName; }
    void setSkinName(const QString& name);
    QStringList videoNames() const;
    bool canCreate() const;
    bool isCreating() const { return m_isCreating; }
    bool importRunning() const;
    bool hasProgress() const;
    int percentage() const;
    QString percentageText() const { return currentTexts().percentage; }
    QString videosText() const { return currentTexts().videos; }
    QString progressMessage() const { return currentTexts().message; }
    QString errorMessage() const { return m_errorMessage; }

    Q_INVOKABLE void setVideo(int index, const QUrl& url);
    // The first URL of a drop; false (refused) only when there is none. Other files are ignored.
    Q_INVOKABLE bool dropVideos(int index, const QList<QUrl>& urls);
    // Empties the inputs for a new sheet; kept while an import runs.
    Q_INVOKABLE void reset();
    Q_INVOKABLE void create();

signals:
    void inputsChanged();
    void isCreatingChanged();
    void importRunningChanged();
    void progressChanged();
    void errorMessageChanged();
    // The new skin is current; the sheet closes.
    void created(const QString& skinId);
    // The alert "Error" shows errorMessage.
    void failed();

private:
    ProgressTexts currentTexts() const;
    void setCreating(bool creating);

    QPointer<SkinManager> m_skinManager;
    QString m_skinName;
    QList<QUrl> m_videos;
    bool m_isCreating = false;
    QString m_errorMessage;
};

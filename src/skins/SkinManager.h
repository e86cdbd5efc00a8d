#pragma once

#include "ClaudeStatus.h"
#include "ImportProgress.h"
#include "Skin.h"
#include "SkinError.h"
#include "SkinSelectionStore.h"
#include "UsageEventSink.h"
#include "VideoProcessor.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QObject>
#include <QUrl>
#include <QUuid>
#include <QVariant>
#include <QVariantMap>
#include <expected>
#include <functional>
#include <memory>
#include <optional>

// Owns the skins at run time: loads the bundled and the custom ones at creation, keeps the current
// choice, imports new custom skins from four user videos, deletes custom skins, and hands out the
// bundled skins in turn to new sessions.
class SkinManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Skin currentSkin READ currentSkin NOTIFY currentSkinChanged)
    Q_PROPERTY(QList<Skin> availableSkins READ availableSkins NOTIFY availableSkinsChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    // An ImportProgress while an import runs, otherwise undefined.
    Q_PROPERTY(QVariant importProgress READ importProgressValue NOTIFY importProgressChanged)

public:
    enum ErrorCode
    {
        notAllVideosProcessed = 1,
        skinNotFound = 2,
        cannotDeleteBundledSkins = 3,
        importAlreadyRunning = 4,
        missingVideo = 5,
    };

    using ImportResult = std::expected<Skin, SkinError>;
    using ImportCompletion = std::function<void(ImportResult)>;
    using VideoSources = QMap<ClaudeStatus, QString>;

    SkinManager(QString customSkinsDirectory, QString bundledSkinsDirectory, SkinSelectionStore selection,
                UsageEventSink track,
                QString temporaryDirectory = VideoProcessor::defaultTemporaryDirectory(),
                QObject* parent = nullptr);
    ~SkinManager() override;

    // GenericDataLocation/Tabbywatch/Skins, normally ~/.local/share/Tabbywatch/Skins.
    static QString defaultCustomSkinsDirectory();
    // The data folder's Skins.
    static QString defaultBundledSkinsDirectory();
    static SkinError error(ErrorCode code);

    const Skin& currentSkin() const { return m_currentSkin; }
    const Skin* findSkin(const QUuid& id) const; // null when there is no such skin
    const QList<Skin>& availableSkins() const { return m_availableSkins; }
    bool isLoading() const { return m_isLoading; }
    const std::optional<ImportProgress>& importProgress() const { return m_importProgress; }
    QVariant importProgressValue() const;
    const QString& skinsDirectory() const { return m_skinsDirectory; }
    const QString& bundledSkinsDirectory() const { return m_bundledSkinsDirectory; }

    void selectSkin(const QUuid& id);
    Q_INVOKABLE void selectSkin(const QString& id);

    // All four states must be present. The completion is called once, on this object's thread: at
    // once when the import cannot even begin, otherwise later.
    void importCustomSkin(const QString& name, const std::optional<QString>& author,
                          const VideoSources& videos, ImportCompletion completion);
    std::expected<void, SkinError> deleteSkin(const QUuid& id);

    QString skinDirectory(const Skin& skin) const;
    QUrl videoURL(ClaudeStatus status) const;
    // The skin with that id, or the current one when the id is absent or unknown.
    QUrl videoURL(ClaudeStatus status, const std::optional<QUuid>& skinId) const;
    std::optional<QString> thumbnailPath(const Skin& skin) const;
    // A bundled skin for a new session, the same one for the same id in every run so that a restart does
    // not reshuffle the cats, unless another cat wears it (taken) and one is free; the current skin when
    // none is bundled.
    QUuid bundledSkinIdFor(const QString& sessionId, const QList<QUuid>& taken = {}) const;

signals:
    void currentSkinChanged();
    void availableSkinsChanged();
    void isLoadingChanged();
    void importProgressChanged();

private:
    struct ImportJob;

    void loadSkins();
    QList<Skin> loadBundledSkins();
    Skin loadBundledSkin(const QString& folder);
    QList<Skin> loadCustomSkins();
    std::optional<Skin> loadCustomSkin(const QString& folder);
    void chooseCurrentSkin();
    void setCurrentSkin(const Skin& skin);
    void setLoading(bool loading);
    void setImportProgress(std::optional<ImportProgress> progress);

    void processPosition(int position);
    void finishImport();
    void completeImport(const QImage& thumbnail);
    void failImport(const SkinError& error);

    const QString m_skinsDirectory;
    const QString m_bundledSkinsDirectory;
    const QString m_temporaryDirectory;
    SkinSelectionStore m_selection;
    UsageEventSink m_track;

    Skin m_currentSkin;
    QList<Skin> m_availableSkins;
    bool m_isLoading = false;
    std::optional<ImportProgress> m_importProgress;
    std::unique_ptr<ImportJob> m_import;
};

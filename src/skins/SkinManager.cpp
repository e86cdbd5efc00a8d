#include "SkinManager.h"

#include "DataDirectory.h"
#include "Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <filesystem>

namespace {
const QString defaultSkinName = QStringLiteral("Default Cat");
const QString thumbnailFileName = QStringLiteral("thumbnail.png");
const QString metadataFileName = QStringLiteral("metadata.json");

struct WorkItem
{
    ClaudeStatus status;
    QString fileName;
};
const WorkItem workList[] = {
    {ClaudeStatus::idle, QStringLiteral("idle.mp4")},
    {ClaudeStatus::working, QStringLiteral("working.mp4")},
    {ClaudeStatus::needsInput, QStringLiteral("needs_input.mp4")},
    {ClaudeStatus::completed, QStringLiteral("completed.mp4")},
};
constexpr int workCount = int(std::size(workList));

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// The sub-folders of a folder, or the reason it cannot be listed.
std::expected<QStringList, QString> listFolders(const QString& path)
{
    std::error_code error;
    std::filesystem::directory_iterator it(fsPath(path), error);
    if (error)
        return std::unexpected(QString::fromLocal8Bit(error.message()));
    QStringList folders;
    for (const auto& entry : it) {
        std::error_code typeError;
        if (entry.is_directory(typeError))
            folders.append(QFile::decodeName(entry.path().filename().c_str()));
    }
    return folders;
}

// "orange tabby" -> "Orange Tabby": each word's first letter upper case, the rest lower case.
QString capitalizedWords(const QString& text)
{
    QString result;
    result.reserve(text.size());
    bool wordStart = true;
    for (const QChar c : text) {
        result.append(wordStart ? c.toUpper() : c.toLower());
        wordStart = c.isSpace();
    }
    return result;
}

// Texts compared by Unicode scalar values after canonical composition.
bool scalarLess(const QString& a, const QString& b)
{
    const QList<uint> left = a.normalized(QString::NormalizationForm_C).toUcs4();
    const QList<uint> right = b.normalized(QString::NormalizationForm_C).toUcs4();
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end());
}

bool removeFolder(const QString& path)
{
    std::error_code error;
    std::filesystem::remove_all(fsPath(path), error);
    return !error;
}
} // namespace

struct SkinManager::ImportJob
{
    QUuid id;
    QString folder;
    QString name;
    std::optional<QString> author;
    QStringList sources; // in work-list order
    QMap<int, QString> processed;
    ImportCompletion completion;
    VideoProcessor* processor = nullptr; // child of the manager
};

SkinManager::SkinManager(QString customSkinsDirectory, QString bundledSkinsDirectory,
                         SkinSelectionStore selection, UsageEventSink track, QString temporaryDirectory,
                         QObject* parent)
    : QObject(parent), m_skinsDirectory(std::move(customSkinsDirectory)),
      m_bundledSkinsDirectory(std::move(bundledSkinsDirectory)),
      m_temporaryDirectory(std::move(temporaryDirectory)), m_selection(std::move(selection)),
      m_track(std::move(track)), m_currentSkin(Skin::defaultSkin(QDateTime::currentDateTimeUtc()))
{
    // A failure shows up as the listing error of the custom skins below.
    std::error_code ignored;
    std::filesystem::create_directories(fsPath(m_skinsDirectory), ignored);
    loadSkins();
    chooseCurrentSkin();
    logLine(QStringLiteral("✅ SkinManager initialized with skin: ") + m_currentSkin.name);
}

SkinManager::~SkinManager()
{
    // An import cut short must not leave half a skin behind to be loaded at the next start.
    if (m_import)
        removeFolder(m_import->folder);
}

QString SkinManager::defaultCustomSkinsDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Tabbywatch/Skins");
}

QString SkinManager::defaultBundledSkinsDirectory()
{
    return dataDirectory() + QStringLiteral("/Skins");
}

SkinError SkinManager::error(ErrorCode code)
{
    static const char* const descriptions[] = {
        "",
        "Not all videos were processed",
        "Skin not found",
        "Cannot delete bundled skins",
        "Another skin is being imported",
        "A video is needed for every state",
    };
    return {QStringLiteral("SkinManager"), int(code), QString::fromLatin1(descriptions[code])};
}

QVariant SkinManager::importProgressValue() const
{
    return m_importProgress ? QVariant::fromValue(*m_importProgress) : QVariant();
}

// ---- loading ----

void SkinManager::loadSkins()
{
    QList<Skin> skins = loadBundledSkins();
    skins.append(loadCustomSkins());
    m_availableSkins = skins;
    const auto bundled = std::count_if(skins.begin(), skins.end(),
                                       [](const Skin& skin) { return skin.type == SkinType::bundled; });
    logLine(QStringLiteral("📦 Loaded %1 skins (%2 bundled, %3 custom)")
                .arg(skins.size())
                .arg(bundled)
                .arg(skins.size() - bundled));
    emit availableSkinsChanged();
}

QList<Skin> SkinManager::loadBundledSkins()
{
    if (!QFileInfo::exists(m_bundledSkinsDirectory)) {
        logLine(QStringLiteral("⚠️ Bundled skins directory not found"));
        return {};
    }
    const auto folders = listFolders(m_bundledSkinsDirectory);
    if (!folders) {
        logLine(QStringLiteral("⚠️ Error loading bundled skins: ") + folders.error());
        return {};
    }
    QList<Skin> skins;
    for (const QString& folder : *folders)
        skins.append(loadBundledSkin(folder));
    std::stable_sort(skins.begin(), skins.end(), [](const Skin& a, const Skin& b) {
        const bool aDefault = a.name == defaultSkinName;
        const bool bDefault = b.name == defaultSkinName;
        if (aDefault || bDefault)
            return aDefault && !bDefault;
        return scalarLess(a.name, b.name);
    });
    return skins;
}

Skin SkinManager::loadBundledSkin(const QString& folder)
{
    const QUuid id = Skin::parseId(folder).value_or(QUuid::createUuid());
    const QString metadataPath = QDir(m_bundledSkinsDirectory).filePath(folder + u'/' + metadataFileName);
    if (QFileInfo::exists(metadataPath)) {
        QFile file(metadataPath);
        if (!file.open(QIODevice::ReadOnly)) {
            logLine(QStringLiteral("⚠️ Error loading metadata for bundled skin: ") + file.errorString());
        } else if (auto metadata = SkinMetadata::fromJson(file.readAll())) {
            return Skin::make(id, *metadata);
        } else {
            logLine(QStringLiteral("⚠️ Error loading metadata for bundled skin: ") + metadata.error());
        }
    }
    Skin skin = Skin::defaultSkin(QDateTime::currentDateTimeUtc());
    skin.id = id;
    skin.name = capitalizedWords(QString(folder).replace(u'-', u' '));
    return skin;
}

QList<Skin> SkinManager::loadCustomSkins()
{
    const auto folders = listFolders(m_skinsDirectory);
    if (!folders) {
        logLine(QStringLiteral("⚠️ Error loading custom skins: ") + folders.error());
        return {};
    }
    // Oldest first, so that skins keep the order in which they were made.
    QList<QPair<QDateTime, QString>> dated;
    for (const QString& folder : *folders)
        dated.append({QFileInfo(QDir(m_skinsDirectory).filePath(folder)).lastModified(), folder});
    std::sort(dated.begin(), dated.end());

    QList<Skin> skins;
    for (const auto& [modified, folder] : dated) {
        if (auto skin = loadCustomSkin(folder))
            skins.append(*skin);
    }
    return skins;
}

std::optional<Skin> SkinManager::loadCustomSkin(const QString& folder)
{
    const QString metadataPath = QDir(m_skinsDirectory).filePath(folder + u'/' + metadataFileName);
    if (!QFileInfo::exists(metadataPath)) {
        logLine(QStringLiteral("⚠️ metadata.json not found for skin: ") + folder);
        return std::nullopt;
    }
    QFile file(metadataPath);
    if (!file.open(QIODevice::ReadOnly)) {
        logLine(QStringLiteral("⚠️ Error loading custom skin metadata: ") + file.errorString());
        return std::nullopt;
    }
    const auto metadata = SkinMetadata::fromJson(file.readAll());
    if (!metadata) {
        logLine(QStringLiteral("⚠️ Error loading custom skin metadata: ") + metadata.error());
        return std::nullopt;
    }
    const auto id = Skin::parseId(folder);
    if (!id) {
        logLine(QStringLiteral("⚠️ Invalid UUID directory name: ") + folder);
        return std::nullopt;
    }
    return Skin::make(*id, *metadata);
}

void SkinManager::chooseCurrentSkin()
{
    const Skin* chosen = nullptr;
    if (const std::optional<QUuid> saved =
            m_selection.selectedSkinID ? m_selection.selectedSkinID() : std::nullopt)
        chosen = findSkin(*saved);
    if (!chosen) {
        const auto it = std::find_if(m_availableSkins.begin(), m_availableSkins.end(), [](const Skin& skin) {
            return skin.type == SkinType::bundled && skin.name == defaultSkinName;
        });
        if (it != m_availableSkins.end())
            chosen = &*it;
    }
    if (!chosen && !m_availableSkins.isEmpty())
        chosen = &m_availableSkins.first();
    if (chosen)
        setCurrentSkin(*chosen);
}

const Skin* SkinManager::findSkin(const QUuid& id) const
{
    const auto it = std::find_if(m_availableSkins.begin(), m_availableSkins.end(),
                                 [&](const Skin& skin) { return skin.id == id; });
    return it == m_availableSkins.end() ? nullptr : &*it;
}

void SkinManager::setCurrentSkin(const Skin& skin)
{
    m_currentSkin = skin;
    emit currentSkinChanged();
}

void SkinManager::setLoading(bool loading)
{
    if (m_isLoading == loading)
        return;
    m_isLoading = loading;
    emit isLoadingChanged();
}

void SkinManager::setImportProgress(std::optional<ImportProgress> progress)
{
    m_importProgress = std::move(progress);
    emit importProgressChanged();
}

// ---- choosing and locating ----

void SkinManager::selectSkin(const QUuid& id)
{
    const Skin* found = findSkin(id);
    if (!found) {
        logLine(QStringLiteral("⚠️ Skin not found: ") + Skin::idText(id));
        return;
    }
    const Skin skin = *found;
    setCurrentSkin(skin);
    if (m_selection.setSelectedSkinID)
        m_selection.setSelectedSkinID(id);
    logLine(QStringLiteral("✅ Switched to skin: ") + skin.name);
    // A user's own skin names never leave the machine.
    const bool bundled = skin.type == SkinType::bundled;
    if (m_track)
        m_track(
            QStringLiteral("skin_selected"),
            QVariantMap{{QStringLiteral("skin_name"), bundled ? skin.name : QStringLiteral("Custom Skin")},
                        {QStringLiteral("skin_type"), skinTypeText(skin.type)}});
}

void SkinManager::selectSkin(const QString& id)
{
    if (const auto parsed = Skin::parseId(id))
        selectSkin(*parsed);
    else
        logLine(QStringLiteral("⚠️ Skin not found: ") + id);
}

QString SkinManager::skinDirectory(const Skin& skin) const
{
    const QString folder = skin.directory(m_skinsDirectory, m_bundledSkinsDirectory);
    // Folders are named in upper case; one copied in by hand in lower case is still found.
    if (!QFileInfo::exists(folder)) {
        const QFileInfo lower(QFileInfo(folder).dir().filePath(Skin::idText(skin.id).toLower()));
        if (lower.isDir())
            return lower.filePath();
    }
    return folder;
}

QUrl SkinManager::videoURL(ClaudeStatus status) const
{
    return videoURL(status, std::nullopt);
}

QUrl SkinManager::videoURL(ClaudeStatus status, const std::optional<QUuid>& skinId) const
{
    const Skin* skin = skinId ? findSkin(*skinId) : nullptr;
    if (!skin)
        skin = &m_currentSkin;
    return QUrl::fromLocalFile(QDir(skinDirectory(*skin)).filePath(skin->videoFileName(status)));
}

std::optional<QString> SkinManager::thumbnailPath(const Skin& skin) const
{
    if (!skin.thumbnailPath)
        return std::nullopt;
    return QDir(skinDirectory(skin)).filePath(*skin.thumbnailPath);
}

QUuid SkinManager::bundledSkinIdFor(const QString& sessionId, const QList<QUuid>& taken) const
{
    QList<const Skin*> bundled;
    for (const Skin& skin : m_availableSkins) {
        if (skin.type == SkinType::bundled)
            bundled.append(&skin);
    }
    if (bundled.isEmpty())
        return m_currentSkin.id;
    // FNV-1a: qHash is seeded anew in every run.
    quint32 hash = 2166136261u;
    for (const char byte : sessionId.toUtf8())
        hash = (hash ^ quint8(byte)) * 16777619u;
    const qsizetype first = qsizetype(hash % quint32(bundled.size()));
    for (qsizetype i = 0; i < bundled.size(); ++i) {
        const QUuid id = bundled[(first + i) % bundled.size()]->id;
        if (!taken.contains(id))
            return id;
    }
    return bundled[first]->id;
}

// ---- deleting ----

std::expected<void, SkinError> SkinManager::deleteSkin(const QUuid& id)
{
    const Skin* found = findSkin(id);
    if (!found)
        return std::unexpected(error(skinNotFound));
    if (found->type != SkinType::custom)
        return std::unexpected(error(cannotDeleteBundledSkins));
    const Skin skin = *found;

    std::error_code removal;
    std::filesystem::remove_all(fsPath(skinDirectory(skin)), removal);
    if (removal)
        return std::unexpected(
            SkinError::fromErrorCode(removal, QStringLiteral("Cannot delete the skin folder")));

    m_availableSkins.removeIf([&](const Skin& s) { return s.id == id; });
    emit availableSkinsChanged();
    if (m_currentSkin.id == id) {
        const auto it = std::find_if(m_availableSkins.begin(), m_availableSkins.end(),
                                     [](const Skin& s) { return s.type == SkinType::bundled; });
        if (it != m_availableSkins.end())
            selectSkin(it->id);
    }
    logLine(QStringLiteral("✅ Deleted custom skin: ") + skin.name);
    return {};
}

// ---- importing ----

void SkinManager::importCustomSkin(const QString& name, const std::optional<QString>& author,
                                   const VideoSources& videos, ImportCompletion completion)
{
    if (m_import) {
        completion(std::unexpected(error(importAlreadyRunning)));
        return;
    }
    QStringList sources;
    for (const WorkItem& item : workList) {
        if (!videos.contains(item.status)) {
            completion(std::unexpected(error(missingVideo)));
            return;
        }
        sources.append(videos.value(item.status));
    }

    setLoading(true);
    setImportProgress(ImportProgress{1, workCount, QStringLiteral("Processing"), 0, 1});

    const QUuid id = QUuid::createUuid();
    const QString folder = QDir(m_skinsDirectory).filePath(Skin::idText(id));
    std::error_code creation;
    std::filesystem::create_directories(fsPath(folder), creation);
    if (creation || !QFileInfo(folder).isDir()) {
        if (!creation)
            creation = std::make_error_code(std::errc::not_a_directory);
        setLoading(false);
        setImportProgress(std::nullopt);
        completion(std::unexpected(
            SkinError::fromErrorCode(creation, QStringLiteral("Cannot create the skin folder"))));
        return;
    }

    m_import = std::make_unique<ImportJob>();
    m_import->id = id;
    m_import->folder = folder;
    m_import->name = name;
    m_import->author = author;
    m_import->sources = sources;
    m_import->completion = std::move(completion);
    processPosition(0);
}

void SkinManager::processPosition(int position)
{
    if (position >= workCount) {
        finishImport();
        return;
    }
    ImportJob& job = *m_import;
    const QString output = QDir(job.folder).filePath(workList[position].fileName);
    setImportProgress(ImportProgress{position + 1, workCount, QStringLiteral("Processing"), 0, position + 1});

    if (job.processor)
        job.processor->deleteLater();
    job.processor = new VideoProcessor(m_temporaryDirectory, this);
    const int number = position + 1;
    job.processor->processVideo(
        job.sources[position], output,
        [this, number](double progress, const QString& stage) {
            const int percentage = int(progress * 100);
            logLine(QStringLiteral("📊 Progress update: Video %1/%2 - %3% - %4")
                        .arg(number)
                        .arg(workCount)
                        .arg(percentage)
                        .arg(stage));
            setImportProgress(ImportProgress{number, workCount, stage, percentage, number});
        },
        [this, position](const VideoProcessor::Result& result) {
            if (!result) {
                failImport(result.error());
                return;
            }
            m_import->processed.insert(position, *result);
            processPosition(position + 1);
        });
}

void SkinManager::finishImport()
{
    ImportJob& job = *m_import;
    if (job.processed.size() != workCount) {
        failImport(error(notAllVideosProcessed));
        return;
    }
    setImportProgress(ImportProgress{workCount, workCount, QStringLiteral("Finalizing"), 100, workCount});
    if (!job.processed.contains(0)) {
        completeImport({});
        return;
    }
    job.processor->generateThumbnail(job.processed.value(0),
                                     [this](const QImage& image) { completeImport(image); });
}

void SkinManager::completeImport(const QImage& thumbnail)
{
    ImportJob& job = *m_import;
    SkinMetadata metadata;
    metadata.name = job.name;
    metadata.author = job.author;
    // Whole seconds, as the file keeps it: the skin in the list equals the one loaded at the next start.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    metadata.createdDate = now.addMSecs(-now.time().msec());
    metadata.type = SkinType::custom;
    metadata.idleVideoPath = workList[0].fileName;
    metadata.workingVideoPath = workList[1].fileName;
    metadata.needsInputVideoPath = workList[2].fileName;
    metadata.completedVideoPath = workList[3].fileName;
    if (!thumbnail.isNull() &&
        VideoProcessor::saveThumbnail(thumbnail, QDir(job.folder).filePath(thumbnailFileName)))
        metadata.thumbnailPath = thumbnailFileName;

    QSaveFile file(QDir(job.folder).filePath(metadataFileName));
    const QByteArray bytes = metadata.toJson();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        failImport({QStringLiteral("QFileDevice"), int(file.error()),
                    QStringLiteral("Cannot write metadata.json: ") + file.errorString()});
        return;
    }

    const Skin skin = Skin::make(job.id, metadata);
    const ImportCompletion completion = std::move(job.completion);
    job.processor->deleteLater();
    m_import.reset();

    m_availableSkins.append(skin);
    emit availableSkinsChanged();
    setLoading(false);
    setImportProgress(std::nullopt);
    logLine(QStringLiteral("✅ Custom skin imported: ") + skin.name);
    if (m_track)
        m_track(QStringLiteral("custom_skin_created"), std::nullopt);
    completion(skin);
}

void SkinManager::failImport(const SkinError& failure)
{
    removeFolder(m_import->folder);
    const ImportCompletion completion = std::move(m_import->completion);
    if (m_import->processor)
        m_import->processor->deleteLater();
    m_import.reset();
    setLoading(false);
    setImportProgress(std::nullopt);
    completion(std::unexpected(failure));
}

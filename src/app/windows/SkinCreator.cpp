#include "SkinCreator.h"

#include "Log.h"
#include "QmlShared.h"
#include "SkinManager.h"

#include <QFileInfo>

SkinCreator::SkinCreator(QObject* parent) : SkinCreator(QmlShared<SkinManager>::get(), parent) {}

SkinCreator::SkinCreator(SkinManager* skinManager, QObject* parent)
    : QObject(parent), m_skinManager(skinManager), m_videos(videoCount)
{
    if (!m_skinManager)
        return;
    connect(m_skinManager, &SkinManager::isLoadingChanged, this, &SkinCreator::importRunningChanged);
    connect(m_skinManager, &SkinManager::importProgressChanged, this, [this] {
        if (m_isCreating)
            emit progressChanged();
    });
}

SkinCreator::~SkinCreator() = default;

SkinCreator::ProgressTexts SkinCreator::progressTexts(const std::optional<ImportProgress>& progress)
{
    if (!progress)
        return {{}, {}, QStringLiteral("Creating...")};
    return {QStringLiteral("%1%").arg(progress->percentage),
            QStringLiteral("%1/%2 Videos").arg(progress->current).arg(progress->total), progress->message};
}

bool SkinCreator::isVideoFile(const QUrl& url)
{
    const QString suffix = QFileInfo(url.path()).suffix().toLower();
    return url.isLocalFile() && (suffix == u"mp4" || suffix == u"mov");
}

void SkinCreator::setSkinName(const QString& name)
{
    if (name == m_skinName)
        return;
    m_skinName = name;
    emit inputsChanged();
}

QStringList SkinCreator::videoNames() const
{
    QStringList names;
    for (const QUrl& url : m_videos)
        names.append(url.fileName());
    return names;
}

bool SkinCreator::canCreate() const
{
    // Any character counts, a lone space too.
    return !m_skinName.isEmpty() &&
           std::none_of(m_videos.begin(), m_videos.end(), [](const QUrl& url) { return url.isEmpty(); });
}

bool SkinCreator::importRunning() const
{
    return m_skinManager && m_skinManager->isLoading();
}

bool SkinCreator::hasProgress() const
{
    return m_isCreating && m_skinManager && m_skinManager->importProgress();
}

int SkinCreator::percentage() const
{
    return hasProgress() ? m_skinManager->importProgress()->percentage : 0;
}

SkinCreator::ProgressTexts SkinCreator::currentTexts() const
{
    return progressTexts(hasProgress() ? m_skinManager->importProgress() : std::nullopt);
}

void SkinCreator::setVideo(int index, const QUrl& url)
{
    if (index < 0 || index >= videoCount || m_videos[index] == url)
        return;
    m_videos[index] = url;
    emit inputsChanged();
}

bool SkinCreator::dropVideos(int index, const QList<QUrl>& urls)
{
    if (urls.isEmpty())
        return false;
    if (isVideoFile(urls.first()))
        setVideo(index, urls.first());
    return true;
}

void SkinCreator::reset()
{
    if (m_isCreating)
        return;
    m_skinName.clear();
    m_videos = QList<QUrl>(videoCount);
    emit inputsChanged();
}

void SkinCreator::setCreating(bool creating)
{
    if (m_isCreating == creating)
        return;
    m_isCreating = creating;
    emit isCreatingChanged();
    emit progressChanged();
}

void SkinCreator::create()
{
    if (!canCreate() || m_isCreating || importRunning() || !m_skinManager)
        return;
    setCreating(true);
    const SkinManager::VideoSources sources{{ClaudeStatus::idle, m_videos[0].toLocalFile()},
                                            {ClaudeStatus::working, m_videos[1].toLocalFile()},
                                            {ClaudeStatus::needsInput, m_videos[2].toLocalFile()},
                                            {ClaudeStatus::completed, m_videos[3].toLocalFile()}};
    // The creator may go before the import ends (the window closed for good): the import then
    // finishes on its own and the skin stays in the library, unselected.
    m_skinManager->importCustomSkin(m_skinName, std::nullopt, sources,
                                    [self = QPointer(this)](const SkinManager::ImportResult& result) {
                                        if (!self)
                                            return;
                                        self->setCreating(false);
                                        if (!result) {
                                            self->m_errorMessage = result.error().description;
                                            emit self->errorMessageChanged();
                                            emit self->failed();
                                            return;
                                        }
                                        logLine(QStringLiteral("✅ Custom skin created: ") + result->name);
                                        if (self->m_skinManager)
                                            self->m_skinManager->selectSkin(result->id);
                                        self->reset();
                                        emit self->created(result->idText());
                                    });
}

#include "LogCapture.h"
#include "SkinManager.h"
#include "TestMedia.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

namespace {
const QString defaultId = QStringLiteral("00000000-0000-0000-0000-000000000001");
const QString orangeId = QStringLiteral("6F1C2E9A-3B7D-4E21-9A55-0C3D2B1A4F60");
const QString calicoId = QStringLiteral("1D2C3B4A-0000-4000-8000-00000000CA11");
const QString mineId = QStringLiteral("AB000000-0000-4000-8000-000000000001");
const QString otherId = QStringLiteral("AB000000-0000-4000-8000-000000000002");

QByteArray metadataJson(const QString& name, const QString& type, bool withThumbnail = false)
{
    QJsonObject object{{"name", name},
                       {"createdDate", "2025-01-15T10:30:00Z"},
                       {"type", type},
                       {"idleVideoPath", "idle.mp4"},
                       {"workingVideoPath", "working.mp4"},
                       {"needsInputVideoPath", "needs_input.mp4"},
                       {"completedVideoPath", "completed.mp4"}};
    if (withThumbnail)
        object.insert("thumbnailPath", "thumb.png");
    return QJsonDocument(object).toJson();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QUuid uuid(const QString& text)
{
    return *Skin::parseId(text);
}

// A completion that keeps its result.
auto storeIn(std::optional<SkinManager::ImportResult>& slot)
{
    return [&slot](SkinManager::ImportResult r) { slot = std::move(r); };
}

struct Event
{
    QString name;
    std::optional<QVariantMap> properties;
};
} // namespace

class TestSkinManager : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void bundledSortDefaultFirstThenCustomByAge();
    void bundledFallbacks();
    void brokenCustomSkinsAreSkipped_data();
    void brokenCustomSkinsAreSkipped();
    void currentSkinChoice_data();
    void currentSkinChoice();
    void nothingLoaded();
    void selectSkin();
    void videoLocations();
    void nextBundledSkinIdTakesTurns();
    void deletionRules();
    void importSuccess();
    void importFailsOnThirdVideo();
    void importCannotCreateFolder();
    void destroyedDuringImport();

private:
    QString bundled(const QString& sub = {}) const { return m_root->filePath("share/Skins/" + sub); }
    QString custom(const QString& sub = {}) const { return m_root->filePath("data/Tabbywatch/Skins/" + sub); }
    void addBundled(const QString& folder, const QString& name)
    {
        QVERIFY(writeFile(bundled(folder + "/metadata.json"), metadataJson(name, "bundled")));
    }
    void addCustom(const QString& folder, const QString& name)
    {
        QVERIFY(writeFile(custom(folder + "/metadata.json"), metadataJson(name, "custom")));
    }
    std::unique_ptr<SkinManager> makeManager()
    {
        return std::make_unique<SkinManager>(
            custom(), bundled(),
            SkinSelectionStore{[this] { return m_saved; },
                               [this](const QUuid& id) {
                                   m_saved = id;
                                   ++m_saves;
                               }},
            [this](const QString& event, const std::optional<QVariantMap>& properties) {
                m_events.append({event, properties});
            },
            m_root->filePath("tmp"));
    }
    QStringList names(const SkinManager& manager) const
    {
        QStringList result;
        for (const Skin& skin : manager.availableSkins())
            result.append(skin.name);
        return result;
    }
    // Four clips: idle and working are 1920x1080 with sound, the others small.
    SkinManager::VideoSources makeSources();

    std::unique_ptr<QTemporaryDir> m_root;
    std::optional<QUuid> m_saved;
    int m_saves = 0;
    QList<Event> m_events;
};

void TestSkinManager::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(m_root->filePath("tmp")));
    m_saved.reset();
    m_saves = 0;
    m_events.clear();
}

void TestSkinManager::bundledSortDefaultFirstThenCustomByAge()
{
    addBundled(orangeId, "Orange Tabby");
    addBundled(defaultId, "Default Cat");
    addBundled(calicoId, "calico");
    addCustom(otherId, "Second");
    addCustom(mineId, "First");
    // Custom skins come in the order they were made.
    const auto now = std::filesystem::file_time_type::clock::now();
    std::filesystem::last_write_time(QFile::encodeName(custom(mineId)).toStdString(),
                                     now - std::chrono::hours(2));
    std::filesystem::last_write_time(QFile::encodeName(custom(otherId)).toStdString(),
                                     now - std::chrono::hours(1));

    LogCapture log;
    auto manager = makeManager();
    QCOMPARE(names(*manager), (QStringList{"Default Cat", "Orange Tabby", "calico", "First", "Second"}));
    QCOMPARE(manager->availableSkins()[3].type, SkinType::custom);
    QCOMPARE(manager->availableSkins()[3].id, uuid(mineId));
    QCOMPARE(manager->currentSkin().name, "Default Cat");
    QCOMPARE(log.lines(), (QStringList{"📦 Loaded 5 skins (3 bundled, 2 custom)",
                                       "✅ SkinManager initialized with skin: Default Cat"}));
    QCOMPARE(m_saves, 0);
    QVERIFY(m_events.isEmpty());
}

void TestSkinManager::bundledFallbacks()
{
    QVERIFY(QDir().mkpath(bundled("orange-tabby")));
    QVERIFY(writeFile(bundled(calicoId + "/metadata.json"), "{\"name\": 3}"));
    QVERIFY(writeFile(bundled("README.txt"), "not a skin"));

    LogCapture log;
    auto manager = makeManager();
    QCOMPARE(manager->availableSkins().size(), 2);
    QCOMPARE(log.countStartingWith("⚠️ Error loading metadata for bundled skin: "), 1);

    // Not a UUID: a random id, and a name from the folder.
    const Skin orange = manager->availableSkins()[1];
    QCOMPARE(orange.name, "Orange Tabby");
    QVERIFY(!orange.id.isNull());
    QCOMPARE(orange.type, SkinType::bundled);
    QCOMPARE(orange.author, "Tabbywatch");
    QCOMPARE(orange.idleVideoPath, "idle.mp4");
    QCOMPARE(orange.thumbnailPath, "thumbnail.png");

    // Unreadable metadata: the folder's id is kept.
    const Skin broken = manager->availableSkins()[0];
    QCOMPARE(broken.id, uuid(calicoId));
    QCOMPARE(broken.name, "1d2c3b4a 0000 4000 8000 00000000ca11");
}

void TestSkinManager::brokenCustomSkinsAreSkipped_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QByteArray>("metadata");
    QTest::addColumn<QString>("logLine");
    QTest::newRow("no metadata") << otherId << QByteArray()
                                 << "⚠️ metadata.json not found for skin: " + otherId;
    QTest::newRow("bad metadata") << otherId << QByteArray("{")
                                  << "⚠️ Error loading custom skin metadata: ";
    QTest::newRow("wrong type value")
        << otherId << metadataJson("x", "premium") << "⚠️ Error loading custom skin metadata: ";
    QTest::newRow("not a UUID") << "my-skin" << metadataJson("x", "custom")
                                << "⚠️ Invalid UUID directory name: my-skin";
}

void TestSkinManager::brokenCustomSkinsAreSkipped()
{
    QFETCH(QString, folder);
    QFETCH(QByteArray, metadata);
    QFETCH(QString, logLine);
    addCustom(mineId, "Mine");
    QVERIFY(QDir().mkpath(custom(folder)));
    if (!metadata.isNull())
        QVERIFY(writeFile(custom(folder + "/metadata.json"), metadata));

    LogCapture log;
    auto manager = makeManager();
    QCOMPARE(names(*manager), QStringList{"Mine"});
    QCOMPARE(log.countStartingWith(logLine), 1);
    QVERIFY(QFileInfo(custom(folder)).isDir());
}

void TestSkinManager::currentSkinChoice_data()
{
    QTest::addColumn<QStringList>("bundledNames");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("expected");
    QTest::newRow("saved custom skin") << QStringList{"Default Cat", "Orange Tabby"} << mineId << "Mine";
    QTest::newRow("saved bundled skin")
        << QStringList{"Default Cat", "Orange Tabby"} << orangeId << "Orange Tabby";
    QTest::newRow("saved skin deleted")
        << QStringList{"Default Cat", "Orange Tabby"} << otherId << "Default Cat";
    QTest::newRow("nothing saved") << QStringList{"Orange Tabby", "Default Cat"} << QString()
                                   << "Default Cat";
    QTest::newRow("no default cat") << QStringList{"Orange Tabby", "Calico"} << QString() << "Calico";
    QTest::newRow("only custom") << QStringList{} << QString() << "Mine";
}

void TestSkinManager::currentSkinChoice()
{
    QFETCH(QStringList, bundledNames);
    QFETCH(QString, saved);
    QFETCH(QString, expected);
    for (qsizetype i = 0; i < bundledNames.size(); ++i)
        addBundled(bundledNames[i] == "Orange Tabby" ? orangeId : (i == 0 ? defaultId : calicoId),
                   bundledNames[i]);
    QVERIFY(QDir().mkpath(bundled()));
    addCustom(mineId, "Mine");
    if (!saved.isEmpty())
        m_saved = uuid(saved);

    auto manager = makeManager();
    QCOMPARE(manager->currentSkin().name, expected);
    // Choosing at start neither rewrites the preference nor sends an event.
    QCOMPARE(m_saves, 0);
    QCOMPARE(m_saved, saved.isEmpty() ? std::nullopt : std::optional(uuid(saved)));
    QVERIFY(m_events.isEmpty());
}

void TestSkinManager::nothingLoaded()
{
    LogCapture log;
    auto manager = makeManager();
    QVERIFY(manager->availableSkins().isEmpty());
    QCOMPARE(manager->currentSkin().idText(), defaultId);
    QCOMPARE(manager->currentSkin().name, "Default Cat");
    QCOMPARE(manager->videoURL(ClaudeStatus::idle), QUrl::fromLocalFile(bundled(defaultId + "/idle.mp4")));
    QCOMPARE(log.lines(), (QStringList{"⚠️ Bundled skins directory not found",
                                       "📦 Loaded 0 skins (0 bundled, 0 custom)",
                                       "✅ SkinManager initialized with skin: Default Cat"}));
    QVERIFY(QFileInfo(custom()).isDir());
    QCOMPARE(manager->nextBundledSkinId(), uuid(defaultId));

    // A custom skins folder that cannot be made is only a listing failure.
    init();
    QVERIFY(writeFile(m_root->filePath("data/Tabbywatch"), "a file in the way"));
    log.clear();
    manager = makeManager();
    QCOMPARE(log.countStartingWith("⚠️ Error loading custom skins: "), 1);
}

void TestSkinManager::selectSkin()
{
    addBundled(defaultId, "Default Cat");
    addBundled(orangeId, "Orange Tabby");
    addCustom(mineId, "Mr. Whiskers");
    auto manager = makeManager();
    QSignalSpy changed(manager.get(), &SkinManager::currentSkinChanged);
    LogCapture log;

    manager->selectSkin(uuid(mineId));
    QCOMPARE(manager->currentSkin().name, "Mr. Whiskers");
    QCOMPARE(m_saved, uuid(mineId));
    QCOMPARE(log.lines(), QStringList{"✅ Switched to skin: Mr. Whiskers"});
    QCOMPARE(m_events.size(), 1);
    QCOMPARE(m_events[0].name, "skin_selected");
    // A user's own name for a skin is never sent.
    QCOMPARE(*m_events[0].properties, (QVariantMap{{"skin_name", "Custom Skin"}, {"skin_type", "custom"}}));

    manager->selectSkin(uuid(orangeId));
    manager->selectSkin(orangeId.toLower()); // again, through the text form
    QCOMPARE(m_saves, 3);
    QCOMPARE(m_events.size(), 3);
    QCOMPARE(*m_events[2].properties, (QVariantMap{{"skin_name", "Orange Tabby"}, {"skin_type", "bundled"}}));
    QCOMPARE(changed.count(), 3);

    log.clear();
    manager->selectSkin(uuid(otherId));
    manager->selectSkin(QStringLiteral("orange-tabby"));
    QCOMPARE(log.lines(),
             (QStringList{"⚠️ Skin not found: " + otherId, "⚠️ Skin not found: orange-tabby"}));
    QCOMPARE(manager->currentSkin().name, "Orange Tabby");
    QCOMPARE(m_saves, 3);
    QCOMPARE(m_events.size(), 3);
}

void TestSkinManager::videoLocations()
{
    QVERIFY(writeFile(bundled(defaultId + "/metadata.json"), metadataJson("Default Cat", "bundled", true)));
    addCustom(mineId, "Mine");
    // Copied in by hand with a lower-case name.
    addCustom(otherId.toLower(), "Other");
    auto manager = makeManager();

    QCOMPARE(manager->videoURL(ClaudeStatus::needsInput, uuid(mineId)),
             QUrl::fromLocalFile(custom(mineId + "/needs_input.mp4")));
    QCOMPARE(manager->videoURL(ClaudeStatus::completed, std::nullopt),
             QUrl::fromLocalFile(bundled(defaultId + "/completed.mp4")));
    QCOMPARE(manager->videoURL(ClaudeStatus::working, uuid(calicoId)),
             QUrl::fromLocalFile(bundled(defaultId + "/working.mp4")));
    QCOMPARE(manager->videoURL(ClaudeStatus::idle, uuid(otherId)),
             QUrl::fromLocalFile(custom(otherId.toLower() + "/idle.mp4")));
    QCOMPARE(manager->thumbnailPath(manager->availableSkins()[0]), bundled(defaultId + "/thumb.png"));
    QCOMPARE(manager->thumbnailPath(manager->availableSkins()[1]), std::nullopt);
}

void TestSkinManager::nextBundledSkinIdTakesTurns()
{
    addBundled(calicoId, "Calico");
    addBundled(defaultId, "Default Cat");
    addBundled(orangeId, "Orange Tabby");
    addCustom(mineId, "Mine");
    auto manager = makeManager();
    manager->selectSkin(uuid(mineId));
    QList<QUuid> handedOut;
    for (int i = 0; i < 7; ++i)
        handedOut.append(manager->nextBundledSkinId());
    const QUuid d = uuid(defaultId), c = uuid(calicoId), o = uuid(orangeId);
    QCOMPARE(handedOut, (QList<QUuid>{d, c, o, d, c, o, d}));
}

void TestSkinManager::deletionRules()
{
    addBundled(orangeId, "Orange Tabby");
    addBundled(defaultId, "Default Cat");
    addCustom(mineId, "Mine");
    addCustom(otherId, "Other");
    QVERIFY(writeFile(custom(mineId + "/idle.mp4"), "video"));
    auto manager = makeManager();
    manager->selectSkin(uuid(mineId));
    m_events.clear();
    LogCapture log;

    auto result = manager->deleteSkin(uuid(calicoId));
    QVERIFY(!result);
    QCOMPARE(result.error(), (SkinError{"SkinManager", 2, "Skin not found"}));
    result = manager->deleteSkin(uuid(orangeId));
    QVERIFY(!result);
    QCOMPARE(result.error(), (SkinError{"SkinManager", 3, "Cannot delete bundled skins"}));
    QVERIFY(QFileInfo::exists(bundled(orangeId + "/metadata.json")));
    QCOMPARE(manager->availableSkins().size(), 4);

    // Deleting a skin that is not current leaves the choice alone.
    QVERIFY(manager->deleteSkin(uuid(otherId)));
    QCOMPARE(manager->currentSkin().name, "Mine");
    QVERIFY(m_events.isEmpty());

    // Deleting the current one falls back to the first bundled skin, saved and announced.
    QVERIFY(manager->deleteSkin(uuid(mineId)));
    QVERIFY(!QFileInfo::exists(custom(mineId)));
    QCOMPARE(names(*manager), (QStringList{"Default Cat", "Orange Tabby"}));
    QCOMPARE(manager->currentSkin().name, "Default Cat");
    QCOMPARE(m_saved, uuid(defaultId));
    QCOMPARE(m_events.size(), 1);
    QCOMPARE(m_events[0].name, "skin_selected");
    QCOMPARE(log.lines(), (QStringList{"✅ Deleted custom skin: Other", "✅ Switched to skin: Default Cat",
                                       "✅ Deleted custom skin: Mine"}));
}

SkinManager::VideoSources TestSkinManager::makeSources()
{
    const QString big =
        QStringLiteral("videotestsrc num-buffers=15 pattern=smpte75 ! "
                       "video/x-raw,format=I420,width=1920,height=1080,framerate=25/1 ! "
                       "x264enc speed-preset=ultrafast ! queue ! mux. "
                       "audiotestsrc num-buffers=20 ! audioconvert ! avenc_aac ! queue ! mux. "
                       "mp4mux name=mux ! {out}");
    const QString small = QStringLiteral("videotestsrc num-buffers=10 pattern=ball ! "
                                         "video/x-raw,format=I420,width=320,height=240,framerate=30/1 ! "
                                         "x264enc speed-preset=ultrafast ! mp4mux");
    SkinManager::VideoSources sources;
    const QList<std::pair<ClaudeStatus, QString>> clips{{ClaudeStatus::idle, big},
                                                        {ClaudeStatus::working, big},
                                                        {ClaudeStatus::needsInput, small},
                                                        {ClaudeStatus::completed, small}};
    for (const auto& [status, description] : clips) {
        const QString path = m_root->filePath("clips/" + claudeStatusText(status) + ".mp4");
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!TestMedia::makeClip(path, description))
            return {};
        sources.insert(status, path);
    }
    return sources;
}

void TestSkinManager::importSuccess()
{
    addBundled(defaultId, "Default Cat");
    const auto sources = makeSources();
    QCOMPARE(sources.size(), 4);
    auto manager = makeManager();
    QList<ImportProgress> progress;
    QList<bool> loading;
    connect(manager.get(), &SkinManager::importProgressChanged, this, [&] {
        if (manager->importProgress())
            progress.append(*manager->importProgress());
    });
    connect(manager.get(), &SkinManager::isLoadingChanged, this,
            [&] { loading.append(manager->isLoading()); });
    LogCapture log;

    std::optional<SkinManager::ImportResult> result;
    manager->importCustomSkin("Mittens", QStringLiteral("Me"), sources, storeIn(result));
    QVERIFY(!result.has_value());
    QVERIFY(manager->isLoading());

    // One import at a time: a second one is refused at once and the first goes on.
    std::optional<SkinManager::ImportResult> refused;
    manager->importCustomSkin("Again", std::nullopt, sources, storeIn(refused));
    QVERIFY(refused && !*refused);
    QCOMPARE(refused->error().code, int(SkinManager::importAlreadyRunning));
    // So is an import that lacks a state.
    auto partial = sources;
    partial.remove(ClaudeStatus::completed);
    SkinManager(custom(), bundled(), {}, {})
        .importCustomSkin("Partial", std::nullopt, partial, storeIn(refused));
    QCOMPARE(refused->error().code, int(SkinManager::missingVideo));

    QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 100000);
    QVERIFY2(*result, *result ? "" : qPrintable(result->error().description));
    const Skin skin = **result;
    QCOMPARE(skin.name, "Mittens");
    QCOMPARE(skin.author, "Me");
    QCOMPARE(skin.type, SkinType::custom);
    QCOMPARE(skin.thumbnailPath, "thumbnail.png");
    QCOMPARE(manager->availableSkins().last(), skin);
    QCOMPARE(manager->currentSkin().name, "Default Cat"); // not selected by the import
    QVERIFY(!manager->isLoading());
    QVERIFY(!manager->importProgress());
    QCOMPARE(loading, (QList<bool>{true, false}));

    const QString folder = custom(skin.idText());
    QCOMPARE(manager->skinDirectory(skin), folder);
    for (const char* name : {"idle.mp4", "working.mp4", "needs_input.mp4", "completed.mp4"}) {
        const TestMedia::Summary summary = TestMedia::describe(folder + "/" + QLatin1String(name));
        QVERIFY2(summary.ok, name);
        QCOMPARE(summary.videoCodec, "video/x-h264");
        QCOMPARE(summary.frameRate, 30.0);
        QCOMPARE(summary.audioStreams, 0);
        QCOMPARE(summary.width, summary.height);
    }
    QCOMPARE(TestMedia::describe(folder + "/idle.mp4").width, 1080);
    QCOMPARE(TestMedia::describe(folder + "/completed.mp4").width, 240);
    QCOMPARE(QImage(folder + "/thumbnail.png").size(), QSize(1080, 1080));
    QFile metadata(folder + "/metadata.json");
    QVERIFY(metadata.open(QIODevice::ReadOnly));
    const QByteArray written = metadata.readAll();
    QVERIFY(!written.contains('\n'));
    QCOMPARE(QJsonDocument::fromJson(written).object().value("type").toString(), "custom");

    // Progress: every video, each ending at 100 %, then the finishing step.
    QCOMPARE(progress.first(), (ImportProgress{1, 4, "Processing", 0, 1}));
    QCOMPARE(progress.last(), (ImportProgress{4, 4, "Finalizing", 100, 4}));
    for (int video = 1; video <= 4; ++video) {
        QVERIFY(std::any_of(progress.begin(), progress.end(), [&](const ImportProgress& p) {
            return p.current == video && p.videoIndex == video && p.percentage == 100 && p.total == 4;
        }));
        // Reports read the tracker when they run: a tick queued just before the end also shows 100 %.
        QVERIFY(log.count(
                    QStringLiteral("📊 Progress update: Video %1/4 - 100% - Finalizing...").arg(video)) >= 1);
    }
    for (qsizetype i = 1; i < progress.size(); ++i)
        QVERIFY(progress[i].current >= progress[i - 1].current);
    QCOMPARE(log.count("✅ Custom skin imported: Mittens"), 1);
    QCOMPARE(m_events.size(), 1);
    QCOMPARE(m_events[0].name, "custom_skin_created");
    QVERIFY(!m_events[0].properties);
    // Sources are left as they were.
    for (const QString& source : sources)
        QVERIFY(QFileInfo::exists(source));

    // The next start loads it the same.
    auto next = makeManager();
    QCOMPARE(next->availableSkins().last(), skin);
}

void TestSkinManager::importFailsOnThirdVideo()
{
    addBundled(defaultId, "Default Cat");
    auto sources = makeSources();
    QCOMPARE(sources.size(), 4);
    sources[ClaudeStatus::idle] = sources[ClaudeStatus::needsInput]; // small clips only, to be quick
    sources[ClaudeStatus::working] = sources[ClaudeStatus::completed];
    const QString vanishing = m_root->filePath("clips/vanishing.mp4");
    QVERIFY(QFile::copy(sources[ClaudeStatus::completed], vanishing));
    sources[ClaudeStatus::needsInput] = vanishing;

    auto manager = makeManager();
    const QList<Skin> before = manager->availableSkins();
    QList<ImportProgress> progress;
    connect(manager.get(), &SkinManager::importProgressChanged, this, [&] {
        if (manager->importProgress())
            progress.append(*manager->importProgress());
        // The third file goes away while the first video is processed.
        if (manager->importProgress() && manager->importProgress()->current == 1)
            QFile::remove(vanishing);
    });
    std::optional<SkinManager::ImportResult> result;
    manager->importCustomSkin("Doomed", std::nullopt, sources, storeIn(result));
    QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 60000);
    QVERIFY(!*result);
    QCOMPARE(result->error(), (SkinError{"VideoProcessor", 11, "Invalid video file"}));
    QVERIFY(std::any_of(progress.begin(), progress.end(),
                        [](const ImportProgress& p) { return p.current == 3; }));
    QVERIFY(std::none_of(progress.begin(), progress.end(),
                         [](const ImportProgress& p) { return p.current == 4; }));
    QVERIFY(QDir(custom()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
    QCOMPARE(manager->availableSkins(), before);
    QVERIFY(!manager->isLoading());
    QVERIFY(!manager->importProgress());
    QVERIFY(m_events.isEmpty());
}

void TestSkinManager::importCannotCreateFolder()
{
    // Even as root: a file where the skins folder should be cannot be entered.
    QVERIFY(writeFile(m_root->filePath("data/Tabbywatch/Skins"), "in the way"));
    auto manager = makeManager();
    std::optional<SkinManager::ImportResult> result;
    SkinManager::VideoSources sources;
    for (ClaudeStatus status :
         {ClaudeStatus::idle, ClaudeStatus::working, ClaudeStatus::needsInput, ClaudeStatus::completed})
        sources.insert(status, m_root->filePath("whatever.mp4"));
    manager->importCustomSkin("Nowhere", std::nullopt, sources, storeIn(result));
    QVERIFY(result.has_value()); // at once
    QVERIFY(!*result);
    QCOMPARE(result->error().domain, "FileSystem");
    QVERIFY(result->error().description.startsWith("Cannot create the skin folder: "));
    QVERIFY(!manager->isLoading());
    QVERIFY(!manager->importProgress());
}

void TestSkinManager::destroyedDuringImport()
{
    auto sources = makeSources();
    QCOMPARE(sources.size(), 4);
    auto manager = makeManager();
    manager->importCustomSkin("Abandoned", std::nullopt, sources, [](SkinManager::ImportResult) {
        QFAIL("an abandoned import reports nothing");
    });
    QTRY_VERIFY(manager->importProgress() && manager->importProgress()->percentage > 0);
    QVERIFY(!QDir(custom()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
    manager.reset();
    QVERIFY(QDir(custom()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
    QTest::qWait(100);
}

QTEST_GUILESS_MAIN(TestSkinManager)
#include "tst_skinmanager.moc"

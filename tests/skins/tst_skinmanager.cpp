#include "LogCapture.h"
#include "SkinManager.h"
#include "TestMedia.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

namespace {
const QString defaultId = QStringLiteral("00000000-0000-0000-0000-000000000001");
const QString orangeId = QStringLiteral("6F1C2E9A-3B7D-4E21-9A55-0C3D2B1A4F60");
const QString calicoId = QStringLiteral("1D2C3B4A-0000-4000-8000-00000000CA11");
const QString brokenId = QStringLiteral("B0000000-0000-4000-8000-00000000000B");
const QString mineId = QStringLiteral("AB000000-0000-4000-8000-000000000001");
const QString otherId = QStringLiteral("AB000000-0000-4000-8000-000000000002");
const ClaudeStatus allStates[] = {ClaudeStatus::idle, ClaudeStatus::working, ClaudeStatus::needsInput,
                                  ClaudeStatus::completed};
using Named = QList<std::pair<QString, QString>>; // folder, skin name

QByteArray metadataJson(const QString& name, const QString& type, const QString& extra = {})
{
    return QStringLiteral(
               R"({"name": "%1", "createdDate": "2025-01-15T10:30:00Z", "type": "%2", %3)"
               R"("idleVideoPath": "idle.mp4", "workingVideoPath": "working.mp4",)"
               R"("needsInputVideoPath": "needs_input.mp4", "completedVideoPath": "completed.mp4"})")
        .arg(name, type, extra)
        .toUtf8();
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

template <typename T>
std::expected<T, SkinError> failure(const QString& domain, int code, const QString& description)
{
    return std::unexpected(SkinError{domain, code, description});
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
    bool operator==(const Event&) const = default;
};
Event selected(const QString& name, const QString& type)
{
    return {"skin_selected", QVariantMap{{"skin_name", name}, {"skin_type", type}}};
}
} // namespace

class TestSkinManager : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void loadingOrderAndBrokenSkins();
    void currentSkinChoice_data();
    void currentSkinChoice();
    void missingFolders();
    void locatingSelectingAndDeleting();
    void importing();

private:
    QString bundled(const QString& sub = {}) const { return m_root->filePath("share/Skins/" + sub); }
    QString custom(const QString& sub = {}) const { return m_root->filePath("data/Tabbywatch/Skins/" + sub); }
    void addSkins(const Named& bundledSkins, const Named& customSkins = {})
    {
        for (const auto& [folder, name] : bundledSkins)
            QVERIFY(writeFile(bundled(folder + "/metadata.json"), metadataJson(name, "bundled")));
        for (const auto& [folder, name] : customSkins)
            QVERIFY(writeFile(custom(folder + "/metadata.json"), metadataJson(name, "custom")));
    }
    std::unique_ptr<SkinManager> makeManager()
    {
        auto manager = std::make_unique<SkinManager>(
            custom(), bundled(),
            SkinSelectionStore{[this] { return m_saved; }, [this](const QUuid& id) { m_saves.append(id); }},
            [this](const QString& event, const std::optional<QVariantMap>& properties) {
                m_events.append({event, properties});
            },
            m_root->filePath("tmp"));
        connect(manager.get(), &SkinManager::importProgressChanged, this, [this, m = manager.get()] {
            if (m->importProgress())
                m_progress.append(*m->importProgress());
        });
        return manager;
    }
    QStringList names(const SkinManager& manager) const
    {
        QStringList result;
        for (const Skin& skin : manager.availableSkins())
            result.append(skin.name);
        return result;
    }
    // Some progress report of that video, at that percentage when one is given.
    bool reached(int video, int percentage = -1) const
    {
        return std::any_of(m_progress.begin(), m_progress.end(), [&](const ImportProgress& p) {
            return p.current == video && p.videoIndex == video && p.total == 4 &&
                   (percentage < 0 || p.percentage == percentage);
        });
    }
    // Idle and working are 1920x1080 with sound, the others 320x240.
    SkinManager::VideoSources makeSources();

    std::unique_ptr<QTemporaryDir> m_root;
    std::optional<QUuid> m_saved;
    QList<QUuid> m_saves;
    QList<Event> m_events;
    QList<ImportProgress> m_progress;
};

void TestSkinManager::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(m_root->filePath("tmp")));
    m_saved.reset();
    m_saves.clear();
    m_events.clear();
    m_progress.clear();
}

void TestSkinManager::loadingOrderAndBrokenSkins()
{
    addSkins({{orangeId, "Orange Tabby"}, {calicoId, "calico"}, {defaultId, "Default Cat"}},
             {{mineId, "Newer"}, {otherId, "Older"}});
    QVERIFY(QDir().mkpath(bundled("ginger-tom")));                             // no metadata
    QVERIFY(writeFile(bundled(brokenId + "/metadata.json"), "{\"name\": 3}")); // unreadable metadata
    QVERIFY(writeFile(bundled("README.txt"), "not a skin"));
    // Broken custom skins are skipped and left on disk.
    const QString noMetadata = Skin::idText(QUuid::createUuid()), badJson = Skin::idText(QUuid::createUuid()),
                  badType = Skin::idText(QUuid::createUuid());
    QVERIFY(QDir().mkpath(custom(noMetadata)));
    QVERIFY(writeFile(custom(badJson + "/metadata.json"), "{"));
    QVERIFY(writeFile(custom(badType + "/metadata.json"), metadataJson("x", "premium")));
    QVERIFY(writeFile(custom("my-skin/metadata.json"), metadataJson("x", "custom")));
    // Custom skins come in the order they were made, whatever their folder or skin names.
    const auto now = std::filesystem::file_time_type::clock::now();
    std::filesystem::last_write_time(QFile::encodeName(custom(otherId)).toStdString(),
                                     now - std::chrono::hours(2));
    std::filesystem::last_write_time(QFile::encodeName(custom(mineId)).toStdString(),
                                     now - std::chrono::hours(1));

    LogCapture log;
    auto manager = makeManager();
    // "Default Cat" first, then the other bundled skins by code point, then the custom ones.
    QCOMPARE(names(*manager), (QStringList{"Default Cat", "B0000000 0000 4000 8000 00000000000b",
                                           "Ginger Tom", "Orange Tabby", "calico", "Older", "Newer"}));
    QCOMPARE(log.countStartingWith("⚠️ Error loading metadata for bundled skin: "), 1);
    QCOMPARE(log.count("⚠️ metadata.json not found for skin: " + noMetadata), 1);
    QCOMPARE(log.countStartingWith("⚠️ Error loading custom skin metadata: "), 2);
    QCOMPARE(log.count("⚠️ Invalid UUID directory name: my-skin"), 1);
    QCOMPARE(log.lines().size(), 7);
    QCOMPARE(log.lines().mid(5), (QStringList{"📦 Loaded 7 skins (5 bundled, 2 custom)",
                                              "✅ SkinManager initialized with skin: Default Cat"}));
    for (const QString& folder : {noMetadata, badJson, badType, QStringLiteral("my-skin")})
        QVERIFY(QFileInfo(custom(folder)).isDir());

    const QList<Skin> skins = manager->availableSkins();
    QCOMPARE(skins[1].id, uuid(brokenId)); // a UUID folder keeps its id even without metadata
    // Not a UUID: a random id, and the default record's fields with a name from the folder.
    QVERIFY(!skins[2].id.isNull());
    Skin fallback = Skin::defaultSkin(skins[2].createdDate);
    fallback.id = skins[2].id;
    fallback.name = "Ginger Tom";
    QCOMPARE(skins[2], fallback);
    QCOMPARE(skins[6].id, uuid(mineId));
}

void TestSkinManager::currentSkinChoice_data()
{
    QTest::addColumn<Named>("bundledSkins");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("expected");
    const Named both{{defaultId, "Default Cat"}, {orangeId, "Orange Tabby"}};
    QTest::newRow("saved custom skin") << both << mineId << "Mine";
    QTest::newRow("saved bundled skin") << both << orangeId << "Orange Tabby";
    QTest::newRow("saved skin deleted") << both << otherId << "Default Cat";
    QTest::newRow("nothing saved") << Named{{orangeId, "Orange Tabby"}, {defaultId, "Default Cat"}}
                                   << QString() << "Default Cat";
    QTest::newRow("no default cat") << Named{{orangeId, "Orange Tabby"}, {calicoId, "Calico"}} << QString()
                                    << "Calico";
    QTest::newRow("only custom") << Named{} << QString() << "Mine";
}

void TestSkinManager::currentSkinChoice()
{
    QFETCH(Named, bundledSkins);
    QFETCH(QString, saved);
    QFETCH(QString, expected);
    QVERIFY(QDir().mkpath(bundled()));
    addSkins(bundledSkins, {{mineId, "Mine"}});
    if (!saved.isEmpty())
        m_saved = uuid(saved);

    auto manager = makeManager();
    QCOMPARE(manager->currentSkin().name, expected);
    // Choosing at start neither rewrites the preference nor sends an event.
    QVERIFY(m_saves.isEmpty());
    QVERIFY(m_events.isEmpty());
}

void TestSkinManager::missingFolders()
{
    LogCapture log;
    auto manager = makeManager();
    QVERIFY(manager->availableSkins().isEmpty());
    QCOMPARE(manager->currentSkin().idText(), defaultId);
    QCOMPARE(manager->videoURL(ClaudeStatus::idle), QUrl::fromLocalFile(bundled(defaultId + "/idle.mp4")));
    QCOMPARE(log.lines(), (QStringList{"⚠️ Bundled skins directory not found",
                                       "📦 Loaded 0 skins (0 bundled, 0 custom)",
                                       "✅ SkinManager initialized with skin: Default Cat"}));
    QVERIFY(QFileInfo(custom()).isDir());
    QCOMPARE(manager->nextBundledSkinId(), uuid(defaultId));

    // A custom skins folder that cannot be made is only a listing failure, and fails imports at once.
    // Even as root: a file where a folder should be cannot be entered.
    init();
    QVERIFY(writeFile(m_root->filePath("data/Tabbywatch"), "a file in the way"));
    log.clear();
    manager = makeManager();
    QCOMPARE(log.countStartingWith("⚠️ Error loading custom skins: "), 1);
    SkinManager::VideoSources sources;
    for (ClaudeStatus status : allStates)
        sources.insert(status, m_root->filePath("whatever.mp4"));
    std::optional<SkinManager::ImportResult> result;
    manager->importCustomSkin("Nowhere", std::nullopt, sources, storeIn(result));
    QVERIFY(result && !*result); // at once
    QCOMPARE(result->error().domain, "FileSystem");
    QVERIFY(result->error().description.startsWith("Cannot create the skin folder: "));
    QVERIFY(!manager->isLoading());
    QVERIFY(!manager->importProgress());
}

void TestSkinManager::locatingSelectingAndDeleting()
{
    QVERIFY(writeFile(bundled(defaultId + "/metadata.json"),
                      metadataJson("Default Cat", "bundled", R"("thumbnailPath": "thumb.png",)")));
    // The other custom skin was copied in by hand with a lower-case folder name.
    addSkins({{calicoId, "Calico"}, {orangeId, "Orange Tabby"}},
             {{mineId, "Mr. Whiskers"}, {otherId.toLower(), "Other"}});
    QVERIFY(writeFile(custom(mineId + "/idle.mp4"), "video"));
    auto manager = makeManager();
    QSignalSpy changed(manager.get(), &SkinManager::currentSkinChanged);
    LogCapture log;

    QCOMPARE(manager->videoURL(ClaudeStatus::needsInput, uuid(mineId)),
             QUrl::fromLocalFile(custom(mineId + "/needs_input.mp4")));
    QCOMPARE(manager->videoURL(ClaudeStatus::idle, uuid(otherId)),
             QUrl::fromLocalFile(custom(otherId.toLower() + "/idle.mp4")));
    // No id, or an unknown one: the current skin.
    QCOMPARE(manager->videoURL(ClaudeStatus::completed, std::nullopt),
             QUrl::fromLocalFile(bundled(defaultId + "/completed.mp4")));
    QCOMPARE(manager->videoURL(ClaudeStatus::working, uuid(brokenId)),
             QUrl::fromLocalFile(bundled(defaultId + "/working.mp4")));
    QCOMPARE(manager->thumbnailPath(manager->availableSkins()[0]), bundled(defaultId + "/thumb.png"));
    QCOMPARE(manager->thumbnailPath(manager->availableSkins()[1]), std::nullopt);

    manager->selectSkin(uuid(mineId));
    QCOMPARE(manager->currentSkin().name, "Mr. Whiskers");
    QCOMPARE(log.lines(), QStringList{"✅ Switched to skin: Mr. Whiskers"});
    QCOMPARE(m_events, QList<Event>{selected("Custom Skin", "custom")}); // a user's own name is never sent
    // New sessions get the bundled skins in turn, whatever the current skin.
    QList<QUuid> handedOut;
    for (int i = 0; i < 7; ++i)
        handedOut.append(manager->nextBundledSkinId());
    const QUuid d = uuid(defaultId), c = uuid(calicoId), o = uuid(orangeId);
    QCOMPARE(handedOut, (QList<QUuid>{d, c, o, d, c, o, d}));

    manager->selectSkin(uuid(orangeId));
    manager->selectSkin(orangeId.toLower()); // again, through the text form
    const Event orange = selected("Orange Tabby", "bundled");
    QCOMPARE(m_events, (QList<Event>{selected("Custom Skin", "custom"), orange, orange}));
    QCOMPARE(m_saves, (QList<QUuid>{uuid(mineId), uuid(orangeId), uuid(orangeId)}));
    QCOMPARE(changed.count(), 3);

    log.clear();
    manager->selectSkin(uuid(brokenId));
    manager->selectSkin(QStringLiteral("orange-tabby"));
    QCOMPARE(log.lines(),
             (QStringList{"⚠️ Skin not found: " + brokenId, "⚠️ Skin not found: orange-tabby"}));
    QCOMPARE(manager->currentSkin().name, "Orange Tabby");
    QCOMPARE(m_saves.size(), 3);
    QCOMPARE(m_events.size(), 3);

    manager->selectSkin(uuid(mineId));
    m_events.clear();
    log.clear();
    QCOMPARE(manager->deleteSkin(uuid(brokenId)), failure<void>("SkinManager", 2, "Skin not found"));
    QCOMPARE(manager->deleteSkin(uuid(orangeId)),
             failure<void>("SkinManager", 3, "Cannot delete bundled skins"));
    QVERIFY(QFileInfo::exists(bundled(orangeId + "/metadata.json")));
    QCOMPARE(manager->availableSkins().size(), 5);
    // Deleting a skin that is not current leaves the choice alone.
    QVERIFY(manager->deleteSkin(uuid(otherId)));
    QVERIFY(!QFileInfo::exists(custom(otherId.toLower())));
    QCOMPARE(manager->currentSkin().name, "Mr. Whiskers");
    QVERIFY(m_events.isEmpty());
    // Deleting the current one falls back to the first bundled skin, saved and announced.
    QVERIFY(manager->deleteSkin(uuid(mineId)));
    QVERIFY(!QFileInfo::exists(custom(mineId)));
    QCOMPARE(names(*manager), (QStringList{"Default Cat", "Calico", "Orange Tabby"}));
    QCOMPARE(manager->currentSkin().name, "Default Cat");
    QCOMPARE(m_saves.last(), uuid(defaultId));
    QCOMPARE(m_events, QList<Event>{selected("Default Cat", "bundled")});
    QCOMPARE(log.lines(), (QStringList{"✅ Deleted custom skin: Other", "✅ Switched to skin: Default Cat",
                                       "✅ Deleted custom skin: Mr. Whiskers"}));
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
    QDir().mkpath(m_root->filePath("clips"));
    for (ClaudeStatus status : allStates) {
        const QString path = m_root->filePath("clips/" + claudeStatusText(status) + ".mp4");
        const bool isBig = status == ClaudeStatus::idle || status == ClaudeStatus::working;
        if (!TestMedia::makeClip(path, isBig ? big : small))
            return {};
        sources.insert(status, path);
    }
    return sources;
}

void TestSkinManager::importing()
{
    addSkins({{defaultId, "Default Cat"}});
    const auto sources = makeSources();
    QCOMPARE(sources.size(), 4);
    auto manager = makeManager();
    QList<bool> loading;
    connect(manager.get(), &SkinManager::isLoadingChanged, this,
            [&] { loading.append(manager->isLoading()); });
    LogCapture log;

    // An import that lacks a state is refused at once.
    std::optional<SkinManager::ImportResult> result;
    auto partial = sources;
    partial.remove(ClaudeStatus::completed);
    manager->importCustomSkin("Partial", std::nullopt, partial, storeIn(result));
    QCOMPARE(result, std::optional(failure<Skin>("SkinManager", 5, "A video is needed for every state")));

    // The third file goes away while the first video is processed: the half-made skin is removed.
    auto doomed = sources;
    doomed[ClaudeStatus::idle] = sources[ClaudeStatus::needsInput]; // small clips only, to be quick
    doomed[ClaudeStatus::working] = sources[ClaudeStatus::completed];
    doomed[ClaudeStatus::needsInput] = m_root->filePath("clips/vanishing.mp4");
    QVERIFY(QFile::copy(sources[ClaudeStatus::completed], doomed[ClaudeStatus::needsInput]));
    connect(manager.get(), &SkinManager::importProgressChanged, this, [&] {
        if (manager->importProgress() && manager->importProgress()->current == 1)
            QFile::remove(doomed[ClaudeStatus::needsInput]);
    });
    result.reset();
    manager->importCustomSkin("Doomed", std::nullopt, doomed, storeIn(result));
    QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 60000);
    QCOMPARE(*result, failure<Skin>("VideoProcessor", 11, "Invalid video file"));
    QVERIFY(reached(3));
    QVERIFY(!reached(4));
    QVERIFY(QDir(custom()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
    QCOMPARE(names(*manager), QStringList{"Default Cat"});
    QVERIFY(!manager->importProgress());
    QCOMPARE(loading, (QList<bool>{true, false}));
    QVERIFY(m_events.isEmpty());

    // A failed import does not stand in the way of the next one.
    m_progress.clear();
    loading.clear();
    result.reset();
    manager->importCustomSkin("Mittens", QStringLiteral("Me"), sources, storeIn(result));
    QVERIFY(!result.has_value());
    QVERIFY(manager->isLoading());
    // One import at a time: a second one is refused at once and the first goes on.
    std::optional<SkinManager::ImportResult> refused;
    manager->importCustomSkin("Again", std::nullopt, sources, storeIn(refused));
    QCOMPARE(refused, std::optional(failure<Skin>("SkinManager", 4, "Another skin is being imported")));

    QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 100000);
    QVERIFY2(*result, *result ? "" : qPrintable(result->error().description));
    const Skin skin = **result;
    QCOMPARE(skin.name, "Mittens");
    QCOMPARE(skin.author, "Me");
    QCOMPARE(skin.type, SkinType::custom);
    QCOMPARE(skin.thumbnailPath, "thumbnail.png");
    QCOMPARE(manager->availableSkins().last(), skin);
    QCOMPARE(manager->currentSkin().name, "Default Cat"); // not selected by the import
    QVERIFY(!manager->importProgress());
    QCOMPARE(loading, (QList<bool>{true, false}));
    QCOMPARE(m_events, (QList<Event>{{"custom_skin_created", std::nullopt}}));
    QCOMPARE(log.count("✅ Custom skin imported: Mittens"), 1);

    // Each clip is processed into its own file; the sources are left as they were.
    const QString folder = custom(skin.idText());
    for (const auto& [name, side] : {std::pair{"idle.mp4", 1080},
                                     {"working.mp4", 1080},
                                     {"needs_input.mp4", 240},
                                     {"completed.mp4", 240}}) {
        const TestMedia::Summary summary = TestMedia::describe(folder + "/" + QLatin1String(name));
        QVERIFY2(summary.ok, name);
        QCOMPARE(QSize(summary.width, summary.height), QSize(side, side));
        QCOMPARE(summary.audioStreams, 0);
    }
    for (const QString& source : sources)
        QVERIFY(QFileInfo::exists(source));
    QCOMPARE(QImage(folder + "/thumbnail.png").size(), QSize(1080, 1080));
    QFile metadata(folder + "/metadata.json");
    QVERIFY(metadata.open(QIODevice::ReadOnly));
    QVERIFY(!metadata.readAll().contains('\n'));

    // Progress: every video, each ending at 100 %, then the finishing step.
    QCOMPARE(m_progress.first(), (ImportProgress{1, 4, "Processing", 0, 1}));
    QCOMPARE(m_progress.last(), (ImportProgress{4, 4, "Finalizing", 100, 4}));
    for (qsizetype i = 1; i < m_progress.size(); ++i)
        QVERIFY(m_progress[i].current >= m_progress[i - 1].current);
    for (int video = 1; video <= 4; ++video) {
        QVERIFY(reached(video, 100));
        // Reports read the tracker when they run: a tick queued just before the end also shows 100 %.
        QVERIFY(log.count(
                    QStringLiteral("📊 Progress update: Video %1/4 - 100% - Finalizing...").arg(video)) >= 1);
    }

    // The next start loads it the same. Destroyed mid-import, it leaves no half-made skin and reports
    // nothing.
    auto next = makeManager();
    QCOMPARE(next->availableSkins().last(), skin);
    next->importCustomSkin("Abandoned", std::nullopt, sources,
                           [](SkinManager::ImportResult) { QFAIL("an abandoned import reports nothing"); });
    QTRY_VERIFY(next->importProgress() && next->importProgress()->percentage > 0);
    const auto folders = [this] { return QDir(custom()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot); };
    QCOMPARE(folders().size(), 2);
    next.reset();
    QCOMPARE(folders(), QStringList{skin.idText()});
    QTest::qWait(100);
}

QTEST_GUILESS_MAIN(TestSkinManager)
#include "tst_skinmanager.moc"

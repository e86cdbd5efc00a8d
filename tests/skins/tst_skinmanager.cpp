#include "LogCapture.h"
#include "SkinManager.h"
#include "TestMedia.h"

#include <QDir>
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
using Named = QList<std::pair<QString, QString>>; // folder, skin name
using Event = std::pair<QString, std::optional<QVariantMap>>;

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
    void locatingSelectingAndDeleting();
    void importing();
    void missingFolders();

private:
    QString bundled(const QString& sub = {}) const { return m_root->filePath("share/Skins/" + sub); }
    QString custom(const QString& sub = {}) const { return m_root->filePath("data/Tabbywatch/Skins/" + sub); }
    void addSkins(const Named& bundledSkins, const Named& customSkins = {})
    {
        const QString json = QStringLiteral(
            R"({"name": "%1", "createdDate": "2025-01-15T10:30:00Z", "type": "%2", "idleVideoPath": "idle.mp4",)"
            R"("workingVideoPath": "working.mp4", "needsInputVideoPath": "needs_input.mp4",)"
            R"("completedVideoPath": "completed.mp4"})");
        for (const auto& [folder, name] : bundledSkins)
            QVERIFY(writeFile(bundled(folder + "/metadata.json"), json.arg(name, "bundled").toUtf8()));
        for (const auto& [folder, name] : customSkins)
            QVERIFY(writeFile(custom(folder + "/metadata.json"), json.arg(name, "custom").toUtf8()));
    }
    std::unique_ptr<SkinManager> makeManager()
    {
        return std::make_unique<SkinManager>(
            custom(), bundled(),
            SkinSelectionStore{[this] { return m_saved; }, [this](const QUuid& id) { m_saves.append(id); }},
            [this](const QString& event, const std::optional<QVariantMap>& properties) {
                m_events.append({event, properties});
            },
            m_root->path());
    }
    static QStringList names(const SkinManager& manager)
    {
        QStringList result;
        for (const Skin& skin : manager.availableSkins())
            result.append(skin.name);
        return result;
    }
    QStringList customFolders() const
    {
        return QDir(custom()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }

    std::unique_ptr<QTemporaryDir> m_root;
    std::optional<QUuid> m_saved;
    QList<QUuid> m_saves;
    QList<Event> m_events;
};

void TestSkinManager::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    m_saved.reset();
    m_saves.clear();
    m_events.clear();
}

void TestSkinManager::loadingOrderAndBrokenSkins()
{
    addSkins({{orangeId, "Orange Tabby"}, {calicoId, "calico"}, {defaultId, "Default Cat"}},
             {{mineId, "Newer"}, {otherId, "Older"}, {"my-skin", "Not A Uuid"}});
    QVERIFY(QDir().mkpath(bundled("ginger-tom")));                             // no metadata
    QVERIFY(writeFile(bundled(brokenId + "/metadata.json"), "{\"name\": 3}")); // unreadable metadata
    QVERIFY(writeFile(bundled("README.txt"), "not a skin"));
    const QString noMetadata = Skin::idText(QUuid::createUuid()), badJson = Skin::idText(QUuid::createUuid());
    QVERIFY(QDir().mkpath(custom(noMetadata)));
    QVERIFY(writeFile(custom(badJson + "/metadata.json"), "{"));
    // Custom skins come in the order they were made, whatever their folder or skin names.
    std::filesystem::last_write_time(QFile::encodeName(custom(otherId)).toStdString(),
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));

    LogCapture log;
    auto manager = makeManager();
    // "Default Cat" first, then the other bundled skins by code point, then the custom ones.
    QCOMPARE(names(*manager), (QStringList{"Default Cat", "B0000000 0000 4000 8000 00000000000b",
                                           "Ginger Tom", "Orange Tabby", "calico", "Older", "Newer"}));
    QCOMPARE(manager->availableSkins()[1].id, uuid(brokenId)); // a UUID folder keeps its id
    QCOMPARE(log.lines().size(), 6);
    QCOMPARE(log.countStartingWith("⚠️ Error loading metadata for bundled skin: "), 1);
    QCOMPARE(log.count("⚠️ metadata.json not found for skin: " + noMetadata), 1);
    QCOMPARE(log.countStartingWith("⚠️ Error loading custom skin metadata: "), 1);
    QCOMPARE(log.count("⚠️ Invalid UUID directory name: my-skin"), 1);
    QCOMPARE(log.lines().mid(4), (QStringList{"📦 Loaded 7 skins (5 bundled, 2 custom)",
                                              "✅ SkinManager initialized with skin: Default Cat"}));
    QCOMPARE(customFolders().size(), 5); // broken skins are skipped, not removed
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
    QTest::newRow("nothing saved") << both << QString() << "Default Cat";
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

void TestSkinManager::locatingSelectingAndDeleting()
{
    // The other custom skin was copied in by hand with a lower-case folder name.
    addSkins({{defaultId, "Default Cat"}, {calicoId, "Calico"}, {orangeId, "Orange Tabby"}},
             {{mineId, "Mr. Whiskers"}, {otherId.toLower(), "Other"}});
    auto manager = makeManager();
    LogCapture log;
    QCOMPARE(manager->videoURL(ClaudeStatus::needsInput, uuid(mineId)),
             QUrl::fromLocalFile(custom(mineId + "/needs_input.mp4")));
    QCOMPARE(manager->videoURL(ClaudeStatus::working, uuid(otherId)),
             QUrl::fromLocalFile(custom(otherId.toLower() + "/working.mp4")));
    // An unknown id: the current skin.
    QCOMPARE(manager->videoURL(ClaudeStatus::completed, QUuid::createUuid()),
             QUrl::fromLocalFile(bundled(defaultId + "/completed.mp4")));

    manager->selectSkin(uuid(mineId));
    manager->selectSkin(orangeId.toLower()); // through the text form
    manager->selectSkin(QStringLiteral("orange-tabby"));
    QCOMPARE(manager->currentSkin().name, "Orange Tabby");
    QCOMPARE(log.lines(), (QStringList{"✅ Switched to skin: Mr. Whiskers", "✅ Switched to skin: Orange Tabby",
                                       "⚠️ Skin not found: orange-tabby"}));
    // A user's own skin name is never sent.
    QCOMPARE(m_events,
             (QList<Event>{selected("Custom Skin", "custom"), selected("Orange Tabby", "bundled")}));
    QCOMPARE(m_saves, (QList<QUuid>{uuid(mineId), uuid(orangeId)}));
    // New sessions get the bundled skins in turn, whatever the current skin.
    QList<QUuid> handedOut;
    for (int i = 0; i < 4; ++i)
        handedOut.append(manager->nextBundledSkinId());
    QCOMPARE(handedOut, (QList<QUuid>{uuid(defaultId), uuid(calicoId), uuid(orangeId), uuid(defaultId)}));

    manager->selectSkin(uuid(mineId));
    m_events.clear();
    QCOMPARE(manager->deleteSkin(uuid(orangeId)),
             std::unexpected(SkinManager::error(SkinManager::cannotDeleteBundledSkins)));
    QVERIFY(QFileInfo::exists(bundled(orangeId + "/metadata.json")));
    QVERIFY(manager->deleteSkin(uuid(otherId)));
    QVERIFY(m_events.isEmpty()); // not the current skin
    // Deleting the current one falls back to the first bundled skin, saved and announced.
    QVERIFY(manager->deleteSkin(uuid(mineId)));
    QCOMPARE(customFolders(), QStringList());
    QCOMPARE(names(*manager), (QStringList{"Default Cat", "Calico", "Orange Tabby"}));
    QCOMPARE(m_saves.last(), uuid(defaultId));
    QCOMPARE(m_events, QList<Event>{selected("Default Cat", "bundled")});
}

void TestSkinManager::importing()
{
    addSkins({{defaultId, "Default Cat"}});
    const QString clip = m_root->filePath("clip.mp4");
    QVERIFY(TestMedia::makeClip(clip, "videotestsrc num-buffers=10 ! video/x-raw,width=320,height=240 ! "
                                      "x264enc speed-preset=ultrafast ! mp4mux"));
    SkinManager::VideoSources sources;
    for (auto status :
         {ClaudeStatus::idle, ClaudeStatus::working, ClaudeStatus::needsInput, ClaudeStatus::completed})
        sources.insert(status, clip);
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
    const auto store = [&](SkinManager::ImportResult r) { result = std::move(r); };

    // The third file goes away once the import has begun: the half-made skin is removed.
    auto doomed = sources;
    doomed[ClaudeStatus::needsInput] = m_root->filePath("vanishing.mp4");
    QVERIFY(QFile::copy(clip, doomed[ClaudeStatus::needsInput]));
    manager->importCustomSkin("Doomed", std::nullopt, doomed, store);
    QVERIFY(QFile::remove(doomed[ClaudeStatus::needsInput]));
    QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 60000);
    QCOMPARE(*result, std::unexpected(VideoProcessor::error(VideoProcessor::invalidVideoFile)));
    QCOMPARE(progress.last().current, 3);
    QCOMPARE(customFolders(), QStringList());
    QCOMPARE(loading, (QList<bool>{true, false}));
    QVERIFY(!manager->importProgress());

    // A failed import does not stand in the way of the next one; a second one at a time is refused.
    progress.clear();
    result.reset();
    manager->importCustomSkin("Mittens", QStringLiteral("Me"), sources, store);
    std::optional<SkinManager::ImportResult> refused;
    manager->importCustomSkin("Again", std::nullopt, sources, [&](auto r) { refused = r; });
    QCOMPARE(refused, std::unexpected(SkinManager::error(SkinManager::importAlreadyRunning)));
    QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 60000);
    QVERIFY2(*result, *result ? "" : qPrintable(result->error().description));
    const Skin skin = **result;
    QCOMPARE(skin.author, "Me");
    QCOMPARE(manager->availableSkins().last(), skin);
    QCOMPARE(manager->currentSkin().name, "Default Cat"); // not selected by the import
    QCOMPARE(m_events, (QList<Event>{{"custom_skin_created", std::nullopt}}));
    QCOMPARE(log.count("✅ Custom skin imported: Mittens"), 1);
    for (const char* name : {"/idle.mp4", "/working.mp4", "/needs_input.mp4", "/completed.mp4"})
        QCOMPARE(TestMedia::describe(custom(skin.idText()) + name).width, 240);
    QCOMPARE(QImage(custom(skin.idText()) + "/thumbnail.png").size(), QSize(240, 240));
    // Every video reports up to 100 %, then the finishing step. Reports read the tracker when they
    // run: a tick queued just before the end also shows 100 %.
    QCOMPARE(progress.first(), (ImportProgress{1, 4, "Processing", 0, 1}));
    QCOMPARE(progress.last(), (ImportProgress{4, 4, "Finalizing", 100, 4}));
    for (int video = 1; video <= 4; ++video)
        QVERIFY(log.count(QStringLiteral("📊 Progress update: Video %1/4 - 100% - Finalizing...").arg(video)));

    // The next start loads it the same. Destroyed mid-import, it leaves no half-made skin and reports
    // nothing.
    auto next = makeManager();
    QCOMPARE(next->availableSkins().last(), skin);
    next->importCustomSkin("Abandoned", std::nullopt, sources,
                           [](SkinManager::ImportResult) { QFAIL("an abandoned import reports nothing"); });
    QTRY_VERIFY(next->importProgress() && next->importProgress()->percentage > 0);
    QCOMPARE(customFolders().size(), 2);
    next.reset();
    QCOMPARE(customFolders(), QStringList{skin.idText()});
    QTest::qWait(100);
}

void TestSkinManager::missingFolders()
{
    // No bundled skins, and a custom skins folder that cannot be made, even as root: a file where a
    // folder should be cannot be entered.
    QVERIFY(writeFile(m_root->filePath("data/Tabbywatch"), "a file in the way"));
    LogCapture log;
    auto manager = makeManager();
    QCOMPARE(log.lines().size(), 4);
    QCOMPARE(log.lines().first(), "⚠️ Bundled skins directory not found");
    QVERIFY(log.lines()[1].startsWith("⚠️ Error loading custom skins: "));
    QCOMPARE(manager->currentSkin().idText(), defaultId);
    QCOMPARE(manager->videoURL(ClaudeStatus::idle), QUrl::fromLocalFile(bundled(defaultId + "/idle.mp4")));
    QCOMPARE(manager->nextBundledSkinId(), uuid(defaultId));

    // Imports fail at once: first for want of a state, then for want of a folder.
    std::optional<SkinManager::ImportResult> result;
    const auto store = [&](SkinManager::ImportResult r) { result = std::move(r); };
    SkinManager::VideoSources sources;
    for (auto status : {ClaudeStatus::idle, ClaudeStatus::working, ClaudeStatus::needsInput})
        sources.insert(status, m_root->filePath("whatever.mp4"));
    manager->importCustomSkin("Partial", std::nullopt, sources, store);
    QCOMPARE(result, std::unexpected(SkinManager::error(SkinManager::missingVideo)));
    sources.insert(ClaudeStatus::completed, m_root->filePath("whatever.mp4"));
    manager->importCustomSkin("Nowhere", std::nullopt, sources, store);
    QVERIFY(result && !*result && result->error().description.startsWith("Cannot create the skin folder: "));
    QVERIFY(!manager->isLoading());
    QVERIFY(!manager->importProgress());
}

QTEST_GUILESS_MAIN(TestSkinManager)
#include "tst_skinmanager.moc"

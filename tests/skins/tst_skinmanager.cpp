#include "LogCapture.h"
#include "SkinManager.h"
#include "TestMedia.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
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

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
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
        const auto track = [this](const QString& event, const std::optional<QVariantMap>& properties) {
            const QJsonObject json = QJsonObject::fromVariantMap(properties.value_or(QVariantMap()));
            m_events.append(event + (properties ? QJsonDocument(json).toJson(QJsonDocument::Compact) : ""));
        };
        return std::make_unique<SkinManager>(
            custom(), bundled(),
            SkinSelectionStore{[this] { return m_saved; }, [this](const QUuid& id) { m_saves.append(id); }},
            track, m_root->path());
    }
    QStringList customFolders() const
    {
        return QDir(custom()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }

    std::unique_ptr<QTemporaryDir> m_root;
    std::optional<QUuid> m_saved; // the stored choice
    QList<QUuid> m_saves;
    QStringList m_events;
};

void TestSkinManager::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    std::tie(m_saved, m_saves, m_events) = std::tuple(std::nullopt, QList<QUuid>(), QStringList());
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
    QStringList names;
    for (const Skin& skin : manager->availableSkins())
        names.append(skin.name);
    QCOMPARE(names, (QStringList{"Default Cat", "B0000000 0000 4000 8000 00000000000b", "Ginger Tom",
                                 "Orange Tabby", "calico", "Older", "Newer"}));
    QCOMPARE(manager->availableSkins()[1].id, QUuid(brokenId)); // a UUID folder keeps its id
    QCOMPARE(log.lines().size(), 6);
    QVERIFY(log.lines().first().startsWith("⚠️ Error loading metadata for bundled skin: "));
    QCOMPARE(log.count("⚠️ metadata.json not found for skin: " + noMetadata), 1);
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
    QTest::newRow("saved skin deleted") << both << otherId << "Default Cat";
    QTest::newRow("nothing saved") << both << QString() << "Default Cat";
    QTest::newRow("no default cat") << Named{{orangeId, "Orange"}, {calicoId, "Calico"}} << QString()
                                    << "Calico";
    QTest::newRow("no bundled folder") << Named{} << QString() << "Mine";
}

void TestSkinManager::currentSkinChoice()
{
    QFETCH(Named, bundledSkins);
    QFETCH(QString, saved);
    QFETCH(QString, expected);
    addSkins(bundledSkins, {{mineId, "Mine"}});
    if (!saved.isEmpty())
        m_saved = QUuid(saved);
    QCOMPARE(makeManager()->currentSkin().name, expected);
    QVERIFY(m_saves.isEmpty() && m_events.isEmpty()); // choosing at start is not a selection
}

void TestSkinManager::locatingSelectingAndDeleting()
{
    addSkins({{defaultId, "Default Cat"}, {calicoId, "Calico"}, {orangeId, "Orange Tabby"}},
             {{mineId, "Mr. Whiskers"}, {otherId, "Other"}});
    auto manager = makeManager();
    LogCapture log;
    QCOMPARE(manager->videoURL(ClaudeStatus::needsInput, QUuid(otherId)),
             QUrl::fromLocalFile(custom(otherId + "/needs_input.mp4")));

    manager->selectSkin(QUuid(mineId));
    manager->selectSkin(orangeId.toLower()); // through the text form
    manager->selectSkin(QStringLiteral("orange-tabby"));
    QCOMPARE(manager->currentSkin().name, "Orange Tabby");
    QCOMPARE(log.lines(), (QStringList{"✅ Switched to skin: Mr. Whiskers", "✅ Switched to skin: Orange Tabby",
                                       "⚠️ Skin not found: orange-tabby"}));
    // A user's own skin name is never sent.
    QCOMPARE(m_events, (QStringList{R"(skin_selected{"skin_name":"Custom Skin","skin_type":"custom"})",
                                    R"(skin_selected{"skin_name":"Orange Tabby","skin_type":"bundled"})"}));
    QCOMPARE(m_saves, (QList<QUuid>{QUuid(mineId), QUuid(orangeId)}));
    // A session's bundled skin follows from its id alone, whatever the current skin; ids spread over all.
    QSet<QUuid> given;
    for (int i = 0; i < 30; ++i)
        given.insert(manager->bundledSkinIdFor(QStringLiteral("session-%1").arg(i)));
    QCOMPARE(given, (QSet<QUuid>{QUuid(defaultId), QUuid(calicoId), QUuid(orangeId)}));
    QCOMPARE(manager->bundledSkinIdFor(QStringLiteral("a1b2")), QUuid(defaultId)); // in every run
    QCOMPARE(manager->bundledSkinIdFor(QStringLiteral("a1b2"), {QUuid(defaultId)}), QUuid(calicoId));
    QCOMPARE(manager->bundledSkinIdFor(QStringLiteral("a1b2"),
                                       {QUuid(defaultId), QUuid(calicoId), QUuid(orangeId)}),
             QUuid(defaultId)); // all worn: shared

    manager->selectSkin(QUuid(mineId));
    m_events.clear();
    QCOMPARE(manager->deleteSkin(QUuid(orangeId)),
             std::unexpected(SkinManager::error(SkinManager::cannotDeleteBundledSkins)));
    QVERIFY(QFileInfo::exists(bundled(orangeId + "/metadata.json")));
    QVERIFY(manager->deleteSkin(QUuid(otherId)));
    QVERIFY(m_events.isEmpty()); // not the current skin
    // Deleting the current one falls back to the first bundled skin, saved and announced.
    QVERIFY(manager->deleteSkin(QUuid(mineId)));
    QCOMPARE(customFolders(), QStringList());
    QCOMPARE(m_saves.last(), QUuid(defaultId));
    QCOMPARE(m_events, QStringList{R"(skin_selected{"skin_name":"Default Cat","skin_type":"bundled"})"});
}

void TestSkinManager::importing()
{
    addSkins({{defaultId, "Default Cat"}});
    const QString clip = m_root->filePath("clip.mp4");
    QVERIFY(TestMedia::makeClip(clip, "videotestsrc num-buffers=10 ! video/x-raw,width=320,height=240 ! "
                                      "x264enc speed-preset=ultrafast ! mp4mux"));
    SkinManager::VideoSources sources;
    for (auto status : {ClaudeStatus::idle, ClaudeStatus::working, ClaudeStatus::needsInput})
        sources.insert(status, clip);
    auto manager = makeManager();
    LogCapture log;
    std::optional<SkinManager::ImportResult> result;
    const auto store = [&](SkinManager::ImportResult r) { result = std::move(r); };

    // The last file goes away once the import has begun: the half-made skin is removed.
    sources.insert(ClaudeStatus::completed, m_root->filePath("vanishing.mp4"));
    QVERIFY(QFile::copy(clip, sources[ClaudeStatus::completed]));
    manager->importCustomSkin("Doomed", std::nullopt, sources, store);
    QVERIFY(QFile::remove(sources[ClaudeStatus::completed]));
    QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 60000);
    QCOMPARE(*result, std::unexpected(VideoProcessor::error(VideoProcessor::invalidVideoFile)));
    QVERIFY(log.countStartingWith("📊 Progress update: Video 4/4"));
    QCOMPARE(customFolders(), QStringList());
    QVERIFY(!manager->isLoading() && !manager->importProgress());

    // A failed import does not stand in the way of the next one; a second one at a time is refused.
    sources[ClaudeStatus::completed] = clip;
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
    QCOMPARE(m_events, QStringList{"custom_skin_created"});
    QCOMPARE(log.count("✅ Custom skin imported: Mittens"), 1);
    QCOMPARE(QImage(custom(skin.idText()) + "/thumbnail.png").size(), QSize(240, 240));
    QVERIFY(log.count("📊 Progress update: Video 4/4 - 100% - Finalizing..."));

    // The next start loads it the same; destroyed mid-import, it leaves nothing and reports nothing.
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

QTEST_GUILESS_MAIN(TestSkinManager)
#include "tst_skinmanager.moc"

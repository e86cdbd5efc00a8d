#include "InternetDateTime.h"
#include "Skin.h"
#include "SkinMetadata.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTimeZone>

namespace {
QJsonObject fullMetadata()
{
    return {{"name", "Orange Tabby"},
            {"author", "Tabbywatch"},
            {"createdDate", "2025-01-15T10:30:00Z"},
            {"type", "bundled"},
            {"idleVideoPath", "idle.mp4"},
            {"workingVideoPath", "working.mp4"},
            {"needsInputVideoPath", "needs_input.mp4"},
            {"completedVideoPath", "completed.mp4"},
            {"thumbnailPath", "thumbnail.png"}};
}

QByteArray bytes(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonObject with(QJsonObject object, const QString& key, const QJsonValue& value)
{
    if (value.isUndefined())
        object.remove(key);
    else
        object.insert(key, value);
    return object;
}
} // namespace

class TestSkinModel : public QObject
{
    Q_OBJECT
private slots:
    void readsFullFile();
    void metadataReading_data();
    void metadataReading();
    void writtenFormRoundTrips_data();
    void writtenFormRoundTrips();
    void idText_data();
    void idText();
    void locations();
    void defaultSkin();
};

void TestSkinModel::readsFullFile()
{
    const auto metadata = SkinMetadata::fromJson(bytes(fullMetadata()));
    QVERIFY2(metadata, qPrintable(metadata.error()));
    QCOMPARE(metadata->name, "Orange Tabby");
    QCOMPARE(metadata->author, "Tabbywatch");
    QCOMPARE(metadata->createdDate, QDateTime(QDate(2025, 1, 15), QTime(10, 30), Qt::UTC));
    QCOMPARE(metadata->type, SkinType::bundled);
    QCOMPARE(metadata->needsInputVideoPath, "needs_input.mp4");
    QCOMPARE(metadata->thumbnailPath, "thumbnail.png");

    const QUuid id = QUuid::createUuid();
    const Skin skin = Skin::make(id, *metadata);
    QCOMPARE(skin.id, id);
    QCOMPARE(skin.videoFileName(ClaudeStatus::idle), "idle.mp4");
    QCOMPARE(skin.videoFileName(ClaudeStatus::working), "working.mp4");
    QCOMPARE(skin.videoFileName(ClaudeStatus::needsInput), "needs_input.mp4");
    QCOMPARE(skin.videoFileName(ClaudeStatus::completed), "completed.mp4");
}

void TestSkinModel::metadataReading_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("valid");

    const QJsonObject full = fullMetadata();
    QTest::newRow("extra keys ignored") << bytes(with(full, "isPremium", true)) << true;
    QTest::newRow("null author") << bytes(with(full, "author", QJsonValue::Null)) << true;
    QTest::newRow("offset zone") << bytes(with(full, "createdDate", "2025-01-15T12:30:00+02:00")) << true;
    QTest::newRow("custom type") << bytes(with(full, "type", "custom")) << true;

    QTest::newRow("not json") << QByteArray("name: cat") << false;
    QTest::newRow("array") << QByteArray("[]") << false;
    QTest::newRow("no name") << bytes(with(full, "name", QJsonValue::Undefined)) << false;
    QTest::newRow("no idle video") << bytes(with(full, "idleVideoPath", QJsonValue::Undefined)) << false;
    QTest::newRow("numeric name") << bytes(with(full, "name", 3)) << false;
    QTest::newRow("numeric author") << bytes(with(full, "author", 3)) << false;
    QTest::newRow("numeric thumbnail") << bytes(with(full, "thumbnailPath", 3)) << false;
    QTest::newRow("numeric date") << bytes(with(full, "createdDate", 1736937000)) << false;
    QTest::newRow("fractional seconds")
        << bytes(with(full, "createdDate", "2025-01-15T10:30:00.5Z")) << false;
    QTest::newRow("no zone") << bytes(with(full, "createdDate", "2025-01-15T10:30:00")) << false;
    QTest::newRow("date only") << bytes(with(full, "createdDate", "2025-01-15")) << false;
    QTest::newRow("unknown type") << bytes(with(full, "type", "premium")) << false;
    QTest::newRow("capitalised type") << bytes(with(full, "type", "Bundled")) << false;
    QTest::newRow("video outside folder")
        << bytes(with(full, "workingVideoPath", "../other/working.mp4")) << false;
    QTest::newRow("absolute video") << bytes(with(full, "completedVideoPath", "/etc/passwd")) << false;
    QTest::newRow("thumbnail outside folder") << bytes(with(full, "thumbnailPath", "../../x.png")) << false;
}

void TestSkinModel::metadataReading()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, valid);
    const auto metadata = SkinMetadata::fromJson(json);
    QCOMPARE(metadata.has_value(), valid);
    if (!valid)
        QVERIFY(!metadata.error().isEmpty());
}

void TestSkinModel::writtenFormRoundTrips_data()
{
    QTest::addColumn<bool>("withOptionals");
    QTest::newRow("author and thumbnail") << true;
    QTest::newRow("neither") << false;
}

void TestSkinModel::writtenFormRoundTrips()
{
    QFETCH(bool, withOptionals);
    SkinMetadata metadata;
    metadata.name = QStringLiteral("Mittens ✨");
    if (withOptionals) {
        metadata.author = QStringLiteral("Me");
        metadata.thumbnailPath = QStringLiteral("thumbnail.png");
    }
    // Milliseconds and a local zone: the file keeps whole seconds in UTC.
    metadata.createdDate = QDateTime(QDate(2025, 3, 2), QTime(23, 15, 7, 640), QTimeZone(3600));
    metadata.type = SkinType::custom;
    metadata.idleVideoPath = QStringLiteral("idle.mp4");
    metadata.workingVideoPath = QStringLiteral("working.mp4");
    metadata.needsInputVideoPath = QStringLiteral("needs_input.mp4");
    metadata.completedVideoPath = QStringLiteral("completed.mp4");

    const QByteArray written = metadata.toJson();
    QVERIFY(!written.contains('\n'));
    QVERIFY(!written.contains(": "));
    const QJsonObject object = QJsonDocument::fromJson(written).object();
    QCOMPARE(object.value("createdDate").toString(), "2025-03-02T22:15:07Z");
    QCOMPARE(object.contains("author"), withOptionals);
    QCOMPARE(object.contains("thumbnailPath"), withOptionals);
    QVERIFY(!object.contains("id"));

    const auto read = SkinMetadata::fromJson(written);
    QVERIFY2(read, qPrintable(read.error()));
    SkinMetadata expected = metadata;
    expected.createdDate = QDateTime(QDate(2025, 3, 2), QTime(22, 15, 7), Qt::UTC);
    QCOMPARE(*read, expected);
}

void TestSkinModel::idText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("upper") << "6F1C2E9A-3B7D-4E21-9A55-0C3D2B1A4F60" << true;
    QTest::newRow("lower") << "6f1c2e9a-3b7d-4e21-9a55-0c3d2b1a4f60" << true;
    QTest::newRow("nil") << "00000000-0000-0000-0000-000000000000" << true;
    QTest::newRow("braces") << "{6F1C2E9A-3B7D-4E21-9A55-0C3D2B1A4F60}" << false;
    QTest::newRow("no hyphens") << "6F1C2E9A3B7D4E219A550C3D2B1A4F60" << false;
    QTest::newRow("name") << "orange-tabby" << false;
    QTest::newRow("trailing text") << "6F1C2E9A-3B7D-4E21-9A55-0C3D2B1A4F60x" << false;
}

void TestSkinModel::idText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const auto id = Skin::parseId(text);
    QCOMPARE(id.has_value(), valid);
    if (valid)
        QCOMPARE(Skin::idText(*id), text.toUpper());
}

void TestSkinModel::locations()
{
    Skin skin = Skin::make(*Skin::parseId(u"6f1c2e9a-3b7d-4e21-9a55-0c3d2b1a4f60"),
                           *SkinMetadata::fromJson(bytes(fullMetadata())));
    skin.type = SkinType::custom;
    QCOMPARE(skin.directory("/home/u/.local/share/Tabbywatch/Skins", "/opt/share/tabbywatch/Skins"),
             "/home/u/.local/share/Tabbywatch/Skins/6F1C2E9A-3B7D-4E21-9A55-0C3D2B1A4F60");
    skin.type = SkinType::bundled;
    QCOMPARE(skin.directory("/home/u/.local/share/Tabbywatch/Skins", "/opt/share/tabbywatch/Skins"),
             "/opt/share/tabbywatch/Skins/6F1C2E9A-3B7D-4E21-9A55-0C3D2B1A4F60");
}

void TestSkinModel::defaultSkin()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const Skin skin = Skin::defaultSkin(now);
    QCOMPARE(skin.idText(), "00000000-0000-0000-0000-000000000001");
    QCOMPARE(skin.name, "Default Cat");
    QCOMPARE(skin.type, SkinType::bundled);
    QCOMPARE(skin.author, "Tabbywatch");
    QCOMPARE(skin.createdDate, now);
    QCOMPARE(skin.thumbnailPath, "thumbnail.png");
    QCOMPARE(skin.directory("/c", "/b"), "/b/00000000-0000-0000-0000-000000000001");
}

QTEST_GUILESS_MAIN(TestSkinModel)
#include "tst_skinmodel.moc"

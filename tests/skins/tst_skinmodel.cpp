#include "Skin.h"
#include "SkinMetadata.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTimeZone>

namespace {
// A complete metadata file with one key changed, or removed when the value is undefined.
QByteArray metadataWith(const QString& key = {}, const QJsonValue& value = QJsonValue::Undefined)
{
    QJsonObject object = QJsonDocument::fromJson(R"({"name": "Orange Tabby", "author": "Tabbywatch",
        "createdDate": "2025-01-15T10:30:00Z", "type": "bundled", "idleVideoPath": "idle.mp4",
        "workingVideoPath": "working.mp4", "needsInputVideoPath": "needs_input.mp4",
        "completedVideoPath": "completed.mp4", "thumbnailPath": "thumbnail.png"})")
                             .object();
    if (value.isUndefined())
        object.remove(key);
    else if (!key.isEmpty())
        object.insert(key, value);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}
} // namespace

class TestSkinModel : public QObject
{
    Q_OBJECT
private slots:
    void metadataReading_data();
    void metadataReading();
    void writtenFormRoundTrips();
    void idText_data();
    void idText();
};

void TestSkinModel::metadataReading_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("valid");
    QTest::newRow("complete") << metadataWith() << true;
    QTest::newRow("extra keys ignored") << metadataWith("isPremium", true) << true;
    QTest::newRow("null author") << metadataWith("author", QJsonValue::Null) << true;
    QTest::newRow("offset zone") << metadataWith("createdDate", "2025-01-15T12:30:00+02:00") << true;

    QTest::newRow("not json") << QByteArray("name: cat") << false;
    QTest::newRow("no name") << metadataWith("name") << false;
    QTest::newRow("numeric name") << metadataWith("name", 3) << false;
    QTest::newRow("numeric author") << metadataWith("author", 3) << false;
    QTest::newRow("numeric date") << metadataWith("createdDate", 1736937000) << false;
    QTest::newRow("fractional seconds") << metadataWith("createdDate", "2025-01-15T10:30:00.5Z") << false;
    QTest::newRow("no zone") << metadataWith("createdDate", "2025-01-15T10:30:00") << false;
    QTest::newRow("capitalised type") << metadataWith("type", "Bundled") << false;
    QTest::newRow("video outside folder")
        << metadataWith("workingVideoPath", "../other/working.mp4") << false;
    QTest::newRow("absolute video") << metadataWith("completedVideoPath", "/etc/passwd") << false;
    QTest::newRow("thumbnail outside folder") << metadataWith("thumbnailPath", "a/../../x.png") << false;
}

void TestSkinModel::metadataReading()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, valid);
    const auto metadata = SkinMetadata::fromJson(json);
    QCOMPARE(metadata.has_value(), valid);
    if (valid)
        QCOMPARE(metadata->createdDate, QDateTime(QDate(2025, 1, 15), QTime(10, 30), Qt::UTC));
    else
        QVERIFY(!metadata.error().isEmpty());
}

void TestSkinModel::writtenFormRoundTrips()
{
    SkinMetadata metadata = *SkinMetadata::fromJson(metadataWith("name", "Mittens ✨"));
    metadata.type = SkinType::custom;
    metadata.thumbnailPath = std::nullopt;
    // Milliseconds and a local zone: the file keeps whole seconds in UTC.
    metadata.createdDate = QDateTime(QDate(2025, 3, 2), QTime(23, 15, 7, 640), QTimeZone(3600));

    const QByteArray written = metadata.toJson();
    QVERIFY(!written.contains('\n'));
    const QJsonObject object = QJsonDocument::fromJson(written).object();
    QCOMPARE(object.value("createdDate").toString(), "2025-03-02T22:15:07Z");
    QVERIFY(object.contains("author"));
    QVERIFY(!object.contains("thumbnailPath")); // absent, not null
    SkinMetadata expected = metadata;
    expected.createdDate = QDateTime(QDate(2025, 3, 2), QTime(22, 15, 7), Qt::UTC);
    QCOMPARE(SkinMetadata::fromJson(written).value_or(SkinMetadata()), expected);
}

void TestSkinModel::idText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("upper") << "6F1C2E9A-3B7D-4E21-9A55-0C3D2B1A4F60" << true;
    QTest::newRow("lower") << "6f1c2e9a-3b7d-4e21-9a55-0c3d2b1a4f60" << true;
    QTest::newRow("braces") << "{6F1C2E9A-3B7D-4E21-9A55-0C3D2B1A4F60}" << false;
    QTest::newRow("name") << "orange-tabby" << false;
    QTest::newRow("trailing text") << "6F1C2E9A-3B7D-4E21-9A55-0C3D2B1A4F60x" << false;
    QTest::newRow("path") << "../6F1C2E9A-3B7D-4E21-9A55-0C3D2B1A4" << false;
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

QTEST_GUILESS_MAIN(TestSkinModel)
#include "tst_skinmodel.moc"

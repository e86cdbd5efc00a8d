#include "Skin.h"
#include "SkinMetadata.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

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
    void idText_data();
    void idText();
};

void TestSkinModel::metadataReading_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("valid");
    QTest::newRow("complete") << metadataWith() << true;
    QTest::newRow("null author") << metadataWith("author", QJsonValue::Null) << true;
    QTest::newRow("offset zone") << metadataWith("createdDate", "2025-01-15T12:30:00+02:00") << true;

    QTest::newRow("not json") << QByteArray("name: cat") << false;
    QTest::newRow("no name") << metadataWith("name") << false;
    QTest::newRow("numeric author") << metadataWith("author", 3) << false;
    QTest::newRow("fractional seconds") << metadataWith("createdDate", "2025-01-15T10:30:00.5Z") << false;
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

void TestSkinModel::idText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("upper") << "6F1C2E9A-3B7D-4E21-9A55-0C3D2B1A4F60" << true;
    QTest::newRow("lower") << "6f1c2e9a-3b7d-4e21-9a55-0c3d2b1a4f60" << true;
    QTest::newRow("braces") << "{6F1C2E9A-3B7D-4E21-9A55-0C3D2B1A4F60}" << false;
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

QTEST_GUILESS_MAIN(TestSkinModel)
#include "tst_skinmodel.moc"

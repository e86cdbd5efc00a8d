#include "OrderedJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using OrderedJson::Value;

namespace {
// What QJsonDocument makes of our tree, to compare meanings with Qt's own parser.
QVariant toVariant(const Value& value)
{
    switch (value.type()) {
    case Value::Type::null:
        return QVariant::fromValue(nullptr);
    case Value::Type::boolean:
        return value.toBool();
    case Value::Type::number:
        return QJsonDocument::fromJson("[" + OrderedJson::serialize(value) + "]").array().at(0).toVariant();
    case Value::Type::string:
        return value.toString();
    case Value::Type::array: {
        QVariantList list;
        for (const Value& element : value.elements())
            list.append(toVariant(element));
        return list;
    }
    case Value::Type::object: {
        QVariantMap map;
        for (const auto& member : value.members())
            map.insert(member.key, toVariant(member.value));
        return map;
    }
    }
    return {};
}

Value parsed(const QByteArray& text)
{
    auto value = OrderedJson::parse(text);
    return value ? *value : Value();
}
} // namespace

class TestOrderedJson : public QObject
{
    Q_OBJECT
private slots:
    void claudeCodeLayoutRoundTripsExactly();
    void otherLayoutsBecomeClaudeCodeLayout();
    void meaningsMatchQtsParser_data();
    void meaningsMatchQtsParser();
    void invalidTextIsRefused_data();
    void invalidTextIsRefused();
    void errorsSayWhere();
    void hostileNestingIsRefused();
    void builtStringsAreEscapedAsJavaScriptDoes();
    void membersKeepTheirPlace();
};

void TestOrderedJson::claudeCodeLayoutRoundTripsExactly()
{
    // As JSON.stringify(value, null, 2) writes it, with escapes and numbers spelled the user's way.
    const QByteArray text = R"({
  "model": "opus",
  "empty": {},
  "none": [],
  "nested": [
    [],
    {
      "a": [
        1,
        -0.5,
        1E+2,
        0e-0,
        true,
        false,
        null
      ]
    }
  ],
  "escapes": "\u00e9\/\"\\\b\f\n\r\t\ud83d\ude00",
  "literal": "grüß dich 😀",
  "\u006bey": "",
  "": "empty key"
})";
    const auto value = OrderedJson::parse(text);
    QVERIFY2(value.has_value(), qPrintable(value.error()));
    QCOMPARE(OrderedJson::serialize(*value), text);
}

void TestOrderedJson::otherLayoutsBecomeClaudeCodeLayout()
{
    const QByteArray compact = "{\"b\":[1,{\"c\":{}}],\"a\":\"x\"}";
    QCOMPARE(OrderedJson::serialize(parsed(compact)),
             QByteArray("{\n  \"b\": [\n    1,\n    {\n      \"c\": {}\n    }\n  ],\n  \"a\": \"x\"\n}"));
    QCOMPARE(OrderedJson::serialize(parsed(" \r\n\t[ ]\n")), QByteArray("[]"));
    QCOMPARE(OrderedJson::serialize(parsed("\"top\"")), QByteArray("\"top\""));
}

void TestOrderedJson::meaningsMatchQtsParser_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("settings") << QByteArray(
        R"j({"permissions": {"allow": ["Bash(ls:*)"], "deny": []}, "n": 3})j");
    QTest::newRow("escapes") << QByteArray(R"(["\u0041\u00e9\u20ac\ud83d\ude00", "a\/b", "tab\there"])");
    QTest::newRow("numbers") << QByteArray(
        "[0, -0, 12.5e3, 1E-2, 9007199254740993, 123456789012345678901234567890]");
    QTest::newRow("unicode") << QByteArray("{\"名前\": \"ねこ\", \"emoji\": \"🐈\"}");
    QTest::newRow("literals") << QByteArray("[true, false, null, {}, []]");
}

void TestOrderedJson::meaningsMatchQtsParser()
{
    QFETCH(QByteArray, text);
    const auto value = OrderedJson::parse(text);
    QVERIFY2(value.has_value(), qPrintable(value.error()));
    const QVariant expected = QJsonDocument::fromJson(text).toVariant();
    QCOMPARE(toVariant(*value), expected);
    // And what we write back means the same again.
    QCOMPARE(QJsonDocument::fromJson(OrderedJson::serialize(*value)).toVariant(), expected);
}

void TestOrderedJson::invalidTextIsRefused_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("blank") << QByteArray(" \n");
    QTest::newRow("trailing comma in object") << QByteArray("{\"a\": 1,}");
    QTest::newRow("trailing comma in array") << QByteArray("[1,]");
    QTest::newRow("line comment") << QByteArray("{\n// x\n}");
    QTest::newRow("block comment") << QByteArray("{/* x */}");
    QTest::newRow("single quotes") << QByteArray("{'a': 1}");
    QTest::newRow("bare key") << QByteArray("{a: 1}");
    QTest::newRow("missing colon") << QByteArray("{\"a\" 1}");
    QTest::newRow("missing comma") << QByteArray("[1 2]");
    QTest::newRow("leading zero") << QByteArray("[01]");
    QTest::newRow("bare fraction") << QByteArray("[.5]");
    QTest::newRow("empty fraction") << QByteArray("[1.]");
    QTest::newRow("empty exponent") << QByteArray("[1e]");
    QTest::newRow("plus sign") << QByteArray("[+1]");
    QTest::newRow("NaN") << QByteArray("[NaN]");
    QTest::newRow("Infinity") << QByteArray("[-Infinity]");
    QTest::newRow("misspelled literal") << QByteArray("[tru]");
    QTest::newRow("raw newline in string") << QByteArray("[\"a\nb\"]");
    QTest::newRow("raw tab in string") << QByteArray("[\"a\tb\"]");
    QTest::newRow("unknown escape") << QByteArray("[\"\\x41\"]");
    QTest::newRow("short unicode escape") << QByteArray("[\"\\u12\"]");
    QTest::newRow("unterminated string") << QByteArray("[\"abc");
    QTest::newRow("unterminated object") << QByteArray("{\"a\": 1");
    QTest::newRow("two values") << QByteArray("{} {}");
    QTest::newRow("trailing garbage") << QByteArray("{}x");
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF{}");
    QTest::newRow("Latin-1") << QByteArray("[\"caf\xe9\"]");
    QTest::newRow("overlong UTF-8") << QByteArray("[\"\xC0\xAF\"]");
    QTest::newRow("UTF-8 surrogate") << QByteArray("[\"\xED\xA0\x80\"]");
    QTest::newRow("NUL byte") << QByteArray("{}\0", 3);
}

void TestOrderedJson::invalidTextIsRefused()
{
    QFETCH(QByteArray, text);
    const auto value = OrderedJson::parse(text);
    QVERIFY(!value.has_value());
    QVERIFY(!value.error().isEmpty());
}

void TestOrderedJson::errorsSayWhere()
{
    const auto value = OrderedJson::parse("{\n  \"a\": \"ü\",\n  \"b\": 1,\n}\n");
    QVERIFY(!value);
    QCOMPARE(value.error(), QStringLiteral("Expected a member name in double quotes at line 4, column 1"));
    QCOMPARE(OrderedJson::parse("{\"ü\": tru}").error(),
             QStringLiteral("Unexpected character at line 1, column 7"));
}

void TestOrderedJson::hostileNestingIsRefused()
{
    QVERIFY(!OrderedJson::parse(QByteArray(100000, '[') + QByteArray(100000, ']')));
    QVERIFY(OrderedJson::parse(QByteArray(500, '[') + QByteArray(500, ']')));
}

void TestOrderedJson::builtStringsAreEscapedAsJavaScriptDoes()
{
    // JSON.stringify("\"\\/\b\f\n\r\t\u0001\u001f\u007f é😀\ud800") gives the text below.
    const QString text = QStringLiteral("\"\\/\b\f\n\r\t") + QChar(0x01) + QChar(0x1f) + QChar(0x7f) +
                         QStringLiteral(" é😀") + QChar(0xd800);
    QCOMPARE(OrderedJson::serialize(Value::fromString(text)),
             QByteArray("\"\\\"\\\\/\\b\\f\\n\\r\\t\\u0001\\u001f\x7f \xc3\xa9\xf0\x9f\x98\x80\\ud800\""));
    Value object = Value::object();
    object.setMember(QStringLiteral("k\"ey"), Value::fromInteger(-5));
    QCOMPARE(OrderedJson::serialize(object), QByteArray("{\n  \"k\\\"ey\": -5\n}"));
}

void TestOrderedJson::membersKeepTheirPlace()
{
    Value object = parsed(R"({"a": 1, "b": 2, "a": 3, "c": 4})");
    // A key given twice reads as its last value, as Claude Code's JSON.parse reads it.
    QCOMPARE(OrderedJson::serialize(*object.member(u"a")), QByteArray("3"));
    object.setMember(QStringLiteral("a"), Value::fromString(QStringLiteral("new")));
    object.setMember(QStringLiteral("d"), Value::fromBool(true));
    QCOMPARE(OrderedJson::serialize(object),
             QByteArray("{\n  \"a\": \"new\",\n  \"b\": 2,\n  \"c\": 4,\n  \"d\": true\n}"));
    QVERIFY(object.removeMember(u"b"));
    QVERIFY(!object.removeMember(u"b"));
    QVERIFY(!object.member(u"b"));
    QCOMPARE(object.members().size(), size_t(3));
}

QTEST_GUILESS_MAIN(TestOrderedJson)
#include "tst_orderedjson.moc"

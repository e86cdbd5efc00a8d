#include "ClaudeStatus.h"
#include "InternetDateTime.h"
#include "SessionInstance.h"
#include "SessionStatusUpdate.h"
#include "StatusUpdate.h"

#include <QTest>

class TestStatusRecords : public QObject
{
    Q_OBJECT
private slots:
    void statusText_data();
    void statusText();
    void statusUpdate_data();
    void statusUpdate();
    void sessionUpdate_data();
    void sessionUpdate();
    void sessionDefaultsAndTimestamps_data();
    void sessionDefaultsAndTimestamps();
    void displayName_data();
    void displayName();
    void sessionProcessId_data();
    void sessionProcessId();
};

void TestStatusRecords::statusText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("displayName");
    QTest::newRow("idle") << "idle" << true << "Ready";
    QTest::newRow("working") << "working" << true << "Working...";
    QTest::newRow("needs_input") << "needs_input" << true << "Needs Input";
    QTest::newRow("completed") << "completed" << true << "Completed!";
    QTest::newRow("capitalised") << "Working" << false << "";
    QTest::newRow("padded") << " idle" << false << "";
    QTest::newRow("camel case") << "needsInput" << false << "";
    QTest::newRow("other word") << "done" << false << "";
    QTest::newRow("empty") << "" << false << "";
}

void TestStatusRecords::statusText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, displayName);
    const auto status = claudeStatusFromText(text);
    QCOMPARE(status.has_value(), valid);
    if (valid) {
        QCOMPARE(claudeStatusText(*status), text);
        QCOMPARE(claudeStatusDisplayName(*status), displayName);
    }
}

void TestStatusRecords::statusUpdate_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("tool");

    QTest::newRow("minimal, timestamp not interpreted")
        << QByteArray(R"({"status":"working","timestamp":"x"})") << true << "working"
        << "";
    QTest::newRow("full") << QByteArray(R"({"status":"working","timestamp":"t","tool":"Bash","session":"s"})")
                          << true << "working"
                          << "Bash";
    QTest::newRow("null tool") << QByteArray(R"({"status":"idle","timestamp":"t","tool":null})") << true
                               << "idle"
                               << "";
    QTest::newRow("unknown keys ignored")
        << QByteArray(R"({"status":"idle","timestamp":"t","x":[1,2]})") << true << "idle"
        << "";
    // The status text is checked by the status manager, not by the decoder.
    QTest::newRow("unknown status decodes")
        << QByteArray(R"({"status":"done","timestamp":"t"})") << true << "done"
        << "";
    QTest::newRow("tool is a number")
        << QByteArray(R"({"status":"working","timestamp":"t","tool":3})") << false << ""
        << "";
    QTest::newRow("session is an object")
        << QByteArray(R"({"status":"working","timestamp":"t","session":{}})") << false << ""
        << "";
    QTest::newRow("no timestamp") << QByteArray(R"({"status":"working"})") << false << ""
                                  << "";
    QTest::newRow("null timestamp") << QByteArray(R"({"status":"working","timestamp":null})") << false << ""
                                    << "";
    QTest::newRow("status is a number") << QByteArray(R"({"status":1,"timestamp":"t"})") << false << ""
                                        << "";
    QTest::newRow("top level array") << QByteArray(R"([{"status":"idle","timestamp":"t"}])") << false << ""
                                     << "";
    QTest::newRow("empty file") << QByteArray() << false << ""
                                << "";
    QTest::newRow("half written") << QByteArray(R"({"status":"work)") << false << ""
                                  << "";
    QTest::newRow("not JSON") << QByteArray("status: idle") << false << ""
                              << "";
}

void TestStatusRecords::statusUpdate()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, valid);
    const auto update = StatusUpdate::decode(json);
    QCOMPARE(update.has_value(), valid);
    if (valid) {
        QFETCH(QString, status);
        QFETCH(QString, tool);
        QCOMPARE(update->status, status);
        QCOMPARE(update->tool.value_or(QString()), tool);
    }
}

void TestStatusRecords::sessionUpdate_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("decodes");
    QTest::addColumn<bool>("makesInstance");

    QTest::newRow("complete") << QByteArray(
                                     R"({"session_id":"a","status":"completed","title":"T","cwd":"/w",)"
                                     R"("transcript_path":"/t","timestamp":"2025-01-15T10:30:45Z"})")
                              << true << true;
    QTest::newRow("only required") << QByteArray(R"({"session_id":"a","status":"idle","timestamp":"x"})")
                                   << true << true;
    QTest::newRow("extra key such as a pid")
        << QByteArray(R"({"session_id":"a","status":"idle","timestamp":"x","claude_pid":42})") << true
        << true;
    QTest::newRow("unknown status") << QByteArray(R"({"session_id":"a","status":"Idle","timestamp":"x"})")
                                    << true << false;
    QTest::newRow("no timestamp") << QByteArray(R"({"session_id":"a","status":"idle"})") << false << false;
    QTest::newRow("no session id") << QByteArray(R"({"status":"idle","timestamp":"x"})") << false << false;
    QTest::newRow("numeric session id")
        << QByteArray(R"({"session_id":7,"status":"idle","timestamp":"x"})") << false << false;
    QTest::newRow("cwd is a bool") << QByteArray(
                                          R"({"session_id":"a","status":"idle","timestamp":"x","cwd":true})")
                                   << false << false;
    QTest::newRow("title is an array")
        << QByteArray(R"({"session_id":"a","status":"idle","timestamp":"x","title":[]})") << false << false;
}

void TestStatusRecords::sessionUpdate()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, decodes);
    QFETCH(bool, makesInstance);
    const auto update = SessionStatusUpdate::decode(json);
    QCOMPARE(update.has_value(), decodes);
    if (update)
        QCOMPARE(makeSessionInstance(*update).has_value(), makesInstance);
}

void TestStatusRecords::sessionDefaultsAndTimestamps_data()
{
    QTest::addColumn<QString>("timestamp");
    QTest::addColumn<QDateTime>("expected"); // invalid: the current time is used

    const QDateTime base(QDate(2025, 1, 15), QTime(10, 30, 45), Qt::UTC);
    QTest::newRow("fraction, Z") << "2025-01-15T10:30:45.123Z" << base.addMSecs(123);
    QTest::newRow("offset") << "2025-01-15T10:30:45+02:00" << base.addSecs(-7200);
    QTest::newRow("negative offset with fraction")
        << "2025-01-15T10:30:45.5-01:30" << base.addSecs(5400).addMSecs(500);
    QTest::newRow("six fraction digits") << "2025-01-15T10:30:45.123456Z" << base.addMSecs(123);
    QTest::newRow("blank instead of T") << "2025-01-15 10:30:45" << QDateTime();
    QTest::newRow("no zone") << "2025-01-15T10:30:45" << QDateTime();
    QTest::newRow("month 13") << "2025-13-15T10:30:45Z" << QDateTime();
    QTest::newRow("garbage") << "yesterday" << QDateTime();
}

void TestStatusRecords::sessionDefaultsAndTimestamps()
{
    QFETCH(QString, timestamp);
    QFETCH(QDateTime, expected);
    SessionStatusUpdate update;
    update.session_id = QStringLiteral("abc");
    update.status = QStringLiteral("needs_input");
    update.timestamp = timestamp;
    const QDateTime now(QDate(2030, 6, 1), QTime(12, 0), Qt::UTC);
    const auto instance = makeSessionInstance(update, now);
    QVERIFY(instance);
    QCOMPARE(instance->status, ClaudeStatus::needsInput);
    QCOMPARE(instance->title, QStringLiteral("New Session"));
    QCOMPARE(instance->cwd, QString());
    QVERIFY(!instance->selectedSkinId && !instance->sessionNumber);
    QCOMPARE(instance->lastUpdate, expected.isValid() ? expected : now);
}

void TestStatusRecords::displayName_data()
{
    QTest::addColumn<QString>("cwd");
    QTest::addColumn<int>("number"); // 0: absent
    QTest::addColumn<QString>("name");
    QTest::newRow("numbered 2") << "/work/api" << 2 << "api (2)";
    QTest::newRow("numbered 1") << "/work/api" << 1 << "api";
    QTest::newRow("no number") << "/work/api" << 0 << "api";
    QTest::newRow("trailing slash") << "/Users/a/projects/webapp/" << 3 << "webapp (3)";
    QTest::newRow("empty cwd") << "" << 0 << "Session";
    QTest::newRow("root") << "/" << 2 << "Session (2)";
}

void TestStatusRecords::displayName()
{
    QFETCH(QString, cwd);
    QFETCH(int, number);
    QFETCH(QString, name);
    SessionInstance instance;
    instance.cwd = cwd;
    if (number > 0)
        instance.sessionNumber = number;
    QCOMPARE(instance.displayName(), name);
}

void TestStatusRecords::sessionProcessId_data()
{
    // Whatever stands under claude_pid, the record itself stays valid.
    QTest::addColumn<QByteArray>("pid");
    QTest::addColumn<qint64>("expected"); // 0: no process id
    QTest::newRow("number") << QByteArray("4242") << qint64(4242);
    QTest::newRow("largest pid_t") << QByteArray("2147483647") << qint64(2147483647);
    QTest::newRow("null") << QByteArray("null") << qint64(0);
    QTest::newRow("text") << QByteArray(R"("4242")") << qint64(0);
    QTest::newRow("fraction") << QByteArray("42.5") << qint64(0);
    QTest::newRow("zero (a process group)") << QByteArray("0") << qint64(0);
    QTest::newRow("negative") << QByteArray("-1") << qint64(0);
    QTest::newRow("beyond pid_t") << QByteArray("2147483648") << qint64(0);
    QTest::newRow("object") << QByteArray("{}") << qint64(0);
}

void TestStatusRecords::sessionProcessId()
{
    QFETCH(QByteArray, pid);
    QFETCH(qint64, expected);
    const auto update = SessionStatusUpdate::decode(
        R"({"session_id":"a","status":"idle","timestamp":"x","claude_pid":)" + pid + "}");
    QVERIFY(update);
    QCOMPARE(update->claude_pid.value_or(0), expected);
}

QTEST_GUILESS_MAIN(TestStatusRecords)
#include "tst_statusrecords.moc"

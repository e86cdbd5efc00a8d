#include "ClaudeStatus.h"
#include "SessionInstance.h"
#include "SessionStatusUpdate.h"
#include "StatusUpdate.h"

#include <QTest>

class TestStatusRecords : public QObject
{
    Q_OBJECT
private slots:
    void mostUrgentStatus_data()
    {
        using enum ClaudeStatus;
        QTest::addColumn<QList<ClaudeStatus>>("statuses");
        QTest::addColumn<ClaudeStatus>("shown");
        QTest::newRow("none") << QList<ClaudeStatus>{} << idle;
        QTest::newRow("needs input over everything")
            << QList{idle, completed, working, needsInput} << needsInput;
        QTest::newRow("working over completed") << QList{completed, idle, working} << working;
        QTest::newRow("completed over ready") << QList{idle, completed} << completed;
        QTest::newRow("all ready") << QList{idle, idle} << idle;
    }
    void mostUrgentStatus()
    {
        QFETCH(QList<ClaudeStatus>, statuses);
        QTEST(::mostUrgentStatus(statuses), "shown");
    }
    void statusUpdate_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("decoded"); // "status tool", empty when the record is refused
        const auto row = [](const char* name, const char* json, const char* decoded) {
            QTest::newRow(name) << QByteArray(json) << QString(decoded);
        };
        row("timestamp not read", R"({"status":"working","timestamp":"x"})", "working ");
        row("all keys, unknown ones",
            R"({"status":"idle","timestamp":"t","tool":"Bash","session":"s","x":[]})", "idle Bash");
        row("null tool", R"({"status":"idle","timestamp":"t","tool":null})", "idle ");
        row("unknown status, for the manager to refuse", R"({"status":"done","timestamp":"t"})", "done ");
        row("tool is a number", R"({"status":"idle","timestamp":"t","tool":3})", "");
        row("no timestamp", R"({"status":"working"})", "");
        row("half written", "{\"status\":\"work", "");
    }
    void statusUpdate()
    {
        QFETCH(QByteArray, json);
        const auto update = StatusUpdate::decode(json);
        QTEST(update ? update->status + u' ' + update->tool.value_or(QString()) : QString(), "decoded");
    }
    void sessionUpdate_data()
    {
        // "-": refused; "update": decoded, but no session (unknown state); else the session's process id.
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("yields");
        const auto row = [](const char* name, const QByteArray& json, const char* yields) {
            QTest::newRow(name) << json << QString(yields);
        };
        const QByteArray head = R"({"session_id":"a","status":"idle","timestamp":"x")";
        row("all keys", head + R"(,"title":"T","cwd":"/w","transcript_path":"/t"})", "0");
        row("unknown status", R"({"session_id":"a","status":"Idle","timestamp":"x"})", "update");
        row("no timestamp", R"({"session_id":"a","status":"idle"})", "-");
        row("numeric session id", R"({"session_id":7,"status":"idle","timestamp":"x"})", "-");
        row("cwd is a bool", head + R"(,"cwd":true})", "-");
        // Whatever stands under claude_pid, the record stays valid; only a positive pid_t counts.
        for (const char* pid : {"4242", "2147483647"})
            row(pid, head + R"(,"claude_pid":)" + pid + "}", pid);
        for (const char* pid : {"2147483648", "42.5", "0", R"("4242")", "null"})
            row(pid, head + R"(,"claude_pid":)" + pid + "}", "0");
    }
    void sessionUpdate()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, yields);
        const auto update = SessionStatusUpdate::decode(json);
        QCOMPARE(bool(update), yields != "-");
        const auto instance = update ? makeSessionInstance(*update) : std::nullopt;
        QCOMPARE(bool(instance), update && yields != "update");
        if (instance)
            QCOMPARE(QString::number(update->claude_pid.value_or(0)), yields);
    }
    void sessionTimestamp_data()
    {
        QTest::addColumn<QDateTime>("expected"); // invalid: the current time is used
        const QDateTime base(QDate(2025, 1, 15), QTime(10, 30, 45), Qt::UTC);
        QTest::newRow("2025-01-15T10:30:45.123Z") << base.addMSecs(123);
        QTest::newRow("2025-01-15T10:30:45+02:00") << base.addSecs(-7200);
        QTest::newRow("2025-01-15T10:30:45.5-01:30") << base.addSecs(5400).addMSecs(500);
        QTest::newRow("2025-01-15T10:30:45.123456Z") << base.addMSecs(123);
        QTest::newRow("2025-01-15 10:30:45") << QDateTime();
        QTest::newRow("2025-01-15T10:30:45") << QDateTime();
    }
    void sessionTimestamp()
    {
        QFETCH(QDateTime, expected);
        const QDateTime now(QDate(2030, 6, 1), QTime(12, 0), Qt::UTC);
        const QString timestamp = QTest::currentDataTag();
        const auto instance = makeSessionInstance({"a", "needs_input", {}, {}, {}, timestamp, {}}, now);
        QCOMPARE(instance.value().lastUpdate, expected.isValid() ? expected : now);
    }
};

QTEST_GUILESS_MAIN(TestStatusRecords)
#include "tst_statusrecords.moc"

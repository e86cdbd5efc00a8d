#include "ClaudeSessionRegistry.h"
#include "InternetDateTime.h"
#include "LogCapture.h"
#include "MultiSessionManager.h"
#include "TestFiles.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;
using enum ProcessLiveness::State;
using Verdict = ClaudeSessionRegistry::Verdict;

class TestClaudeSessionRegistry : public QObject
{
    Q_OBJECT
private slots:
    void shownStatus_data()
    {
        // A sample with changed fields (null removes one; a patch that is not an object replaces the file),
        // our hook's last state and its time against the file's last change; "-": the file is not read.
        QTest::addColumn<QString>("sample");
        QTest::addColumn<QByteArray>("patch");
        QTest::addColumn<QString>("hook");
        QTest::addColumn<int>("hookLaterMs");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* tag, const char* sample, const char* patch, const char* hook,
                            int later, const char* shown) {
            QTest::newRow(tag) << QString(sample) << QByteArray(patch) << QString(hook) << later
                               << QString(shown);
        };
        row("thinking before the first tool", "busy", "{}", "idle", 0, "working");
        row("approved tool runs long, late permission notice", "busy", "{}", "needs_input", 900, "working");
        row("Esc in a tool", "shell", "{}", "working", 0, "working");
        row("permission or plan dialog", "waiting.permission-prompt", "{}", "working", -100, "needs_input");
        row("question dialog", "waiting.input-needed", "{}", "working", 0, "needs_input");
        row("unknown waitingFor", "waiting.input-needed", "{\"waitingFor\":\"a sign\"}", "idle", 0,
            "needs_input");
        row("Stop hook after the prompt: celebration", "idle", "{}", "completed", 300, "completed");
        row("prompt after an old completion", "idle", "{}", "completed", -300, "idle");
        row("Esc during a reply", "idle", "{}", "working", 300, "idle");
        row("permission rejected", "idle", "{}", "needs_input", 300, "idle");
        row("only updatedAt", "idle", "{\"statusUpdatedAt\":null}", "completed", 300, "completed");
        row("no times", "idle", "{\"statusUpdatedAt\":null,\"updatedAt\":null}", "completed", 300, "idle");
        row("starting: no status", "starting", "{}", "working", 0, "");
        row("unknown status", "busy", "{\"status\":\"sleeping\"}", "working", 0, "");
        row("status of another type", "busy", "{\"status\":1}", "working", 0, "");
        row("no sessionId", "busy", "{\"sessionId\":null}", "idle", 0, "-");
        row("pid as text", "busy", "{\"pid\":\"7803\"}", "idle", 0, "-");
        row("pid 0", "busy", "{\"pid\":0}", "idle", 0, "-");
        row("not an object", "busy", "[1]", "idle", 0, "-");
        row("cut short", "busy", "{\"pid\":7803,\"sessionId\":\"x", "idle", 0, "-");
    }
    void shownStatus()
    {
        QFETCH(QString, sample);
        QFETCH(QByteArray, patch);
        QFETCH(QString, hook);
        QFETCH(int, hookLaterMs);
        QFETCH(QString, shown);
        const auto record = ClaudeSessionRecord::parse(
            QJsonDocument::fromJson(patch).isObject() ? sampleWith(sample, patch) : patch);
        QCOMPARE(!record, shown == "-");
        if (!record)
            return;
        const QDateTime hookTime = record->statusChangedAt().addMSecs(hookLaterMs);
        const auto status = record->shownStatus(*claudeStatusFromText(hook), hookTime);
        QCOMPARE(status ? claudeStatusText(*status) : QString(), shown);
    }
    void judgeProcess()
    {
        // The file's start time and the one read from /proc (-1: none), and whether the pid is ours.
        using Case = std::tuple<const char*, int, ProcessLiveness::State, int, bool, Verdict>;
        const auto ticks = [](int t) { return t < 0 ? std::nullopt : std::optional<quint64>(t); };
        for (const auto& [what, recorded, state, actual, trusted, verdict] : std::initializer_list<Case>{
                 {"running, same start", 5, running, 5, false, Verdict::alive},
                 {"pid reused", 5, running, 6, true, Verdict::replaced},
                 {"other start, other namespace", 5, running, 6, false, Verdict::unknown},
                 {"start unreadable", 5, running, -1, true, Verdict::unknown},
                 {"exited", 5, exited, -1, true, Verdict::exited},
                 {"exited, other namespace", 5, exited, -1, false, Verdict::unknown},
                 {"no procStart in the file", -1, exited, -1, true, Verdict::unknown},
                 {"probe cannot tell", 5, unknown, 5, true, Verdict::unknown}})
            QVERIFY2(ClaudeSessionRegistry::judgeProcess(ticks(recorded), state, ticks(actual), trusted) ==
                         verdict,
                     what);
    }
    void folder()
    {
        for (const QByteArray name :
             {"0.json", "07803.json", "7803.json.tmp", "x7803.json", "99999999999.json"})
            QVERIFY2(!ClaudeSessionRegistry::pidFromFileName(name), name);
        QCOMPARE(ClaudeSessionRegistry::defaultDirectory("/h", "/cfg"), "/cfg/sessions");
        QTemporaryDir home;
        const QString dir = ClaudeSessionRegistry::defaultDirectory(home.path());
        QVERIFY(dir == home.filePath(".claude/sessions") && QDir().mkpath(dir));
        m_processes = {{101, {running, 5}}, {102, {exited, 0}}, {103, {exited, 0}}, {104, {running, 9}}};
        write(dir, "101", 101, "A", "5");
        write(dir, "102", 102, "B", "6", "linux:x:pid:[77]"); // left behind by kill -9, in our namespace
        write(dir, "103", 103, "E", "7");                     // dead, namespace unknown: says nothing
        write(dir, "104", 105, "F", "9");                     // names another pid
        for (const char* foreign : {"keys", "101.json", "0101"})
            write(dir, foreign, 101, "X", "5");
        ClaudeSessionRegistry registry(dir, 1h, view());
        QSignalSpy ended(&registry, &ClaudeSessionRegistry::sessionEnded);
        const auto endings = [&ended] {
            QStringList lines;
            for (const QList<QVariant>& args : std::as_const(ended))
                lines << args[0].toString() + ' ' + args[1].toString() + ' ' + args[2].toString();
            ended.clear();
            return lines;
        };
        registry.scan();
        QCOMPARE(endings(), QStringList{"B 102 Claude Code process 102 has exited"});
        QVERIFY(registry.recordFor("A") && !registry.recordFor("E") && !registry.recordFor("F") &&
                !registry.recordFor("X") && !registry.endReason("B", 7) &&
                registry.endReason("B", std::nullopt));
        QVERIFY(TestFiles::rewriteInPlace(dir + "/101.json", "{\"pid\":1")); // caught half written
        registry.scan();
        QVERIFY(registry.recordFor("A") && endings().isEmpty());
        write(dir, "101", 101, "C", "5"); // /clear
        registry.scan();
        QCOMPARE(endings(), QStringList{"A 101 Claude Code process 101 moved on to session C"});
        QVERIFY(registry.recordFor("C"));
        m_processes[101] = {running, 77};
        registry.scan();
        registry.scan(); // said once
        QCOMPARE(endings(), QStringList{"C 101 Claude Code process 101 was replaced by another process"});
        write(dir, "104", 104, "D", "9");
        registry.scan();
        QVERIFY(QFile::remove(dir + "/104.json"));
        registry.scan();
        QCOMPARE(endings(), QStringList{"D 104 Claude Code process 104 removed its session file"});
    }
    void throughTheManager()
    {
        QTemporaryDir home;
        const QString id = "fedefcd1-c878-4433-9b8b-8a73a1099862",
                      clientDir = home.filePath(".claude/sessions");
        const QString sessions = MultiSessionManager::defaultSessionsDirectory(home.path()),
                      hookFile = sessions + '/' + id + ".json";
        QVERIFY(QDir().mkpath(sessions) && QDir().mkpath(clientDir));
        m_processes = {{7803, {running, 181477}}, {9999, {exited, 0}}};
        const QDateTime t = QDateTime::currentDateTimeUtc();
        const auto hook = [&](const char* status, qint64 later) {
            const QString json =
                "{\"session_id\":\"%1\",\"status\":\"%2\",\"cwd\":\"/w/proj\",\"timestamp\":\"%3\"}";
            QVERIFY(TestFiles::replaceByRename(
                hookFile,
                json.arg(id, status, InternetDateTime::formatWithMilliseconds(t.addMSecs(later))).toUtf8()));
        };
        const auto client = [&](const char* sample, qint64 later) {
            const auto ms = QString::number(t.addMSecs(later).toMSecsSinceEpoch()).toUtf8();
            QVERIFY(TestFiles::replaceByRename(
                clientDir + "/7803.json",
                sampleWith(sample, "{\"pid\":7803,\"procStart\":\"181477\",\"sessionId\":\"" + id.toUtf8() +
                                       "\",\"statusUpdatedAt\":" + ms + "}")));
        };
        hook("working", 0);
        client("waiting.permission-prompt", 100);
        write(clientDir, "9999", 9999, "left", "3", "linux:x:pid:[77]"); // killed before we started
        QVERIFY(TestFiles::replaceByRename(
            sessions + "/left.json", "{\"session_id\":\"left\",\"status\":\"working\",\"timestamp\":\"\"}"));
        LogCapture log;
        MultiSessionManager manager(sessions, [] { return 5.0; }, {}, true, 3600, {20ms, 1h}, {});
        manager.setClaudeSessionRegistry(std::make_unique<ClaudeSessionRegistry>(clientDir, 20ms, view()));
        manager.startMonitoring();
        const auto status = [&] { return manager.instances().value(id).status; };
        QTRY_COMPARE(status(), ClaudeStatus::needsInput); // the dialog is up, no hook has said so yet
        QVERIFY(!QFileInfo::exists(sessions + "/left.json") &&
                log.countStartingWith("➕ Session added: left") == 0);
        client("busy", 200); // approved
        QTRY_COMPARE(status(), ClaudeStatus::working);
        QCOMPARE(log.count("🔄 Session fedefcd1: Claude Code shows busy → Working..."), 1);
        client("idle", 300);
        hook("completed", 400); // the Stop hook after the prompt came back
        QTRY_VERIFY(status() == ClaudeStatus::completed && manager.isCelebrationPending(id));
        manager.setStaleTimeout(0.001); // no hook for a while: its running process still keeps it
        QTest::qWait(10);
        manager.checkStaleSessions();
        QVERIFY(manager.instances().contains(id));
        m_processes[7803] = {exited, 0}; // kill -9: the file stays behind
        QTRY_VERIFY(!manager.instances().contains(id));
        QVERIFY(!QFileInfo::exists(hookFile) && QFileInfo::exists(clientDir + "/7803.json"));
        QCOMPARE(log.count("🗑️ Removing session fedefcd1: Claude Code process 7803 has exited"), 1);
    }

private:
    // A sample of the real client with fields changed; a null value removes the field.
    static QByteArray sampleWith(const QString& sample, const QByteArray& patch)
    {
        QFile file(QStringLiteral(TABBYWATCH_REGISTRY_SAMPLES "/%1.json").arg(sample));
        QJsonObject object =
            file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
        const QJsonObject changes = QJsonDocument::fromJson(patch).object();
        for (auto it = changes.begin(); it != changes.end(); ++it)
            it->isNull() ? void(object.remove(it.key())) : void(object.insert(it.key(), *it));
        return QJsonDocument(object).toJson();
    }
    static void write(const QString& dir, const QString& name, qint64 pid, const QString& id,
                      const QString& start, const QString& domain = {})
    {
        QJsonObject patch{{"pid", pid}, {"sessionId", id}, {"procStart", start}, {"pidDomain", QJsonValue()}};
        if (!domain.isEmpty())
            patch.insert("pidDomain", domain);
        QVERIFY(TestFiles::replaceByRename(dir + '/' + name + ".json",
                                           sampleWith("busy", QJsonDocument(patch).toJson())));
    }
    ProcessView view()
    {
        return {[this](qint64 pid) {
                    return m_processes.value(pid, {unknown, 0}).first;
                },
                [this](qint64 pid) { return std::optional<quint64>(m_processes.value(pid).second); },
                "pid:[77]"};
    }

    QHash<qint64, std::pair<ProcessLiveness::State, quint64>> m_processes;
};

QTEST_GUILESS_MAIN(TestClaudeSessionRegistry)
#include "tst_claudesessionregistry.moc"

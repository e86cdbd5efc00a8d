#include "LogCapture.h"
#include "MultiSessionManager.h"
#include "TestFiles.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;

class TestMultiSessionManager : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        m_dir = MultiSessionManager::defaultSessionsDirectory(m_home->path());
        m_celebration = 5.0;
        m_skins = {QUuid::createUuid(), QUuid::createUuid(), QUuid::createUuid()};
        m_processes.clear();
    }
    void startRetryOrderNumbersAndFocus();
    void numbering_data();
    void numbering();
    void focusSkinsRemovalAndDismissal();
    void celebrations();
    void dismissalNeverLeavesTheFolder_data();
    void dismissalNeverLeavesTheFolder();
    void staleSweep();

private:
    // Returns a manager that has already been told to start monitoring.
    std::unique_ptr<MultiSessionManager> makeManager(double staleTimeout = 3600, bool multi = true,
                                                     std::chrono::milliseconds sweep = 1h)
    {
        auto manager = std::make_unique<MultiSessionManager>(
            m_dir, [this] { return m_celebration; },
            [this] { return m_skins.isEmpty() ? std::nullopt : std::optional(m_skins.takeFirst()); }, multi,
            staleTimeout, MultiSessionTiming{20ms, sweep},
            [this](qint64 pid) { return m_processes.value(pid, ProcessLiveness::State::unknown); });
        manager->startMonitoring();
        return manager;
    }
    void write(const QString& id, const QString& status, const QString& cwd = "/w/api", qint64 pid = 0)
    {
        QJsonObject object{
            {"session_id", id}, {"status", status}, {"cwd", cwd}, {"timestamp", "2025-01-15T10:30:45Z"}};
        if (pid > 0)
            object.insert("claude_pid", pid);
        QVERIFY(QDir().mkpath(m_dir));
        QVERIFY(TestFiles::replaceByRename(file(id), QJsonDocument(object).toJson(QJsonDocument::Compact)));
    }
    QString file(const QString& id) const { return m_dir + u'/' + id + ".json"; }

    std::unique_ptr<QTemporaryDir> m_home;
    QString m_dir;
    double m_celebration = 5.0;
    QList<QUuid> m_skins;
    QHash<qint64, ProcessLiveness::State> m_processes;
};

void TestMultiSessionManager::startRetryOrderNumbersAndFocus()
{
    const QList<QUuid> skins = m_skins;
    // A file where the .tabbywatch folder should be.
    QVERIFY(TestFiles::replaceByRename(m_home->filePath(".tabbywatch"), "x"));
    LogCapture log;
    auto manager = makeManager(3600, false); // multi-instance mode stored as off
    QVERIFY(!manager->isMonitoring());
    QCOMPARE(log.countStartingWith("❌ Failed to start directory monitor: cannotCreateDirectory("), 1);

    QVERIFY(QFile::remove(m_home->filePath(".tabbywatch")));
    write("a", "idle");
    write("b", "working", "/w/api/");
    log.clear();
    manager->startMonitoring();
    QCOMPARE(log.lines().mid(0, 3), (QStringList{"🐱 Starting multi-instance monitoring",
                                                 "🔄 Rescan triggered - clearing 2 known sessions",
                                                 "✅ Started monitoring sessions: " + m_dir}));
    QTRY_COMPARE(manager->instancesVersion(), 2);
    QCOMPARE(manager->orderedSessionIds(), (QStringList{"b", "a"}));
    QCOMPARE(manager->focusedSessionId(), "a");
    QCOMPARE(manager->instances().value("b").displayName(), QStringLiteral("api (2)"));
    QCOMPARE(manager->instances().value("a").selectedSkinId, skins[0]);
    QCOMPARE(manager->instances().value("b").selectedSkinId, skins[1]);
    for (const char* line :
         {"🔢 Assigned session number 1 to a in folder 'api'", "➕ Session added: a - api | Total: 1",
          "🔢 Assigned session number 2 to b in folder 'api'", "➕ Session added: b - api (2) | Total: 2"})
        QCOMPARE(log.count(line), 1);

    // One cat for all until the preferences store switches the mode on.
    QVERIFY(manager->usesSingleCatView());
    QSignalSpy singleChanged(manager.get(), &MultiSessionManager::usesSingleCatViewChanged);
    manager->setMultiInstanceEnabled(true);
    QVERIFY(!manager->usesSingleCatView());
    QCOMPARE(singleChanged.count(), 1);

    log.clear();
    manager->startMonitoring();
    QCOMPARE(log.lines(), QStringList{"⏭️ MultiSessionManager already monitoring, skipping"});
}

void TestMultiSessionManager::numbering_data()
{
    // Steps: "+id cwd" writes a session file, "-id" deletes it; each is applied before the next.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("lastLabel");
    QTest::newRow("a freed low number is not reused")
        << QStringList{"+a /w/api", "+b /w/api", "-a", "+c /w/api"} << "api (3)";
    QTest::newRow("an emptied folder starts again")
        << QStringList{"+a /w/api", "+b /w/api", "-a", "-b", "+c /w/api"} << "api";
    QTest::newRow("same last component, other parent") << QStringList{"+a /x/api", "+b /y/api"} << "api (2)";
    QTest::newRow("other folder") << QStringList{"+a /w/api", "+b /w/web"} << "web";
    QTest::newRow("no folder") << QStringList{"+a ", "+b "} << "Session (2)";
}

void TestMultiSessionManager::numbering()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, lastLabel);
    auto manager = makeManager();
    QString id;
    for (const QString& step : steps) {
        id = step.mid(1).section(u' ', 0, 0);
        if (step.startsWith(u'+'))
            write(id, "idle", step.section(u' ', 1));
        else
            QVERIFY(QFile::remove(file(id)));
        QTRY_COMPARE(manager->instances().contains(id), step.startsWith(u'+'));
    }
    QCOMPARE(manager->instances().value(id).displayName(), lastLabel); // every row ends with an addition
}

void TestMultiSessionManager::focusSkinsRemovalAndDismissal()
{
    LogCapture log;
    auto manager = makeManager();
    QCOMPARE(log.count("📁 Created sessions directory: " + m_dir), 1);
    QSignalSpy singleChanged(manager.get(), &MultiSessionManager::usesSingleCatViewChanged);
    for (const QString id : {"a", "b", "c"}) {
        QVERIFY(manager->usesSingleCatView() == (id != "c")); // none, then one, then two sessions
        write(id, "idle");
        QTRY_VERIFY(manager->instances().contains(id));
    }
    QCOMPARE(singleChanged.count(), 1);
    QCOMPARE(manager->focusedSessionId(), "a");
    log.clear();
    manager->focusSession("gone");
    manager->updateSkin("gone", QUuid::createUuid());
    QCOMPARE(manager->focusedSessionId(), "a");
    QVERIFY(log.lines().isEmpty());

    // An update, even to another folder, keeps the chosen skin and the number.
    const QUuid chosen = QUuid::createUuid();
    manager->updateSkin("b", chosen);
    QCOMPARE(log.lines(), QStringList{"🎨 Updated skin for session b to " +
                                      chosen.toString(QUuid::WithoutBraces).toUpper()});
    write("b", "working", "/elsewhere/web");
    QTRY_COMPARE(manager->instances().value("b").status, ClaudeStatus::working);
    QCOMPARE(log.count("🔄 Session updated: b - Working..."), 1);
    QCOMPARE(manager->instances().value("b").sessionNumber, 2);
    QCOMPARE(manager->instances().value("b").selectedSkinId, chosen);

    // The focused file vanishes: focus goes to the newest remaining session.
    manager->focusSession("b");
    QVERIFY(QFile::remove(file("b")));
    QTRY_COMPARE(manager->focusedSessionId(), "c");
    QCOMPARE(log.count("➖ Session removed: b | Remaining: 2"), 1);

    // A dismissal drops the session at once and deletes its file; the monitor then reports the removal.
    manager->dismissSession("c");
    QCOMPARE(manager->orderedSessionIds(), QStringList{"a"});
    QCOMPARE(manager->instances().keys(), QStringList{"a"});
    QCOMPARE(manager->focusedSessionId(), "a");
    QCOMPARE(singleChanged.count(), 2);
    QVERIFY(!QFileInfo::exists(file("c")));
    QTRY_COMPARE(log.count("➖ Session removed: c | Remaining: 1"), 1);
    QCOMPARE(log.count("🔢 Removed session number tracking for c from folder 'api'"), 1);

    // The hook writes the file again before the monitor saw it gone: the update for a session the manager
    // no longer has must bring it back as a cat, not as a record that no view shows.
    manager->dismissSession("a");
    write("a", "working");
    QTRY_COMPARE(manager->instances().value("a").status, ClaudeStatus::working);
    QCOMPARE(manager->orderedSessionIds(), QStringList{"a"});
    QCOMPARE(manager->focusedSessionId(), "a");
    QCOMPARE(manager->instances().value("a").sessionNumber, 1);

    QVERIFY(QFile::remove(file("a")));
    QTRY_VERIFY(manager->instances().isEmpty());
    QVERIFY(!manager->focusedSessionId());
    manager->setMultiInstanceEnabled(false); // changes nothing without sessions
    QCOMPARE(singleChanged.count(), 2);
}

void TestMultiSessionManager::celebrations()
{
    m_celebration = 0.05;
    write("done", "completed");
    LogCapture log;
    const QDateTime started = QDateTime::currentDateTimeUtc();
    auto manager = makeManager();
    QTRY_COMPARE(log.count("🎉 Celebration complete for done, returning to idle"), 1);
    QCOMPARE(manager->instances().value("done").status, ClaudeStatus::idle);
    QVERIFY(manager->instances().value("done").lastUpdate >= started);
    QCOMPARE(log.count("⏱️ Starting celebration timer for done (0.05s)"), 1);

    // A new state before the timer fires cancels it.
    m_celebration = 5;
    write("done", "working");
    QTRY_COMPARE(manager->instances().value("done").status, ClaudeStatus::working);
    write("done", "completed");
    QTRY_VERIFY(manager->isCelebrationPending("done"));
    QCOMPARE(log.count("⏱️ Starting celebration timer for done (5.0s)"), 1);
    write("done", "needs_input");
    QTRY_COMPARE(manager->instances().value("done").status, ClaudeStatus::needsInput);
    QVERIFY(!manager->isCelebrationPending("done"));
    QCOMPARE(log.count("⏱️ Cancelling celebration timer for done"), 1);

    // Without a duration the session stays completed until its file says otherwise.
    m_celebration = 0;
    write("done", "completed");
    QTRY_COMPARE(log.count("⏱️ Celebration auto-transition disabled for done"), 1);
    QTest::qWait(100);
    QCOMPARE(manager->instances().value("done").status, ClaudeStatus::completed);
}

void TestMultiSessionManager::dismissalNeverLeavesTheFolder_data()
{
    // The id handed to the dismissal, and the file that a path built from it would name.
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("victim");
    const QString inTabbywatch = ".tabbywatch/victim.json", inHome = "victim.json";
    QTest::newRow("parent folder") << "../victim" << inTabbywatch;
    QTest::newRow("home") << "../../victim" << inHome;
    QTest::newRow("down and up") << "x/../../victim" << inTabbywatch;
    QTest::newRow("reserved name") << "_index" << QString(".tabbywatch/sessions/_index.json");
    QTest::newRow("absolute") << "<home>/victim" << inHome;
}

void TestMultiSessionManager::dismissalNeverLeavesTheFolder()
{
    QFETCH(QString, id);
    QFETCH(QString, victim);
    id.replace("<home>", m_home->path());
    const QString victimPath = m_home->filePath(victim);
    QVERIFY(QDir().mkpath(QFileInfo(victimPath).path()));
    QVERIFY(QDir().mkpath(m_dir));
    QVERIFY(TestFiles::replaceByRename(victimPath, "keep"));
    // A record carrying the crafted id never becomes a session, so no view can hand it back.
    QVERIFY(TestFiles::replaceByRename(
        file("crafted"),
        QJsonDocument(QJsonObject{{"session_id", id}, {"status", "idle"}, {"timestamp", "x"}}).toJson()));
    // A link in the folder that points at the victim.
    QVERIFY(QFile::link(victimPath, file("link")));
    LogCapture log;
    auto manager = makeManager();
    QTest::qWait(100);
    QVERIFY(manager->instances().isEmpty());

    manager->dismissSession(id);
    QCOMPARE(log.count("⚠️ Not deleting a session file for an invalid session id"), 1);
    manager->dismissSession("link");           // removes the link itself
    QCOMPARE(QFileInfo(victimPath).size(), 4); // still there, "keep"
    QVERIFY(!QFileInfo(file("link")).isSymLink());
}

void TestMultiSessionManager::staleSweep()
{
    for (const qint64 pid : {qint64(0), qint64(-5), qint64(1) << 40})
        QCOMPARE(ProcessLiveness::probe(pid), ProcessLiveness::State::unknown);
    QCOMPARE(ProcessLiveness::probe(::getpid()), ProcessLiveness::State::running);
    // A child that has exited but is not reaped yet is gone all the same.
    const pid_t zombie = ::fork();
    if (zombie == 0)
        ::_exit(0);
    QVERIFY(zombie > 0);
    QTRY_COMPARE(ProcessLiveness::probe(zombie), ProcessLiveness::State::exited);
    QCOMPARE(::waitpid(zombie, nullptr, 0), zombie);
    QCOMPARE(ProcessLiveness::probe(zombie), ProcessLiveness::State::exited);

    // The manager asks the probe that it was given; the real one is checked above.
    m_processes = {{101, ProcessLiveness::State::running},
                   {102, ProcessLiveness::State::running},
                   {103, ProcessLiveness::State::exited}};
    write("live", "idle", "/w/api", 101);
    write("never", "idle", "/w/api", 103); // never seen running: maybe not a process of ours
    write("old", "working");
    write("fresh", "working");
    std::filesystem::last_write_time(QFile::encodeName(file("old")).toStdString(),
                                     std::filesystem::file_time_type::clock::now() - 1h);
    LogCapture log;
    auto manager = makeManager(0, true, 20ms); // no timeout at all until one is set
    QTRY_COMPARE(manager->instances().size(), 4);

    // Resumed in a new process with the same state: only the new process counts.
    write("live", "idle", "/w/api", 102);
    QTest::qWait(300); // many polls: nothing is reported, the new id is only recorded
    m_processes[101] = ProcessLiveness::State::exited;
    QTest::qWait(200);
    QCOMPARE(manager->instances().size(), 4);

    m_processes[102] = ProcessLiveness::State::exited;
    QTRY_VERIFY(!manager->instances().contains("live"));
    QCOMPARE(log.count("🗑️ Removing stale session live: Claude Code process 102 has exited"), 1);
    QVERIFY(!QFileInfo::exists(file("live")));
    QTest::qWait(100);
    // Reported once, not again when the monitor sees the file gone.
    QCOMPARE(log.countStartingWith("➖ Session removed: live"), 1);

    manager->setStaleTimeout(600);
    QTRY_VERIFY(!manager->instances().contains("old"));
    QCOMPARE(log.count("🗑️ Removing stale session old: no update within 600 s"), 1);
    QVERIFY(!QFileInfo::exists(file("old")));
    QVERIFY(manager->instances().contains("never"));

    // Every write of the hook counts as an update, also when the state stays the same.
    manager->setStaleTimeout(1);
    for (int i = 0; i < 15; ++i) {
        write("fresh", "working");
        QTest::qWait(100);
        QVERIFY(manager->instances().contains("fresh"));
    }
    QVERIFY(!manager->instances().contains("never"));
    QTRY_VERIFY(!manager->instances().contains("fresh"));
}

QTEST_GUILESS_MAIN(TestMultiSessionManager)
#include "tst_multisessionmanager.moc"

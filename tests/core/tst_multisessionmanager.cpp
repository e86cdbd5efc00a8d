#include "LogCapture.h"
#include "MultiSessionManager.h"
#include "TestFiles.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;

class TestMultiSessionManager : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void startOrderNumbersAndFocus();
    void startFailureAndRetry();
    void numbering_data();
    void numbering();
    void focusFollowsRemovals();
    void celebrations();
    void updateKeepsSkinAndNumber();
    void usesSingleCatView_data();
    void usesSingleCatView();
    void dismissal();
    void dismissalNeverLeavesTheFolder_data();
    void dismissalNeverLeavesTheFolder();
    void fileRewrittenRightAfterDismissalComesBack();
    void processLiveness();
    void sweepFollowsTheClaudeProcess();
    void sweepTimeout();

private:
    std::unique_ptr<MultiSessionManager> makeManager(double staleTimeout = 3600, bool multi = true,
                                                     std::chrono::milliseconds sweep = 1h);
    void write(const QString& id, const QString& status, const QString& cwd = "/w/api", qint64 pid = 0);
    QString file(const QString& id) const { return m_dir + u'/' + id + ".json"; }

    std::unique_ptr<QTemporaryDir> m_home;
    QString m_dir;
    double m_celebration = 5.0;
    QList<QUuid> m_skins;
};

void TestMultiSessionManager::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    m_dir = MultiSessionManager::defaultSessionsDirectory(m_home->path());
    m_celebration = 5.0;
    m_skins = {QUuid::createUuid(), QUuid::createUuid(), QUuid::createUuid()};
}

std::unique_ptr<MultiSessionManager> TestMultiSessionManager::makeManager(double staleTimeout, bool multi,
                                                                          std::chrono::milliseconds sweep)
{
    return std::make_unique<MultiSessionManager>(
        m_dir, [this] { return m_celebration; },
        [this]() -> std::optional<QUuid> {
            if (m_skins.isEmpty())
                return std::nullopt;
            return m_skins.takeFirst();
        },
        multi, staleTimeout, MultiSessionTiming{20ms, sweep});
}

void TestMultiSessionManager::write(const QString& id, const QString& status, const QString& cwd, qint64 pid)
{
    QJsonObject object{
        {"session_id", id}, {"status", status}, {"cwd", cwd}, {"timestamp", "2025-01-15T10:30:45Z"}};
    if (pid > 0)
        object.insert("claude_pid", pid);
    QVERIFY(QDir().mkpath(m_dir));
    QVERIFY(TestFiles::replaceByRename(file(id), QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

void TestMultiSessionManager::startOrderNumbersAndFocus()
{
    write("a", "idle");
    write("b", "working", "/w/api/");
    const QList<QUuid> skins = m_skins;
    LogCapture log;
    auto manager = makeManager();
    manager->startMonitoring();
    QCOMPARE(log.lines().mid(0, 3), (QStringList{"🐱 Starting multi-instance monitoring",
                                                 "🔄 Rescan triggered - clearing 2 known sessions",
                                                 "✅ Started monitoring sessions: " + m_dir}));
    QTRY_COMPARE(manager->instancesVersion(), 2);
    QCOMPARE(manager->orderedSessionIds(), (QStringList{"b", "a"}));
    QCOMPARE(manager->focusedSessionId(), "a");
    const SessionInstance a = manager->instances().value("a");
    const SessionInstance b = manager->instances().value("b");
    QCOMPARE(a.sessionNumber, 1);
    QCOMPARE(b.displayName(), QStringLiteral("api (2)"));
    QCOMPARE(a.selectedSkinId, skins[0]);
    QCOMPARE(b.selectedSkinId, skins[1]);
    for (const char* line :
         {"🔢 Assigned session number 1 to a in folder 'api'", "➕ Session added: a - api | Total: 1",
          "🔢 Assigned session number 2 to b in folder 'api'", "➕ Session added: b - api (2) | Total: 2"})
        QCOMPARE(log.count(line), 1);

    log.clear();
    manager->startMonitoring();
    QCOMPARE(log.lines(), QStringList{"⏭️ MultiSessionManager already monitoring, skipping"});
}

void TestMultiSessionManager::startFailureAndRetry()
{
    // A file where the .tabbywatch folder should be.
    QVERIFY(TestFiles::replaceByRename(m_home->filePath(".tabbywatch"), "x"));
    LogCapture log;
    auto manager = makeManager();
    manager->startMonitoring();
    QVERIFY(!manager->isMonitoring());
    QCOMPARE(log.countStartingWith("❌ Failed to start directory monitor: cannotCreateDirectory("), 1);

    QVERIFY(QFile::remove(m_home->filePath(".tabbywatch")));
    manager->startMonitoring();
    QVERIFY(manager->isMonitoring());
    QCOMPARE(log.count("📁 Created sessions directory: " + m_dir), 1);
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
    manager->startMonitoring();
    QString last;
    for (const QString& step : steps) {
        const QString id = step.mid(1).section(u' ', 0, 0);
        if (step.startsWith(u'+')) {
            write(id, "idle", step.section(u' ', 1));
            QTRY_VERIFY(manager->instances().contains(id));
            last = id;
        } else {
            QVERIFY(QFile::remove(file(id)));
            QTRY_VERIFY(!manager->instances().contains(id));
        }
    }
    QCOMPARE(manager->instances().value(last).displayName(), lastLabel);
}

void TestMultiSessionManager::focusFollowsRemovals()
{
    auto manager = makeManager();
    manager->startMonitoring();
    for (const char* id : {"a", "b", "c"}) {
        write(id, "idle");
        QTRY_VERIFY(manager->instances().contains(id));
    }
    QCOMPARE(manager->focusedSessionId(), "a");
    LogCapture log;
    manager->focusSession("gone");
    manager->updateSkin("gone", QUuid::createUuid());
    QCOMPARE(manager->focusedSessionId(), "a");
    QVERIFY(log.lines().isEmpty());

    manager->focusSession("b");
    QVERIFY(QFile::remove(file("b")));
    QTRY_COMPARE(manager->focusedSessionId(), "c"); // the newest remaining
    QCOMPARE(log.count("➖ Session removed: b | Remaining: 2"), 1);
    QVERIFY(QFile::remove(file("c")) && QFile::remove(file("a")));
    QTRY_VERIFY(manager->instances().isEmpty());
    QVERIFY(!manager->focusedSessionId());
}

void TestMultiSessionManager::celebrations()
{
    m_celebration = 0.05;
    write("done", "completed");
    auto manager = makeManager();
    LogCapture log;
    const QDateTime started = QDateTime::currentDateTimeUtc();
    manager->startMonitoring();
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

void TestMultiSessionManager::updateKeepsSkinAndNumber()
{
    auto manager = makeManager();
    manager->startMonitoring();
    write("a", "idle");
    QTRY_VERIFY(manager->instances().contains("a"));
    write("b", "idle");
    QTRY_VERIFY(manager->instances().contains("b"));
    const QUuid chosen = QUuid::createUuid();
    LogCapture log;
    manager->updateSkin("b", chosen);
    QCOMPARE(log.lines(), QStringList{"🎨 Updated skin for session b to " +
                                      chosen.toString(QUuid::WithoutBraces).toUpper()});

    write("b", "working", "/elsewhere/web");
    QTRY_COMPARE(manager->instances().value("b").status, ClaudeStatus::working);
    QCOMPARE(log.count("🔄 Session updated: b - Working..."), 1);
    const SessionInstance b = manager->instances().value("b");
    QCOMPARE(b.cwd, QStringLiteral("/elsewhere/web"));
    QCOMPARE(b.sessionNumber, 2);
    QCOMPARE(b.selectedSkinId, chosen);
}

void TestMultiSessionManager::usesSingleCatView_data()
{
    QTest::addColumn<bool>("multi");
    QTest::addColumn<int>("sessions");
    QTest::addColumn<bool>("single");
    QTest::newRow("stored off, many sessions") << false << 3 << true;
    QTest::newRow("on, none") << true << 0 << true;
    QTest::newRow("on, one") << true << 1 << true;
    QTest::newRow("on, two") << true << 2 << false;
}

void TestMultiSessionManager::usesSingleCatView()
{
    QFETCH(bool, multi);
    QFETCH(int, sessions);
    QFETCH(bool, single);
    for (int i = 0; i < sessions; ++i)
        write(QString::number(i), "idle");
    auto manager = makeManager(3600, multi);
    manager->startMonitoring();
    QTRY_COMPARE(manager->instances().size(), sessions);
    QCOMPARE(manager->usesSingleCatView(), single);
    // The preferences store pushes every change.
    QSignalSpy changed(manager.get(), &MultiSessionManager::usesSingleCatViewChanged);
    manager->setMultiInstanceEnabled(!multi);
    QCOMPARE(manager->usesSingleCatView(), multi || sessions < 2);
    QCOMPARE(changed.count(), sessions >= 2 ? 1 : 0);
}

void TestMultiSessionManager::dismissal()
{
    auto manager = makeManager();
    manager->startMonitoring();
    write("a", "idle");
    write("b", "idle");
    QTRY_COMPARE(manager->instances().size(), 2);
    LogCapture log;
    manager->dismissSession("a");
    QVERIFY(!manager->instances().contains("a"));
    QCOMPARE(manager->orderedSessionIds(), QStringList{"b"});
    QCOMPARE(manager->focusedSessionId(), "b");
    QVERIFY(!QFileInfo::exists(file("a")));
    QTRY_COMPARE(log.count("➖ Session removed: a | Remaining: 1"), 1);
    QCOMPARE(log.count("🔢 Removed session number tracking for a from folder 'api'"), 1);
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
    write("crafted", "idle");
    QVERIFY(TestFiles::rewriteInPlace(
        file("crafted"),
        QJsonDocument(QJsonObject{{"session_id", id}, {"status", "idle"}, {"timestamp", "x"}}).toJson()));
    // A link in the folder that points at the victim.
    QVERIFY(QFile::link(victimPath, file("link")));
    auto manager = makeManager();
    LogCapture log;
    manager->startMonitoring();
    QTest::qWait(100);
    QVERIFY(manager->instances().isEmpty());

    manager->dismissSession(id);
    QCOMPARE(log.count("⚠️ Not deleting a session file for an invalid session id"), 1);
    manager->dismissSession("link"); // removes the link itself
    QFile victimFile(victimPath);
    QVERIFY(victimFile.open(QIODevice::ReadOnly));
    QCOMPARE(victimFile.readAll(), QByteArray("keep"));
    QVERIFY(!QFileInfo(file("link")).isSymLink());
}

void TestMultiSessionManager::fileRewrittenRightAfterDismissalComesBack()
{
    auto manager = makeManager();
    manager->startMonitoring();
    write("a", "idle");
    QTRY_VERIFY(manager->instances().contains("a"));
    // The hook writes the file again before the monitor noticed the deletion: the monitor reports an
    // update for a session that the manager no longer has. It must come back as a cat, not as a record
    // that no view shows.
    manager->dismissSession("a");
    write("a", "working");
    QTRY_COMPARE(manager->instances().value("a").status, ClaudeStatus::working);
    QCOMPARE(manager->orderedSessionIds(), QStringList{"a"});
    QCOMPARE(manager->focusedSessionId(), "a");
    QCOMPARE(manager->instances().value("a").sessionNumber, 1);
}

void TestMultiSessionManager::processLiveness()
{
    QCOMPARE(ProcessLiveness::probe(0), ProcessLiveness::State::unknown);
    QCOMPARE(ProcessLiveness::probe(-5), ProcessLiveness::State::unknown);
    QCOMPARE(ProcessLiveness::probe(qint64(1) << 40), ProcessLiveness::State::unknown);
    QCOMPARE(ProcessLiveness::probe(::getpid()), ProcessLiveness::State::running);
    // A child that has exited but is not reaped yet is gone all the same.
    const pid_t zombie = ::fork();
    if (zombie == 0)
        ::_exit(0);
    QVERIFY(zombie > 0);
    QTRY_COMPARE(ProcessLiveness::probe(zombie), ProcessLiveness::State::exited);
    QCOMPARE(::waitpid(zombie, nullptr, 0), zombie);
    QCOMPARE(ProcessLiveness::probe(zombie), ProcessLiveness::State::exited);
}

void TestMultiSessionManager::sweepFollowsTheClaudeProcess()
{
    // Process ids are taken while running: QProcess forgets them once a process has finished.
    QProcess first, second, finished;
    QList<qint64> pids;
    for (QProcess* process : {&first, &second, &finished}) {
        process->start("sleep", {process == &finished ? "0" : "60"});
        QVERIFY(process->waitForStarted());
        pids.append(process->processId());
    }
    QVERIFY(finished.waitForFinished());
    write("live", "idle", "/w/api", pids[0]);
    write("never", "idle", "/w/api", pids[2]); // never seen running: maybe not a process of ours
    auto manager = makeManager(3600, true, 20ms);
    LogCapture log;
    manager->startMonitoring();
    QTRY_COMPARE(manager->instances().size(), 2);

    // Resumed in a new process with the same state: only the new process counts.
    write("live", "idle", "/w/api", pids[1]);
    QTest::qWait(300); // many polls: nothing is reported, the new id is only recorded
    first.kill();
    QVERIFY(first.waitForFinished());
    QTest::qWait(200);
    QCOMPARE(manager->instances().size(), 2);

    second.kill();
    QVERIFY(second.waitForFinished());
    QTRY_VERIFY(!manager->instances().contains("live"));
    QCOMPARE(
        log.count(QStringLiteral("🗑️ Removing stale session live: Claude Code process %1 has exited")
                      .arg(pids[1])),
        1);
    QVERIFY(!QFileInfo::exists(file("live")));
    QTest::qWait(100);
    // Reported once, not again when the monitor sees the file gone.
    QCOMPARE(log.countStartingWith("➖ Session removed: live"), 1);
    QVERIFY(manager->instances().contains("never"));
}

void TestMultiSessionManager::sweepTimeout()
{
    write("old", "working");
    write("fresh", "working");
    QFile old(file("old"));
    QVERIFY(old.open(QIODevice::ReadWrite));
    QVERIFY(
        old.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600), QFileDevice::FileModificationTime));
    old.close();
    // No timeout at all until one is set.
    auto manager = makeManager(0, true, 20ms);
    LogCapture log;
    manager->startMonitoring();
    QTRY_COMPARE(manager->instances().size(), 2);
    QTest::qWait(100);
    QCOMPARE(manager->instances().size(), 2);

    manager->setStaleTimeout(600);
    QTRY_VERIFY(!manager->instances().contains("old"));
    QCOMPARE(log.count("🗑️ Removing stale session old: no update within 600 s"), 1);
    QVERIFY(!QFileInfo::exists(file("old")));

    // Every write of the hook counts as an update, also when the state stays the same.
    manager->setStaleTimeout(1);
    for (int i = 0; i < 15; ++i) {
        write("fresh", "working");
        QTest::qWait(100);
        QVERIFY(manager->instances().contains("fresh"));
    }
    QTRY_VERIFY(!manager->instances().contains("fresh"));
}

QTEST_GUILESS_MAIN(TestMultiSessionManager)
#include "tst_multisessionmanager.moc"

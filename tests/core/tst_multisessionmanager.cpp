#include "LogCapture.h"
#include "MultiSessionManager.h"
#include "TestFiles.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <sys/stat.h>
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
        m_skins = {QUuid::createUuid(), QUuid::createUuid()};
        m_processes.clear();
    }
    void numbering_data()
    {
        // Steps: "+id cwd" writes a session file, "-id" deletes it; each is applied before the next.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("lastLabel");
        QTest::newRow("a freed low number is not reused")
            << QStringList{"+a /w/api", "+b /w/api", "-a", "+c /w/api"} << "api (3)";
        QTest::newRow("an emptied folder starts again")
            << QStringList{"+a /w/api", "+b /w/api", "-a", "-b", "+c /w/api"} << "api";
        QTest::newRow("same last component, other parent")
            << QStringList{"+a /x/api", "+b /y/api/"} << "api (2)";
        QTest::newRow("no folder") << QStringList{"+a ", "+b "} << "Session (2)";
    }
    void numbering()
    {
        QFETCH(QStringList, steps);
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
        QTEST(manager->instances().value(id).displayName(), "lastLabel"); // every row ends with an addition
    }
    void lifecycle()
    {
        // A file where the .tabbywatch folder should be: the start fails and can be tried again.
        QVERIFY(TestFiles::replaceByRename(m_home->filePath(".tabbywatch"), "x"));
        LogCapture log;
        m_celebration = 0.05;
        auto manager = makeManager();
        QCOMPARE(log.countStartingWith("❌ Failed to start directory monitor: cannotCreateDirectory("), 1);
        QVERIFY(!manager->isMonitoring() && QFile::remove(m_home->filePath(".tabbywatch")));
        write("a", "idle");
        write("b", "working", "/w/api/");
        const QList<QUuid> skins = m_skins;
        manager->startMonitoring();
        QTRY_COMPARE(manager->instancesVersion(), 2);
        QCOMPARE(manager->orderedSessionIds(), (QStringList{"b", "a"}));
        QCOMPARE(manager->focusedSessionId(), "a");
        QCOMPARE(manager->instances().value("b").selectedSkinId, skins[1]);
        QCOMPARE(log.count("➕ Session added: b - api (2) | Total: 2"), 1);
        write("c", "idle");
        QTRY_VERIFY(manager->instances().contains("c"));

        // An update, even to another folder, keeps the chosen skin and the number; a completed state falls
        // back to idle after the celebration, and a new state before that cancels it.
        const QUuid chosen = QUuid::createUuid();
        manager->updateSkin("b", chosen);
        write("b", "completed", "/elsewhere/web");
        QTRY_COMPARE(log.count("🎉 Celebration complete for b, returning to idle"), 1);
        const SessionInstance b = manager->instances().value("b");
        QVERIFY(b.status == ClaudeStatus::idle && b.sessionNumber == 2 && b.selectedSkinId == chosen);
        m_celebration = 5;
        for (const char* status : {"working", "completed", "needs_input"}) {
            write("b", status);
            QTRY_COMPARE(claudeStatusText(manager->instances().value("b").status), status);
            QCOMPARE(manager->isCelebrationPending("b"), status == QString("completed"));
        }

        // The focused file vanishes: focus goes to the newest remaining session.
        QSignalSpy singleChanged(manager.get(), &MultiSessionManager::usesSingleCatViewChanged);
        manager->focusSession("b");
        QVERIFY(QFile::remove(file("b")));
        QTRY_COMPARE(manager->focusedSessionId(), "c");
        // A dismissal drops the session at once and deletes its file; the monitor then reports the removal.
        manager->dismissSession("c");
        QVERIFY(manager->orderedSessionIds() == QStringList{"a"} && manager->focusedSessionId() == "a");
        QVERIFY(singleChanged.count() == 1 && !QFileInfo::exists(file("c")));
        QTRY_COMPARE(log.count("🔢 Removed session number tracking for c from folder 'api'"), 1);
        // The hook writes the file again before the monitor saw it gone: it comes back as a cat.
        manager->dismissSession("a");
        write("a", "working");
        QTRY_COMPARE(manager->instances().value("a").status, ClaudeStatus::working);
        QVERIFY(manager->orderedSessionIds() == QStringList{"a"} && manager->focusedSessionId() == "a");
    }
    void completedBeforeTheStart()
    {
        // Celebration, seconds since the file said completed, and what is shown: one that would be
        // over by now is not shown again.
        for (const auto& [celebration, ago, shown] :
             {std::tuple{5.0, 3600, "idle"}, {60.0, 2, "completed"}, {0.0, 3600, "completed"}}) {
            m_celebration = celebration;
            write("a", "completed", "/w/api", 0,
                  QDateTime::currentDateTimeUtc().addSecs(-ago).toString(Qt::ISODate));
            auto manager = makeManager();
            QTRY_VERIFY(manager->instances().contains("a"));
            QCOMPARE(claudeStatusText(manager->instances().value("a").status), shown);
        }
    }
    void dismissalNeverLeavesTheFolder_data()
    {
        QTest::addColumn<QString>("id");
        for (const char* id : {"../victim", "../../victim", "x/../../victim", "_index", "<home>/victim"})
            QTest::newRow(id) << QString(id);
    }
    void dismissalNeverLeavesTheFolder()
    {
        QFETCH(QString, id);
        id.replace("<home>", m_home->path());
        // The file that a path built from the id would name.
        const QString victim = QDir::isAbsolutePath(id) ? id + ".json" : QDir::cleanPath(file(id));
        QVERIFY(QDir().mkpath(QFileInfo(victim).path()) && QDir().mkpath(m_dir + "/x"));
        QVERIFY(TestFiles::replaceByRename(victim, "keep") && QFile::link(victim, file("link")));
        LogCapture log;
        auto manager = makeManager();
        manager->dismissSession(id);
        QCOMPARE(log.count("⚠️ Not deleting a session file for an invalid session id"), 1);
        manager->dismissSession("link"); // a link in the folder goes, not what it points at
        QVERIFY(QFileInfo(victim).size() == 4 && !QFileInfo(file("link")).isSymLink());
    }
    void staleSweep()
    {
        // The real probe: no pid_t is unknown; a child that has exited but is not reaped yet is gone.
        for (const qint64 pid : {qint64(0), qint64(-5), qint64(1) << 40})
            QCOMPARE(ProcessLiveness::probe(pid), ProcessLiveness::State::unknown);
        QCOMPARE(ProcessLiveness::probe(::getpid()), ProcessLiveness::State::running);
        const pid_t zombie = ::fork();
        if (zombie == 0)
            ::_exit(0);
        QTRY_COMPARE(ProcessLiveness::probe(zombie), ProcessLiveness::State::exited);
        ::waitpid(zombie, nullptr, 0);
        // The manager asks the probe that it was given.
        using enum ProcessLiveness::State;
        m_processes = {{101, running}, {102, running}, {103, exited}};
        write("live", "idle", "/w/api", 101);
        write("never", "idle", "/w/api", 103); // never seen running: maybe not a process of ours
        write("old", "working");
        write("fresh", "working");
        std::filesystem::last_write_time(QFile::encodeName(file("old")).toStdString(),
                                         std::filesystem::file_time_type::clock::now() - 1h);
        LogCapture log;
        auto manager = makeManager(0, 20ms); // no timeout at all until one is set
        QTRY_COMPARE(manager->instances().size(), 4);

        // Resumed in a new process with the same state: only the new process counts.
        write("live", "idle", "/w/api", 102);
        QTest::qWait(300); // many polls: nothing is reported, the new id is only recorded
        m_processes[101] = exited;
        QTest::qWait(200);
        QCOMPARE(manager->instances().size(), 4);
        m_processes[102] = exited;
        QTRY_VERIFY(!manager->instances().contains("live"));
        QCOMPARE(log.count("🗑️ Removing stale session live: Claude Code process 102 has exited"), 1);
        QTest::qWait(100); // reported once, not again when the monitor sees the file gone
        QVERIFY(!QFileInfo::exists(file("live")) && log.countStartingWith("➖ Session removed: live") == 1);

        manager->setStaleTimeout(600);
        QTRY_VERIFY(!manager->instances().contains("old"));
        QCOMPARE(log.count("🗑️ Removing stale session old: no update within 600 s"), 1);
        QVERIFY(!QFileInfo::exists(file("old")) && manager->instances().contains("never"));
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

    // The monitor on its own, without a poll: it scans on the folder's events and when asked to.
    void monitorReportsOnlyNews()
    {
        auto monitor = std::move(DirectoryMonitor::create(m_dir, 1h).value());
        QSignalSpy added(monitor.get(), &DirectoryMonitor::sessionAdded);
        QSignalSpy removed(monitor.get(), &DirectoryMonitor::sessionRemoved);
        LogCapture log;
        const QString key = "0123456789abcdef";
        write(key, "working");
        QTRY_COMPARE(added.count(), 1);
        // Not news: another folder in the same state, an unknown state, garbage, another session's record.
        // A new state is, once, compared with the last good record.
        for (const QByteArray& bytes :
             {record(key, "working", "/w/web"), record(key, "sleeping"), QByteArray("garbage"),
              record("other", "idle"), record(key, "needs_input")}) {
            QVERIFY(TestFiles::replaceByRename(file(key), bytes));
            monitor->scanDirectory();
        }
        monitor->scanDirectory();
        QCOMPARE(log.lines(), QStringList{"🔄 Session 01234567: status working → needs_input"}); // one update
        // Removals are delivered after the scan, from the event loop.
        QVERIFY(QFile::remove(file(key)));
        monitor->scanDirectory();
        QVERIFY(removed.isEmpty() &&
                log.lines().last() == "🗑️ Session 01234567 file deleted - auto-dismissing");
        QTRY_COMPARE(removed.count(), 1);

        // While the folder is gone nothing is said about its sessions, and that it is gone is said once.
        write("a", "idle");
        monitor->scanDirectory();
        QVERIFY(QDir(m_dir).removeRecursively());
        for (int i = 0; i < 3; ++i)
            monitor->scanDirectory();
        QTest::qWait(20);
        QVERIFY(log.count("⚠️ Could not read sessions directory") == 1 && removed.count() == 1);
        // Once the folder is back its emptiness counts.
        QVERIFY(QDir().mkpath(m_dir));
        monitor->scanDirectory();
        QTRY_COMPARE(removed.count(), 2);
    }
    void entriesThatAreNotSessions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("special"); // "fifo", "symlink", "directory" or nothing
        const auto row = [](const char* tag, const char* name, const QByteArray& bytes,
                            const char* special = "") {
            QTest::newRow(tag) << QString(name) << bytes << QString(special);
        };
        const QByteArray valid = record("x", "idle");
        row("reserved name", "_x.json", record("_x", "idle"));
        row("other extension", "x.txt", valid);
        row("no name before the extension", ".json", record("", "idle"));
        row("not JSON", "x.json", "{\"session_id\":");
        row("id of another file", "x.json", record("y", "idle"));
        row("id climbing out", "x.json", record("../../x", "idle"));
        row("absolute id", "x.json", record("/etc/passwd", "idle"));
        row("over the size limit", "x.json", valid + QByteArray(1100 * 1024, ' '));
        row("FIFO", "x.json", {}, "fifo");
        row("link to a session file elsewhere", "x.json", valid, "symlink");
        row("folder", "x.json", {}, "directory");
    }
    void entriesThatAreNotSessions()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, special);
        const QString path = m_dir + u'/' + name, outside = m_home->filePath("outside.json");
        QVERIFY(QDir().mkpath(m_dir));
        if (special == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (special == "directory")
            QVERIFY(QDir().mkpath(path));
        else if (special == "symlink")
            QVERIFY(TestFiles::replaceByRename(outside, bytes) && QFile::link(outside, path));
        else
            QVERIFY(TestFiles::replaceByRename(path, bytes));
        write("ok", "idle"); // still found: the bad entry is skipped, not the scan
        const auto monitor = std::move(DirectoryMonitor::create(m_dir, 1h).value());
        QVERIFY(monitor->knownSessionCount() == 1 && monitor->knownSession("ok"));
    }

private:
    // Returns a manager that has already been told to start monitoring.
    std::unique_ptr<MultiSessionManager> makeManager(double staleTimeout = 3600,
                                                     std::chrono::milliseconds sweep = 1h)
    {
        auto manager = std::make_unique<MultiSessionManager>(
            m_dir, [this] { return m_celebration; },
            [this](const QString&, const QList<QUuid>&) {
                return m_skins.isEmpty() ? std::nullopt : std::optional(m_skins.takeFirst());
            },
            true, staleTimeout, MultiSessionTiming{20ms, sweep},
            [this](qint64 pid) { return m_processes.value(pid, ProcessLiveness::State::unknown); });
        manager->startMonitoring();
        return manager;
    }
    // A pid of 0 reads as none.
    static QByteArray record(const QString& id, const QString& status, const QString& cwd = "/w/api",
                             qint64 pid = 0, const QString& timestamp = "x")
    {
        const QString json =
            "{\"session_id\":\"%1\",\"status\":\"%2\",\"cwd\":\"%3\",\"claude_pid\":%4,\"timestamp\":\"%5\"}";
        return json.arg(id, status, cwd).arg(pid).arg(timestamp).toUtf8();
    }
    void write(const QString& id, const QString& status, const QString& cwd = "/w/api", qint64 pid = 0,
               const QString& timestamp = "x")
    {
        QVERIFY(QDir().mkpath(m_dir) &&
                TestFiles::replaceByRename(file(id), record(id, status, cwd, pid, timestamp)));
    }
    QString file(const QString& id) const { return m_dir + u'/' + id + ".json"; }

    std::unique_ptr<QTemporaryDir> m_home;
    QString m_dir;
    double m_celebration = 5.0;
    QList<QUuid> m_skins;
    QHash<qint64, ProcessLiveness::State> m_processes;
};

QTEST_GUILESS_MAIN(TestMultiSessionManager)
#include "tst_multisessionmanager.moc"

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
        m_skins = {QUuid::createUuid(), QUuid::createUuid()};
        m_processes.clear();
    }
    void startOrderSkinsAndFocus()
    {
        // A file where the .tabbywatch folder should be; multi-instance mode stored as off.
        QVERIFY(TestFiles::replaceByRename(m_home->filePath(".tabbywatch"), "x"));
        LogCapture log;
        auto manager = makeManager(3600, false);
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
        log.clear();
        manager->startMonitoring();
        QCOMPARE(log.lines(), QStringList{"⏭️ MultiSessionManager already monitoring, skipping"});

        // One cat for all until the preferences store switches the mode on.
        QSignalSpy singleChanged(manager.get(), &MultiSessionManager::usesSingleCatViewChanged);
        QVERIFY(manager->usesSingleCatView());
        manager->setMultiInstanceEnabled(true);
        QVERIFY(!manager->usesSingleCatView() && singleChanged.count() == 1);
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
        QTest::newRow("other folder") << QStringList{"+a /w/api", "+b /w/web"} << "web";
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
    void updatesRemovalsAndDismissals()
    {
        m_celebration = 0.05;
        auto manager = makeManager();
        for (const char* id : {"a", "b", "c"}) {
            write(id, "idle");
            QTRY_VERIFY(manager->instances().contains(id));
        }
        // An update, even to another folder, keeps the chosen skin and the number; a completed state falls
        // back to idle after the celebration, and a new state before that cancels it.
        LogCapture log;
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
    void dismissalNeverLeavesTheFolder_data()
    {
        // The id handed to the dismissal, and the file that a path built from it would name.
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("victim");
        const auto row = [](const char* tag, const char* id, const char* victim) {
            QTest::newRow(tag) << QString(id) << QString(victim);
        };
        row("parent folder", "../victim", ".tabbywatch/victim.json");
        row("home", "../../victim", "victim.json");
        row("down and up", "x/../../victim", ".tabbywatch/victim.json");
        row("reserved name", "_index", ".tabbywatch/sessions/_index.json");
        row("absolute", "<home>/victim", "victim.json");
    }
    void dismissalNeverLeavesTheFolder()
    {
        QFETCH(QString, id);
        QFETCH(QString, victim);
        id.replace("<home>", m_home->path());
        victim = m_home->filePath(victim);
        QVERIFY(QDir().mkpath(QFileInfo(victim).path()) && QDir().mkpath(m_dir));
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
        for (const qint64 pid : {qint64(0), qint64(-5), qint64(1) << 40})
            QCOMPARE(ProcessLiveness::probe(pid), ProcessLiveness::State::unknown);
        QCOMPARE(ProcessLiveness::probe(::getpid()), ProcessLiveness::State::running);
        // A child that has exited but is not reaped yet is gone all the same.
        const pid_t zombie = ::fork();
        if (zombie == 0)
            ::_exit(0);
        QVERIFY(zombie > 0);
        QTRY_COMPARE(ProcessLiveness::probe(zombie), ProcessLiveness::State::exited);
        ::waitpid(zombie, nullptr, 0);

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
        QTest::qWait(100);
        QVERIFY(!QFileInfo::exists(file("live")));
        QCOMPARE(log.countStartingWith("➖ Session removed: live"), 1); // not again when the file is gone

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

QTEST_GUILESS_MAIN(TestMultiSessionManager)
#include "tst_multisessionmanager.moc"

#include "DirectoryMonitor.h"
#include "LogCapture.h"
#include "TestFiles.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {
QByteArray record(const QJsonValue& id, const QString& status, const QString& title = "T")
{
    QJsonObject object{{"session_id", id},
                       {"status", status},
                       {"title", title},
                       {"cwd", "/work/api"},
                       {"timestamp", "2025-01-15T10:30:45Z"}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}
} // namespace

class TestDirectoryMonitor : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void creation();
    void reportsAdditionChangeAndRemoval_data();
    void reportsAdditionChangeAndRemoval();
    void entriesThatAreNotSessions_data();
    void entriesThatAreNotSessions();
    void knownFileTurningInvalidKeepsItsState();
    void folderDeletedAndRecreated();

private:
    std::unique_ptr<DirectoryMonitor> makeMonitor(std::chrono::milliseconds poll = 20ms);
    QString path(const QString& name) const { return m_dir + u'/' + name; }

    std::unique_ptr<QTemporaryDir> m_home;
    QString m_dir;
};

void TestDirectoryMonitor::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    m_dir = m_home->filePath(".tabbywatch/sessions");
}

std::unique_ptr<DirectoryMonitor> TestDirectoryMonitor::makeMonitor(std::chrono::milliseconds poll)
{
    auto monitor = DirectoryMonitor::create(m_dir, poll);
    return monitor ? std::move(*monitor) : nullptr;
}

void TestDirectoryMonitor::creation()
{
    // A file where the folder should be.
    QVERIFY(writeFile(m_home->filePath(".tabbywatch"), "x"));
    const auto failed = DirectoryMonitor::create(m_dir);
    QVERIFY(!failed);
    QCOMPARE(failed.error().kind, DirectoryMonitorError::cannotCreateDirectory);
    QVERIFY(QFile::remove(m_home->filePath(".tabbywatch")));

    // Missing folders are created with their parents; files present then are known but not reported,
    // until a rescan reports every one of them.
    auto empty = makeMonitor();
    QVERIFY(empty && QFileInfo(m_dir).isDir());
    QCOMPARE(empty->knownSessionCount(), 0);
    for (const char* id : {"a", "b", "c"})
        QVERIFY(writeFile(path(QString(id) + ".json"), record(id, "idle")));
    auto monitor = makeMonitor();
    QSignalSpy added(monitor.get(), &DirectoryMonitor::sessionAdded);
    QTest::qWait(100);
    QCOMPARE(added.count(), 0);
    LogCapture log;
    monitor->rescan();
    QCOMPARE(log.lines().first(), QStringLiteral("🔄 Rescan triggered - clearing 3 known sessions"));
    QCOMPARE(added.count(), 3);
}

void TestDirectoryMonitor::reportsAdditionChangeAndRemoval_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("shown");
    QTest::newRow("short key shown whole") << "abc123" << QString("abc123");
    QTest::newRow("long key shortened") << "0123456789abcdef" << QString("01234567");
}

void TestDirectoryMonitor::reportsAdditionChangeAndRemoval()
{
    QFETCH(QString, key);
    QFETCH(QString, shown);
    // No poll: a renamed-in file must be seen through the directory event alone.
    auto monitor = makeMonitor(1h);
    QSignalSpy added(monitor.get(), &DirectoryMonitor::sessionAdded);
    QSignalSpy updated(monitor.get(), &DirectoryMonitor::sessionUpdated);
    QSignalSpy removed(monitor.get(), &DirectoryMonitor::sessionRemoved);
    LogCapture log;
    const QString file = path(key + ".json");
    QVERIFY(TestFiles::replaceByRename(file, record(key, "working")));
    QTRY_COMPARE(added.count(), 1);
    const auto instance = added.first().first().value<SessionInstance>();
    QCOMPARE(instance.sessionId, key);
    QCOMPARE(instance.status, ClaudeStatus::working);
    QCOMPARE(instance.cwd, QStringLiteral("/work/api"));
    QVERIFY(!instance.sessionNumber && !instance.selectedSkinId);

    // A new title with the same state is not news; a new state is, once.
    QVERIFY(TestFiles::rewriteInPlace(file, record(key, "working", "Renamed")));
    monitor->scanDirectory();
    QCOMPARE(updated.count(), 0);
    QVERIFY(TestFiles::rewriteInPlace(file, record(key, "needs_input")));
    monitor->scanDirectory();
    monitor->scanDirectory();
    QCOMPARE(updated.count(), 1);
    QCOMPARE(updated.first().first().value<SessionInstance>().status, ClaudeStatus::needsInput);
    QCOMPARE(log.count("🔄 Session " + shown + ": status working → needs_input"), 1);
    QCOMPARE(added.count(), 1);

    // Removals are delivered after the scan, from the event loop.
    QVERIFY(QFile::remove(file));
    monitor->scanDirectory();
    QCOMPARE(removed.count(), 0);
    QCOMPARE(log.count("🗑️ Session " + shown + " file deleted - auto-dismissing"), 1);
    QTRY_COMPARE(removed.count(), 1);
    QCOMPARE(removed.first().first().toString(), key);
}

void TestDirectoryMonitor::entriesThatAreNotSessions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("special"); // "", "fifo", "symlink", "directory", "sparse"
    const QByteArray valid = record("x", "idle");
    QTest::newRow("reserved name") << "_x.json" << record("_x", "idle") << "";
    QTest::newRow("other extension") << "x.txt" << valid << "";
    QTest::newRow("upper-case extension") << "x.JSON" << valid << "";
    QTest::newRow("no name before the extension") << ".json" << record("", "idle") << "";
    QTest::newRow("unknown status") << "x.json" << record("x", "done") << "";
    QTest::newRow("not JSON") << "x.json" << QByteArray("{\"session_id\":") << "";
    QTest::newRow("no timestamp") << "x.json" << QByteArray(R"({"session_id":"x","status":"idle"})") << "";
    QTest::newRow("id of another file") << "x.json" << record("y", "idle") << "";
    QTest::newRow("id climbing out") << "x.json" << record("../../x", "idle") << "";
    QTest::newRow("absolute id") << "x.json" << record("/etc/passwd", "idle") << "";
    QTest::newRow("over the size limit") << "x.json" << valid + QByteArray(1100 * 1024, ' ') << "";
    QTest::newRow("100 MB") << "x.json" << valid << "sparse";
    QTest::newRow("FIFO") << "x.json" << QByteArray() << "fifo";
    QTest::newRow("link to a session file elsewhere") << "x.json" << valid << "symlink";
    QTest::newRow("folder") << "x.json" << QByteArray() << "directory";
}

void TestDirectoryMonitor::entriesThatAreNotSessions()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, special);
    QVERIFY(QDir().mkpath(m_dir));
    const QByteArray target = QFile::encodeName(path(name));
    if (special == "fifo") {
        QCOMPARE(::mkfifo(target.constData(), 0600), 0);
    } else if (special == "directory") {
        QVERIFY(QDir().mkpath(path(name)));
    } else if (special == "symlink") {
        const QString outside = m_home->filePath("outside.json");
        QVERIFY(writeFile(outside, bytes));
        QVERIFY(QFile::link(outside, path(name)));
    } else {
        QVERIFY(writeFile(path(name), bytes));
        if (special == "sparse")
            QCOMPARE(::truncate(target.constData(), 100 * 1024 * 1024), 0);
    }
    // A good file beside it is still found: the bad entry is skipped, not the scan.
    QVERIFY(writeFile(path("ok.json"), record("ok", "idle")));

    auto monitor = makeMonitor(1h);
    QSignalSpy added(monitor.get(), &DirectoryMonitor::sessionAdded);
    monitor->rescan();
    QCOMPARE(added.count(), 1);
    QCOMPARE(added.first().first().value<SessionInstance>().sessionId, QStringLiteral("ok"));
    QVERIFY(QFileInfo(path(name)).exists() || QFileInfo(path(name)).isSymLink());
}

void TestDirectoryMonitor::knownFileTurningInvalidKeepsItsState()
{
    QVERIFY(QDir().mkpath(m_dir));
    QVERIFY(writeFile(path("a.json"), record("a", "working")));
    auto monitor = makeMonitor(1h);
    QSignalSpy updated(monitor.get(), &DirectoryMonitor::sessionUpdated);
    QSignalSpy removed(monitor.get(), &DirectoryMonitor::sessionRemoved);
    LogCapture log;
    for (const QByteArray& bad : {record("a", "sleeping"), QByteArray("garbage"), record("b", "idle")}) {
        QVERIFY(TestFiles::rewriteInPlace(path("a.json"), bad));
        monitor->scanDirectory();
    }
    QTest::qWait(20);
    QCOMPARE(updated.count() + removed.count(), 0);
    // The next good record is compared with the last good one.
    QVERIFY(TestFiles::rewriteInPlace(path("a.json"), record("a", "completed")));
    monitor->scanDirectory();
    QCOMPARE(updated.count(), 1);
    QCOMPARE(log.lines(), QStringList{"🔄 Session a: status working → completed"});
}

void TestDirectoryMonitor::folderDeletedAndRecreated()
{
    QVERIFY(QDir().mkpath(m_dir));
    QVERIFY(writeFile(path("a.json"), record("a", "idle")));
    auto monitor = makeMonitor(1h);
    QSignalSpy added(monitor.get(), &DirectoryMonitor::sessionAdded);
    QSignalSpy removed(monitor.get(), &DirectoryMonitor::sessionRemoved);
    LogCapture log;
    QVERIFY(QDir(m_dir).removeRecursively());
    for (int i = 0; i < 3; ++i)
        monitor->scanDirectory();
    QTest::qWait(20);
    // Nothing can be said about the sessions while the folder is unreadable, and it is said once.
    QCOMPARE(log.count("⚠️ Could not read sessions directory"), 1);
    QCOMPARE(removed.count(), 0);
    QCOMPARE(monitor->knownSessionCount(), 1);

    QVERIFY(QDir().mkpath(m_dir));
    monitor->scanDirectory();
    QTRY_COMPARE(removed.count(), 1);
    // The recreated folder is watched again: a new file shows without a poll.
    QVERIFY(TestFiles::replaceByRename(path("b.json"), record("b", "idle")));
    QTRY_COMPARE(added.count(), 1);
}

QTEST_GUILESS_MAIN(TestDirectoryMonitor)
#include "tst_directorymonitor.moc"

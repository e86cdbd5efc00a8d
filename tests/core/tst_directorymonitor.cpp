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

using namespace std::chrono_literals;

class TestDirectoryMonitor : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        m_dir = m_home->filePath("sessions");
        m_monitor =
            std::move(DirectoryMonitor::create(m_dir, 1h).value()); // no poll: scans on events or asked
    }
    void reportsOnlyNews()
    {
        QSignalSpy added(m_monitor.get(), &DirectoryMonitor::sessionAdded);
        QSignalSpy updated(m_monitor.get(), &DirectoryMonitor::sessionUpdated);
        QSignalSpy removed(m_monitor.get(), &DirectoryMonitor::sessionRemoved);
        LogCapture log;
        const QString key = "0123456789abcdef", file = path(key);
        QVERIFY(TestFiles::replaceByRename(file, record(key, "working")));
        QTRY_COMPARE(added.count(), 1); // through the folder's event alone

        // A new title with the same state is not news; nor is a file that turned unreadable or invalid; a
        // new state is, once, compared with the last good record.
        for (const QByteArray& bytes :
             {record(key, "working", "Renamed"), record(key, "sleeping"), QByteArray("garbage"),
              record("other", "idle"), record(key, "needs_input")}) {
            QVERIFY(TestFiles::rewriteInPlace(file, bytes));
            m_monitor->scanDirectory();
        }
        m_monitor->scanDirectory();
        QCOMPARE(updated.count(), 1);
        QCOMPARE(updated.first().first().value<SessionInstance>().status, ClaudeStatus::needsInput);
        QCOMPARE(log.lines(), QStringList{"🔄 Session 01234567: status working → needs_input"});

        // Removals are delivered after the scan, from the event loop.
        QVERIFY(QFile::remove(file));
        m_monitor->scanDirectory();
        QCOMPARE(removed.count(), 0);
        QCOMPARE(log.lines().last(),
                 QStringLiteral("🗑️ Session 01234567 file deleted - auto-dismissing"));
        QTRY_COMPARE(removed.count(), 1);
        QCOMPARE(removed.first().first().toString(), key);
    }
    void folderDeletedAndRecreated()
    {
        QVERIFY(TestFiles::replaceByRename(path("a"), record("a", "idle")));
        m_monitor->scanDirectory();
        QSignalSpy added(m_monitor.get(), &DirectoryMonitor::sessionAdded);
        QSignalSpy removed(m_monitor.get(), &DirectoryMonitor::sessionRemoved);
        LogCapture log;
        QVERIFY(QDir(m_dir).removeRecursively());
        for (int i = 0; i < 3; ++i)
            m_monitor->scanDirectory();
        QTest::qWait(20);
        // Nothing can be said about the sessions while the folder is unreadable, and that is said once.
        QCOMPARE(log.lines(), QStringList{"⚠️ Could not read sessions directory"});
        QCOMPARE(removed.count(), 0);
        // The poll finds the folder back and watches it again: a new file then shows without a poll.
        QVERIFY(QDir().mkpath(m_dir));
        m_monitor->scanDirectory();
        QTRY_COMPARE(removed.count(), 1);
        QVERIFY(TestFiles::replaceByRename(path("b"), record("b", "idle")));
        QTRY_COMPARE(added.count(), 1);
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
        const QString file = m_dir + u'/' + name, outside = m_home->filePath("outside.json");
        if (special == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        else if (special == "directory")
            QVERIFY(QDir().mkpath(file));
        else if (special == "symlink")
            QVERIFY(TestFiles::replaceByRename(outside, bytes) && QFile::link(outside, file));
        else
            QVERIFY(TestFiles::replaceByRename(file, bytes));
        // A good file beside it is still found: the bad entry is skipped, not the scan.
        QVERIFY(TestFiles::replaceByRename(path("ok"), record("ok", "idle")));
        QSignalSpy added(m_monitor.get(), &DirectoryMonitor::sessionAdded);
        m_monitor->rescan();
        QCOMPARE(added.count(), 1);
        QCOMPARE(added.first().first().value<SessionInstance>().sessionId, QStringLiteral("ok"));
    }

private:
    static QByteArray record(const QString& id, const QString& status, const QString& title = "T")
    {
        return QJsonDocument(
                   QJsonObject{{"session_id", id}, {"status", status}, {"title", title}, {"timestamp", "x"}})
            .toJson(QJsonDocument::Compact);
    }
    QString path(const QString& id) const { return m_dir + u'/' + id + ".json"; }

    std::unique_ptr<QTemporaryDir> m_home;
    QString m_dir;
    std::unique_ptr<DirectoryMonitor> m_monitor;
};

QTEST_GUILESS_MAIN(TestDirectoryMonitor)
#include "tst_directorymonitor.moc"

#include "Log.h"
#include "LogCapture.h"
#include "StatusManager.h"
#include "TestFiles.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {
QByteArray record(const char* status, const QString& tool = {})
{
    const QString extra = tool.isEmpty() ? QString() : QStringLiteral(",\"tool\":\"%1\"").arg(tool);
    return QStringLiteral("{\"status\":\"%1\",\"timestamp\":\"2025-01-15T10:30:45Z\"%2}")
        .arg(status, extra)
        .toUtf8();
}
const QByteArray oversized = record("working") + QByteArray(2 << 20, ' '); // valid, but past the size limit
const QRegularExpression created(R"(^\{"status":"idle","timestamp":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ"\}$)");
} // namespace

class TestStatusManager : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        m_path = StatusManager::defaultStatusFilePath(m_home->path());
    }
    void followsTheFile()
    {
        LogCapture log;
        auto manager = startedManager();
        QCOMPARE(log.lines(), QStringList{"✅ Started monitoring: " + m_path});
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadOnly) && created.match(file.readAll()).hasMatch());
        QVERIFY(manager->statusHistory().isEmpty()); // the first read is applied from the event loop
        QTRY_COMPARE(manager->statusHistory().size(), 1);

        // Every record counts, also of an unchanged state; a shorter one is not read with a longer's tail.
        rewriteAndWait(*manager, record("working", "Bash"));
        rewriteAndWait(*manager, record("working", "Bash"));
        rewriteAndWait(*manager, record("needs_input"));
        QVERIFY(manager->currentStatus() == ClaudeStatus::needsInput &&
                !manager->statusHistory().first().tool);
        // Refused: no timestamp, an unknown state, half a record, a record past the size limit.
        for (const QByteArray& bad :
             {QByteArray("{\"status\":\"idle\"}"), record("done"), QByteArray("{\"status\":"), oversized}) {
            const int refused = log.count("⚠️ Invalid status update");
            QVERIFY(TestFiles::rewriteInPlace(m_path, bad));
            QTRY_VERIFY(log.count("⚠️ Invalid status update") > refused);
        }
        QCOMPARE(manager->currentStatus(), ClaudeStatus::needsInput);

        // Read between the hook's truncate and its write: retried, not a warning.
        log.clear();
        QVERIFY(TestFiles::rewriteInPlace(m_path, QByteArray()));
        QTest::qWait(10);
        rewriteAndWait(*manager, record("working"));
        QTest::qWait(100);
        QCOMPARE(log.count("⚠️ Invalid status update"), 0);

        // A file renamed over the path, or made again with its folder, is followed from then on.
        QVERIFY(TestFiles::replaceByRename(m_path, record("idle")));
        QTRY_COMPARE(manager->currentStatus(), ClaudeStatus::idle);
        const QString folder = QFileInfo(m_path).path();
        QVERIFY(QDir(folder).removeRecursively());
        QTest::qWait(100);
        QVERIFY(QDir().mkpath(folder) && TestFiles::replaceByRename(m_path, record("working")));
        QTRY_COMPARE(manager->currentStatus(), ClaudeStatus::working);
        rewriteAndWait(*manager, record("needs_input"));
        QCOMPARE(manager->currentStatus(), ClaudeStatus::needsInput);
        QCOMPARE(log.count("✅ Started monitoring: " + m_path), 2);

        // The next state cancels a celebration; without a duration the user ends it (no history entry).
        m_celebration = 5;
        rewriteAndWait(*manager, record("completed"));
        QVERIFY(manager->isCelebrationPending());
        rewriteAndWait(*manager, record("working"));
        QVERIFY(!manager->isCelebrationPending());
        m_celebration = 0;
        rewriteAndWait(*manager, record("completed"));
        log.clear();
        manager->acknowledgeCompletion();
        QCOMPARE(log.lines(), (QStringList{"👆 User acknowledged completion",
                                           "🎉 Celebration complete, returning to idle"}));
        QVERIFY(manager->currentStatus() == ClaudeStatus::idle &&
                manager->statusHistory().first().status == ClaudeStatus::completed);
    }
    void madeFilesArePrivateAndLogLinesStayLines()
    {
        // The files tell what the user works on: folder and file as private as the hook makes them.
        auto manager = startedManager();
        const QString folder = QFileInfo(m_path).path();
        QCOMPARE(QFileInfo(folder).permissions() & 0x0777,
                 QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
        QCOMPARE(QFileInfo(m_path).permissions() & 0x0777, QFile::ReadUser | QFile::WriteUser);
        // A value from a file (a session's folder here) cannot forge a log line or drive the terminal.
        LogCapture log;
        logLine(QStringLiteral("➕ Session added: a - proj\n✅ forged\x1b[2J\u0085"));
        QCOMPARE(log.lines(),
                 QStringList{QStringLiteral("➕ Session added: a - proj\\n✅ forged\\x1b[2J\\x85")});
    }
    void start_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // of status.json; "folder", "fifo": what stands in the way
        QTest::addColumn<QString>("logged");
        QTest::addColumn<QString>("status");
        const auto row = [](const char* tag, const QByteArray& bytes, const char* logged,
                            const char* status = "idle") {
            QTest::newRow(tag) << bytes << QString(logged) << QString(status);
        };
        row("file where the folder should be", "folder", "❌ Failed to start file monitor: fileNotFound");
        row("FIFO: a plain open would block", "fifo",
            "❌ Failed to start file monitor: cannotOpenFile(not a regular file)");
        row("no timestamp needed at first", "{\"status\":\"working\"}", "✅ Started monitoring: ", "working");
        row("unknown state", record("sleeping"), "⚠️ Could not read status file");
        // A completion from before the start is not celebrated again once its time is over.
        row("completed long ago", record("completed"), "✅ Started monitoring: ", "idle");
        row("past the size limit", oversized, "⚠️ Could not read status file");
    }
    void start()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, logged);
        const QString folder = QFileInfo(m_path).path();
        if (bytes == "folder")
            QVERIFY(TestFiles::replaceByRename(folder, "x"));
        else if (bytes == "fifo")
            QVERIFY(QDir().mkpath(folder) && ::mkfifo(QFile::encodeName(m_path).constData(), 0600) == 0);
        else
            QVERIFY(QDir().mkpath(folder) && TestFiles::replaceByRename(m_path, bytes));
        LogCapture log;
        m_celebration = 5;
        auto manager = startedManager();
        QTest::qWait(20);
        QCOMPARE(log.countStartingWith(logged), 1);
        QTEST(manager->currentStatusText(), "status");
        QCOMPARE(manager->isMonitoring(), !logged.startsWith("❌")); // so that a later start can succeed
    }

private:
    std::unique_ptr<StatusManager> startedManager()
    {
        auto manager = std::make_unique<StatusManager>(
            m_path, [this] { return m_celebration; }, nullptr, std::chrono::milliseconds(50),
            std::chrono::milliseconds(20));
        manager->startMonitoring();
        return manager;
    }
    // Rewrites status.json in place and waits until the manager applied at least one read of it.
    void rewriteAndWait(StatusManager& manager, const QByteArray& bytes)
    {
        const qsizetype entries = manager.statusHistory().size();
        QVERIFY(TestFiles::rewriteInPlace(m_path, bytes));
        QTRY_VERIFY(manager.statusHistory().size() > entries);
        QTest::qWait(20); // the other events of the same write
    }

    std::unique_ptr<QTemporaryDir> m_home;
    QString m_path;
    double m_celebration = 0;
};

QTEST_GUILESS_MAIN(TestStatusManager)
#include "tst_statusmanager.moc"

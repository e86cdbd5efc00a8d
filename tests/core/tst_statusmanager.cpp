#include "LogCapture.h"
#include "StatusManager.h"
#include "TestFiles.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {
QByteArray record(const char* status, const QString& tool = {})
{
    QJsonObject object{{"status", status}, {"timestamp", "2025-01-15T10:30:45Z"}};
    if (!tool.isEmpty())
        object.insert("tool", tool);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}
// A valid record, but past the size limit.
const QByteArray oversized = record("idle", QString(2 << 20, u'x'));
} // namespace

class TestStatusManager : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        m_path = StatusManager::defaultStatusFilePath(m_home->path());
        m_celebration = 0;
    }
    void createsTheFileAndTakesEveryValidRecord()
    {
        LogCapture log;
        auto manager = startedManager();
        manager->startMonitoring();
        QCOMPARE(log.lines(), (QStringList{"✅ Started monitoring: " + m_path,
                                           "⏭️ Already monitoring, skipping restart"}));
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
        QCOMPARE(object.keys(), (QStringList{"status", "timestamp"}));
        QCOMPARE(object.value("status"), "idle");
        QVERIFY(QRegularExpression(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$)")
                    .match(object.value("timestamp").toString())
                    .hasMatch());
        QVERIFY(manager->statusHistory().isEmpty()); // the first read is applied from the event loop
        QTRY_COMPARE(manager->statusHistory().size(), 1);

        // Every record counts, also one of an unchanged state; the history keeps the newest hundred.
        for (int i = 0; i < 101; ++i)
            rewriteAndWait(*manager, record("working", QString::number(i)));
        QCOMPARE(manager->statusHistory().size(), StatusManager::maxHistoryItems);
        QCOMPARE(manager->statusHistory().first().tool, "100");
        // A shorter record after a longer one: the tail of the longer one must not be read with it.
        rewriteAndWait(*manager, record("needs_input"));
        QVERIFY(manager->currentStatus() == ClaudeStatus::needsInput &&
                !manager->statusHistory().first().tool);

        // Refused: no timestamp, an unknown state, half a record, a record past the size limit.
        for (const QByteArray& bad :
             {QByteArray(R"({"status":"idle"})"), record("done"), QByteArray("{\"status"), oversized}) {
            const int refused = log.count("⚠️ Invalid status update");
            QVERIFY(TestFiles::rewriteInPlace(m_path, bad));
            QTRY_VERIFY(log.count("⚠️ Invalid status update") > refused);
        }
        QCOMPARE(manager->currentStatus(), ClaudeStatus::needsInput);

        // A file renamed over the path is another file, followed once the monitoring restarts.
        QVERIFY(TestFiles::replaceByRename(m_path, record("working")));
        QTest::qWait(100);
        QCOMPARE(manager->currentStatus(), ClaudeStatus::needsInput);
        manager->stopMonitoring();
        manager->startMonitoring();
        QTRY_COMPARE(manager->currentStatus(), ClaudeStatus::working);
    }
    void startFailures()
    {
        // A file where the folder should be, then a FIFO in the file's place (a plain open would block).
        QVERIFY(TestFiles::replaceByRename(m_home->filePath(".tabbywatch"), "x"));
        LogCapture log;
        auto manager = startedManager();
        QVERIFY(QFile::remove(m_home->filePath(".tabbywatch")) && QDir().mkpath(QFileInfo(m_path).path()));
        QCOMPARE(::mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
        manager->startMonitoring();
        QCOMPARE(log.lines(),
                 (QStringList{"❌ Failed to start file monitor: fileNotFound",
                              "❌ Failed to start file monitor: cannotOpenFile(not a regular file)"}));
        QVERIFY(!manager->isMonitoring());
        QVERIFY(QFile::remove(m_path));
        manager->startMonitoring();
        QVERIFY(manager->isMonitoring());
    }
    void initialRecord_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("status"); // empty: refused
        QTest::newRow("no timestamp needed") << QByteArray(R"({"status":"working"})") << QString("working");
        QTest::newRow("unknown state") << QByteArray(R"({"status":"sleeping"})") << QString();
        QTest::newRow("not JSON") << QByteArray("status: working") << QString();
        QTest::newRow("past the size limit")
            << QByteArray(R"({"status":"working"})") + QByteArray(2 << 20, ' ') << QString();
    }
    void initialRecord()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, status);
        QVERIFY(QDir().mkpath(QFileInfo(m_path).path()) && TestFiles::replaceByRename(m_path, bytes));
        LogCapture log;
        auto manager = startedManager();
        QTest::qWait(20);
        QCOMPARE(log.count("⚠️ Could not read status file"), int(status.isEmpty()));
        QCOMPARE(manager->statusHistory().size(), int(!status.isEmpty()));
        QCOMPARE(manager->currentStatusText(), status.isEmpty() ? "idle" : status);
    }
    void celebrationAndAcknowledgement()
    {
        m_celebration = 0.05;
        LogCapture log;
        auto manager = startedManager();
        QTRY_COMPARE(manager->statusHistory().size(), 1);
        rewriteAndWait(*manager, record("completed"));
        const QDateTime completedAt = manager->lastUpdate();
        QTRY_COMPARE(manager->currentStatus(), ClaudeStatus::idle);
        QVERIFY(manager->lastUpdate() > completedAt);
        QCOMPARE(manager->statusHistory().first().status,
                 ClaudeStatus::completed); // the fall-back is no entry
        m_celebration = 5;
        rewriteAndWait(*manager, record("completed"));
        rewriteAndWait(*manager, record("working"));
        QVERIFY(!manager->isCelebrationPending());

        // Without a duration only the user ends it, and only a completed state.
        m_celebration = 0;
        log.clear();
        manager->acknowledgeCompletion();
        QVERIFY(log.lines().isEmpty());
        rewriteAndWait(*manager, record("completed"));
        log.clear();
        manager->acknowledgeCompletion();
        QCOMPARE(log.lines(), (QStringList{"👆 User acknowledged completion",
                                           "🎉 Celebration complete, returning to idle"}));
        QCOMPARE(manager->currentStatus(), ClaudeStatus::idle);
    }

private:
    std::unique_ptr<StatusManager> startedManager()
    {
        auto manager = std::make_unique<StatusManager>(m_path, [this] { return m_celebration; });
        manager->startMonitoring();
        return manager;
    }
    // Rewrites status.json in place and waits until the manager applied at least one read of it.
    void rewriteAndWait(StatusManager& manager, const QByteArray& bytes)
    {
        const qsizetype entries = manager.statusHistory().size();
        const QDateTime before = manager.lastUpdate();
        QVERIFY(TestFiles::rewriteInPlace(m_path, bytes));
        QTRY_VERIFY(manager.statusHistory().size() > entries || manager.lastUpdate() != before);
        QTest::qWait(20); // the other events of the same write
    }

    std::unique_ptr<QTemporaryDir> m_home;
    QString m_path;
    double m_celebration = 0;
};

QTEST_GUILESS_MAIN(TestStatusManager)
#include "tst_statusmanager.moc"

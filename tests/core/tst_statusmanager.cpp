#include "LogCapture.h"
#include "StatusManager.h"
#include "TestFiles.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {
QByteArray record(const char* status, const QString& tool = {})
{
    QJsonObject object{{"status", status}, {"timestamp", "2025-01-15T10:30:45Z"}};
    if (!tool.isEmpty())
        object.insert("tool", tool);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}
} // namespace

class TestStatusManager : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void firstStartCreatesDirectoryAndFile();
    void startTwiceAndStartFailure();
    void initialReadIsLooserThanLaterReads();
    void unreadableInitialFile();
    void everyValidReadIsApplied();
    void historyKeepsNewestHundred();
    void celebrationFallsBackToIdle();
    void newStatusCancelsCelebration();
    void manualAcknowledgement();
    void restartFollowsReplacedFile();

private:
    std::unique_ptr<StatusManager> makeManager();
    // Rewrites status.json in place and waits until the manager applied at least one read of it.
    void rewriteAndWait(StatusManager& manager, const QByteArray& bytes);

    std::unique_ptr<QTemporaryDir> m_home;
    QString m_path;
    double m_celebration = 5.0;
};

void TestStatusManager::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    m_path = StatusManager::defaultStatusFilePath(m_home->path());
    m_celebration = 5.0;
}

std::unique_ptr<StatusManager> TestStatusManager::makeManager()
{
    return std::make_unique<StatusManager>(m_path, [this] { return m_celebration; });
}

void TestStatusManager::rewriteAndWait(StatusManager& manager, const QByteArray& bytes)
{
    const QDateTime before = manager.lastUpdate();
    const qsizetype entries = manager.statusHistory().size();
    QVERIFY(TestFiles::rewriteInPlace(m_path, bytes));
    QTRY_VERIFY(manager.statusHistory().size() > entries || manager.lastUpdate() != before);
    QTest::qWait(20); // let the other events of the same write arrive
}

void TestStatusManager::firstStartCreatesDirectoryAndFile()
{
    LogCapture log;
    auto manager = makeManager();
    QCOMPARE(manager->currentStatus(), ClaudeStatus::idle);
    manager->startMonitoring();
    QVERIFY(manager->isMonitoring());
    QCOMPARE(log.lines().first(), QStringLiteral("✅ Started monitoring: ") + m_path);

    QFile file(m_path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(!bytes.endsWith('\n'));
    const QJsonObject object = QJsonDocument::fromJson(bytes).object();
    QCOMPARE(object.keys(), (QStringList{"status", "timestamp"}));
    QCOMPARE(object.value("status").toString(), QStringLiteral("idle"));
    QVERIFY(QRegularExpression(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$)")
                .match(object.value("timestamp").toString())
                .hasMatch());

    // The first read is applied asynchronously.
    QVERIFY(manager->statusHistory().isEmpty());
    QTRY_COMPARE(manager->statusHistory().size(), 1);
    QCOMPARE(manager->statusHistory().first().status, ClaudeStatus::idle);
    QVERIFY(!manager->statusHistory().first().tool);
    QCOMPARE(log.count(QStringLiteral("📊 Status changed: idle")), 1);
}

void TestStatusManager::startTwiceAndStartFailure()
{
    {
        LogCapture log;
        auto manager = makeManager();
        manager->startMonitoring();
        log.clear();
        manager->startMonitoring();
        QCOMPARE(log.lines(), QStringList{QStringLiteral("⏭️ Already monitoring, skipping restart")});
    }
    // A file where the folder should be: nothing can be created, the failure is logged and the
    // manager can be started again later.
    init();
    QFile blocker(m_home->filePath(".tabbywatch"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LogCapture log;
    auto manager = makeManager();
    manager->startMonitoring();
    QCOMPARE(log.lines(), QStringList{QStringLiteral("❌ Failed to start file monitor: fileNotFound")});
    QVERIFY(!manager->isMonitoring());

    QVERIFY(blocker.remove());
    manager->startMonitoring();
    QVERIFY(manager->isMonitoring());
}

void TestStatusManager::initialReadIsLooserThanLaterReads()
{
    QVERIFY(QDir().mkpath(QFileInfo(m_path).path()));
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"status":"working"})");
    file.close();

    LogCapture log;
    auto manager = makeManager();
    manager->startMonitoring();
    QTRY_COMPARE(manager->currentStatus(), ClaudeStatus::working);

    // The monitor requires the timestamp, so the same content later is rejected and changes nothing.
    QVERIFY(TestFiles::rewriteInPlace(m_path, R"({"status":"idle"})"));
    QTRY_VERIFY(log.count(QStringLiteral("⚠️ Invalid status update")) >= 1);
    // An unknown status text is rejected the same way.
    QVERIFY(TestFiles::rewriteInPlace(m_path, record("done")));
    QTRY_VERIFY(log.count(QStringLiteral("⚠️ Invalid status update")) >= 2);
    QCOMPARE(manager->currentStatus(), ClaudeStatus::working);
    QCOMPARE(manager->statusHistory().size(), 1);
}

void TestStatusManager::unreadableInitialFile()
{
    QVERIFY(QDir().mkpath(QFileInfo(m_path).path()));
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"status":"sleeping"})");
    file.close();

    LogCapture log;
    auto manager = makeManager();
    manager->startMonitoring();
    QVERIFY(manager->isMonitoring());
    QCOMPARE(log.count(QStringLiteral("⚠️ Could not read status file")), 1);
    QTest::qWait(20);
    QVERIFY(manager->statusHistory().isEmpty());
    QCOMPARE(manager->currentStatus(), ClaudeStatus::idle);

    // The monitor still runs and takes the next valid record.
    rewriteAndWait(*manager, record("needs_input"));
    QCOMPARE(manager->currentStatus(), ClaudeStatus::needsInput);
}

void TestStatusManager::everyValidReadIsApplied()
{
    LogCapture log;
    auto manager = makeManager();
    manager->startMonitoring();
    QTRY_COMPARE(manager->statusHistory().size(), 1);

    rewriteAndWait(*manager, record("working", "Bash"));
    rewriteAndWait(*manager, record("working", "Bash"));
    QCOMPARE(manager->currentStatus(), ClaudeStatus::working);
    QCOMPARE(manager->currentStatusText(), QStringLiteral("working"));
    // Every delivered read, also of an unchanged state, is a history entry and a log line.
    const int applied = log.count(QStringLiteral("📊 Status changed: working"));
    QVERIFY(applied >= 2);
    QCOMPARE(manager->statusHistory().size(), 1 + applied);
    QCOMPARE(manager->statusHistory().first().tool, QStringLiteral("Bash"));

    rewriteAndWait(*manager, record("needs_input"));
    QVERIFY(log.count(QStringLiteral("📊 Status changed: needs_input")) >= 1);
    QVERIFY(!manager->statusHistory().first().tool);
}

void TestStatusManager::historyKeepsNewestHundred()
{
    auto manager = makeManager();
    manager->startMonitoring();
    QTRY_COMPARE(manager->statusHistory().size(), 1);
    for (int i = 0; i < 105; ++i)
        rewriteAndWait(*manager, record("working", QStringLiteral("tool%1").arg(i)));
    QCOMPARE(manager->statusHistory().size(), StatusManager::maxHistoryItems);
    QCOMPARE(manager->statusHistory().first().tool, QStringLiteral("tool104"));
    for (qsizetype i = 1; i < manager->statusHistory().size(); ++i)
        QVERIFY(manager->statusHistory()[i - 1].timestamp >= manager->statusHistory()[i].timestamp);
}

void TestStatusManager::celebrationFallsBackToIdle()
{
    m_celebration = 0.05;
    LogCapture log;
    auto manager = makeManager();
    manager->startMonitoring();
    QTRY_COMPARE(manager->statusHistory().size(), 1);

    rewriteAndWait(*manager, record("completed"));
    QCOMPARE(log.count(QStringLiteral("⏱️ Starting celebration timer (0.05s)")),
             log.count(QStringLiteral("📊 Status changed: completed")));
    const QDateTime completedAt = manager->lastUpdate();
    QTRY_COMPARE(manager->currentStatus(), ClaudeStatus::idle);
    QCOMPARE(log.count(QStringLiteral("🎉 Celebration complete, returning to idle")), 1);
    QVERIFY(manager->lastUpdate() > completedAt);
    // The fall-back is not a history entry.
    QCOMPARE(manager->statusHistory().first().status, ClaudeStatus::completed);

    // Whole seconds print with a fractional part.
    m_celebration = 5;
    rewriteAndWait(*manager, record("completed"));
    QVERIFY(log.count(QStringLiteral("⏱️ Starting celebration timer (5.0s)")) >= 1);
    manager->stopMonitoring();
    QVERIFY(!manager->isCelebrationPending());
}

void TestStatusManager::newStatusCancelsCelebration()
{
    m_celebration = 0.3;
    LogCapture log;
    auto manager = makeManager();
    manager->startMonitoring();
    QTRY_COMPARE(manager->statusHistory().size(), 1);
    rewriteAndWait(*manager, record("completed"));
    rewriteAndWait(*manager, record("working"));
    QVERIFY(log.count(QStringLiteral("⏱️ Cancelling celebration timer")) >= 1);
    QTest::qWait(450);
    QCOMPARE(manager->currentStatus(), ClaudeStatus::working);
    QCOMPARE(log.count(QStringLiteral("🎉 Celebration complete, returning to idle")), 0);
}

void TestStatusManager::manualAcknowledgement()
{
    m_celebration = 0;
    LogCapture log;
    auto manager = makeManager();
    manager->startMonitoring();
    QTRY_COMPARE(manager->statusHistory().size(), 1);

    rewriteAndWait(*manager, record("working"));
    log.clear();
    manager->acknowledgeCompletion(); // not completed: nothing happens
    QVERIFY(log.lines().isEmpty());

    rewriteAndWait(*manager, record("completed"));
    QVERIFY(log.count(QStringLiteral("⏱️ Celebration auto-transition disabled (manual only)")) >= 1);
    QTest::qWait(100);
    QCOMPARE(manager->currentStatus(), ClaudeStatus::completed);

    log.clear();
    manager->acknowledgeCompletion();
    QCOMPARE(log.lines(), (QStringList{QStringLiteral("👆 User acknowledged completion"),
                                       QStringLiteral("🎉 Celebration complete, returning to idle")}));
    QCOMPARE(manager->currentStatus(), ClaudeStatus::idle);
}

void TestStatusManager::restartFollowsReplacedFile()
{
    auto manager = makeManager();
    manager->startMonitoring();
    QTRY_COMPARE(manager->statusHistory().size(), 1);
    QVERIFY(TestFiles::replaceByRename(m_path, record("working")));
    QTest::qWait(100);
    QCOMPARE(manager->currentStatus(), ClaudeStatus::idle);

    manager->stopMonitoring();
    manager->startMonitoring();
    QTRY_COMPARE(manager->currentStatus(), ClaudeStatus::working);
    rewriteAndWait(*manager, record("needs_input"));
    QCOMPARE(manager->currentStatus(), ClaudeStatus::needsInput);
}

QTEST_GUILESS_MAIN(TestStatusManager)
#include "tst_statusmanager.moc"

#include "FileMonitor.h"
#include "LogCapture.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {
const QByteArray working = R"({"status":"working","timestamp":"2025-01-15T10:30:45Z","tool":"Bash"})";
const QByteArray idle = R"({"status":"idle","timestamp":"2025-01-15T10:30:46Z"})";
} // namespace

class TestFileMonitor : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void creationFailures();
    void inPlaceRewriteDelivers();
    void unreadableContentDeliversNothing_data();
    void unreadableContentDeliversNothing();
    void replacedFileIsNoLongerSeen();
    void destroyedWithEventsPending();

private:
    struct Reads
    {
        QList<std::optional<StatusUpdate>> updates;
        int valid() const
        {
            return int(std::count_if(updates.begin(), updates.end(), [](auto& u) { return u.has_value(); }));
        }
        int failed() const { return int(updates.size()) - valid(); }
    };
    std::unique_ptr<FileMonitor> makeMonitor(Reads& reads);
    QString m_path;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFileMonitor::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(QStringLiteral("status.json"));
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(idle);
}

std::unique_ptr<FileMonitor> TestFileMonitor::makeMonitor(Reads& reads)
{
    auto monitor = FileMonitor::create(m_path);
    if (!monitor)
        return nullptr;
    connect(monitor->get(), &FileMonitor::didReadStatusUpdate, this,
            [&reads](const std::optional<StatusUpdate>& update) { reads.updates.append(update); });
    return std::move(*monitor);
}

void TestFileMonitor::creationFailures()
{
    auto missing = FileMonitor::create(m_dir->filePath(QStringLiteral("nothing.json")));
    QVERIFY(!missing);
    QCOMPARE(missing.error().kind, FileMonitorError::fileNotFound);
    QCOMPARE(missing.error().text(), QStringLiteral("fileNotFound"));

    const QString directory = m_dir->filePath(QStringLiteral("dir.json"));
    QVERIFY(QDir().mkdir(directory));
    auto dir = FileMonitor::create(directory);
    QVERIFY(!dir);
    QCOMPARE(dir.error().kind, FileMonitorError::cannotOpenFile);
    QVERIFY(dir.error().text().startsWith(QStringLiteral("cannotOpenFile(")));

    // A FIFO would block a plain open until a writer appears.
    const QString fifo = m_dir->filePath(QStringLiteral("fifo.json"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    auto pipe = FileMonitor::create(fifo);
    QVERIFY(!pipe);
    QCOMPARE(pipe.error().kind, FileMonitorError::cannotOpenFile);

    // A link to a regular file is followed, as opening the path would.
    const QString link = m_dir->filePath(QStringLiteral("link.json"));
    QVERIFY(QFile::link(m_path, link));
    QVERIFY(FileMonitor::create(link).has_value());
}

void TestFileMonitor::inPlaceRewriteDelivers()
{
    Reads reads;
    auto monitor = makeMonitor(reads);
    QVERIFY(monitor);
    QCoreApplication::processEvents();
    QVERIFY(reads.updates.isEmpty()); // nothing is read at creation

    QVERIFY(TestFiles::rewriteInPlace(m_path, working));
    QTRY_VERIFY(reads.valid() >= 1);
    QCOMPARE(reads.failed(), 0);
    QCOMPARE(reads.updates.last()->status, QStringLiteral("working"));
    QCOMPARE(reads.updates.last()->tool, QStringLiteral("Bash"));

    // A shorter record must not keep the tail of the longer one.
    reads.updates.clear();
    QVERIFY(TestFiles::rewriteInPlace(m_path, idle));
    QTRY_VERIFY(reads.valid() >= 1);
    QCOMPARE(reads.updates.last()->status, QStringLiteral("idle"));
    QVERIFY(!reads.updates.last()->tool);
}

void TestFileMonitor::unreadableContentDeliversNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("fragment") << QByteArray(R"({"status":"wor)");
    QTest::newRow("not JSON") << QByteArray("hello");
    QTest::newRow("two megabytes") << QByteArray(R"({"status":"idle","timestamp":"t","pad":")") +
                                          QByteArray(2 * 1024 * 1024, 'x') + QByteArray(R"("})");
}

void TestFileMonitor::unreadableContentDeliversNothing()
{
    QFETCH(QByteArray, content);
    Reads reads;
    auto monitor = makeMonitor(reads);
    QVERIFY(monitor);
    QVERIFY(TestFiles::rewriteInPlace(m_path, content));
    QTRY_VERIFY(reads.failed() >= 1);
    QCOMPARE(reads.valid(), 0);
}

void TestFileMonitor::replacedFileIsNoLongerSeen()
{
    Reads reads;
    auto monitor = makeMonitor(reads);
    QVERIFY(monitor);
    QVERIFY(TestFiles::replaceByRename(m_path, working));
    QTest::qWait(100);
    reads.updates.clear();

    QVERIFY(TestFiles::rewriteInPlace(m_path, idle));
    QTest::qWait(200);
    QVERIFY(reads.updates.isEmpty());
}

void TestFileMonitor::destroyedWithEventsPending()
{
    Reads reads;
    auto monitor = makeMonitor(reads);
    QVERIFY(monitor);
    QVERIFY(TestFiles::rewriteInPlace(m_path, working));
    monitor.reset();
    QTest::qWait(100);
    QVERIFY(reads.updates.isEmpty());
}

QTEST_GUILESS_MAIN(TestFileMonitor)
#include "tst_filemonitor.moc"

#include "LogCapture.h"
#include "MultiSessionManager.h"
#include "SessionListModel.h"
#include "StatusManager.h"
#include "StatusViewModel.h"
#include "TestFiles.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {
const QUuid firstSkin = QUuid::fromString(QStringLiteral("{11111111-1111-1111-1111-111111111111}"));
const QUuid otherSkin = QUuid::fromString(QStringLiteral("{22222222-2222-2222-2222-222222222222}"));
} // namespace

class TestSessionListModel : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void rowsFollowTheDisplayOrder();
    void stateChangeUpdatesTheRowInPlace();
    void newSkinRebuildsOnlyThatCat();
    void oneCatForSeveralSessionsShowsTheMostUrgent();

private:
    void write(const QString& id, const QString& status, const QString& cwd);
    QStringList column(int role) const;

    std::unique_ptr<QTemporaryDir> m_home;
    QString m_dir;
    std::unique_ptr<MultiSessionManager> m_manager;
    std::unique_ptr<SessionListModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void TestSessionListModel::init()
{
    m_tester.reset();
    m_model.reset();
    m_manager.reset();
    m_home = std::make_unique<QTemporaryDir>();
    m_dir = MultiSessionManager::defaultSessionsDirectory(m_home->path());
    m_manager = std::make_unique<MultiSessionManager>(
        m_dir, [] { return 5.0; },
        [](const QString&, const QList<QUuid>&) -> std::optional<QUuid> { return firstSkin; }, true, 1800.0,
        MultiSessionTiming{20ms, 10000ms});
    m_model = std::make_unique<SessionListModel>(*m_manager);
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void TestSessionListModel::write(const QString& id, const QString& status, const QString& cwd)
{
    const QJsonObject object{
        {"session_id", id}, {"status", status}, {"cwd", cwd}, {"timestamp", "2025-01-15T10:30:45Z"}};
    QVERIFY(QDir().mkpath(m_dir));
    QVERIFY(TestFiles::replaceByRename(m_dir + u'/' + id + QStringLiteral(".json"),
                                       QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

QStringList TestSessionListModel::column(int role) const
{
    QStringList values;
    for (int row = 0; row < m_model->rowCount(); ++row)
        values << m_model->index(row).data(role).toString();
    return values;
}

void TestSessionListModel::rowsFollowTheDisplayOrder()
{
    write("a", "idle", "/w/api");
    write("b", "needs_input", "/w/api/");
    m_manager->startMonitoring();
    QTRY_COMPARE(m_model->rowCount(), 2);
    QCOMPARE(m_model->instanceCount(), 2);
    const QStringList ids = column(SessionListModel::SessionIdRole);
    // Newest first; the second session in a folder carries its number.
    QCOMPARE(ids, QStringList(m_manager->orderedSessionIds()));
    const int b = int(ids.indexOf("b"));
    QCOMPARE(m_model->index(b).data(SessionListModel::DisplayNameRole).toString(), QStringLiteral("api (2)"));
    QCOMPARE(m_model->index(b).data(SessionListModel::StatusRole).toInt(), int(ClaudeStatus::needsInput));
    QCOMPARE(m_model->index(b).data(SessionListModel::StatusNameRole).toString(),
             QStringLiteral("Needs Input"));
    QCOMPARE(m_model->index(b).data(SessionListModel::CwdNameRole).toString(), QStringLiteral("api"));
    QCOMPARE(m_model->index(b).data(SessionListModel::SkinIdRole).toString(),
             QStringLiteral("11111111-1111-1111-1111-111111111111"));
    QCOMPARE(m_model->index(b).data(SessionListModel::IdentityRole).toString(),
             QStringLiteral("b-11111111-1111-1111-1111-111111111111"));
    QCOMPARE(m_model->roleNames().value(SessionListModel::StatusColorRole), QByteArray("statusColor"));
}

void TestSessionListModel::stateChangeUpdatesTheRowInPlace()
{
    write("a", "idle", "/w/api");
    write("b", "idle", "/w/web");
    m_manager->startMonitoring();
    QTRY_COMPARE(m_model->rowCount(), 2);
    const int a = int(column(SessionListModel::SessionIdRole).indexOf("a"));

    QSignalSpy removed(m_model.get(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    write("a", "working", "/w/api");
    QTRY_COMPARE(m_model->index(a).data(SessionListModel::StatusRole).toInt(), int(ClaudeStatus::working));
    QCOMPARE(removed.count(), 0);
    QCOMPARE(inserted.count(), 0);
    // Only the state's roles changed, so a cat whose state stays is not told anything.
    QVERIFY(!changed.isEmpty());
    for (const auto& arguments : changed) {
        const auto roles = arguments.at(2).value<QList<int>>();
        QVERIFY(!roles.isEmpty());
        QVERIFY(!roles.contains(SessionListModel::SkinIdRole));
        QVERIFY(!roles.contains(SessionListModel::DisplayNameRole));
        QCOMPARE(arguments.at(0).value<QModelIndex>().row(), a);
    }
}

void TestSessionListModel::newSkinRebuildsOnlyThatCat()
{
    write("a", "idle", "/w/api");
    write("b", "idle", "/w/web");
    m_manager->startMonitoring();
    QTRY_COMPARE(m_model->rowCount(), 2);
    const QStringList before = column(SessionListModel::SessionIdRole);
    const QPersistentModelIndex other(m_model->index(int(before.indexOf("b"))));

    QSignalSpy removed(m_model.get(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    m_model->updateSkin("a", otherSkin.toString(QUuid::WithoutBraces));
    QCOMPARE(removed.count(), 1);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(column(SessionListModel::SessionIdRole), before); // same place
    const int a = int(before.indexOf("a"));
    QCOMPARE(m_model->index(a).data(SessionListModel::IdentityRole).toString(),
             QStringLiteral("a-22222222-2222-2222-2222-222222222222"));
    QVERIFY(other.isValid());
    QCOMPARE(other.data(SessionListModel::SessionIdRole).toString(), QStringLiteral("b"));

    LogCapture log;
    m_model->updateSkin("b", "not a uuid");
    QCOMPARE(log.lines(), QStringList("⚠️ Not a skin id: not a uuid"));
    QCOMPARE(other.data(SessionListModel::SkinIdRole).toString(),
             QStringLiteral("11111111-1111-1111-1111-111111111111"));
}

QTEST_GUILESS_MAIN(TestSessionListModel)
#include "tst_sessionlistmodel.moc"

void TestSessionListModel::oneCatForSeveralSessionsShowsTheMostUrgent()
{
    // status.json says what the last hook wrote; one session alone is what status.json shows.
    StatusManager statusFile(m_home->filePath("status.json"), [] { return 5.0; });
    StatusViewModel cat(statusFile, *m_manager);
    write("a", "working", "/w/api");
    m_manager->startMonitoring();
    QTRY_COMPARE(m_model->rowCount(), 1);
    QCOMPARE(cat.status(), ClaudeStatus::idle);
    const QList<std::tuple<QString, QString, ClaudeStatus>> steps{
        {"b", "idle", ClaudeStatus::working},
        {"b", "needs_input", ClaudeStatus::needsInput},
        {"b", "completed", ClaudeStatus::working},
        {"a", "idle", ClaudeStatus::completed},
    };
    for (const auto& [id, status, shown] : steps) {
        write(id, status, "/w/" + id);
        QTRY_COMPARE(cat.status(), shown);
    }
}

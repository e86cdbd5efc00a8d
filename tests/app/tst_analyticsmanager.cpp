#include "AnalyticsManager.h"
#include "ApplicationServices.h"
#include "LogCapture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkProxyFactory>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct Request
{
    QByteArray method;
    QByteArray path;
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;

    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
};

// A small HTTP/1.1 server on 127.0.0.1 that records each request and answers with a fixed status.
class HttpServer : public QObject
{
public:
    HttpServer()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    bool listen() { return m_server.listen(QHostAddress::LocalHost, 0); }
    void close() { m_server.close(); }
    QString url() const
    {
        return QStringLiteral("http://127.0.0.1:%1/api/analytics").arg(m_server.serverPort());
    }

    int status = 200;
    QList<Request> requests;

    const Request* find(const QString& event) const
    {
        for (const Request& request : requests) {
            if (request.json().value("event").toString() == event)
                return &request;
        }
        return nullptr;
    }

private:
    void read(QTcpSocket* socket)
    {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        Request request;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
        request.method = requestLine.value(0);
        request.path = requestLine.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                       lines[i].mid(colon + 1).trimmed());
        }
        const qsizetype length = request.headers.value("content-length").toLongLong();
        if (buffer.size() < headerEnd + 4 + length)
            return;
        request.body = buffer.mid(headerEnd + 4, length);
        m_buffers.remove(socket);
        requests.append(request);

        static const QMap<int, QByteArray> reasons{{200, "OK"},         {201, "Created"},
                                                   {204, "No Content"}, {400, "Bad Request"},
                                                   {404, "Not Found"},  {500, "Internal Server Error"}};
        socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reasons.value(status, "Status") +
                      "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_buffers;
};
} // namespace

class TestAnalyticsManager : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void eventsAreSentWithTheirBody();
    void deviceIdIsMadeOnceAndKept();
    void enabledSwitch();
    void storedEnabledValue_data();
    void storedEnabledValue();
    void otherStatusesAreFailures_data();
    void otherStatusesAreFailures();
    void noServerListening();
    void invalidURL();
    void defaultURL();
    void hookInstallerIsWiredToAnalyticsAndNotifications();

private:
    std::unique_ptr<AnalyticsManager> makeManager(const QString& url);
    QString storedValue(const QString& key) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_settingsPath;
    std::unique_ptr<HttpServer> m_server;
};

void TestAnalyticsManager::initTestCase()
{
    // The local server must be reached directly, whatever proxy the machine's environment names.
    QNetworkProxyFactory::setUseSystemConfiguration(false);
}

void TestAnalyticsManager::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_settingsPath = m_dir->filePath("config/Tabbywatch/Tabbywatch.conf");
    m_server = std::make_unique<HttpServer>();
    QVERIFY(m_server->listen());
}

std::unique_ptr<AnalyticsManager> TestAnalyticsManager::makeManager(const QString& url)
{
    return std::make_unique<AnalyticsManager>(
        std::make_unique<QSettings>(m_settingsPath, QSettings::IniFormat), url);
}

QString TestAnalyticsManager::storedValue(const QString& key) const
{
    return QSettings(m_settingsPath, QSettings::IniFormat).value(key).toString();
}

void TestAnalyticsManager::eventsAreSentWithTheirBody()
{
    LogCapture log;
    auto analytics = makeManager(m_server->url());
    QCOMPARE(log.lines(), QStringList{"📊 AnalyticsManager initialized (enabled: true)"});
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);

    analytics->track("onboarding_shown", QVariantMap{});
    analytics->track("hook_installation_completed", QVariantMap{{"had_existing_hooks", true}});
    analytics->track("preferences_opened", QVariantMap{{"tab", "Skins"}, {"count", 3}});
    analytics->track("custom_skin_created");
    // track only starts the request.
    QCOMPARE(log.countStartingWith("✅"), 0);

    QTRY_COMPARE(log.countStartingWith("✅ Analytics event sent: "), 4);
    for (const char* event :
         {"onboarding_shown", "hook_installation_completed", "preferences_opened", "custom_skin_created"})
        QCOMPARE(log.count(QStringLiteral("✅ Analytics event sent: ") + event), 1);
    QCOMPARE(m_server->requests.size(), 4);

    const QString deviceId = m_server->requests.first().json().value("device_id").toString();
    QVERIFY2(QRegularExpression("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$")
                 .match(deviceId)
                 .hasMatch(),
             qPrintable(deviceId));
    for (const Request& request : m_server->requests) {
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.path, QByteArray("/api/analytics"));
        QCOMPARE(request.headers.value("content-type"), QByteArray("application/json"));
        const QJsonObject body = request.json();
        QCOMPARE(request.body, QJsonDocument(body).toJson(QJsonDocument::Compact)); // compact UTF-8 JSON
        QCOMPARE(body.value("device_id").toString(), deviceId);
        const QString timestamp = body.value("timestamp").toString();
        QVERIFY2(QRegularExpression(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$)").match(timestamp).hasMatch(),
                 qPrintable(timestamp));
        const QDateTime sent = QDateTime::fromString(timestamp, Qt::ISODate);
        QVERIFY(sent >= before.addSecs(-1) && sent <= QDateTime::currentDateTimeUtc());
    }
    // Empty properties are sent as an empty object, none as no key at all.
    const auto properties = [&](const char* event) {
        return m_server->find(event)->json().value("properties");
    };
    QCOMPARE(properties("onboarding_shown"), QJsonValue(QJsonObject()));
    QCOMPARE(properties("hook_installation_completed"),
             QJsonValue(QJsonObject{{"had_existing_hooks", true}}));
    QCOMPARE(properties("preferences_opened"), QJsonValue(QJsonObject{{"tab", "Skins"}, {"count", 3}}));
    QVERIFY(!m_server->find("custom_skin_created")->json().contains("properties"));
    QCOMPARE(m_server->find("custom_skin_created")->json().keys(),
             (QStringList{"device_id", "event", "timestamp"}));
}

void TestAnalyticsManager::deviceIdIsMadeOnceAndKept()
{
    LogCapture log;
    QVERIFY(storedValue(AnalyticsManager::deviceIdKey).isEmpty());
    auto first = makeManager(m_server->url());
    first->track("app_launched");
    QTRY_COMPARE(m_server->requests.size(), 1);
    const QString deviceId = m_server->requests[0].json().value("device_id").toString();
    QCOMPARE(storedValue(AnalyticsManager::deviceIdKey), deviceId);

    // A later run sends the same id.
    auto later = makeManager(m_server->url());
    later->track("app_launched");
    QTRY_COMPARE(m_server->requests.size(), 2);
    QCOMPARE(m_server->requests[1].json().value("device_id").toString(), deviceId);
}

void TestAnalyticsManager::enabledSwitch()
{
    LogCapture log;
    auto analytics = makeManager(m_server->url());
    QSignalSpy changed(analytics.get(), &AnalyticsManager::enabledChanged);
    QVERIFY(analytics->isEnabled());

    analytics->setEnabled(false);
    QCOMPARE(log.lines().last(), QStringLiteral("📊 Analytics disabled"));
    QCOMPARE(changed.count(), 1);
    QVERIFY(!analytics->isEnabled());
    QCOMPARE(storedValue(AnalyticsManager::enabledKey), QStringLiteral("false"));
    analytics->track("app_launched");
    QCOMPARE(log.lines().last(), QStringLiteral("⏭️  Analytics disabled, skipping: app_launched"));
    QVERIFY(storedValue(AnalyticsManager::deviceIdKey).isEmpty());

    LogCapture restarted;
    auto later = makeManager(m_server->url());
    QCOMPARE(restarted.lines(), QStringList{"📊 AnalyticsManager initialized (enabled: false)"});
    later->setEnabled(true);
    QCOMPARE(restarted.lines().last(), QStringLiteral("📊 Analytics enabled"));
    later->track("onboarding_shown", QVariantMap{});
    QTRY_COMPARE(restarted.count("✅ Analytics event sent: onboarding_shown"), 1);
    // The skipped event never went out.
    QCOMPARE(m_server->requests.size(), 1);
}

void TestAnalyticsManager::storedEnabledValue_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("absent") << QVariant() << true;
    QTest::newRow("false") << QVariant(false) << false;
    QTest::newRow("true") << QVariant(true) << true;
    QTest::newRow("number") << QVariant(0) << true;
    QTest::newRow("text") << QVariant("no") << true;
}

void TestAnalyticsManager::storedEnabledValue()
{
    QFETCH(QVariant, stored);
    if (stored.isValid())
        QSettings(m_settingsPath, QSettings::IniFormat).setValue(AnalyticsManager::enabledKey, stored);
    QTEST(makeManager(m_server->url())->isEnabled(), "enabled");
}

void TestAnalyticsManager::otherStatusesAreFailures_data()
{
    QTest::addColumn<int>("status");
    for (int status : {201, 204, 400, 404, 500})
        QTest::addRow("%d", status) << status;
}

void TestAnalyticsManager::otherStatusesAreFailures()
{
    QFETCH(int, status);
    m_server->status = status;
    LogCapture log;
    auto analytics = makeManager(m_server->url());
    analytics->track("skin_selected", QVariantMap{{"skin_name", "Custom Skin"}, {"skin_type", "custom"}});
    const QString failed =
        QStringLiteral("⚠️ Analytics event failed: skin_selected (status: %1)").arg(status);
    QTRY_COMPARE(log.count(failed), 1);
    // Dropped, not retried.
    QTest::qWait(200);
    QCOMPARE(m_server->requests.size(), 1);
    QCOMPARE(log.countStartingWith("⚠️"), 1);
}

void TestAnalyticsManager::noServerListening()
{
    m_server->close(); // nothing listens on that port any more
    LogCapture log;
    auto analytics = makeManager(m_server->url());
    analytics->track("app_launched", QVariantMap{{"version", "0.1.0"}, {"build", "1"}});
    QTRY_COMPARE(log.count("⚠️ Analytics network error: Connection refused"), 1);
    QCOMPARE(log.lines().size(), 2);
}

void TestAnalyticsManager::invalidURL()
{
    LogCapture log;
    for (const char* url : {"http://exa mple.com/api/analytics", "/api/analytics", ""}) {
        makeManager(url)->track("app_launched");
        QCOMPARE(log.lines().last(), QStringLiteral("❌ Invalid analytics URL"));
    }
}

void TestAnalyticsManager::defaultURL()
{
    const QUrl url(AnalyticsManager::defaultAnalyticsURL());
    QCOMPARE(url.scheme(), QStringLiteral("https"));
    QCOMPARE(url.path(), QStringLiteral("/api/analytics"));
    QVERIFY(!url.host().isEmpty());
}

void TestAnalyticsManager::hookInstallerIsWiredToAnalyticsAndNotifications()
{
    const QString script = m_dir->filePath("share/status_writer.py");
    QVERIFY(QDir().mkpath(QFileInfo(script).path()));
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# idle_prompt\n");
    file.close();

    ApplicationServices::Paths paths{m_dir->filePath("home"), m_dir->filePath("autostart"),
                                     "/usr/bin/tabbywatch"};
    paths.hookHome = m_dir->filePath("home");
    paths.hookScriptSource = script;
    paths.analyticsURL = m_server->url();
    LogCapture log;
    ApplicationServices services(paths, std::make_unique<QSettings>(m_settingsPath, QSettings::IniFormat));
    QSignalSpy hookStatusChanged(&services.notifications(), &AppNotifications::hookStatusChanged);

    auto installer = services.makeHookInstaller();
    QVERIFY(installer->installHooks().has_value());
    QCOMPARE(hookStatusChanged.count(), 1);
    QVERIFY(QFileInfo::exists(m_dir->filePath("home/.claude/settings.json")));

    QTRY_COMPARE(m_server->requests.size(), 2);
    QVERIFY(!m_server->find("hook_installation_attempted")->json().contains("properties"));
    QCOMPARE(m_server->find("hook_installation_completed")->json().value("properties"),
             QJsonValue(QJsonObject{{"had_existing_hooks", false}}));
}

QTEST_GUILESS_MAIN(TestAnalyticsManager)
#include "tst_analyticsmanager.moc"

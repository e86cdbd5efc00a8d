#include "AnalyticsManager.h"
#include "ApplicationServices.h"
#include "LogCapture.h"
#include "PreferencesManager.h"
#include "TestFiles.h"

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
    QByteArray line;                      // "POST /path HTTP/1.1"
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;

    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
};

// A small HTTP/1.1 server on 127.0.0.1 that records each request and answers with a fixed status.
class HttpServer : public QTcpServer
{
public:
    int status = 200;
    QList<Request> requests;

    HttpServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket,
                        [this, socket, buffer = QByteArray()]() mutable { read(socket, buffer); });
        });
    }

    QString url() const { return QStringLiteral("http://127.0.0.1:%1/api/analytics").arg(serverPort()); }

    // The body of the request that carried the event, empty if none did.
    QJsonObject sent(const QString& event) const
    {
        for (const Request& request : requests)
            if (request.json().value("event") == event)
                return request.json();
        return {};
    }

private:
    void read(QTcpSocket* socket, QByteArray& buffer)
    {
        buffer += socket->readAll();
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        Request request;
        request.line = lines.first().trimmed();
        for (const QByteArray& line : lines.mid(1)) {
            const qsizetype colon = line.indexOf(':');
            request.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
        }
        const qsizetype length = request.headers.value("content-length").toLongLong();
        if (buffer.size() < headerEnd + 4 + length)
            return;
        request.body = buffer.mid(headerEnd + 4, length);
        requests.append(request);
        socket->write("HTTP/1.1 " + QByteArray::number(status) +
                      " Reason\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        socket->disconnectFromHost();
    }
};

bool matches(const char* pattern, const QString& text)
{
    return QRegularExpression(pattern).match(text).hasMatch();
}
} // namespace

class TestAnalyticsManager : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void eventsAreSentWithTheirBody();
    void enabledSwitch();
    void eachOutcomeIsLoggedOnce_data();
    void eachOutcomeIsLoggedOnce();
    void hookInstallerIsWiredToAnalyticsAndNotifications();

private:
    std::unique_ptr<QSettings> settings() const
    {
        return std::make_unique<QSettings>(m_settingsPath, QSettings::IniFormat);
    }
    // A new run: preferences read from the settings file, and a sender over them.
    auto makeManager(const QString& url)
    {
        m_preferences.push_back(
            std::make_unique<PreferencesManager>(settings(), nullptr, AutostartEntry({}, {})));
        return std::make_unique<AnalyticsManager>(*m_preferences.back(), url);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_settingsPath;
    std::unique_ptr<HttpServer> m_server;
    std::vector<std::unique_ptr<PreferencesManager>> m_preferences;
};

void TestAnalyticsManager::init()
{
    // The local server must be reached directly, whatever proxy the machine's environment names.
    QNetworkProxyFactory::setUseSystemConfiguration(false);
    m_preferences.clear();
    m_dir = std::make_unique<QTemporaryDir>();
    m_settingsPath = m_dir->filePath("config/Tabbywatch/Tabbywatch.conf");
    m_server = std::make_unique<HttpServer>();
    QVERIFY(m_server->listen(QHostAddress::LocalHost, 0));
}

void TestAnalyticsManager::eventsAreSentWithTheirBody()
{
    LogCapture log;
    auto analytics = makeManager(m_server->url());
    QCOMPARE(log.lines(), QStringList{"📊 AnalyticsManager initialized (enabled: true)"});

    analytics->track("onboarding_shown", QVariantMap{});
    analytics->track("hook_installation_completed", QVariantMap{{"had_existing_hooks", true}});
    analytics->track("preferences_opened", QVariantMap{{"tab", "Skins"}, {"count", 3}});
    // A later run, on the same settings, sends the same device id.
    auto laterRun = makeManager(m_server->url());
    laterRun->track("custom_skin_created");

    QTRY_COMPARE(log.countStartingWith("✅ Analytics event sent: "), 4);
    QCOMPARE(m_server->requests.size(), 4);

    const QString deviceId = m_server->requests.first().json().value("device_id").toString();
    QVERIFY2(matches("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$", deviceId),
             qPrintable(deviceId));
    for (const Request& request : m_server->requests) {
        QCOMPARE(request.line, QByteArray("POST /api/analytics HTTP/1.1"));
        QCOMPARE(request.headers.value("content-type"), QByteArray("application/json"));
        const QJsonObject body = request.json();
        QCOMPARE(log.count("✅ Analytics event sent: " + body.value("event").toString()), 1);
        QCOMPARE(request.body, QJsonDocument(body).toJson(QJsonDocument::Compact)); // compact UTF-8 JSON
        QCOMPARE(body.value("device_id").toString(), deviceId);
        const QString timestamp = body.value("timestamp").toString();
        QVERIFY2(matches(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$)", timestamp), qPrintable(timestamp));
    }
    // Empty properties are sent as an empty object, none as no key at all.
    QCOMPARE(m_server->sent("onboarding_shown").value("properties"), QJsonValue(QJsonObject()));
    QCOMPARE(m_server->sent("hook_installation_completed").value("properties"),
             QJsonValue(QJsonObject{{"had_existing_hooks", true}}));
    QCOMPARE(m_server->sent("custom_skin_created").keys(), (QStringList{"device_id", "event", "timestamp"}));
    QCOMPARE(settings()->value("analyticsDeviceId").toString(), deviceId);
}

void TestAnalyticsManager::enabledSwitch()
{
    LogCapture log;
    auto analytics = makeManager(m_server->url());

    analytics->setEnabled(false);
    QCOMPARE(log.lines().last(), QStringLiteral("📊 Analytics disabled"));
    QCOMPARE(settings()->value("analyticsEnabled").toString(), QStringLiteral("false"));
    analytics->track("app_launched");
    QCOMPARE(log.lines().last(), QStringLiteral("⏭️  Analytics disabled, skipping: app_launched"));
    QVERIFY(!settings()->contains("analyticsDeviceId"));

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

void TestAnalyticsManager::eachOutcomeIsLoggedOnce_data()
{
    QTest::addColumn<QString>("url"); // $server stands for the local server's address
    QTest::addColumn<int>("status");  // the local server's answer; 0: nothing listens
    QTest::addColumn<QString>("logged");
    const QString failed = QStringLiteral("⚠️ Analytics event failed: skin_selected (status: %1)");
    QTest::newRow("200") << "$server" << 200 << QStringLiteral("✅ Analytics event sent: skin_selected");
    for (int status : {201, 204, 400, 404, 500})
        QTest::addRow("%d", status) << "$server" << status << failed.arg(status);
    QTest::newRow("refused") << "$server" << 0
                             << QStringLiteral("⚠️ Analytics network error: Connection refused");
    for (const char* url : {"http://exa mple.com/api/analytics", "/api/analytics"})
        QTest::addRow("invalid URL '%s'", url) << url << 0 << QStringLiteral("❌ Invalid analytics URL");
    // A build without a usage-event address: nothing is sent and nothing logged.
    QTest::newRow("no address") << "" << 0 << QString();
}

void TestAnalyticsManager::eachOutcomeIsLoggedOnce()
{
    QFETCH(QString, url);
    QFETCH(int, status);
    QFETCH(QString, logged);
    m_server->status = status;
    if (status == 0)
        m_server->close();
    LogCapture log;
    auto analytics = makeManager(url.replace("$server", m_server->url()));
    analytics->track("skin_selected", QVariantMap{});
    if (!logged.isEmpty())
        QTRY_COMPARE(log.count(logged), 1);
    // Dropped, not retried, and nothing else said.
    QTest::qWait(200);
    QStringList expected{"📊 AnalyticsManager initialized (enabled: true)"};
    if (!logged.isEmpty())
        expected << logged;
    QCOMPARE(log.lines(), expected);
    QCOMPARE(m_server->requests.size(), status ? 1 : 0);
}

void TestAnalyticsManager::hookInstallerIsWiredToAnalyticsAndNotifications()
{
    const QString script = m_dir->filePath("status_writer.py");
    QVERIFY(TestFiles::replaceByRename(script, "import tabbywatch_hook\n"));
    QVERIFY(TestFiles::replaceByRename(m_dir->filePath("tabbywatch_hook.py"), "# idle_prompt\n"));
    const QString home = m_dir->filePath("home");
    LogCapture log;
    ApplicationServices services(
        {home, m_dir->filePath("autostart"), "/usr/bin/tabbywatch", home, script, m_server->url()},
        settings());
    QSignalSpy hookStatusChanged(&services.notifications(), &AppNotifications::hookStatusChanged);

    QVERIFY(services.makeHookInstaller()->installHooks().has_value());
    QCOMPARE(hookStatusChanged.count(), 1);
    QVERIFY(QFileInfo::exists(home + "/.claude/settings.json"));

    QTRY_COMPARE(m_server->requests.size(), 2);
    QCOMPARE(m_server->sent("hook_installation_attempted").keys(),
             (QStringList{"device_id", "event", "timestamp"}));
    QCOMPARE(m_server->sent("hook_installation_completed").value("properties"),
             QJsonValue(QJsonObject{{"had_existing_hooks", false}}));
}

QTEST_GUILESS_MAIN(TestAnalyticsManager)
#include "tst_analyticsmanager.moc"

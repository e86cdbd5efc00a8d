#include "BuildInfo.h"
#include "CommandLine.h"
#include "SingleInstance.h"
#include "UpdateController.h"

#include <QLocalSocket>
#include <QNetworkProxyFactory>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using Kind = CommandLine::Kind;
using Outcome = UpdateCheckResult::Outcome;

namespace {
QByteArray feed(const QByteArray& version, const QByteArray& url = "\"https://x.org/d\"")
{
    return R"({"notes":"Faster","version":)" + version + R"(,"url":)" + url + '}';
}
const QString failed = "Tabbywatch could not check for updates: ";
} // namespace

// The shell's ways in: the update check, the arguments of a second start, and how its commands reach
// the running instance.
class TestApplicationShell : public QObject
{
    Q_OBJECT
private slots:
    void feedEvaluation_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("text"); // with the running version 1.9.2
        const QString newer =
            "Tabbywatch %1 is available (you have 1.9.2). Would you like to open the download page?";
        const QString same = "Tabbywatch 1.9.2 is the newest version available.";
        const QString noVersion = failed + "the update information has no valid version.";
        const QString noPage = failed + "the update information has no valid download address.";
        QTest::newRow("numeric parts") << feed("\"1.9.10\"") << newer.arg("1.9.10");
        QTest::newRow("leading v") << feed("\"v2\"") << newer.arg("v2");
        QTest::newRow("missing parts are 0") << feed("\"1.9.2.0\"") << same;
        QTest::newRow("older, page not needed") << feed("\"1.9\"", "\"ftp://x\"") << same;
        for (const char* version :
             {"\"1.9.3-beta\"", "\"1..9\"", "\"\"", "\"v\"", "\"2 \"", "\"99999999999\"", "2"})
            QTest::addRow("version %s", version) << feed(version) << noVersion;
        QTest::newRow("no version") << QByteArray("{\"url\":\"https://x.org\"}") << noVersion;
        for (const char* url : {"\"ftp://x.org/d\"", "\"javascript:alert(1)\"", "\"https://\"", "7"})
            QTest::addRow("page %s", url) << feed("\"2.0\"", url) << noPage;
        for (const char* body : {"<html>", "[]"})
            QTest::addRow("body %s", body)
                << QByteArray(body) << failed + "the update information is not valid JSON.";
    }

    void feedEvaluation()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, text);
        const UpdateCheckResult result = evaluateUpdateFeed(body, "1.9.2");
        QCOMPARE(result.text, text);
        if (result.outcome == Outcome::updateAvailable)
            QCOMPARE(result.pageURL.toString() + result.notes, "https://x.org/dFaster");
    }

    void checkAgainstServer_data()
    {
        QTest::addColumn<int>("status"); // 0: never answers
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("text");
        QTest::newRow("newer") << 200 << feed("\"2.0\"") << Outcome::updateAvailable << "";
        QTest::newRow("same") << 200 << feed("\"1.0\"") << Outcome::upToDate << "";
        QTest::newRow("garbage") << 200 << QByteArray("\x01\xff") << Outcome::failed << "is not valid JSON";
        QTest::newRow("500") << 500 << feed("\"2.0\"") << Outcome::failed << "HTTP status 500";
        QTest::newRow("huge") << 200 << QByteArray(100'000, ' ') << Outcome::failed
                              << "information is too large";
        QTest::newRow("no answer") << 0 << QByteArray() << Outcome::failed << "server did not answer in time";
    }

    void checkAgainstServer()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(Outcome, outcome);
        QFETCH(QString, text);
        QNetworkProxyFactory::setUseSystemConfiguration(false);
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        connect(&server, &QTcpServer::newConnection, &server, [&] {
            QTcpSocket* socket = server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [=] {
                if (socket->readAll().endsWith("\r\n\r\n") && status != 0)
                    socket->write("HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Length: " +
                                  QByteArray::number(body.size()) + "\r\n\r\n" + body);
            });
        });

        UpdateController controller(QStringLiteral("http://127.0.0.1:%1/feed.json").arg(server.serverPort()),
                                    "1.0", std::chrono::milliseconds(300));
        QSignalSpy finished(&controller, &UpdateController::checkFinished);
        QVERIFY(controller.checkForUpdates());
        QVERIFY(!controller.checkForUpdates()); // one at a time
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.count(), 1);
        const auto result = finished.first().first().value<UpdateCheckResult>();
        QCOMPARE(result.outcome, outcome);
        QVERIFY2(result.text.contains(text), qPrintable(result.text));
        QVERIFY(controller.checkForUpdates()); // the next one may start; it is dropped with the controller
        QVERIFY(!UpdateController("", "1.0").checkForUpdates());
    }

    void commandLine_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("expected"); // the commands, or a part of the text to print
        QTest::newRow("nothing") << "" << Kind::run << "activate";
        QTest::newRow("in order") << "--onboarding --preferences=history --toggle --quit" << Kind::run
                                  << "onboarding preferences=history toggle quit";
        QTest::newRow("tab is optional") << "--preferences about --preferences --quit" << Kind::run
                                         << "preferences=about preferences=installation quit";
        QTest::newRow("help") << "--toggle -h" << Kind::help << "Usage: tabbywatch [options]\n";
        QTest::newRow("version")
            << "--version" << Kind::version
            << QStringLiteral("Tabbywatch %1 (build %2)\n").arg(BuildInfo::version, BuildInfo::build);
        QTest::newRow("unknown option")
            << "--bogus --help" << Kind::error << "tabbywatch: Unknown option 'bogus'.";
        QTest::newRow("bad tab") << "--preferences=kitchen" << Kind::error
                                 << "Unknown preferences tab 'kitchen'";
        QTest::newRow("stray argument") << "--toggle skins" << Kind::error << "Unexpected argument 'skins'.";
    }

    void commandLine()
    {
        QFETCH(QString, arguments);
        QFETCH(Kind, kind);
        QFETCH(QString, expected);
        const CommandLine::Result result =
            CommandLine::parse(QStringList{"/usr/bin/tabbywatch"} + arguments.split(' ', Qt::SkipEmptyParts));
        QCOMPARE(result.kind, kind);
        QCOMPARE(result.exitCode, kind == Kind::error ? 2 : 0);
        if (kind != Kind::run)
            QVERIFY2(result.output.contains(expected) && result.commands.isEmpty(),
                     qPrintable(result.output));
        else
            QCOMPARE(result.commands.join(' '), expected);
        for (const QString& command : result.commands)
            QVERIFY(CommandLine::isCommand(command)); // what the running instance accepts
    }

    void handOver()
    {
        // Starting where a crashed instance left its socket, with nobody listening.
        const QString name = m_dir.filePath("tabbywatch.socket");
        sockaddr_un address{AF_UNIX, {}};
        qstrncpy(address.sun_path, QFile::encodeName(name).constData(), sizeof address.sun_path);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
        QVERIFY(!SingleInstance(name).sendToRunning({"activate"}, 500));

        SingleInstance first(name);
        QVERIFY(first.listen());
        QVERIFY(!SingleInstance(name).listen()); // a live instance is never displaced
        QSignalSpy received(&first, &SingleInstance::commandReceived);

        // The sender blocks, so it runs beside the event loop that serves it.
        bool acknowledged = false;
        std::unique_ptr<QThread> sender(QThread::create([&] {
            acknowledged = SingleInstance(name).sendToRunning({"preferences=skins", "toggle", "quit"}, 5000);
        }));
        sender->start();
        QTRY_VERIFY_WITH_TIMEOUT(sender->isFinished(), 5000);
        QVERIFY(acknowledged);
        QCOMPARE(received, (QList<QVariantList>{{"preferences=skins"}, {"toggle"}, {"quit"}}));
    }

    void badClientsAreDropped_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("unknown word") << QByteArray("toggle\nrm -rf\n\n");
        QTest::newRow("empty message") << QByteArray("\n\n");
        QTest::newRow("binary") << QByteArray("\0\xff\xfe\n\n", 5);
        QTest::newRow("oversized") << QByteArray(SingleInstance::maxMessageBytes, 'q') + "\n\n";
        QTest::newRow("unfinished") << QByteArray("toggle\n");
        QTest::newRow("silent") << QByteArray();
    }

    void badClientsAreDropped()
    {
        QFETCH(QByteArray, message);
        SingleInstance server(m_dir.filePath(QTest::currentDataTag()), std::chrono::milliseconds(300));
        QVERIFY(server.listen());
        QSignalSpy received(&server, &SingleInstance::commandReceived);
        QLocalSocket bad, good;
        bad.connectToServer(server.serverName());
        QSignalSpy dropped(&bad, &QLocalSocket::disconnected);
        bad.write(message);
        QVERIFY(dropped.wait(5000));

        // The server is still there for a good client.
        good.connectToServer(server.serverName());
        good.write("onboarding\n\n");
        QTRY_VERIFY(good.bytesAvailable() >= 3);
        QCOMPARE(good.readAll(), "ok\n");
        QCOMPARE(received, QList<QVariantList>{{"onboarding"}});
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestApplicationShell)
#include "tst_applicationshell.moc"

#include "DesktopNotifications.h"
#include "LogCapture.h"
#include "PreferencesManager.h"
#include "SessionNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// A notification server on its own bus connection that records what it is asked.
class RecordingServer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call
    {
        uint replacesId;
        QString summary, body;
    };
    QList<Call> calls;
    QList<uint> closed;
    QDBusConnection connection = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "server");

    ~RecordingServer() override { QDBusConnection::disconnectFromBus("server"); }

    bool start()
    {
        return connection.registerObject("/org/freedesktop/Notifications", this,
                                         QDBusConnection::ExportAllSlots) &&
               connection.registerService("org.freedesktop.Notifications");
    }
    void click(uint id)
    {
        QDBusMessage signal = QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                         "org.freedesktop.Notifications", "ActionInvoked");
        connection.send(signal << id << QString("default"));
    }

public slots:
    uint Notify(const QString&, uint replacesId, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int)
    {
        calls.append({replacesId, summary, body});
        return replacesId ? replacesId : uint(calls.size()) + 40;
    }
    void CloseNotification(uint id) { closed.append(id); }
};

class TestSessionNotifier : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_preferences = std::make_unique<PreferencesManager>(
            std::make_unique<QSettings>(m_dir->filePath("t.conf"), QSettings::IniFormat), nullptr,
            AutostartEntry(m_dir->filePath("autostart"), "/usr/bin/true"));
    }

    void decisions_data()
    {
        QTest::addColumn<bool>("completedOn");
        QTest::addColumn<bool>("needsInputOn");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<QList<ClaudeStatus>>("statuses");
        QTest::addColumn<int>("notifications");
        using enum ClaudeStatus;
        QTest::newRow("needs input") << false << true << false << QList{working, needsInput} << 1;
        QTest::newRow("same state again") << false << true << false << QList{needsInput, needsInput} << 1;
        QTest::newRow("turns again") << false << true << false << QList{needsInput, working, needsInput} << 2;
        QTest::newRow("needs input off") << false << false << false << QList{working, needsInput} << 0;
        QTest::newRow("completed off") << false << true << false << QList{working, completed} << 0;
        QTest::newRow("completed on") << true << true << false << QList{working, completed} << 1;
        QTest::newRow("cat on screen") << true << true << true << QList{needsInput, completed} << 0;
    }

    void decisions()
    {
        QFETCH(bool, completedOn);
        QFETCH(bool, needsInputOn);
        QFETCH(bool, visible);
        QFETCH(QList<ClaudeStatus>, statuses);
        QFETCH(int, notifications);
        RecordingServer server;
        if (!server.start())
            QSKIP("no session bus: the test runs under dbus-run-session");
        m_preferences->setNotifyWhenCompleted(completedOn);
        m_preferences->setNotifyWhenNeedsInput(needsInputOn);
        DesktopNotifications client;
        SessionNotifier notifier(client, *m_preferences, [&](const QString&) { return visible; });
        QSignalSpy shown(&notifier, &SessionNotifier::showSessionRequested);
        SessionInstance session;
        session.sessionId = "s1";
        session.cwd = "/src/tabby";
        for (ClaudeStatus status : statuses) {
            session.status = status;
            notifier.sessionsChanged({{session.sessionId, session}});
            QTest::qWait(50); // the server's answer arrives before the next change
        }
        QTRY_COMPARE(server.calls.size(), notifications);
        if (notifications == 0)
            return;
        // One notification per session, replaced; the folder and the state in its text.
        QCOMPARE(server.calls.first().replacesId, 0u);
        QCOMPARE(server.calls.last().replacesId, notifications > 1 ? 41u : 0u);
        QVERIFY(server.calls.last().summary.startsWith("tabby "));
        QVERIFY(server.calls.last().body.contains(claudeStatusDisplayName(statuses.last())));
        server.click(41);
        QTRY_COMPARE(shown.size(), 1);
        QCOMPARE(shown.first().first().toString(), "s1");
        notifier.sessionsChanged({});
        QTRY_COMPARE(server.closed, QList<uint>{41});
    }

    void withoutServerOneLine()
    {
        LogCapture log;
        DesktopNotifications client;
        SessionNotifier notifier(client, *m_preferences, {});
        SessionInstance session;
        session.status = ClaudeStatus::needsInput;
        for (const char* id : {"a", "b"}) {
            session.sessionId = id;
            notifier.sessionsChanged({{id, session}});
        }
        QTRY_COMPARE(log.countStartingWith("⚠️ Desktop notifications are unavailable: "), 1);
        QTest::qWait(100);
        QCOMPARE(log.lines().size(), 1);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PreferencesManager> m_preferences;
};

QTEST_GUILESS_MAIN(TestSessionNotifier)
#include "tst_sessionnotifier.moc"

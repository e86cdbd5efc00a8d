#include "DesktopNotifications.h"
#include "LogCapture.h"
#include "PreferencesManager.h"
#include "SessionNotifier.h"

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
    QList<QStringList> calls; // replaces_id, summary, body
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "server");
    ~RecordingServer() override { QDBusConnection::disconnectFromBus("server"); }

public slots:
    uint Notify(const QString&, uint replacesId, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int)
    {
        calls.append({QString::number(replacesId), summary, body});
        return replacesId ? replacesId : uint(calls.size()) + 40;
    }
};

class TestSessionNotifier : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    PreferencesManager m_preferences{
        std::make_unique<QSettings>(m_dir.filePath("t.conf"), QSettings::IniFormat), nullptr,
        AutostartEntry(m_dir.filePath("autostart"), "/usr/bin/true")};

private slots:
    void decisions_data()
    {
        // The row's name sets the switches and whether the cat is on screen.
        QTest::addColumn<QList<ClaudeStatus>>("statuses");
        QTest::addColumn<int>("notifications");
        using enum ClaudeStatus;
        QTest::newRow("needs input") << QList{working, needsInput} << 1;
        QTest::newRow("same state again") << QList{needsInput, needsInput} << 1;
        QTest::newRow("turns again") << QList{needsInput, working, needsInput} << 2;
        QTest::newRow("needs input off") << QList{working, needsInput} << 0;
        QTest::newRow("completed off") << QList{working, completed} << 0;
        QTest::newRow("completed on") << QList{working, completed} << 1;
        QTest::newRow("cat on screen") << QList{needsInput, completed} << 0;
    }

    void decisions()
    {
        QFETCH(QList<ClaudeStatus>, statuses);
        QFETCH(int, notifications);
        RecordingServer server;
        if (!server.bus.registerObject("/org/freedesktop/Notifications", &server,
                                       QDBusConnection::ExportAllSlots) ||
            !server.bus.registerService("org.freedesktop.Notifications"))
            QSKIP("no session bus: the test runs under dbus-run-session");
        const QByteArray row = QTest::currentDataTag();
        m_preferences.setNotifyWhenCompleted(row == "completed on");
        m_preferences.setNotifyWhenNeedsInput(row != "needs input off");
        DesktopNotifications client;
        SessionNotifier notifier(client, m_preferences,
                                 [&](const QString&) { return row == "cat on screen"; });
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
        QCOMPARE(server.calls.last()[0], notifications > 1 ? "41" : "0");
        QVERIFY(server.calls.last()[1].startsWith("tabby "));
        QVERIFY(server.calls.last()[2].contains(claudeStatusDisplayName(statuses.last())));
        server.bus.send(QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                   "org.freedesktop.Notifications", "ActionInvoked")
                        << 41u << QString("default"));
        QTRY_COMPARE(shown.size(), 1);
        QCOMPARE(shown.first().first().toString(), "s1");
    }

    void withoutServerOneLine()
    {
        LogCapture log;
        DesktopNotifications client;
        SessionNotifier notifier(client, m_preferences, {});
        SessionInstance a, b;
        a.sessionId = "a", b.sessionId = "b", a.status = b.status = ClaudeStatus::needsInput;
        notifier.sessionsChanged({{"a", a}, {"b", b}});
        QTRY_COMPARE(log.countStartingWith("⚠️ Desktop notifications are unavailable: "), 1);
        QTest::qWait(100);
        QCOMPARE(log.lines().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSessionNotifier)
#include "tst_sessionnotifier.moc"

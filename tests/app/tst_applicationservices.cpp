#include "ApplicationServices.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestApplicationServices : public QObject
{
    Q_OBJECT
private slots:
    void sessionManagerFollowsThePreferences();
    void skinsFollowThePreferencesAndReachSessions();
};

void TestApplicationServices::sessionManagerFollowsThePreferences()
{
    QTemporaryDir dir;
    const QString settingsPath = dir.filePath("config/Tabbywatch/Tabbywatch.conf");
    QVERIFY(QDir().mkpath(QFileInfo(settingsPath).path()));
    QFile settings(settingsPath);
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[General]\nmultiInstanceEnabled=false\nstaleSessionTimeout=60\n");
    settings.close();

    ApplicationServices services(
        {dir.filePath("home"), dir.filePath("config/autostart"), "/usr/bin/tabbywatch"},
        std::make_unique<QSettings>(settingsPath, QSettings::IniFormat));
    MultiSessionManager& sessions = services.multiSessionManager();
    // The stored values hold from the start: after a restart with multi-cat mode off, one cat shows.
    QVERIFY(!sessions.isMultiInstanceEnabled());
    QCOMPARE(sessions.staleTimeout(), 60.0);
    QCOMPARE(sessions.sessionsDirectory(), dir.filePath("home/.tabbywatch/sessions"));

    services.preferences().setMultiInstanceEnabled(true);
    services.preferences().setStaleSessionTimeout(120);
    QVERIFY(sessions.isMultiInstanceEnabled());
    QCOMPARE(sessions.staleTimeout(), 120.0);
}

void TestApplicationServices::skinsFollowThePreferencesAndReachSessions()
{
    QTemporaryDir dir;
    const QString defaultCat = "00000000-0000-0000-0000-000000000001";
    const QString orange = "3F6B2C1E-8A4D-4F7B-9C2E-5D1A7B3E9F04";
    ApplicationServices::Paths paths{dir.filePath("home"), dir.filePath("config/autostart"),
                                     "/usr/bin/tabbywatch"};
    paths.bundledSkinsDirectory = QStringLiteral(TABBYWATCH_BUNDLED_SKINS);
    const QString settingsPath = dir.filePath("config/Tabbywatch/Tabbywatch.conf");
    {
        ApplicationServices services(paths, std::make_unique<QSettings>(settingsPath, QSettings::IniFormat));
        SkinManager& skins = services.skinManager();
        QCOMPARE(skins.skinsDirectory(), dir.filePath("home/.local/share/Tabbywatch/Skins"));
        QCOMPARE(skins.currentSkin().name, "Default Cat");
        skins.selectSkin(orange);
        QCOMPARE(services.preferences().selectedSkinID(), QUuid(orange));

        // New sessions get the bundled skins in turn.
        const QString sessions = dir.filePath("home/.tabbywatch/sessions");
        QVERIFY(QDir().mkpath(sessions));
        for (const char* id : {"session-a", "session-b"}) {
            QFile file(sessions + "/" + id + ".json");
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(
                QStringLiteral(R"({"session_id":"%1","status":"working","timestamp":"%2","claude_pid":%3})")
                    .arg(id, QDateTime::currentDateTimeUtc().toString(Qt::ISODate))
                    .arg(QCoreApplication::applicationPid())
                    .toUtf8());
        }
        MultiSessionManager& manager = services.multiSessionManager();
        manager.startMonitoring();
        QTRY_COMPARE(manager.instances().size(), 2);
        QSet<QUuid> given;
        for (const SessionInstance& instance : manager.instances())
            given.insert(instance.selectedSkinId.value_or(QUuid()));
        QCOMPARE(given, (QSet<QUuid>{QUuid(defaultCat), QUuid(orange)}));
    }
    // The choice holds at the next start.
    ApplicationServices again(paths, std::make_unique<QSettings>(settingsPath, QSettings::IniFormat));
    QCOMPARE(again.skinManager().currentSkin().name, "Orange Tabby");
}

QTEST_GUILESS_MAIN(TestApplicationServices)
#include "tst_applicationservices.moc"

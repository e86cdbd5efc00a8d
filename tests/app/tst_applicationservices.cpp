#include "ApplicationServices.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestApplicationServices : public QObject
{
    Q_OBJECT
private slots:
    void sessionManagerFollowsThePreferences();
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

QTEST_GUILESS_MAIN(TestApplicationServices)
#include "tst_applicationservices.moc"

#include "AppNotifications.h"
#include "LogCapture.h"
#include "PreferencesManager.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestPreferencesManager : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void defaultsOnFirstStart();
    void storedValuesOfTheWrongKindLoadAsDefaults_data();
    void storedValuesOfTheWrongKindLoadAsDefaults();
    void assignmentsPersist();
    void sideEffectsRunOnEveryAssignment();
    void savedWindowPosition();
    void loadingWritesNothing();
    void launchAtLogin();

private:
    std::unique_ptr<PreferencesManager> makePreferences();
    void writeSettingsFile(const QByteArray& ini);
    QByteArray settingsFileBytes() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_settingsPath;
    QString m_autostartDir;
    AppNotifications m_notifications;
};

void TestPreferencesManager::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_settingsPath = m_dir->filePath("config/Tabbywatch/Tabbywatch.conf");
    m_autostartDir = m_dir->filePath("config/autostart");
}

std::unique_ptr<PreferencesManager> TestPreferencesManager::makePreferences()
{
    return std::make_unique<PreferencesManager>(
        std::make_unique<QSettings>(m_settingsPath, QSettings::IniFormat), &m_notifications,
        AutostartEntry(m_autostartDir, "/opt/tabby watch/bin/tabbywatch"));
}

void TestPreferencesManager::writeSettingsFile(const QByteArray& ini)
{
    QVERIFY(QDir().mkpath(QFileInfo(m_settingsPath).path()));
    QFile file(m_settingsPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(ini);
}

QByteArray TestPreferencesManager::settingsFileBytes() const
{
    QFile file(m_settingsPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestPreferencesManager::defaultsOnFirstStart()
{
    auto prefs = makePreferences();
    QCOMPARE(prefs->windowSize(), 200.0);
    QCOMPARE(prefs->windowOpacity(), 1.0);
    QVERIFY(prefs->showOverlay());
    QCOMPARE(prefs->layoutMode(), LayoutMode::horizontalBar);
    QVERIFY(prefs->multiInstanceEnabled());
    QCOMPARE(prefs->staleSessionTimeout(), 1800.0);
    QCOMPARE(prefs->celebrationDuration(), 5.0);
    QVERIFY(!prefs->isCompactMode());
    QVERIFY(!prefs->selectedSkinID());
    QVERIFY(!prefs->launchAtLogin());
    QVERIFY(!prefs->skipOnboardingWindow());
    QVERIFY(!prefs->savedWindowPosition());
}

void TestPreferencesManager::storedValuesOfTheWrongKindLoadAsDefaults_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<double>("windowSize");
    QTest::addColumn<bool>("showOverlay");
    QTest::addColumn<int>("layoutMode");
    QTest::addColumn<QString>("skin");

    const int bar = int(LayoutMode::horizontalBar);
    QTest::newRow("clean values") << QByteArray(
                                         "[General]\nwindowSize=300\nshowOverlay=false\nlayoutMode=list\n"
                                         "selectedSkinID=00000000-0000-0000-0000-000000000001\n")
                                  << 300.0 << false << int(LayoutMode::list)
                                  << "{00000000-0000-0000-0000-000000000001}";
    QTest::newRow("wrong kinds") << QByteArray("[General]\nwindowSize=big\nshowOverlay=1\nlayoutMode=Grid\n"
                                               "selectedSkinID=not-a-uuid\n")
                                 << 200.0 << true << bar << "";
    QTest::newRow("non-finite number")
        << QByteArray("[General]\nwindowSize=nan\nshowOverlay=yes\n") << 200.0 << true << bar << "";
    QTest::newRow("garbage file") << QByteArray("\x00\x01\xff garbage ===\n[[[\nwindowSize\n", 30) << 200.0
                                  << true << bar << "";
}

void TestPreferencesManager::storedValuesOfTheWrongKindLoadAsDefaults()
{
    QFETCH(QByteArray, ini);
    QFETCH(double, windowSize);
    QFETCH(bool, showOverlay);
    QFETCH(int, layoutMode);
    QFETCH(QString, skin);
    writeSettingsFile(ini);
    auto prefs = makePreferences();
    QCOMPARE(prefs->windowSize(), windowSize);
    QCOMPARE(prefs->showOverlay(), showOverlay);
    QCOMPARE(int(prefs->layoutMode()), layoutMode);
    QCOMPARE(prefs->selectedSkinID() ? prefs->selectedSkinID()->toString() : QString(), skin);
}

void TestPreferencesManager::assignmentsPersist()
{
    const QUuid skin = QUuid::createUuid();
    {
        auto prefs = makePreferences();
        prefs->setWindowSize(300);
        prefs->setCelebrationDuration(2.5);
        prefs->setCompactMode(true);
        prefs->setLayoutMode(LayoutMode::grid);
        prefs->setSelectedSkinID(skin);
        prefs->setMultiInstanceEnabled(false);
        prefs->setStaleSessionTimeout(60);
        prefs->setSkipOnboardingWindow(true);
    }
    QSettings raw(m_settingsPath, QSettings::IniFormat);
    QCOMPARE(raw.value("selectedSkinID").toString(), skin.toString(QUuid::WithoutBraces).toUpper());
    QCOMPARE(raw.value("layoutMode").toString(), QStringLiteral("grid"));

    auto prefs = makePreferences();
    QCOMPARE(prefs->windowSize(), 300.0);
    QCOMPARE(prefs->celebrationDuration(), 2.5);
    QVERIFY(prefs->isCompactMode());
    QCOMPARE(prefs->layoutMode(), LayoutMode::grid);
    QCOMPARE(prefs->selectedSkinID(), skin);
    QVERIFY(!prefs->multiInstanceEnabled());
    QCOMPARE(prefs->staleSessionTimeout(), 60.0);
    QVERIFY(prefs->skipOnboardingWindow());

    prefs->setSelectedSkinID(std::nullopt);
    QVERIFY(!QSettings(m_settingsPath, QSettings::IniFormat).contains("selectedSkinID"));
}

void TestPreferencesManager::sideEffectsRunOnEveryAssignment()
{
    auto prefs = makePreferences();
    QSignalSpy compact(&m_notifications, &AppNotifications::compactModeChanged);
    QSignalSpy layout(&m_notifications, &AppNotifications::layoutModeChanged);
    QSignalSpy size(&m_notifications, &AppNotifications::windowSizeChanged);
    QSignalSpy multi(prefs.get(), &PreferencesManager::multiInstanceEnabledChanged);
    QSignalSpy stale(prefs.get(), &PreferencesManager::staleSessionTimeoutChanged);

    prefs->setCompactMode(false); // unchanged value still posts
    prefs->setCompactMode(false);
    prefs->setLayoutMode(LayoutMode::horizontalBar);
    prefs->setWindowSize(300); // the size menus post this one, not the store
    prefs->setMultiInstanceEnabled(true);
    prefs->setStaleSessionTimeout(1800);
    QCOMPARE(compact.count(), 2);
    QCOMPARE(layout.count(), 1);
    QCOMPARE(size.count(), 0);
    QCOMPARE(multi.count(), 1);
    QCOMPARE(multi.first().first().toBool(), true);
    QCOMPARE(stale.first().first().toDouble(), 1800.0);
}

void TestPreferencesManager::savedWindowPosition()
{
    writeSettingsFile("[General]\nwindowPositionX=120.5\n");
    QVERIFY(!makePreferences()->savedWindowPosition());
    writeSettingsFile("[General]\nwindowPositionX=120.5\nwindowPositionY=left\n");
    QVERIFY(!makePreferences()->savedWindowPosition());

    auto prefs = makePreferences();
    prefs->saveWindowPosition(QPointF(10, -20.25));
    QCOMPARE(prefs->savedWindowPosition(), QPointF(10, -20.25));
    QCOMPARE(makePreferences()->savedWindowPosition(), QPointF(10, -20.25));
}

void TestPreferencesManager::loadingWritesNothing()
{
    const QByteArray garbage("windowSize = = 3\n[broken\n\x01\x02 not ini\n");
    writeSettingsFile(garbage);
    {
        auto prefs = makePreferences();
        QCOMPARE(prefs->windowSize(), 200.0);
        // A file that does not parse is the user's to mend: assignments are not written over it.
        QVERIFY(!prefs->isPersistent());
        prefs->setWindowSize(300);
    }
    QCOMPARE(settingsFileBytes(), garbage);

    // A file that cannot be read is never replaced, even when a setting is assigned.
    if (::geteuid() == 0)
        QSKIP("root reads any file");
    QFile(m_settingsPath).setPermissions(QFileDevice::WriteOwner);
    {
        LogCapture log;
        auto prefs = makePreferences();
        QVERIFY(!prefs->isPersistent());
        QCOMPARE(log.countStartingWith("⚠️ Could not read settings"), 1);
        prefs->setWindowSize(400);
        QCOMPARE(prefs->windowSize(), 400.0);
    }
    QFile(m_settingsPath).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(settingsFileBytes(), garbage);
}

void TestPreferencesManager::launchAtLogin()
{
    auto prefs = makePreferences();
    const QString entry = m_autostartDir + "/tabbywatch.desktop";
    prefs->setLaunchAtLogin(true);
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(text.startsWith("[Desktop Entry]\n"));
    QVERIFY(text.contains("\nExec=\"/opt/tabby watch/bin/tabbywatch\"\n"));
    file.close();

    prefs->setLaunchAtLogin(false);
    QVERIFY(!QFile::exists(entry));
    prefs->setLaunchAtLogin(false); // nothing to remove is not a failure

    // A file where the autostart folder should be makes the registration fail; the choice is kept.
    QVERIFY(QFile(m_autostartDir).remove() || !QFileInfo(m_autostartDir).isFile());
    QVERIFY(QDir(m_autostartDir).removeRecursively());
    QFile blocker(m_autostartDir);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LogCapture log;
    prefs->setLaunchAtLogin(true);
    QCOMPARE(log.countStartingWith("Failed to update launch at login: "), 1);
    QVERIFY(prefs->launchAtLogin());
    QCOMPARE(makePreferences()->launchAtLogin(), true);
}

QTEST_GUILESS_MAIN(TestPreferencesManager)
#include "tst_preferencesmanager.moc"

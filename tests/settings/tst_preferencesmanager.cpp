#include "AppNotifications.h"
#include "LogCapture.h"
#include "PreferenceValue.h"
#include "PreferencesManager.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestPreferencesManager : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void storedValuesRead_data();
    void storedValuesRead();
    void defaultsOnFirstStart();
    void fileOfThePreviousVersionReadsAndRewritesUnchanged();
    void sideEffectsRunOnEveryAssignment();
    void unreadableFilesAreNeverOverwritten();
    void launchAtLogin();
    void launchAtLoginFollowsInstall();

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

void TestPreferencesManager::storedValuesRead_data()
{
    QTest::addColumn<PreferenceKind>("kind");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QVariant>("expected"); // invalid: not a value of the kind, the default applies

    const QUuid skin("{00000000-0000-0000-0000-00000000000a}");
    const QVariant none;
    QTest::newRow("number from INI text") << PreferenceKind::number << QVariant(" 300 ") << QVariant(300.0);
    QTest::newRow("number: word") << PreferenceKind::number << QVariant("big") << none;
    QTest::newRow("number: nan") << PreferenceKind::number << QVariant("nan") << none;
    QTest::newRow("number: bool") << PreferenceKind::number << QVariant(true) << none;
    QTest::newRow("bool from text") << PreferenceKind::boolean << QVariant("false") << QVariant(false);
    QTest::newRow("bool: 1") << PreferenceKind::boolean << QVariant("1") << none;
    QTest::newRow("bool: yes") << PreferenceKind::boolean << QVariant("yes") << none;
    QTest::newRow("uuid") << PreferenceKind::uuid << QVariant("00000000-0000-0000-0000-00000000000A")
                          << QVariant::fromValue(skin);
    QTest::newRow("uuid: not one") << PreferenceKind::uuid << QVariant("not-a-uuid") << none;
    QTest::newRow("layout") << PreferenceKind::layoutMode << QVariant("list")
                            << QVariant::fromValue(LayoutMode::list);
    QTest::newRow("layout: wrong case") << PreferenceKind::layoutMode << QVariant("Grid") << none;
    QTest::newRow("text") << PreferenceKind::text << QVariant("A1") << QVariant("A1");
    QTest::newRow("missing") << PreferenceKind::number << none << none;
}

void TestPreferencesManager::storedValuesRead()
{
    QFETCH(PreferenceKind, kind);
    QFETCH(QVariant, stored);
    QFETCH(QVariant, expected);
    const auto read = readPreference(kind, stored);
    QCOMPARE(read.has_value(), expected.isValid());
    if (read) {
        QCOMPARE(*read, expected);
        // What is written reads back as the same value.
        QCOMPARE(readPreference(kind, storedPreference(kind, *read).toString()), read);
    }
}

void TestPreferencesManager::defaultsOnFirstStart()
{
    // Values of the wrong kind read as the defaults; a position needs both coordinates.
    writeSettingsFile("[General]\nwindowSize=big\nshowOverlay=1\nlayoutMode=Grid\nwindowPositionX=120.5\n");
    auto prefs = makePreferences();
    QCOMPARE(prefs->windowSize(), 200.0);
    QVERIFY(prefs->showOverlay());
    QCOMPARE(prefs->layoutMode(), LayoutMode::horizontalBar);
    QCOMPARE(prefs->staleSessionTimeout(), 1800.0);
    QVERIFY(prefs->multiInstanceEnabled() && prefs->analyticsEnabled() && !prefs->isCompactMode());
    QVERIFY(prefs->notifyWhenNeedsInput() && !prefs->notifyWhenCompleted());
    QVERIFY(!prefs->selectedSkinID());
    QVERIFY(!prefs->savedWindowPosition());
}

void TestPreferencesManager::fileOfThePreviousVersionReadsAndRewritesUnchanged()
{
    // As the version before the single table wrote it, every key set.
    const QByteArray previous("[General]\n"
                              "analyticsDeviceId=6F1C2B9E-3D4A-4F5B-8C7D-9E0F1A2B3C4D\n"
                              "analyticsEnabled=false\n"
                              "celebrationDuration=2.5\n"
                              "isCompactMode=true\n"
                              "layoutMode=grid\n"
                              "multiInstanceEnabled=false\n"
                              "selectedSkinID=00000000-0000-0000-0000-00000000000A\n"
                              "showOverlay=false\n"
                              "skipOnboardingWindow=true\n"
                              "staleSessionTimeout=60\n"
                              "windowOpacity=0.75\n"
                              "windowPositionX=1220\n"
                              "windowPositionY=-20.25\n"
                              "windowSize=300\n");
    writeSettingsFile(previous);
    auto prefs = makePreferences();
    QCOMPARE(prefs->analyticsDeviceId(), "6F1C2B9E-3D4A-4F5B-8C7D-9E0F1A2B3C4D");
    QVERIFY(!prefs->analyticsEnabled());
    QCOMPARE(prefs->celebrationDuration(), 2.5);
    QVERIFY(prefs->isCompactMode());
    QCOMPARE(prefs->layoutMode(), LayoutMode::grid);
    QVERIFY(!prefs->multiInstanceEnabled());
    QCOMPARE(prefs->selectedSkinID(), QUuid("{00000000-0000-0000-0000-00000000000a}"));
    QVERIFY(!prefs->showOverlay());
    QVERIFY(prefs->skipOnboardingWindow());
    QCOMPARE(prefs->staleSessionTimeout(), 60.0);
    QCOMPARE(prefs->windowOpacity(), 0.75);
    QCOMPARE(prefs->savedWindowPosition(), QPointF(1220, -20.25));
    QCOMPARE(prefs->windowSize(), 300.0);

    // Assigning every value again writes the same keys in the same forms.
    prefs->setAnalyticsDeviceId(prefs->analyticsDeviceId());
    prefs->setAnalyticsEnabled(false);
    prefs->setCelebrationDuration(2.5);
    prefs->setCompactMode(true);
    prefs->setLayoutMode(LayoutMode::grid);
    prefs->setMultiInstanceEnabled(false);
    prefs->setSelectedSkinID(prefs->selectedSkinID());
    prefs->setShowOverlay(false);
    prefs->setSkipOnboardingWindow(true);
    prefs->setStaleSessionTimeout(60);
    prefs->setWindowOpacity(0.75);
    prefs->saveWindowPosition(QPointF(1220, -20.25));
    prefs->setWindowSize(300);
    QCOMPARE(settingsFileBytes(), previous);

    prefs->setSelectedSkinID(std::nullopt);
    QVERIFY(!settingsFileBytes().contains("selectedSkinID"));
}

void TestPreferencesManager::sideEffectsRunOnEveryAssignment()
{
    auto prefs = makePreferences();
    QSignalSpy compact(&m_notifications, &AppNotifications::compactModeChanged);
    QSignalSpy layout(&m_notifications, &AppNotifications::layoutModeChanged);
    QSignalSpy size(&m_notifications, &AppNotifications::windowSizeChanged);
    QSignalSpy multi(prefs.get(), &PreferencesManager::multiInstanceEnabledChanged);

    prefs->setCompactMode(false); // unchanged value still posts
    prefs->setCompactMode(false);
    prefs->setLayoutMode(LayoutMode::horizontalBar);
    prefs->setWindowSize(300); // the size menus post this one, not the store
    prefs->setMultiInstanceEnabled(true);
    QCOMPARE(compact.count(), 2);
    QCOMPARE(layout.count(), 1);
    QCOMPARE(size.count(), 0);
    QCOMPARE(multi.count(), 1);

    // The views' buttons post once more after storing.
    prefs->chooseWindowSize(150);
    prefs->chooseLayoutMode(LayoutMode::grid);
    QCOMPARE(size.count(), 1);
    QCOMPARE(layout.count(), 3);
    QCOMPARE(prefs->windowSize(), 150.0);
    QCOMPARE(prefs->layoutMode(), LayoutMode::grid);
}

void TestPreferencesManager::unreadableFilesAreNeverOverwritten()
{
    const QByteArray garbage("windowSize = = 3\n[broken\n\x01\x02 not ini\n");
    writeSettingsFile(garbage);
    {
        auto prefs = makePreferences();
        // A file that does not parse is the user's to mend: assignments are not written over it.
        QVERIFY(!prefs->isPersistent());
        prefs->setWindowSize(300);
        prefs->setAnalyticsDeviceId("ID");
        QCOMPARE(prefs->analyticsDeviceId(), "ID"); // kept for this run
    }
    QCOMPARE(settingsFileBytes(), garbage);

    if (::geteuid() == 0)
        QSKIP("root reads any file");
    QFile(m_settingsPath).setPermissions(QFileDevice::WriteOwner);
    {
        LogCapture log;
        auto prefs = makePreferences();
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

    // A file where the autostart folder should be makes the registration fail; the choice is kept.
    QVERIFY(QDir(m_autostartDir).removeRecursively());
    QFile blocker(m_autostartDir);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LogCapture log;
    prefs->setLaunchAtLogin(true);
    QCOMPARE(log.countStartingWith("Failed to update launch at login: "), 1);
    QCOMPARE(makePreferences()->launchAtLogin(), true);
}

void TestPreferencesManager::launchAtLoginFollowsInstall()
{
    const QString self = QCoreApplication::applicationFilePath();
    QCOMPARE(AutostartEntry::programToLaunch("/build/bin/tabbywatch", self), self);
    QCOMPARE(AutostartEntry::programToLaunch(self, m_autostartDir), self); // a folder is no program

    makePreferences()->setLaunchAtLogin(true);
    QVERIFY(AutostartEntry(m_autostartDir, "/build/bin/tabbywatch").setEnabled(true));
    makePreferences();
    QFile file(m_autostartDir + "/tabbywatch.desktop");
    QVERIFY(file.open(QIODevice::ReadOnly) &&
            file.readAll().contains("\nExec=\"/opt/tabby watch/bin/tabbywatch\"\n"));
}

QTEST_GUILESS_MAIN(TestPreferencesManager)
#include "tst_preferencesmanager.moc"

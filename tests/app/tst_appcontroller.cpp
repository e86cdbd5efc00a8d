#include "AppController.h"
#include "ApplicationServices.h"
#include "FloatingPanel.h"
#include "FloatingPanelController.h"
#include "HookInstaller.h"
#include "LogCapture.h"
#include "OnboardingWindow.h"
#include "PreferencesWindow.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

class TestAppController : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void startUp_data();
    void startUp();
    void dotFollowsInstallsAtOnceAndTheTimerCatchesRemovals();
    void commandsReachTheirWindows();

private:
    std::unique_ptr<ApplicationServices> makeServices();
    std::unique_ptr<AppController> start(ApplicationServices& services);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestAppController::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

std::unique_ptr<ApplicationServices> TestAppController::makeServices()
{
    ApplicationServices::Paths paths{m_dir->filePath("home"), m_dir->filePath("config/autostart"),
                                     "/usr/bin/tabbywatch"};
    paths.hookScriptSource = QStringLiteral(TABBYWATCH_HOOK_SCRIPT);
    paths.bundledSkinsDirectory = QStringLiteral(TABBYWATCH_BUNDLED_SKINS);
    paths.customSkinsDirectory = m_dir->filePath("skins");
    return std::make_unique<ApplicationServices>(
        paths, std::make_unique<QSettings>(m_dir->filePath("config/Tabbywatch.conf"), QSettings::IniFormat));
}

std::unique_ptr<AppController> TestAppController::start(ApplicationServices& services)
{
    // No tray here: the menu stays reachable from the panel.
    AppController::Options options{100ms, {[] { return false; }, 10ms, 0}, {}};
    auto controller = std::make_unique<AppController>(services, options);
    controller->applicationDidFinishLaunching();
    return controller;
}

void TestAppController::startUp_data()
{
    QTest::addColumn<bool>("hookInstalled");
    QTest::addColumn<bool>("skipOnboarding");
    QTest::addColumn<bool>("onboardingShown");
    QTest::addColumn<InstallationStatus>("dot");
    QTest::newRow("first start") << false << false << true << InstallationStatus::notInstalled;
    QTest::newRow("hook installed") << true << false << false << InstallationStatus::installed;
    QTest::newRow("onboarding turned off") << false << true << false << InstallationStatus::notInstalled;
}

void TestAppController::startUp()
{
    QFETCH(bool, hookInstalled);
    QFETCH(bool, skipOnboarding);
    QFETCH(bool, onboardingShown);
    QFETCH(InstallationStatus, dot);
    auto services = makeServices();
    if (hookInstalled)
        QVERIFY(services->makeHookInstaller()->installHooks());
    services->preferences().setSkipOnboardingWindow(skipOnboarding);

    LogCapture log;
    auto controller = start(*services);
    QVERIFY(controller->floatingPanel().floatingPanel()->isVisible());
    QCOMPARE(controller->statusBarItem().status(), dot);
    QCOMPARE(controller->onboardingWindow() != nullptr, onboardingShown);
    QCOMPARE(log.lines().last(), QStringLiteral("✅ Tabbywatch launched successfully"));
    // The menu the tray would show is there for the panel's right click, with Ctrl+Q on its last item.
    const QList<QAction*> items = controller->statusBarItem().menu()->actions();
    QCOMPARE(items.first()->text(), QStringLiteral("About Tabbywatch"));
    QCOMPARE(items.last()->text(), QStringLiteral("Quit Tabbywatch"));
    QCOMPARE(items.last()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    QVERIFY(!controller->statusBarItem().isInTray());
}

void TestAppController::dotFollowsInstallsAtOnceAndTheTimerCatchesRemovals()
{
    auto services = makeServices();
    auto controller = start(*services);
    QCOMPARE(controller->statusBarItem().status(), InstallationStatus::notInstalled);
    // An install from another window turns the dot green without waiting for the periodic check.
    auto installer = services->makeHookInstaller();
    QVERIFY(installer->installHooks());
    QCOMPARE(controller->statusBarItem().status(), InstallationStatus::installed);
    // A script removed by hand is noticed by the periodic check.
    QVERIFY(QFile::remove(installer->hookScriptPath()));
    QTRY_VERIFY(controller->statusBarItem().status() != InstallationStatus::installed);
}

void TestAppController::commandsReachTheirWindows()
{
    auto services = makeServices();
    services->preferences().setSkipOnboardingWindow(true);
    auto controller = start(*services);
    FloatingPanel* panel = controller->floatingPanel().floatingPanel();
    controller->handleCommand("toggle");
    QVERIFY(!panel->isVisible());
    controller->handleCommand("activate");
    QVERIFY(panel->isVisible());

    QVERIFY(!controller->preferencesWindow());
    // The skin menu's "Create a Custom Skin" opens the preferences on the skins tab.
    services->display().skins().showPreferencesOnSkinsTab();
    QVERIFY(controller->preferencesWindow());
    QCOMPARE(controller->preferencesWindow()->selectedTab(), int(PreferencesWindow::skins));
    controller->handleCommand("preferences=history");
    QCOMPARE(controller->preferencesWindow()->selectedTab(), int(PreferencesWindow::history));
    controller->handleCommand("onboarding");
    QVERIFY(controller->onboardingWindow());

    LogCapture log;
    controller->handleCommand("preferences=nonsense");
    QCOMPARE(log.lines(), QStringList{"⚠️ Unknown command ignored: preferences=nonsense"});
}

QTEST_MAIN(TestAppController)
#include "tst_appcontroller.moc"

#include "ApplicationServices.h"
#include "FloatingPanel.h"
#include "FloatingPanelController.h"
#include "PanelInputShape.h"
#include "TestFiles.h"
#include "VideoPlayerManager.h"

#include <QDir>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQuickItem>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

class TestFloatingPanel : public QObject
{
    Q_OBJECT
private slots:
    void defaultPosition_data();
    void defaultPosition();
    void platformOverride_data();
    void platformOverride();
    void anchoredFrame();
    void nearestScreen();
    void inputShape();

    void init();
    void firstStartTopRightThenSizedKeepingTheTopEdge();
    void positionIsSavedAndRestored();
    void followsCompactModeAndSessions();
    void closingOnlyHides();

private:
    std::unique_ptr<ApplicationServices> makeServices();
    void writeSession(const QString& id);
    QRect available() const { return QGuiApplication::primaryScreen()->availableGeometry(); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFloatingPanel::defaultPosition_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QPoint>("expected");
    // 20 in from the right and from the top of the free area: the top edge at 20 from its top.
    QTest::newRow("1440 x 875") << QRect(0, 0, 1440, 875) << QPoint(1220, 20);
    QTest::newRow("below a top bar") << QRect(0, 25, 1440, 850) << QPoint(1220, 45);
}

void TestFloatingPanel::defaultPosition()
{
    QFETCH(QRect, available);
    QFETCH(QPoint, expected);
    QCOMPARE(FloatingPanel::defaultPosition(available), expected);
}

void TestFloatingPanel::platformOverride_data()
{
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("wayland session with XWayland")
        << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0"}
        << QByteArray("xcb");
    QTest::newRow("platform chosen by the user")
        << QStringList{"XDG_SESSION_TYPE=wayland", "DISPLAY=:0", "QT_QPA_PLATFORM=wayland"} << QByteArray();
    QTest::newRow("x11 session") << QStringList{"XDG_SESSION_TYPE=x11", "DISPLAY=:0"} << QByteArray();
    QTest::newRow("wayland without XWayland")
        << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=w-0"} << QByteArray();
}

void TestFloatingPanel::platformOverride()
{
    QFETCH(QStringList, environment);
    QFETCH(QByteArray, expected);
    QProcessEnvironment env;
    for (const QString& entry : environment)
        env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    QCOMPARE(FloatingPanel::platformOverride(env), expected);
}

void TestFloatingPanel::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

std::unique_ptr<ApplicationServices> TestFloatingPanel::makeServices()
{
    ApplicationServices::Paths paths{m_dir->filePath("home"), m_dir->filePath("config/autostart"),
                                     "/usr/bin/tabbywatch"};
    paths.bundledSkinsDirectory = QStringLiteral(TABBYWATCH_BUNDLED_SKINS);
    paths.customSkinsDirectory = m_dir->filePath("skins");
    paths.analyticsURL = QStringLiteral("http://127.0.0.1:9/events"); // nothing leaves the machine
    return std::make_unique<ApplicationServices>(
        paths, std::make_unique<QSettings>(m_dir->filePath("config/Tabbywatch.conf"), QSettings::IniFormat));
}

void TestFloatingPanel::writeSession(const QString& id)
{
    const QString directory = m_dir->filePath("home/.tabbywatch/sessions");
    QVERIFY(QDir().mkpath(directory));
    const QJsonObject record{{"session_id", id},
                             {"status", "working"},
                             {"cwd", "/w/" + id},
                             {"timestamp", "2025-01-15T10:30:45Z"}};
    QVERIFY(TestFiles::replaceByRename(directory + u'/' + id + ".json",
                                       QJsonDocument(record).toJson(QJsonDocument::Compact)));
}

void TestFloatingPanel::firstStartTopRightThenSizedKeepingTheTopEdge()
{
    auto services = makeServices();
    services->preferences().setWindowSize(300);
    FloatingPanelController controller(*services);
    controller.setupFloatingPanel();
    FloatingPanel* panel = controller.floatingPanel();
    QVERIFY(panel->isVisible());
    QVERIFY(panel->flags().testFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                     Qt::WindowDoesNotAcceptFocus));
    const QPoint corner = FloatingPanel::defaultPosition(available());
    // Placed as a 200 x 200 panel in the corner, then grown to 300 x 300 downwards and leftwards.
    QCOMPARE(panel->position().y(), corner.y());
    QCOMPARE(panel->size(), QSize(300, 300));
    QCOMPARE(panel->cornerRadius(), 20);
    QVERIFY(panel->geometry().right() <= available().right());
    QVERIFY(panel->rootObject());
    QVERIFY(panel->errors().isEmpty());
}

void TestFloatingPanel::positionIsSavedAndRestored()
{
    {
        auto services = makeServices();
        FloatingPanelController controller(*services);
        controller.setupFloatingPanel();
        controller.floatingPanel()->setPosition(100, 150);
        QTRY_COMPARE(services->preferences().savedWindowPosition(), std::optional(QPointF(100, 150)));
    }
    auto services = makeServices();
    FloatingPanelController controller(*services);
    controller.setupFloatingPanel();
    QCOMPARE(controller.floatingPanel()->position(), QPoint(100, 150));

    // Where a screen that is now unplugged used to be: the nearest corner of the screen left.
    auto unplugged = makeServices();
    unplugged->preferences().saveWindowPosition(QPointF(available().right() + 5000, 4000));
    FloatingPanelController again(*unplugged);
    again.setupFloatingPanel();
    QCOMPARE(again.floatingPanel()->geometry().bottomRight(), available().bottomRight());
}

void TestFloatingPanel::followsCompactModeAndSessions()
{
    auto services = makeServices();
    FloatingPanelController controller(*services);
    controller.setupFloatingPanel();
    FloatingPanel* panel = controller.floatingPanel();
    panel->setPosition(40, 60);
    const int top = 60;
    QTRY_COMPARE(panel->anchor().point, QPoint(40, top)); // the window system tells of moves later

    services->preferences().setCompactMode(true);
    QCOMPARE(panel->size(), QSize(180, 56));
    QCOMPARE(panel->cornerRadius(), 12);
    QCOMPARE(panel->position(), QPoint(40, top));
    // The size buttons announce a new size; the strip keeps its own.
    services->preferences().chooseWindowSize(400);
    QCOMPARE(panel->size(), QSize(180, 56));

    services->preferences().setCompactMode(false);
    QCOMPARE(panel->size(), QSize(400, 400));
    services->preferences().chooseWindowSize(200);
    QCOMPARE(panel->size(), QSize(200, 200));

    // Two sessions in the bar: the panel grows without being asked, keeping its top edge.
    services->multiSessionManager().startMonitoring();
    writeSession("first");
    writeSession("second");
    QTRY_COMPARE(panel->size(), QSize(2 * 208 + 16, 200 + 40 + 36));
    QCOMPARE(panel->cornerRadius(), 16);
    QCOMPARE(panel->position().y(), top);
    // Only the cats take the pointer: the clear band under them lets clicks through.
    const QRect band(0, panel->height() - 30, 40, 20);
    QTRY_VERIFY(!panel->mask().intersects(band));
    QVERIFY(panel->mask().contains(QPoint(8 + 100, 100)));
    QVERIFY(panel->mask().contains(QPoint(8 + 208 + 100, 100)));

    services->preferences().setLayoutMode(LayoutMode::list);
    QCOMPARE(panel->size(), QSize(250, 140));

    // Put right of the centre, it grows leftwards within its share of the screen, and shrinks back to
    // where it was put; only the user's move is saved.
    services->preferences().setLayoutMode(LayoutMode::horizontalBar);
    panel->setPosition(available().right() - 500, top);
    const QRect left = panel->geometry();
    QTRY_COMPARE(panel->anchor().point, left.topRight() + QPoint(1, 0));
    services->preferences().chooseWindowSize(300);
    QCOMPARE(panel->size(),
             QSize(2 * 308 + 16, 300 + 40 + 36).boundedTo(FloatingPanelAnchor::maximumSize(available())));
    QCOMPARE(panel->geometry().topRight(), left.topRight());
    services->preferences().chooseWindowSize(200);
    QCOMPARE(panel->geometry(), left);
    QTRY_COMPARE(services->preferences().savedWindowPosition(),
                 std::optional(QPointF(left.right() + 1, top)));
}

void TestFloatingPanel::anchoredFrame()
{
    // Where the user left the panel, the size it takes, where it is then; shrinking back returns it.
    const QRect screen(0, 0, 1280, 800);
    for (const auto& [left, size, expected] :
         {std::tuple{QRect(1060, 20, 200, 200), QSize(632, 340),
                     QRect(628, 20, 632, 340)},                                    // grows left, down
          {QRect(20, 580, 200, 200), QSize(448, 510), QRect(20, 270, 448, 510)},   // right, up
          {QRect(500, 100, 100, 100), QSize(900, 200), QRect(380, 100, 900, 200)}, // back from the edge
          {QRect(20, 20, 200, 200), QSize(2000, 900), screen}}) {
        const FloatingPanelAnchor anchor = FloatingPanelAnchor::of(left, screen);
        QCOMPARE(anchor.frameFor(size, screen), expected);
        QCOMPARE(anchor.frameFor(left.size(), screen), left);
        QCOMPARE(FloatingPanelAnchor::at(anchor.point, screen), anchor); // saved as its point alone
    }
}

void TestFloatingPanel::nearestScreen()
{
    // Inside the second, below the first only, left of every screen.
    const QList<QRect> screens{QRect(0, 0, 1280, 800), QRect(1280, 0, 1920, 1080)};
    for (const auto& [point, expected] :
         {std::pair{QPoint(1500, 900), 1}, {QPoint(1200, 1000), 1}, {QPoint(-300, 100), 0}})
        QCOMPARE(FloatingPanelAnchor::screenFor(point, screens), screens[expected]);
}

void TestFloatingPanel::inputShape()
{
    using Parts = PanelInputShape::Parts;
    const QSize window(400, 300);
    // Two cats 8 px apart with rounded corners, and a title far below.
    const QList<PanelInputShape::Part> cats{
        {{10, 10, 100, 120}, 12}, {{118, 10, 100, 120}, 12}, {{10, 200, 100, 50}, 0}};
    const struct
    {
        const char* what;
        Parts parts;
        QList<QPoint> in;
        QList<QPoint> out;
    } cases[] = {
        {"nothing marked: the whole rounded window", {}, {{200, 150}, {16, 1}}, {{0, 0}, {399, 299}}},
        {"the cats only, with their corners",
         {cats, false},
         {{60, 70}, {10, 70}, {60, 225}, {10, 200}},
         {{114, 70}, {60, 165}, {300, 70}, {11, 11}, {0, 0}}},
        {"joined while the pointer is over the panel: the gaps and the way between them too",
         {cats, true},
         {{114, 70}, {60, 165}, {200, 230}, {11, 11}, {7, 7}},
         {{300, 70}, {4, 4}}},
    };
    for (const auto& c : cases) {
        const QRegion shape = PanelInputShape::shape(window, 16, c.parts);
        for (const QPoint& point : c.in)
            QVERIFY2(shape.contains(point), c.what);
        for (const QPoint& point : c.out)
            QVERIFY2(!shape.contains(point), c.what);
    }
}

void TestFloatingPanel::closingOnlyHides()
{
    auto services = makeServices();
    FloatingPanelController controller(*services);
    controller.setupFloatingPanel();
    FloatingPanel* panel = controller.floatingPanel();
    panel->close();
    QVERIFY(!panel->isVisible());
    QCOMPARE(controller.floatingPanel(), panel);
    controller.toggleFloatingWindow();
    QVERIFY(panel->isVisible());

    // The cat decodes while the panel shows and holds nothing while it is hidden.
    VideoPlayerManager* player = nullptr;
    QTRY_VERIFY((player = panel->rootObject()->findChild<VideoPlayerManager*>()));
    QTRY_VERIFY_WITH_TIMEOUT(!player->currentVideoURL().isEmpty(), 10000);
    QCOMPARE(player->heldSources(), 1);
    controller.toggleFloatingWindow();
    QVERIFY(!panel->isVisible());
    QCOMPARE(player->heldSources(), 0);
    controller.toggleFloatingWindow();
    QTRY_COMPARE(player->heldSources(), 1);
}

QTEST_MAIN(TestFloatingPanel)
#include "tst_floatingpanel.moc"

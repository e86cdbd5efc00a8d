// The cats on screen, under a real X server (run it with xvfb-run, or on a desktop):
//  - CPU use over 30 s and resident memory of a process showing the panel with the bundled skins, for
//    1 cat at 200, 6 cats in the grid, 6 in the list, the compact strip and the hidden panel; each in a
//    fresh process; CPU as a ratio to one cat, memory to the hidden panel;
//  - the time from a rewrite of status.json to the first frame of the new state's video on screen,
//    against the time to the status manager's change in the same run as the baseline;
//  - with --many: one cat, twelve sharing sources, twelve with different clips, none again;
//  - with --load SESSIONS SECONDS: sessions driven through the real hook, one event per second each;
//  - the longest stall of the GUI thread while a cat is told a new state before the previous video is
//    ready, and while a cat that is still preparing goes away.
#include "ApplicationServices.h"
#include "FloatingPanel.h"
#include "FloatingPanelController.h"
#include "FrameSourceRegistry.h"
#include "PanelInputShape.h"
#include "ProcessMeasures.h"
#include "RenderingBackend.h"
#include "SessionListModel.h"
#include "VideoPicture.h"
#include "VideoPlayerManager.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSGRendererInterface>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {
QElapsedTimer sinceStart;
constexpr int measureSeconds = 30;
constexpr int warmUpSeconds = 5;

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

void wait(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Truncates and rewrites in place, keeping the inode, as the hook does.
void rewriteInPlace(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::ReadWrite)) {
        file.resize(0);
        file.write(bytes);
    }
}

// Writes beside the path and renames over it, as the hook does with session files.
void replaceByRename(const QString& path, const QByteArray& bytes)
{
    QFile file(path + QStringLiteral(".tmp"));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
        file.close();
        QFile::remove(path);
        file.rename(path);
    }
}

// A throwaway home with the preferences and session files of one scenario.
struct Home
{
    QTemporaryDir dir;

    QString path(const QString& relative) const { return dir.filePath(relative); }

    // States cycle through the four unless `only` names one.
    void writeSessions(int count, const char* only = nullptr)
    {
        QDir().mkpath(path(QStringLiteral("home/.tabbywatch/sessions")));
        const char* states[] = {"working", "idle", "needs_input", "completed"};
        if (only)
            std::fill(std::begin(states), std::end(states), only);
        for (int i = 0; i < count; ++i) {
            const QString id = QStringLiteral("bench-session-%1").arg(i);
            const QJsonObject record{{"session_id", id},
                                     {"status", states[i % 4]},
                                     {"cwd", QStringLiteral("/home/user/project%1").arg(i)},
                                     {"timestamp", "2025-01-15T10:30:45Z"}};
            replaceByRename(path(QStringLiteral("home/.tabbywatch/sessions/") + id + ".json"),
                            QJsonDocument(record).toJson(QJsonDocument::Compact));
        }
    }

    void writeStatus(const char* status)
    {
        const QString file = path(QStringLiteral("home/.tabbywatch/status.json"));
        QDir().mkpath(QFileInfo(file).path());
        if (!QFile::exists(file)) {
            QFile create(file);
            create.open(QIODevice::WriteOnly);
        }
        rewriteInPlace(file, QByteArray(R"({"status":")") + status +
                                 R"(","timestamp":"2025-01-15T10:30:45Z","tool":"Bash"})");
    }

    // Many cats: the grid at the smallest size.
    std::unique_ptr<ApplicationServices> smallGridServices()
    {
        auto made = services();
        made->preferences().setWindowSize(100);
        made->preferences().setLayoutMode(LayoutMode::grid);
        return made;
    }

    std::unique_ptr<ApplicationServices> services()
    {
        ApplicationServices::Paths paths{path("home"), path("config/autostart"), "/usr/bin/tabbywatch"};
        paths.bundledSkinsDirectory = QStringLiteral(TABBYWATCH_BUNDLED_SKINS);
        paths.customSkinsDirectory = path("skins");
        paths.analyticsURL = QStringLiteral("http://127.0.0.1:9/events");
        auto settings = std::make_unique<QSettings>(path("config/Tabbywatch.conf"), QSettings::IniFormat);
        settings->setValue("analyticsEnabled", false);
        settings->sync();
        return std::make_unique<ApplicationServices>(paths, std::move(settings));
    }
};

int runScenario(const QString& name)
{
    Home home;
    int sessions = 0;
    if (name == u"grid6" || name == u"list6")
        sessions = 6;
    home.writeSessions(sessions);
    home.writeStatus("working");
    auto services = home.services();
    PreferencesManager& preferences = services->preferences();
    preferences.setWindowSize(200);
    preferences.setCompactMode(name == u"compact");
    preferences.setLayoutMode(name == u"list6" ? LayoutMode::list : LayoutMode::grid);

    FloatingPanelController controller(*services);
    controller.setupFloatingPanel();
    if (name == u"hidden") {
        wait(1000); // let it start, as at login, then hide it
        controller.toggleFloatingWindow();
    }
    wait(warmUpSeconds * 1000);
    const double before = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    wait(measureSeconds * 1000);
    const double cpu = (cpuSeconds() - before) / (double(clock.elapsed()) / 1000.0);
    const QSize size = controller.floatingPanel()->size();
    std::printf("%s %.4f %.1f %dx%d\n", qPrintable(name), cpu, residentMiB(), size.width(), size.height());
    return 0;
}

struct Latency
{
    std::vector<double> status, onScreen;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double maximum(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

int runLatency()
{
    Home home;
    home.writeStatus("idle");
    auto services = home.services();
    FloatingPanelController controller(*services);
    controller.setupFloatingPanel();
    FloatingPanel* panel = controller.floatingPanel();
    double firstPicture = -1;
    QObject::connect(panel, &QQuickWindow::frameSwapped, panel, [&] {
        auto* cat = panel->rootObject()->findChild<VideoPlayerManager*>();
        if (firstPicture < 0 && cat && cat->output() && cat->output()->hasPicture())
            firstPicture = double(sinceStart.nsecsElapsed()) / 1e6;
    });
    wait(3000);
    std::printf("program start -> first picture on screen: %.0f ms\n", firstPicture);
    auto players = panel->rootObject()->findChildren<VideoPlayerManager*>();
    if (players.size() != 1) {
        std::printf("expected one cat, found %d\n", int(players.size()));
        return 1;
    }
    VideoPlayerManager* player = players.first();

    Latency latency;
    const char* states[] = {"working", "needs_input", "completed", "idle"};
    for (int round = 0; round < 24; ++round) {
        QElapsedTimer clock;
        double statusAt = -1, swappedAt = -1, shownAt = -1;
        QEventLoop loop;
        auto statusConnection =
            QObject::connect(&services->statusManager(), &StatusManager::currentStatusChanged,
                             [&] { statusAt = double(clock.nsecsElapsed()) / 1e6; });
        auto swapConnection = QObject::connect(player, &VideoPlayerManager::currentVideoURLChanged,
                                               [&] { swappedAt = double(clock.nsecsElapsed()) / 1e6; });
        auto frameConnection = QObject::connect(panel, &QQuickWindow::frameSwapped, panel, [&] {
            if (swappedAt >= 0 && shownAt < 0) {
                shownAt = double(clock.nsecsElapsed()) / 1e6;
                loop.quit();
            }
        });
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        clock.start();
        home.writeStatus(states[round % 4]);
        loop.exec();
        QObject::disconnect(statusConnection);
        QObject::disconnect(swapConnection);
        QObject::disconnect(frameConnection);
        if (statusAt < 0 || shownAt < 0) {
            std::printf("round %d: no new picture within 10 s\n", round);
            continue;
        }
        // The first rounds load each clip for the first time; the rest are what a user sees all day.
        if (qEnvironmentVariableIsSet("BENCH_VERBOSE"))
            std::printf("round %d: status %.1f swap %.1f shown %.1f ms\n", round, statusAt, swappedAt,
                        shownAt);
        if (round >= 4) {
            latency.status.push_back(statusAt);
            latency.onScreen.push_back(shownAt);
        }
        wait(300);
    }
    std::printf("status.json rewrite -> status manager: median %.1f ms, max %.1f ms (baseline)\n",
                median(latency.status), maximum(latency.status));
    std::printf(
        "status.json rewrite -> new video on screen: median %.1f ms, max %.1f ms; %.2f x the baseline\n",
        median(latency.onScreen), maximum(latency.onScreen),
        median(latency.onScreen) / std::max(0.001, median(latency.status)));
    return 0;
}

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[std::min(values.size() - 1, size_t(double(values.size()) * share))];
}

// Milliseconds the calling thread has run, and waited to run, since it started.
std::array<double, 2> threadSchedule()
{
    QFile file(QStringLiteral("/proc/thread-self/schedstat"));
    if (!file.open(QIODevice::ReadOnly))
        return {0, 0};
    const QList<QByteArray> fields = file.readAll().split(' ');
    return {fields.value(0).toDouble() / 1e6, fields.value(1).toDouble() / 1e6};
}

// Cats drawn on the panel (their pictures live in view delegates, not under the root object).
int catsShown(QQuickWindow* window)
{
    int cats = 0;
    std::function<void(QQuickItem*)> visit = [&](QQuickItem* item) {
        cats += qobject_cast<VideoPicture*>(item) != nullptr;
        for (QQuickItem* child : item->childItems())
            visit(child);
    };
    visit(window->contentItem());
    return cats;
}

double realtimeSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Many sessions through the real hook: how long the GUI thread is held up, and how long a session
// file's change takes to reach the screen (its modification time to the next frame drawn after its
// cat's row changed), against the time to the row change itself as the baseline.
int runLoad(int sessions, int seconds)
{
    Home home;
    home.writeStatus("idle");
    auto services = home.smallGridServices();
    FloatingPanelController controller(*services);
    controller.setupFloatingPanel();
    FloatingPanel* panel = controller.floatingPanel();
    SessionListModel& model = services->display().sessions();
    const QString folder = home.path(QStringLiteral("home/.tabbywatch/sessions/"));

    std::vector<double> pending, toRow, toScreen;
    auto modified = [&](int row) {
        const QString id = model.data(model.index(row), SessionListModel::SessionIdRole).toString();
        const QFileInfo file(folder + id + QStringLiteral(".json"));
        const double changed = double(file.lastModified().toMSecsSinceEpoch()) / 1000.0;
        const double now = realtimeSeconds();
        if (file.exists() && now - changed < 10) {
            toRow.push_back((now - changed) * 1000);
            pending.push_back(changed);
        }
    };
    QObject::connect(&model, &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& from, const QModelIndex& to) {
                         for (int row = from.row(); row <= to.row(); ++row)
                             modified(row);
                     });
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&](const QModelIndex&, int first, int last) {
        for (int row = first; row <= last; ++row)
            modified(row);
    });
    QObject::connect(panel, &QQuickWindow::frameSwapped, panel, [&] {
        const double now = realtimeSeconds();
        for (double changed : pending)
            toScreen.push_back((now - changed) * 1000);
        pending.clear();
    });

    // Each gap is split, from the scheduler's own figures for the GUI thread, into time spent running
    // (busy), waiting for a core (the machine is loaded), and the rest: the thread was asleep although
    // its timer was due, that is, blocked on something.
    QElapsedTimer clock;
    clock.start();
    double last = 0;
    std::array<double, 2> lastSched = threadSchedule();
    std::vector<double> gaps, busy, blocked;
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        const double now = double(clock.nsecsElapsed()) / 1e6;
        const std::array<double, 2> sched = threadSchedule();
        const double gap = now - last, running = sched[0] - lastSched[0], queued = sched[1] - lastSched[1];
        gaps.push_back(gap);
        busy.push_back(running);
        blocked.push_back(std::max(0.0, gap - 5 - running - queued));
        last = now;
        lastSched = sched;
    });
    watchdog.start(5);
    QProcess driver;
    driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    driver.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(TABBYWATCH_SOURCE_DIR "/bench/load_hooks.py"),
                  home.path(QStringLiteral("home")), QString::number(sessions), QString::number(seconds)});
    QEventLoop loop;
    QObject::connect(&driver, &QProcess::finished, &loop, &QEventLoop::quit);
    loop.exec();
    wait(2000);
    const double cpu = cpuSeconds() / (double(clock.elapsed()) / 1000.0);
    std::printf("%s", driver.readAllStandardOutput().constData());
    std::printf("%d sessions, 1 event/s each for %d s; cats on the panel at the end: %d\n", sessions, seconds,
                catsShown(panel));
    auto over50 = [](const std::vector<double>& values) {
        return int(std::count_if(values.begin(), values.end(), [](double value) { return value > 50; }));
    };
    for (const auto& [label, values] :
         {std::pair{"gaps of a 5 ms timer", &gaps},
          {"  of which running", &busy},
          {"  of which blocked (neither running nor waiting for a core)", &blocked}})
        std::printf("GUI thread, %s: median %.1f ms, 99.9th %.1f ms, longest %.1f ms, over 50 ms: %d\n",
                    label, median(*values), percentile(*values, 0.999), maximum(*values), over50(*values));
    std::printf(
        "session file written -> row changed (baseline): median %.1f ms, 99th %.1f ms (%zu changes)\n",
        median(toRow), percentile(toRow, 0.99), toRow.size());
    std::printf("session file written -> on screen: median %.1f ms, 99th %.1f ms, max %.1f ms; 99th %.2f x "
                "the baseline\n",
                median(toScreen), percentile(toScreen, 0.99), maximum(toScreen),
                percentile(toScreen, 0.99) / std::max(0.001, percentile(toRow, 0.99)));
    std::printf(
        "program CPU %.0f %% of a core, RSS %.1f MiB, threads %d\n", cpu * 100, residentMiB(),
        int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size()));
    return 0;
}

// Cats coming and going in the grid: CPU and memory for one cat, twelve cats sharing sources (all
// working) and twelve showing different clips, then once they have all left again.
int runMany()
{
    Home home;
    home.writeStatus("idle");
    home.writeSessions(1, "working");
    auto services = home.smallGridServices();
    FloatingPanelController controller(*services);
    controller.setupFloatingPanel();
    FloatingPanel* panel = controller.floatingPanel();
    auto measure = [&](const char* label) {
        wait(5000);
        const double before = cpuSeconds();
        QElapsedTimer clock;
        clock.start();
        wait(10000);
        const double cpu = (cpuSeconds() - before) / (double(clock.elapsed()) / 1000.0);
        const int cats = catsShown(panel);
        const int sources = FrameSourceRegistry::shared().sourceCount();
        std::printf("%-34s cats %2d sources %2d  CPU %5.1f %%  RSS %6.1f MiB\n", label, cats, sources,
                    cpu * 100, residentMiB());
        return std::tuple{cats, sources, cpu, residentMiB()};
    };
    const auto [oneCats, oneSources, oneCpu, oneRss] = measure("1 cat at 100 (baseline)");
    home.writeSessions(12, "working");
    const auto [sharedCats, sharedSources, sharedCpu, sharedRss] = measure("12 cats, all working");
    home.writeSessions(12);
    const auto [mixedCats, mixedSources, mixedCpu, mixedRss] = measure("12 cats, four states");
    {
        // The panel looks at its shape at most 10 times a second while frames are drawn.
        constexpr int looks = 2000;
        QElapsedTimer clock;
        clock.start();
        int rects = 0;
        for (int i = 0; i < looks; ++i)
            rects += PanelInputShape::shape(panel->size(), panel->cornerRadius(),
                                            PanelInputShape::collect(panel->contentItem()))
                         .rectCount();
        const double micro = double(clock.nsecsElapsed()) / 1000.0 / looks;
        std::printf(
            "input shape of 12 cats: %.1f us a look (%d rectangles), at 10 a second %.3f x the panel's CPU\n",
            micro, rects / looks, micro * 10 / 1e6 / std::max(1e-6, mixedCpu));
    }
    QDir(home.path(QStringLiteral("home/.tabbywatch/sessions"))).removeRecursively();
    QDir().mkpath(home.path(QStringLiteral("home/.tabbywatch/sessions")));
    const auto [leftCats, leftSources, leftCpu, leftRss] = measure("all sessions gone");
    auto perCat = [&](int cats, int sources, double rss) {
        return std::pair{(rss - oneRss) / std::max(1, cats - oneCats), sources};
    };
    for (const auto& [label, cats, sources, cpu, rss] :
         {std::tuple{"all working", sharedCats, sharedSources, sharedCpu, sharedRss},
          std::tuple{"four states", mixedCats, mixedSources, mixedCpu, mixedRss}}) {
        const auto [growth, distinct] = perCat(cats, sources, rss);
        // The allowance: 3 MiB for each added cat that shares a source, 15 MiB for each new source.
        const int newSources = distinct - oneSources, sharing = cats - oneCats - newSources;
        const int allowance = sharing * 3 + newSources * 15;
        std::printf(
            "%s: RSS +%.1f MiB per added cat, +%.1f MiB in all against an allowance of %d MiB (%.2f x); "
            "CPU %.2f x one cat for %d sources (%.2f x per source)\n",
            label, growth, rss - oneRss, allowance, (rss - oneRss) / std::max(1, allowance),
            cpu / std::max(1e-6, oneCpu), distinct, cpu / std::max(1e-6, oneCpu) / std::max(1, distinct));
    }
    std::printf("after they left: RSS %.2f x one cat\n", leftRss / std::max(1e-6, oneRss));
    panel->engine()->collectGarbage();
    wait(500);
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
    std::printf("after they left, the QML heap collected and the C heap trimmed: RSS %.2f x one cat\n",
                residentMiB() / std::max(1e-6, oneRss));
    return 0;
}

// The longest gap between two ticks of a 5 ms timer while `action` runs and for a second after it.
double longestStall(const std::function<void()>& action)
{
    QElapsedTimer clock;
    clock.start();
    double last = 0, longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double now = double(clock.nsecsElapsed()) / 1e6;
        longest = std::max(longest, now - last);
        last = now;
    });
    tick.start(5);
    action();
    const double after = double(clock.nsecsElapsed()) / 1e6;
    longest = std::max(longest, after - last);
    last = after;
    wait(1000);
    return longest;
}

int runStalls()
{
    Home home;
    home.writeStatus("idle");
    auto services = home.services();
    FloatingPanelController controller(*services);
    controller.setupFloatingPanel();
    wait(3000);
    const QString skin = QStringLiteral(TABBYWATCH_BUNDLED_SKINS "/00000000-0000-0000-0000-000000000001/");
    auto* player = controller.floatingPanel()->rootObject()->findChildren<VideoPlayerManager*>().value(0);
    if (!player)
        return 1;
    std::vector<double> quick, idle;
    const QStringList clips{"working.mp4", "needs_input.mp4", "completed.mp4", "idle.mp4"};
    for (int round = 0; round < 8; ++round) {
        const QUrl first = QUrl::fromLocalFile(skin + clips[round % 4]);
        const QUrl second = QUrl::fromLocalFile(skin + clips[(round + 1) % 4]);
        // A state that lasts 20 ms: the next load replaces a preparation under way.
        quick.push_back(longestStall([&] {
            player->loadVideo(first);
            wait(20);
            player->loadVideo(second);
        }));
        // The same two loads a second apart, each finished before the next: the baseline.
        idle.push_back(longestStall([&] {
            player->loadVideo(first);
            wait(1000);
            player->loadVideo(second);
        }));
    }
    std::printf("longest GUI stall, load replacing a preparation under way: median %.0f ms, max %.0f ms\n",
                median(quick), maximum(quick));
    std::printf("longest GUI stall, loads one after the other (baseline): median %.0f ms, max %.0f ms; "
                "ratio %.2f\n",
                median(idle), maximum(idle), median(quick) / std::max(0.001, median(idle)));

    // Six cats go away at once (the grid replaced by the list) and come back.
    home.writeSessions(6);
    services->preferences().setLayoutMode(LayoutMode::grid);
    wait(4000);
    std::vector<double> teardown, rebuild;
    for (int round = 0; round < 4; ++round) {
        teardown.push_back(longestStall([&] { services->preferences().setLayoutMode(LayoutMode::list); }));
        rebuild.push_back(longestStall([&] { services->preferences().setLayoutMode(LayoutMode::grid); }));
        wait(1000);
    }
    std::printf("longest GUI stall, 6 cats removed at once: median %.0f ms, max %.0f ms\n", median(teardown),
                maximum(teardown));
    std::printf("longest GUI stall, 6 cats made at once: median %.0f ms, max %.0f ms\n", median(rebuild),
                maximum(rebuild));
    return 0;
}

const char* backendName()
{
    QQuickWindow probe;
    probe.resize(10, 10);
    probe.show();
    QElapsedTimer clock;
    clock.start();
    while (!probe.isExposed() && clock.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    wait(200);
    switch (probe.rendererInterface()->graphicsApi()) {
    case QSGRendererInterface::Software:
        return "software";
    case QSGRendererInterface::OpenGL:
        return "OpenGL";
    case QSGRendererInterface::Vulkan:
        return "Vulkan";
    default:
        return "other";
    }
}
} // namespace

int main(int argc, char* argv[])
{
    sinceStart.start();
    QGuiApplication app(argc, argv);
    // As the program does; QSG_RHI_BACKEND=opengl measures OpenGL instead.
    RenderingBackend::chooseForThisMachine(QProcessEnvironment::systemEnvironment());
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments[1] == u"--scenario")
        return runScenario(arguments[2]);
    if (arguments.contains(QStringLiteral("--latency")))
        return runLatency();
    if (arguments.contains(QStringLiteral("--stalls")))
        return runStalls();
    if (arguments.contains(QStringLiteral("--many")))
        return runMany();
    if (arguments.size() == 4 && arguments[1] == u"--load")
        return runLoad(arguments[2].toInt(), arguments[3].toInt());

    std::printf("platform %s, Qt Quick scene graph %s\n", qPrintable(QGuiApplication::platformName()),
                backendName());
    std::printf("CPU over %d s after %d s of warm-up, resident memory at the end; each a fresh process\n",
                measureSeconds, warmUpSeconds);
    struct Row
    {
        QString name, label;
        double cpu = 0, rss = 0;
        QString size = {};
    };
    std::vector<Row> rows{{"hidden", "panel hidden (baseline)"},
                          {"single", "1 cat at 200"},
                          {"grid6", "6 cats in the grid"},
                          {"list6", "6 cats in the list"},
                          {"compact", "compact strip"}};
    for (Row& row : rows) {
        QProcess child;
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(), {"--scenario", row.name});
        child.waitForFinished((measureSeconds + warmUpSeconds + 60) * 1000);
        const QList<QByteArray> lines = child.readAllStandardOutput().trimmed().split('\n');
        const QList<QByteArray> fields = lines.last().split(' ');
        if (fields.size() != 4 || fields[0] != row.name.toUtf8()) {
            std::printf("%-26s failed: %s\n", qPrintable(row.label), lines.last().constData());
            continue;
        }
        row.cpu = fields[1].toDouble();
        row.rss = fields[2].toDouble();
        row.size = QString::fromUtf8(fields[3]);
    }
    // Memory against the hidden panel; CPU against one cat, since a hidden panel uses next to none.
    const Row& hidden = rows[0];
    const Row& single = rows[1];
    for (const Row& row : rows) {
        std::printf("%-26s %-8s CPU %5.1f %% of a core (%5.2f x one cat)  RSS %6.1f MiB (%4.2f x hidden)\n",
                    qPrintable(row.label), qPrintable(row.size), row.cpu * 100,
                    row.cpu / std::max(1e-6, single.cpu), row.rss, row.rss / std::max(1e-6, hidden.rss));
    }
    std::fflush(stdout);
    for (const char* mode : {"--latency", "--stalls"}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(), {mode});
        child.waitForFinished(300000);
        for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
            // The program's own log lines start with an emoji; the figures do not.
            if (!line.isEmpty() && uchar(line.front()) < 0x80)
                std::printf("%s\n", line.constData());
        }
    }
    return 0;
}

// Delay from an in-place rewrite of status.json to the status manager's update, against a bare
// QFileSystemWatcher on the same file as the baseline, measured in the same run.
#include "StatusManager.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileSystemWatcher>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {
constexpr int rewrites = 400;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Figures
{
    double p50 = 0, p99 = 0, cpuPerEvent = 0;
    int missed = 0;
};

// Rewrites the file in place `rewrites` times; `arrived` is connected to the signal under test.
template <typename Connect> Figures measure(const QString& path, Connect connectArrival)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        qFatal("cannot open %s", qPrintable(path));
    std::vector<double> delays;
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    bool arrived = false;
    connectArrival([&] {
        arrived = true;
        loop.quit();
    });

    Figures figures;
    const double cpuBefore = cpuSeconds();
    QElapsedTimer clock;
    for (int i = 0; i < rewrites; ++i) {
        const QByteArray record = QByteArray(R"({"status":")") + (i % 2 ? "idle" : "working") +
                                  R"(","timestamp":"2025-01-15T10:30:45Z","tool":"Bash"})";
        arrived = false;
        file.resize(0);
        file.seek(0);
        file.write(record);
        file.flush();
        clock.start();
        timeout.start(1000);
        loop.exec();
        if (!arrived) {
            ++figures.missed;
            continue;
        }
        delays.push_back(double(clock.nsecsElapsed()) / 1000.0);
        // Let the remaining events of this write arrive before the next one.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    }
    figures.cpuPerEvent = (cpuSeconds() - cpuBefore) / rewrites * 1e6;
    std::sort(delays.begin(), delays.end());
    if (!delays.empty()) {
        figures.p50 = delays[delays.size() / 2];
        figures.p99 = delays[std::min(delays.size() - 1, delays.size() * 99 / 100)];
    }
    return figures;
}

void print(const char* name, const Figures& f)
{
    std::printf("%-22s p50 %8.1f us   p99 %8.1f us   cpu/event %7.1f us   missed %d\n", name, f.p50, f.p99,
                f.cpuPerEvent, f.missed);
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    const QString path = StatusManager::defaultStatusFilePath(home.path());

    // The manager creates the file; it is stopped while the baseline runs so only one reader works.
    StatusManager manager(path, [] { return 5.0; });
    manager.startMonitoring();
    manager.stopMonitoring();

    const auto runBaseline = [&] {
        QFileSystemWatcher watcher;
        return measure(path, [&](auto onArrival) {
            watcher.addPath(path);
            QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, &app, onArrival);
        });
    };
    const Figures before = runBaseline();
    manager.startMonitoring();
    const Figures ours = measure(path, [&](auto onArrival) {
        QObject::connect(&manager, &StatusManager::statusHistoryChanged, &app, onArrival);
    });
    manager.stopMonitoring();
    const Figures after = runBaseline();
    // The baseline runs before and after ours, so warming up favours neither side.
    const Figures baseline{(before.p50 + after.p50) / 2, (before.p99 + after.p99) / 2,
                           (before.cpuPerEvent + after.cpuPerEvent) / 2, before.missed + after.missed};

    std::printf("%d in-place rewrites of status.json\n", rewrites);
    print("QFileSystemWatcher", baseline);
    print("StatusManager", ours);
    std::printf("ratio (StatusManager / baseline): p50 %.2f  p99 %.2f  cpu/event %.2f\n",
                ours.p50 / baseline.p50, ours.p99 / baseline.p99, ours.cpuPerEvent / baseline.cpuPerEvent);
    return 0;
}

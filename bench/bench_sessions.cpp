// Cost of the sessions folder with 10, 100 and 1,000 session files: CPU time of one scan against a bare
// read of the same files, and the delay from an atomic rename of a new session file into the folder to
// the manager's addSession against a bare QFileSystemWatcher on the same folder, measured in the same run.
#include "DirectoryMonitor.h"
#include "MultiSessionManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileSystemWatcher>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {
double cpuMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

// What the hook writes, about 330 bytes.
QByteArray record(const QString& id)
{
    return QStringLiteral(
               R"({"session_id":"%1","status":"working","title":null,"cwd":"/home/user/projects/webapp",)"
               R"("transcript_path":"/home/user/.claude/projects/-home-user-projects-webapp/%1.jsonl",)"
               R"("timestamp":"2025-01-15T10:30:45.123Z","claude_pid":4242})")
        .arg(id)
        .toUtf8();
}

QString newId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The floor under any scan: list the folder and read every file, nothing decoded.
void bareRead(const QByteArray& directory)
{
    DIR* dir = ::opendir(directory.constData());
    char buffer[4096];
    while (const dirent* entry = ::readdir(dir)) {
        const int fd = ::openat(::dirfd(dir), entry->d_name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
        ::close(fd);
    }
    ::closedir(dir);
}

struct Delays
{
    double p50 = 0, p99 = 0;
    int samples = 0, missed = 0;
};

Delays percentiles(std::vector<double> delays, int missed)
{
    std::sort(delays.begin(), delays.end());
    Delays result;
    result.samples = int(delays.size());
    result.missed = missed;
    if (!delays.empty()) {
        result.p50 = delays[delays.size() / 2];
        result.p99 = delays[std::min(delays.size() - 1, delays.size() * 99 / 100)];
    }
    return result;
}

// Waits in the event loop until done() holds, for at most two seconds; false on timeout.
template <typename Done> bool waitFor(Done done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 2000)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

// Delivers whatever events are still under way, such as those of the temporary file.
void drain()
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 3)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

// Renames `rounds` new session files into the folder one at a time, the way the hook writes them, and
// measures until arrived() turns true; each file is deleted again (and settled()) before the next.
template <typename Arrived, typename Settled>
Delays renameRounds(const QString& directory, int rounds, Arrived arrived, Settled settled)
{
    std::vector<double> delays;
    int missed = 0;
    QElapsedTimer clock;
    for (int i = 0; i < rounds; ++i) {
        const QString id = newId();
        const QString temporary = directory + QStringLiteral("/_tmp.") + id;
        const QString target = directory + u'/' + id + QStringLiteral(".json");
        writeFile(temporary, record(id));
        drain();
        settled();
        clock.start();
        if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0)
            qFatal("rename failed");
        if (waitFor(arrived))
            delays.push_back(double(clock.nsecsElapsed()) / 1000.0);
        else
            ++missed;
        QFile::remove(target);
        settled();
    }
    return percentiles(std::move(delays), missed);
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // The manager logs a line per session; keep them out of the figures.
    FILE* out = fdopen(::dup(STDOUT_FILENO), "w");
    const int devNull = ::open("/dev/null", O_WRONLY);
    ::dup2(devNull, STDOUT_FILENO);

    std::fprintf(out, "%6s | %13s %13s %6s | %22s %22s %6s\n", "files", "scan cpu us", "bare read us",
                 "ratio", "rename->watcher p50/p99", "rename->addSession p50/p99", "ratio");
    for (const int files : {10, 100, 1000}) {
        QTemporaryDir home;
        const QString directory = MultiSessionManager::defaultSessionsDirectory(home.path());
        QDir().mkpath(directory);
        for (int i = 0; i < files; ++i) {
            const QString id = newId();
            writeFile(directory + u'/' + id + QStringLiteral(".json"), record(id));
        }

        // CPU time of one steady-state scan: every file re-read, nothing new to report.
        const int scans = std::max(20, 20000 / files);
        double scanCpu = 0, bareCpu = 0;
        {
            auto monitor = DirectoryMonitor::create(directory, std::chrono::hours(1));
            if (!monitor)
                qFatal("cannot watch %s", qPrintable(directory));
            const QByteArray encoded = QFile::encodeName(directory);
            // Interleaved, so that caches and frequency changes favour neither.
            for (int round = 0; round < 2; ++round) {
                double start = cpuMicroseconds();
                for (int i = 0; i < scans / 2; ++i)
                    (*monitor)->scanDirectory();
                scanCpu += cpuMicroseconds() - start;
                start = cpuMicroseconds();
                for (int i = 0; i < scans / 2; ++i)
                    bareRead(encoded);
                bareCpu += cpuMicroseconds() - start;
            }
            scanCpu /= 2 * (scans / 2);
            bareCpu /= 2 * (scans / 2);
        }

        // Delay to addSession, with the real one-second poll and ten-second sweep running.
        const int rounds = files >= 1000 ? 60 : 200;
        Delays watcherDelays, managerDelays;
        {
            QFileSystemWatcher watcher({directory});
            bool changed = false;
            QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, [&] { changed = true; });
            watcherDelays = renameRounds(
                directory, rounds, [&] { return changed; },
                [&] {
                    drain();
                    changed = false;
                });
        }
        {
            MultiSessionManager manager(
                directory, [] { return 5.0; }, NextBundledSkinIdSource(), true, 1800);
            manager.startMonitoring();
            if (!waitFor([&] { return manager.instances().size() == files; }))
                qFatal("the manager did not pick up the initial files");
            const int start = manager.instancesVersion();
            int expected = start;
            managerDelays = renameRounds(
                directory, rounds, [&] { return manager.instancesVersion() > expected; },
                [&] {
                    waitFor([&] { return manager.instances().size() == files; });
                    expected = manager.instancesVersion();
                });
        }
        std::fprintf(
            out,
            "%6d | %13.0f %13.0f %6.2f | %10.0f /%10.0f %11.0f /%10.0f %6.2f   (%d samples, %d missed)\n",
            files, scanCpu, bareCpu, scanCpu / bareCpu, watcherDelays.p50, watcherDelays.p99,
            managerDelays.p50, managerDelays.p99, managerDelays.p50 / watcherDelays.p50,
            managerDelays.samples, managerDelays.missed + watcherDelays.missed);
        std::fflush(out);
    }
    std::fprintf(
        out, "delays in microseconds; ratio = manager p50 / watcher p50. A steady scan runs once a second, "
             "so scan cpu us / 10,000 is the percentage of one core spent on polling.\n");
    return 0;
}

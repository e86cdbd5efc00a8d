// Frame sources without drawing: CPU (share of one core) and resident memory of
//  - one bundled clip looping at 200x200 for 10 s, against gst-launch-1.0 decoding and scaling the same
//    clip to the same size at its own pace in the same run (explicit H.264 chain and decodebin);
//  - twelve viewers sharing three sources (the three skins' working clips) against twelve sources;
//  - resident memory once every source is released, closed and the heap trimmed.
// Usage: bench_framesource [skins folder]
#include "FrameSourceRegistry.h"
#include "GstSupport.h"
#include "ProcessMeasures.h"
#include "SkinRendition.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;

namespace {
constexpr int measureSeconds = 10;
const QString scaleTail =
    QStringLiteral("videoscale ! videoconvert ! video/x-raw,format=BGRA,width=200,height=200 ! "
                   "fakesink sync=true");

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// utime + stime of a child from /proc, in seconds; negative once it is gone.
double childCpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return (fields[11].toDouble() + fields[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
}

void wait(std::chrono::milliseconds duration)
{
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Figures
{
    double cpuPercent = 0;
    double residentMiB = 0;
    double framesPerSecond = 0;
};

// Runs the pipeline again and again until it has played measureSeconds, sampling the child from /proc
// once it has started, so that start-up and shut-down are left out.
Figures gstLaunch(const QString& pipeline)
{
    double cpu = 0, wall = 0, peak = 0;
    while (wall < measureSeconds - 0.5) {
        QProcess child;
        child.start(QStringLiteral("gst-launch-1.0"),
                    QProcess::splitCommand(QStringLiteral("-q ") + pipeline));
        if (!child.waitForStarted())
            return {};
        wait(500ms);
        QElapsedTimer clock;
        clock.start();
        const double first = childCpuSeconds(child.processId());
        double last = first;
        qint64 lastAt = 0;
        while (child.state() == QProcess::Running && wall + double(clock.elapsed()) / 1000 < measureSeconds) {
            const double now = childCpuSeconds(child.processId());
            if (now < 0)
                break;
            last = now;
            lastAt = clock.elapsed();
            peak = std::max(peak, residentMiB(QString::number(child.processId())));
            wait(100ms);
        }
        child.kill();
        child.waitForFinished();
        if (first < 0)
            return {};
        cpu += last - first;
        wall += double(lastAt) / 1000;
    }
    return {100 * cpu / wall, peak, 0};
}

// Measures this process while the given sources play and a viewer per entry reads the newest frame
// at 60 Hz, as the views will.
Figures measure(const std::vector<std::shared_ptr<FrameSource>>& viewers)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 5000 &&
           !std::ranges::all_of(viewers, [](const auto& source) { return source->frameNumber() > 0; }))
        wait(20ms);
    wait(1s);
    QTimer reader;
    quint64 read = 0;
    QObject::connect(&reader, &QTimer::timeout, [&] {
        for (const auto& source : viewers)
            read += source->latestFrame().image.isNull() ? 0 : 1;
    });
    reader.start(16);
    const quint64 framesBefore = viewers.front()->frameNumber();
    const double cpuBefore = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    wait(std::chrono::seconds(measureSeconds));
    const double wall = double(clock.elapsed()) / 1000;
    return {100 * (cpuSeconds() - cpuBefore) / wall, residentMiB(),
            double(viewers.front()->frameNumber() - framesBefore) / wall};
}

void print(const char* what, const Figures& figures)
{
    std::printf("%-44s CPU %6.2f %%  RSS %7.1f MiB", what, figures.cpuPercent, figures.residentMiB);
    if (figures.framesPerSecond > 0)
        std::printf("  %5.1f fps", figures.framesPerSecond);
    std::printf("\n");
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString skins =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(TABBYWATCH_BUNDLED_SKINS);
    QStringList clips;
    for (const QString& skin : QDir(skins).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (QFile::exists(QDir(skins).filePath(skin + QStringLiteral("/working.mp4"))))
            clips << QDir(skins).filePath(skin + QStringLiteral("/working.mp4"));
    }
    if (clips.size() < 3 || GstSupport::ensureInitialized()) {
        std::fprintf(stderr, "Need GStreamer and three skins with working.mp4 in %s\n", qPrintable(skins));
        return 1;
    }
    std::printf("clip %s, %d s each\n", qPrintable(clips.front()), measureSeconds);

    const double idleResident = residentMiB();
    std::printf("%-44s %30.1f MiB\n", "RSS before any source", idleResident);
    FrameSourceRegistry registry(500ms);
    auto waitClosed = [&registry] {
        while (registry.sourceCount() > 0)
            wait(50ms);
    };
    // The full clip and its small copy, each against gst-launch decoding that same file.
    std::vector<double> ours;
    for (const QString& clip : {clips.front(), SkinRendition::smallPath(clips.front())}) {
        std::printf("%s\n", qPrintable(QFileInfo(clip).fileName()));
        const QString source = QStringLiteral("filesrc location=%1 ! ").arg(clip);
        const Figures explicitChain =
            gstLaunch(source + QStringLiteral("qtdemux ! h264parse ! avdec_h264 ! ") + scaleTail);
        print("  baseline gst-launch (qtdemux ! avdec_h264)", explicitChain);
        print("  baseline gst-launch (decodebin)",
              gstLaunch(source + QStringLiteral("decodebin ! ") + scaleTail));
        const Figures one = measure({registry.acquire(clip, QSize(200, 200))});
        print("  1 source at 200x200", one);
        std::printf("  ratio to baseline: CPU %.2fx\n", one.cpuPercent / explicitChain.cpuPercent);
        ours.push_back(one.cpuPercent);
        waitClosed();
    }
    std::printf("small copy against the full clip, 1 source at 200x200: CPU %.2fx\n", ours[1] / ours[0]);

    std::vector<std::shared_ptr<FrameSource>> viewers;
    for (int viewer = 0; viewer < 12; ++viewer)
        viewers.push_back(registry.acquire(clips[viewer % 3], QSize(200, 200)));
    const Figures shared = measure(viewers);
    print("12 viewers, 3 sources at 200x200", shared);
    viewers.clear();
    waitClosed();
    const double afterShared = residentMiB();

    for (int viewer = 0; viewer < 12; ++viewer)
        viewers.push_back(registry.acquire(clips[viewer % 3], QSize(200 - viewer / 3, 200 - viewer / 3)));
    const Figures distinct = measure(viewers);
    print("12 viewers, 12 sources at 197..200", distinct);
    std::printf("  per extra source: CPU %.2f %%, RSS %.1f MiB\n",
                (distinct.cpuPercent - shared.cpuPercent) / 9,
                (distinct.residentMiB - shared.residentMiB) / 9);
    viewers.clear();
    waitClosed();
    std::printf("%-44s %30.1f MiB (after the 3 shared: %.1f)\n", "RSS after all released, closed, trimmed",
                residentMiB(), afterShared);
    return 0;
}

// Feeds 1280x720 BGRA frames to CameraVideoRecorder the way the video queue does and reports:
//   throughput  - frames offered back to back (a refused frame is offered again): frames per second
//                 and CPU time per frame (whole process: video-queue copy, conversion, encoding, muxing);
//   real time   - frames offered at 30 fps for 300 frames: dropped frames, CPU per frame, cores used,
//                 the time one append holds the video queue, and the first frame's set-up time.
// Runs twice, unpinned and pinned to two CPUs (--cores N to change, 0 for the unpinned run alone), and
// prints both side by side. --keep FILE keeps the real-time recording for inspection (ffprobe).
#include "CameraVideoRecorder.h"
#include "ZunoAppLogger.h"
#include "ZunoBenchmarkRuns.h"
#include "ZunoToolCommandLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kFrames = 300;
constexpr int kRuns = 3;
constexpr int kCanvasWidth = 1600;
constexpr int kCanvasHeight = 960;
constexpr int kNoiseFields = 8;

double cpuSeconds(clockid_t clock)
{
    timespec ts {};
    clock_gettime(clock, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

double wallSeconds()
{
    return cpuSeconds(CLOCK_MONOTONIC);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[std::min(values.size() - 1, std::size_t(p * values.size()))];
}

// A textured scene larger than the frame, with a few fields of sensor-like noise: each frame is a
// window that pans across it (so rows are wider than the frame) over a changing noise field.
class Scene {
public:
    Scene()
    {
        std::mt19937 random(7);
        std::uniform_int_distribution<int> noise(-6, 6);
        m_fields.resize(kNoiseFields);
        for (int f = 0; f < kNoiseFields; ++f) {
            std::vector<std::uint8_t> &pixels = m_fields[f];
            pixels.resize(std::size_t(kCanvasWidth) * kCanvasHeight * 4);
            for (int y = 0; y < kCanvasHeight; ++y) {
                for (int x = 0; x < kCanvasWidth; ++x) {
                    std::uint8_t *p = &pixels[(std::size_t(y) * kCanvasWidth + x) * 4];
                    const int band = ((x / 80) + (y / 60)) % 5;
                    const int base[3] = { 60 + band * 30 + (x * 60) / kCanvasWidth,
                        90 + (y * 100) / kCanvasHeight, 140 - band * 15 + ((x ^ y) & 31) };
                    for (int c = 0; c < 3; ++c)
                        p[c] = std::uint8_t(std::clamp(base[c] + noise(random), 0, 255));
                    p[3] = 255;
                }
            }
        }
    }

    CameraRecorderFrame frame(int index, double time) const
    {
        const int dx = (index * 3) % (kCanvasWidth - kWidth);
        const int dy = (index * 2) % (kCanvasHeight - kHeight);
        const std::vector<std::uint8_t> &pixels = m_fields[index % kNoiseFields];
        return CameraRecorderFrame { &pixels[(std::size_t(dy) * kCanvasWidth + dx) * 4], kWidth, kHeight,
            std::ptrdiff_t(kCanvasWidth) * 4, time };
    }

private:
    std::vector<std::vector<std::uint8_t>> m_fields;
};

struct RunResult {
    double wall = 0;
    double cpu = 0;
    int written = 0;
    int dropped = 0;
    std::vector<double> appendSeconds;
    QString file;
};

RunResult record(CameraVideoRecorder &recorder, const Scene &scene, const QString &folder, bool realTime)
{
    RunResult result;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    recorder.startRecording(folder, now);
    const double cpuStart = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const double wallStart = wallSeconds();
    const auto clockStart = std::chrono::steady_clock::now();
    for (int i = 0; i < kFrames; ++i) {
        const double time = i / 30.0;
        if (realTime)
            std::this_thread::sleep_until(clockStart + std::chrono::microseconds(std::int64_t(time * 1e6)));
        for (;;) {
            const double before = wallSeconds();
            const bool taken = recorder.append(scene.frame(i, 100.0 + time));
            result.appendSeconds.push_back(wallSeconds() - before);
            if (taken) {
                ++result.written;
                break;
            }
            if (realTime) {
                ++result.dropped; // the video queue moves on; the frame is lost
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
    const CameraRecordingResult finished = recorder.stopRecording().result();
    result.wall = wallSeconds() - wallStart;
    result.cpu = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
    result.file = finished.url;
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const char *usage = "usage: ZunoRecorderBenchmark [--cores N] [--keep FILE]\n"
                        "  H.264 recording of 1280x720 frames: throughput and real time at 30 fps, run\n"
                        "  unpinned and pinned to N CPUs (2; 0: the unpinned run alone)\n";
    if (const auto exitCode = zunoCheckToolArguments(argc, argv, usage, { "--cores=", "--keep=" }))
        return *exitCode;
    int cores = 2;
    QString keep;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--cores" && i + 1 < args.size())
            cores = args[++i].toInt();
        else if (args[i] == "--keep" && i + 1 < args.size())
            keep = args[++i];
    }
    if (cores > 0 && !ZunoBenchmarkRuns::isRun())
        return ZunoBenchmarkRuns::bothWays(args.mid(1), cores);

    QTemporaryDir folder;
    auto logger
        = std::make_shared<ZunoAppLogger>(QStringLiteral("ZunoRecorderBenchmark"), folder.filePath("logs"));
    CameraVideoRecorder recorder(logger);
    const Scene scene;

    std::printf("recorder benchmark: %d frames of %dx%d BGRA, %d Mbit/s H.264 High\n", kFrames, kWidth,
        kHeight, CameraVideoRecorder::recommendedBitrate(kWidth, kHeight) / 1'000'000);

    std::vector<double> fps, cpuPerFrame;
    for (int run = 0; run < kRuns; ++run) {
        const RunResult r = record(recorder, scene, folder.path(), false);
        fps.push_back(r.written / r.wall);
        cpuPerFrame.push_back(r.cpu / r.written * 1000);
        QFile::remove(r.file);
        std::printf("  throughput run %d: %.1f frames/s, %.2f ms CPU/frame\n", run + 1, fps.back(),
            cpuPerFrame.back());
    }
    std::printf("throughput (median of %d): %.1f frames/s, %.2f ms CPU per frame\n", kRuns, median(fps),
        median(cpuPerFrame));

    const RunResult live = record(recorder, scene, folder.path(), true);
    std::printf("real time at 30 fps: %d written, %d dropped, %.2f ms CPU per frame, %.2f cores used\n",
        live.written, live.dropped, live.cpu / live.written * 1000, live.cpu / live.wall);
    std::printf("append on the video queue: median %.3f ms, 95th percentile %.3f ms\n",
        median(live.appendSeconds) * 1000, percentile(live.appendSeconds, 0.95) * 1000);
    std::printf("first frame (opens the file and the encoder): %.1f ms\n", live.appendSeconds.front() * 1000);
    ZunoBenchmarkRuns::figure("throughput, CPU per frame", median(cpuPerFrame),
        *std::max_element(cpuPerFrame.begin(), cpuPerFrame.end()));
    ZunoBenchmarkRuns::figure(
        "throughput, wall per frame", 1000 / median(fps), 1000 / *std::min_element(fps.begin(), fps.end()));
    ZunoBenchmarkRuns::figure("append on the video queue", median(live.appendSeconds) * 1000,
        percentile(live.appendSeconds, 0.95) * 1000);
    if (!keep.isEmpty()) {
        QFile::remove(keep);
        if (QFile::rename(live.file, keep) || QFile::copy(live.file, keep))
            std::printf("kept %s\n", qPrintable(keep));
    }
    return 0;
}

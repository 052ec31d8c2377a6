// Runs the camera capture service end to end (source, face detection, portrait, framing, colour,
// recorder, frame callback) and reports frames per second, dropped frames and per-stage times.
//
//   CaptureDemo --list
//   CaptureDemo --make-clip clip.mp4 [--clip-seconds 12]
//   CaptureDemo [--source pattern|<video file>|<camera id>] [--seconds 10] [--cores 2]
//               [--background off|softBlur|strongBlur|studioDim] [--look natural|deepSeaCinema|...]
//               [--framing on|off] [--mirror on|off] [--zoom 1.0] [--exposure 0] [--warmth 0]
//               [--record <folder>] [--snapshot frame.png]
//
// A file or "pattern" is opened through ZUNOCAM_VIRTUAL_CAMERA, as the studio would on a machine
// without a camera. With --cores N the run is made twice, unpinned and pinned to N cores (both with
// N kernel threads), and the stage times of both are printed side by side.
#include "CameraCaptureService.h"
#include "CameraImageKernels.h"
#include "CameraLookPreset.h"
#include "CameraSystemDevices.h"
#include "CameraVideoRecorder.h"
#include "ZunoAppLogger.h"
#include "ZunoBenchmarkRuns.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// The portrait fixture on a dark letter-boxed stage, drifting sideways and up and down, so that face
// framing has something to follow; H.264 at 1280x720 and 30 fps.
bool makeClip(const QString &path, int seconds)
{
    const QString portrait = QStringLiteral(ZUNO_TEST_DATA "/imaging/astronaut.png");
    const QString graph = QStringLiteral(
        "color=c=0x20262e:s=1280x720:r=30:d=%1[stage];"
        "[0:v]scale=840:840,setsar=1[person];"
        "[stage][person]overlay=x='220+200*sin(2*PI*t/8)':y='25+25*sin(2*PI*t/5)':shortest=1,"
        "drawbox=x=0:y=0:w=1280:h=90:color=black:t=fill,"
        "drawbox=x=0:y=630:w=1280:h=90:color=black:t=fill,format=yuv420p[out]")
                              .arg(seconds);
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ffmpeg.start(QStringLiteral("ffmpeg"),
        { "-y", "-loglevel", "error", "-loop", "1", "-framerate", "30", "-i", portrait, "-filter_complex",
            graph, "-map", "[out]", "-t", QString::number(seconds), "-c:v", "libx264", "-preset", "medium",
            "-crf", "20", "-r", "30", path });
    return ffmpeg.waitForFinished(300'000) && ffmpeg.exitStatus() == QProcess::NormalExit
        && ffmpeg.exitCode() == 0;
}

struct Summary {
    double median = 0;
    double p95 = 0;
};

Summary summarise(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    const auto at
        = [&](double q) { return values[std::min(values.size() - 1, std::size_t(q * values.size()))]; };
    return { at(0.5), at(0.95) };
}

std::optional<bool> onOff(const QString &value)
{
    if (value == QLatin1String("on"))
        return true;
    if (value == QLatin1String("off"))
        return false;
    return std::nullopt;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Runs the camera capture service and reports its figures."));
    parser.addHelpOption();
    const QCommandLineOption list(QStringLiteral("list"), QStringLiteral("List the cameras and exit."));
    const QCommandLineOption clip(
        QStringLiteral("make-clip"), QStringLiteral("Make the portrait clip."), QStringLiteral("path"));
    const QCommandLineOption clipSeconds(QStringLiteral("clip-seconds"), QStringLiteral("Clip length."),
        QStringLiteral("s"), QStringLiteral("12"));
    const QCommandLineOption source(QStringLiteral("source"),
        QStringLiteral("pattern, a video file or a camera id (default camera)."), QStringLiteral("source"));
    const QCommandLineOption seconds(
        QStringLiteral("seconds"), QStringLiteral("Run time."), QStringLiteral("s"), QStringLiteral("10"));
    const QCommandLineOption cores(QStringLiteral("cores"), QStringLiteral("Run on this many cores."),
        QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption background(QStringLiteral("background"), QStringLiteral("Portrait background."),
        QStringLiteral("mode"), QStringLiteral("off"));
    const QCommandLineOption look(QStringLiteral("look"), QStringLiteral("Look preset."),
        QStringLiteral("look"), QStringLiteral("natural"));
    const QCommandLineOption framing(QStringLiteral("framing"), QStringLiteral("Face framing on|off."),
        QStringLiteral("on|off"), QStringLiteral("on"));
    const QCommandLineOption mirror(QStringLiteral("mirror"), QStringLiteral("Mirror on|off."),
        QStringLiteral("on|off"), QStringLiteral("on"));
    const QCommandLineOption zoom(
        QStringLiteral("zoom"), QStringLiteral("Digital zoom."), QStringLiteral("z"), QStringLiteral("1"));
    const QCommandLineOption exposure(QStringLiteral("exposure"), QStringLiteral("Exposure EV."),
        QStringLiteral("ev"), QStringLiteral("0"));
    const QCommandLineOption warmth(
        QStringLiteral("warmth"), QStringLiteral("Warmth shift."), QStringLiteral("w"), QStringLiteral("0"));
    const QCommandLineOption record(QStringLiteral("record"),
        QStringLiteral("Record an MP4 into this folder."), QStringLiteral("folder"));
    const QCommandLineOption snapshot(
        QStringLiteral("snapshot"), QStringLiteral("Save the last frame as PNG."), QStringLiteral("path"));
    parser.addOptions({ list, clip, clipSeconds, source, seconds, cores, background, look, framing, mirror,
        zoom, exposure, warmth, record, snapshot });
    parser.process(app);

    if (parser.isSet(clip)) {
        if (!makeClip(parser.value(clip), parser.value(clipSeconds).toInt())) {
            std::fprintf(stderr, "could not make the clip\n");
            return 1;
        }
        std::printf("clip: %s\n", qPrintable(parser.value(clip)));
        if (!parser.isSet(source) && !parser.isSet(seconds))
            return 0;
    }

    std::optional<QString> deviceID;
    if (parser.isSet(source)) {
        const QString value = parser.value(source);
        if (value == QLatin1String("pattern") || QFileInfo::exists(value))
            qputenv(CameraSystemDevices::kVirtualCameraVariable, value.toUtf8());
        else
            deviceID = value;
    }
    if (parser.isSet(list)) {
        for (const auto &camera : CameraCaptureService::availableCameras())
            std::printf("%s\t%s\n", qPrintable(camera.id), qPrintable(camera.name));
        return 0;
    }

    CameraAdjustments adjustments;
    const auto mode = PortraitBackgroundModes::fromRawValue(parser.value(background));
    const auto preset = CameraLookPresets::fromRawValue(parser.value(look));
    const auto framingOn = onOff(parser.value(framing));
    const auto mirrorOn = onOff(parser.value(mirror));
    if (!mode || !preset || !framingOn || !mirrorOn) {
        std::fprintf(stderr, "unknown background, look, framing or mirror value\n");
        return 2;
    }
    adjustments.portraitBackgroundMode = *mode;
    adjustments.lookPreset = *preset;
    adjustments.autoFaceFraming = *framingOn;
    adjustments.isMirrored = *mirrorOn;
    adjustments.digitalZoom = parser.value(zoom).toDouble();
    adjustments.exposureEV = parser.value(exposure).toDouble();
    adjustments.warmthShift = parser.value(warmth).toDouble();

    const int coreCount = parser.value(cores).toInt();
    if (coreCount > 0) {
        // Pinned or not is the parent's choice, made before this process started any thread.
        if (!ZunoBenchmarkRuns::isRun())
            return ZunoBenchmarkRuns::bothWays(app.arguments().mid(1), coreCount);
        CameraImageKernels::setThreadCount(coreCount);
    }

    QTemporaryDir logFolder;
    auto logger = std::make_shared<ZunoAppLogger>(QStringLiteral("ZunoCam"), logFolder.path());
    auto recorder = std::make_shared<CameraVideoRecorder>(logger);

    std::mutex lock;
    std::condition_variable arrived;
    std::vector<CameraCaptureService::FrameTimings> timings;
    std::int64_t frames = 0;
    QImage lastFrame;
    {
        CameraCaptureService service(logger);
        service.updateAdjustments(adjustments);
        service.attachVideoRecorder(recorder);
        service.setFrameTimingObserver([&](const CameraCaptureService::FrameTimings &t) {
            std::lock_guard guard(lock);
            timings.push_back(t);
        });
        service.onFrame = [&](const QImage &frame) {
            std::lock_guard guard(lock);
            ++frames;
            lastFrame = frame;
            arrived.notify_all();
        };
        if (!service.start(deviceID)) {
            std::fprintf(stderr, "the camera did not start (see the log lines below)\n");
        } else {
            // Figures are taken from the first frame on, so opening the source does not count.
            {
                std::unique_lock guard(lock);
                if (!arrived.wait_for(guard, std::chrono::seconds(20), [&] { return frames > 0; })) {
                    std::fprintf(stderr, "no frame arrived\n");
                    return 1;
                }
                timings.clear();
                frames = 0;
            }
            std::optional<QString> recording;
            if (parser.isSet(record)) {
                // The recorder opens its encoder on the first frame it gets, on the video queue: shown
                // apart, and the window below starts once that frame is written.
                const std::uint64_t droppedAtStart = service.droppedFrames();
                recording = recorder->startRecording(parser.value(record), QDateTime::currentDateTime());
                const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                while (
                    recorder->currentSnapshot().frameCount < 1 && std::chrono::steady_clock::now() < deadline)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                std::lock_guard guard(lock);
                double opening = 0;
                for (const auto &t : timings)
                    opening = std::max(opening, t.recording);
                std::printf("recording start: first append (opens the encoder) %.1f ms, %llu frames dropped "
                            "meanwhile\n",
                    opening, static_cast<unsigned long long>(service.droppedFrames() - droppedAtStart));
                timings.clear();
                frames = 0;
            }
            const std::uint64_t droppedBefore = service.droppedFrames();
            const auto began = std::chrono::steady_clock::now();
            std::this_thread::sleep_for(std::chrono::duration<double>(parser.value(seconds).toDouble()));
            const double elapsed
                = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
            std::int64_t delivered;
            std::vector<CameraCaptureService::FrameTimings> taken;
            {
                std::lock_guard guard(lock);
                delivered = frames;
                taken = timings;
            }
            const std::uint64_t dropped = service.droppedFrames() - droppedBefore;
            service.stop();

            std::printf("frames: %lld in %.2f s = %.2f fps; dropped before processing: %llu\n",
                static_cast<long long>(delivered), elapsed, delivered / elapsed,
                static_cast<unsigned long long>(dropped));
            const auto stage = [&](const char *name, auto member) {
                std::vector<double> values;
                for (const auto &t : taken)
                    values.push_back(member(t));
                const Summary s = summarise(values);
                ZunoBenchmarkRuns::figure(name, s.median, s.p95);
            };
            std::vector<double> detectionOnly;
            for (const auto &t : taken) {
                if (t.faceDetectionRan)
                    detectionOnly.push_back(t.faceDetection);
            }
            const Summary detection = summarise(detectionOnly);
            std::printf("face detection ran %zu times (every 6th frame)\n", detectionOnly.size());
            ZunoBenchmarkRuns::figure("face detection (when it runs)", detection.median, detection.p95);
            stage("portrait", [](const auto &t) { return t.portrait; });
            stage("framing", [](const auto &t) { return t.framing; });
            stage("colour", [](const auto &t) { return t.colour; });
            stage("recorder append", [](const auto &t) { return t.recording; });
            stage("delivery", [](const auto &t) { return t.delivery; });
            stage("whole frame", [](const auto &t) { return t.total; });

            if (recording) {
                try {
                    const CameraRecordingResult result = recorder->stopRecording().result();
                    std::printf("recording: %s, %.2f s, %lld frames written\n", qPrintable(result.url),
                        result.durationSeconds, static_cast<long long>(result.frameCount));
                } catch (const CameraRecorderError &error) {
                    std::printf("recording failed: %s\n", qPrintable(error.localizedDescription()));
                }
            }
        }
    }
    if (parser.isSet(snapshot) && !lastFrame.isNull())
        lastFrame.save(parser.value(snapshot));

    std::printf("log:\n");
    const auto entries = logger->recentEntries(50, ZunoLogLevel::debug);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        std::printf("  [%s] [%s] %s\n", qPrintable(rawValue(it->level)), qPrintable(it->category),
            qPrintable(it->message));
    return 0;
}

#include "CameraCaptureService.h"
#include "CameraPushSource.h"
#include "CameraSystemDevices.h"
#include "CameraVideoRecorder.h"
#include "CaptureTestSupport.h"
#include "ZunoAppLogger.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <map>

using namespace std::chrono_literals;

namespace {

// Threads of this process.
int threadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

constexpr int kWidth = 320;
constexpr int kHeight = 180;

// Segmenter whose outcomes a test scripts; a mask is all background (black).
class ScriptedSegmenter : public PersonSegmenter {
public:
    struct Script {
        std::mutex lock;
        std::deque<Outcome> outcomes; // then noMask
        int calls = 0;
    };

    explicit ScriptedSegmenter(std::shared_ptr<Script> script)
        : m_script(std::move(script))
    {
    }

    Outcome segment(const CameraPixelBuffer &, CameraPixelBuffer &mask, QString &error) override
    {
        std::lock_guard lock(m_script->lock);
        ++m_script->calls;
        Outcome outcome = Outcome::noMask;
        if (!m_script->outcomes.empty()) {
            outcome = m_script->outcomes.front();
            m_script->outcomes.pop_front();
        }
        if (outcome == Outcome::mask) {
            mask.ensure(32, 18, CameraPixelBuffer::Format::Gray8);
            for (int y = 0; y < mask.height(); ++y)
                std::memset(mask.scanLine(y), 0, static_cast<size_t>(mask.width()));
        } else if (outcome == Outcome::failed) {
            error = QStringLiteral("scripted failure");
        }
        return outcome;
    }

private:
    std::shared_ptr<Script> m_script;
};

class FakeRecorder : public CameraCaptureService::FrameRecorder {
public:
    std::atomic<bool> recording { false };

    bool isRecording() const override { return recording; }
    bool append(const CameraRecorderFrame &frame) override
    {
        std::lock_guard lock(m_lock);
        m_times.push_back(frame.timestampSeconds);
        m_sizes.push_back({ frame.width, frame.height });
        return true;
    }
    std::vector<double> times()
    {
        std::lock_guard lock(m_lock);
        return m_times;
    }
    std::vector<std::pair<int, int>> sizes()
    {
        std::lock_guard lock(m_lock);
        return m_sizes;
    }

private:
    std::mutex m_lock;
    std::vector<double> m_times;
    std::vector<std::pair<int, int>> m_sizes;
};

// Two push cameras, "Camera A" (the default) and "Camera B".
class PushDirectory : public CameraDeviceDirectory {
public:
    PushDirectory()
    {
        for (const auto &[id, name] :
            { std::pair { "cam-a", "Camera A" }, std::pair { "cam-b", "Camera B" } }) {
            const CameraDeviceDescriptor descriptor { id, name };
            m_list.append(descriptor);
            m_sources[descriptor.id] = std::make_shared<CameraPushSource>(descriptor);
        }
    }
    QList<CameraDeviceDescriptor> devices() override { return m_list; }
    CameraAuthorizationStatus authorizationStatus(const std::optional<QString> &) override { return status; }
    std::shared_ptr<CameraFrameSource> makeSource(const CameraDeviceDescriptor &device) override
    {
        return m_sources.at(device.id);
    }
    std::shared_ptr<CameraPushSource> source(const QString &id) { return m_sources.at(id); }

    std::atomic<CameraAuthorizationStatus> status { CameraAuthorizationStatus::authorized };

private:
    QList<CameraDeviceDescriptor> m_list;
    std::map<QString, std::shared_ptr<CameraPushSource>> m_sources;
};

CameraPixelBuffer paint(const std::function<std::uint32_t(int x, int y)> &colour)
{
    CameraPixelBuffer image(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        auto *row = reinterpret_cast<std::uint32_t *>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x)
            row[x] = colour(x, y);
    }
    return image;
}

// One-pixel black and white columns: sharp, or grey once blurred.
CameraPixelBuffer stripes()
{
    return paint([](int x, int) { return x % 2 ? 0xffffffffu : 0xff000000u; });
}

// Red left half, blue right half.
CameraPixelBuffer halves()
{
    return paint([](int x, int) { return x < kWidth / 2 ? 0xffff0000u : 0xff0000ffu; });
}

// The largest step between neighbours along the middle row (green channel).
int sharpness(const QImage &frame)
{
    const auto *row = reinterpret_cast<const QRgb *>(frame.constScanLine(frame.height() / 2));
    int worst = 0;
    for (int x = 1; x < frame.width(); ++x)
        worst = std::max(worst, std::abs(qGreen(row[x]) - qGreen(row[x - 1])));
    return worst;
}

// Where red gives way to blue along the middle row: right of the centre when the framing is pulled
// to the left of the picture.
int boundaryColumn(const QImage &frame)
{
    const auto *row = reinterpret_cast<const QRgb *>(frame.constScanLine(frame.height() / 2));
    for (int x = 0; x < frame.width(); ++x) {
        if (qBlue(row[x]) > qRed(row[x]))
            return x;
    }
    return frame.width();
}

// Adjustments under which the colour pipeline changes nothing visible.
CameraAdjustments neutral(bool framing)
{
    CameraAdjustments adjustments;
    adjustments.isMirrored = false;
    adjustments.saturation = 1;
    adjustments.contrast = 1;
    adjustments.vignetteIntensity = 0;
    adjustments.autoFaceFraming = framing;
    return adjustments;
}

class CameraCaptureServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        logger = std::make_shared<ZunoAppLogger>(QStringLiteral("ZunoCam"), logDir.path());
        directory = std::make_shared<PushDirectory>();
        segmenterScript = std::make_shared<ScriptedSegmenter::Script>();
        CameraCaptureService::Dependencies dependencies;
        dependencies.devices = directory;
        dependencies.segmenter = std::make_unique<ScriptedSegmenter>(segmenterScript);
        dependencies.faceDetector = [this](const CameraPixelBuffer &) {
            std::lock_guard lock(m_lock);
            ++detections;
            CameraCaptureService::FaceDetection result;
            if (!faceScript.empty()) {
                result = faceScript.front();
                faceScript.pop_front();
            }
            return result;
        };
        service = std::make_unique<CameraCaptureService>(logger, std::move(dependencies));
        service->onFrame = [this](const QImage &frame) {
            std::lock_guard lock(m_lock);
            lastFrame = frame;
            ++processed;
            m_changed.notify_all();
        };
    }

    std::shared_ptr<CameraPushSource> cameraA() { return directory->source(QStringLiteral("cam-a")); }
    std::shared_ptr<CameraPushSource> cameraB() { return directory->source(QStringLiteral("cam-b")); }

    // Starts and waits until the camera delivers.
    void startOn(const std::optional<QString> &id, const std::shared_ptr<CameraPushSource> &camera)
    {
        ASSERT_TRUE(service->start(id));
        ASSERT_TRUE(camera->waitUntilRunning(10s));
    }

    // Pushes one frame and waits until the service has handed it to onFrame.
    QImage pushAndWait(
        const std::shared_ptr<CameraPushSource> &camera, const CameraPixelBuffer &image, double time = 0)
    {
        std::unique_lock lock(m_lock);
        const int before = processed;
        lock.unlock();
        EXPECT_TRUE(camera->push(CameraFrameSample { image, time }));
        lock.lock();
        EXPECT_TRUE(m_changed.wait_for(lock, 10s, [&] { return processed > before; }));
        return lastFrame;
    }

    int detectionCount()
    {
        std::lock_guard lock(m_lock);
        return detections;
    }

    // Log lines oldest first, as "level category: message".
    QStringList logLines()
    {
        QStringList lines;
        for (const ZunoLogEntry &entry : logger->recentEntries(1000, ZunoLogLevel::debug))
            lines.prepend(rawValue(entry.level) + QLatin1Char(' ') + entry.category + QStringLiteral(": ")
                + entry.message);
        return lines;
    }

    QTemporaryDir logDir;
    std::shared_ptr<ZunoAppLogger> logger;
    std::shared_ptr<PushDirectory> directory;
    std::shared_ptr<ScriptedSegmenter::Script> segmenterScript;
    std::deque<CameraCaptureService::FaceDetection> faceScript;
    std::unique_ptr<CameraCaptureService> service;

    std::mutex m_lock;
    std::condition_variable m_changed;
    QImage lastFrame;
    int processed = 0;
    int detections = 0;
};

} // namespace

TEST_F(CameraCaptureServiceTest, DetectsFacesOnFrames6_12_18OfTheServiceLifetimeAcrossStopAndStart)
{
    service->updateAdjustments(neutral(true));
    std::vector<int> detectedOn;
    int frame = 0;
    const auto pushFrames = [&](const std::shared_ptr<CameraPushSource> &camera, int count) {
        for (int i = 0; i < count; ++i) {
            const int before = detectionCount();
            pushAndWait(camera, halves());
            ++frame;
            if (detectionCount() > before)
                detectedOn.push_back(frame);
        }
    };

    startOn(std::nullopt, cameraA()); // the default camera
    pushFrames(cameraA(), 3);
    // A sample without a picture is dropped and not counted.
    EXPECT_TRUE(cameraA()->push(CameraFrameSample {}));
    pushFrames(cameraA(), 5);
    service->stop();
    startOn(QStringLiteral("cam-a"), cameraA());
    pushFrames(cameraA(), 6);
    service->stop();
    startOn(QStringLiteral("cam-b"), cameraB());
    pushFrames(cameraB(), 4);

    EXPECT_EQ(detectedOn, (std::vector<int> { 6, 12, 18 }));
    const QStringList lines = logLines();
    EXPECT_EQ(lines.filter(QStringLiteral("Camera capture started on device: ")),
        (QStringList { "info camera: Camera capture started on device: Camera A",
            "info camera: Camera capture started on device: Camera A",
            "info camera: Camera capture started on device: Camera B" }));
    EXPECT_EQ(lines.filter(QStringLiteral("Camera capture stopped.")).size(), 2);
}

TEST_F(CameraCaptureServiceTest, KeepsTheOldFaceBoxWhileFramingIsOffAndUsesItWhenTurnedBackOn)
{
    // A small face at the left: framing pulls to the left and zooms in.
    faceScript = { { true, QRectF(0.05, 0.40, 0.20, 0.10) }, { true, std::nullopt } };
    service->updateAdjustments(neutral(true));
    startOn(QStringLiteral("cam-a"), cameraA());
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(boundaryColumn(pushAndWait(cameraA(), halves())), kWidth / 2) << "frame " << i;
    EXPECT_GT(boundaryColumn(pushAndWait(cameraA(), halves())), kWidth / 2); // frame 6 found the face

    service->updateAdjustments(neutral(false));
    for (int i = 7; i <= 12; ++i) // no framing, no detection on frame 12
        EXPECT_EQ(boundaryColumn(pushAndWait(cameraA(), halves())), kWidth / 2) << "frame " << i;
    EXPECT_EQ(detectionCount(), 1);

    // Back on: the old box pulls again (without it the framing would keep drifting back).
    service->updateAdjustments(neutral(true));
    int previous = boundaryColumn(pushAndWait(cameraA(), halves()));
    for (int i = 14; i <= 17; ++i) {
        const int boundary = boundaryColumn(pushAndWait(cameraA(), halves()));
        EXPECT_GT(boundary, previous) << "frame " << i;
        previous = boundary;
    }
    EXPECT_EQ(detectionCount(), 1);
    pushAndWait(cameraA(), halves()); // frame 18: no face any more
    EXPECT_EQ(detectionCount(), 2);
    const int drifting = boundaryColumn(pushAndWait(cameraA(), halves()));
    EXPECT_LT(drifting, previous);
}

TEST_F(CameraCaptureServiceTest, BackgroundModeChangesAreLoggedAndSwitchingOffOrStoppingForgetsTheMask)
{
    CameraAdjustments adjustments = neutral(false);
    adjustments.portraitBackgroundMode = PortraitBackgroundMode::strongBlur;
    service->updateAdjustments(adjustments);
    segmenterScript->outcomes = { PersonSegmenter::Outcome::mask };
    startOn(QStringLiteral("cam-a"), cameraA());

    EXPECT_LT(sharpness(pushAndWait(cameraA(), stripes())), 40); // blurred behind the mask
    EXPECT_LT(sharpness(pushAndWait(cameraA(), stripes())), 40); // no new mask: the last one is kept

    adjustments.portraitBackgroundMode = PortraitBackgroundMode::softBlur;
    service->updateAdjustments(adjustments);
    EXPECT_LT(sharpness(pushAndWait(cameraA(), stripes())), 80); // a change between blurs keeps it
    adjustments.exposureEV = 0.5; // same mode: not logged
    service->updateAdjustments(adjustments);
    adjustments.exposureEV = 0;

    adjustments.portraitBackgroundMode = PortraitBackgroundMode::off;
    service->updateAdjustments(adjustments);
    adjustments.portraitBackgroundMode = PortraitBackgroundMode::strongBlur;
    service->updateAdjustments(adjustments);
    EXPECT_GT(sharpness(pushAndWait(cameraA(), stripes())), 200); // forgotten: passes through

    {
        std::lock_guard lock(segmenterScript->lock);
        segmenterScript->outcomes = { PersonSegmenter::Outcome::mask };
    }
    EXPECT_LT(sharpness(pushAndWait(cameraA(), stripes())), 40);
    service->stop();
    startOn(QStringLiteral("cam-a"), cameraA());
    EXPECT_GT(sharpness(pushAndWait(cameraA(), stripes())), 200); // stop forgot it

    EXPECT_EQ(logLines().filter(QStringLiteral(" portrait: ")),
        (QStringList { "info portrait: AI Portrait background mode changed: off -> strongBlur",
            "info portrait: AI Portrait background mode changed: strongBlur -> softBlur",
            "info portrait: AI Portrait background mode changed: softBlur -> off",
            "info portrait: AI Portrait background mode changed: off -> strongBlur" }));
}

TEST_F(CameraCaptureServiceTest, AppendsToTheRecorderOnlyWhileItRecords)
{
    auto recorder = std::make_shared<FakeRecorder>();
    service->attachFrameRecorder(recorder);
    service->updateAdjustments(neutral(false));
    startOn(QStringLiteral("cam-a"), cameraA());
    for (int i = 0; i < 3; ++i)
        pushAndWait(cameraA(), halves(), 1.0 + i);
    EXPECT_TRUE(recorder->times().empty());

    recorder->recording = true;
    pushAndWait(cameraA(), halves(), 10.0);
    pushAndWait(cameraA(), halves(), 10.5);
    EXPECT_EQ(recorder->times(), (std::vector<double> { 10.0, 10.5 }));
    EXPECT_EQ(
        recorder->sizes(), (std::vector<std::pair<int, int>> { { kWidth, kHeight }, { kWidth, kHeight } }));

    service->attachFrameRecorder(nullptr);
    pushAndWait(cameraA(), halves(), 11.0);
    EXPECT_EQ(recorder->times().size(), 2u);
}

TEST_F(CameraCaptureServiceTest, RecordsProcessedFramesIntoAnMP4ThroughTheStudioRecorder)
{
    QTemporaryDir movies;
    auto recorder = std::make_shared<CameraVideoRecorder>(logger);
    service->attachVideoRecorder(recorder);
    service->updateAdjustments(neutral(false));
    startOn(QStringLiteral("cam-a"), cameraA());
    pushAndWait(cameraA(), halves(), 5.0); // not recording yet
    const QString path = recorder->startRecording(movies.path(), QDateTime::currentDateTimeUtc());
    for (int i = 0; i < 10; ++i)
        pushAndWait(cameraA(), halves(), 6.0 + i / 30.0);
    const CameraRecordingResult result = recorder->stopRecording().result();
    EXPECT_GE(result.frameCount, 1);
    EXPECT_LE(result.frameCount, 10);
    EXPECT_TRUE(QFileInfo(path).size() > 0);
}

TEST_F(CameraCaptureServiceTest, StartFailuresLogAndKeepTheRunningCamera)
{
    EXPECT_FALSE(service->start(QStringLiteral("no-such-camera")));
    service->stop(); // not running: logs nothing
    startOn(QStringLiteral("cam-a"), cameraA());
    EXPECT_FALSE(service->lastStartFailure()) << "a start that succeeds clears the reason";
    pushAndWait(cameraA(), halves());

    using Kind = CameraCaptureService::StartFailure::Kind;
    EXPECT_FALSE(service->start(QStringLiteral("no-such-camera")));
    ASSERT_TRUE(service->lastStartFailure());
    EXPECT_EQ(service->lastStartFailure()->kind, Kind::noMatchingCamera);
    cameraB()->setOpenFailure(QStringLiteral("Device or resource busy"));
    EXPECT_FALSE(service->start(QStringLiteral("cam-b")));
    ASSERT_TRUE(service->lastStartFailure());
    EXPECT_EQ(service->lastStartFailure()->kind, Kind::openFailed);
    EXPECT_EQ(service->lastStartFailure()->message, QStringLiteral("Device or resource busy"));
    directory->status = CameraAuthorizationStatus::denied;
    EXPECT_FALSE(service->start(QStringLiteral("cam-b")));
    ASSERT_TRUE(service->lastStartFailure());
    EXPECT_EQ(service->lastStartFailure()->kind, Kind::accessDenied);
    directory->status = CameraAuthorizationStatus::restricted;
    EXPECT_FALSE(service->start(std::nullopt));

    // Camera A still delivers.
    EXPECT_TRUE(cameraA()->isRunning());
    EXPECT_FALSE(cameraB()->isRunning());
    pushAndWait(cameraA(), halves());
    const QString noDevice = "warn camera: Camera capture start aborted: no matching video device available.";
    EXPECT_EQ(logLines(),
        (QStringList { noDevice, "info camera: Camera capture started on device: Camera A", noDevice,
            "error camera: Failed to attach camera input (Camera B): Device or resource busy",
            "warn camera: Camera capture start denied by Linux privacy authorization (status=2).",
            "warn camera: Camera capture start denied by Linux privacy authorization (status=1)." }));
}

TEST_F(CameraCaptureServiceTest, SwitchesCamerasLiveWithoutASecondStartedLine)
{
    startOn(QStringLiteral("cam-a"), cameraA());
    pushAndWait(cameraA(), halves());
    ASSERT_TRUE(service->start(QStringLiteral("cam-b")));
    // Switched at once, before start() returned.
    EXPECT_TRUE(cameraB()->isRunning());
    EXPECT_FALSE(cameraA()->isRunning());
    EXPECT_FALSE(cameraA()->push(CameraFrameSample { halves(), 1 }));
    pushAndWait(cameraB(), halves());
    // The same camera again: kept as it is, not reopened.
    ASSERT_TRUE(service->start(QStringLiteral("cam-b")));
    EXPECT_EQ(cameraB()->openCount(), 1);
    pushAndWait(cameraB(), halves());

    // The camera stops delivering (unplugged): choosing it again opens it again, still live.
    cameraB()->endStream();
    ASSERT_TRUE(service->start(QStringLiteral("cam-b")));
    EXPECT_EQ(cameraB()->openCount(), 2);
    EXPECT_TRUE(cameraB()->isRunning());
    pushAndWait(cameraB(), halves());

    EXPECT_EQ(logLines(), (QStringList { "info camera: Camera capture started on device: Camera A" }));
}

TEST_F(CameraCaptureServiceTest, HandsOutFramesThatTheNextFrameDoesNotOverwrite)
{
    service->updateAdjustments(neutral(false));
    startOn(QStringLiteral("cam-a"), cameraA());
    const QImage first = pushAndWait(cameraA(), stripes());
    const QImage kept = first.copy();
    const QImage second = pushAndWait(cameraA(), halves());
    EXPECT_EQ(first.format(), QImage::Format_ARGB32);
    EXPECT_EQ(first.size(), QSize(kWidth, kHeight));
    EXPECT_EQ(first, kept);
    EXPECT_NE(first.constBits(), second.constBits());
}

TEST(CameraCaptureServiceLifetimeTest, DestroyingARunningServiceStopsAndJoinsEverything)
{
    QTemporaryDir logDir;
    VirtualCameraVariable pattern("pattern");
    auto logger = std::make_shared<ZunoAppLogger>(QStringLiteral("ZunoCam"), logDir.path());
    auto frames = std::make_shared<std::atomic<int>>(0);
    std::atomic<bool> destroyed { false };
    std::atomic<int> framesAfterDestruction { 0 };
    std::mutex lock;
    std::condition_variable arrived;
    {
        // The image kernels' row workers are the process's, made on first use and kept: a first service
        // makes them, so that the threads the second one leaves behind can be counted.
        QTemporaryDir warmUpLogs;
        CameraCaptureService::Dependencies dependencies;
        dependencies.devices = std::make_shared<CameraSystemDevices>();
        CameraCaptureService warmUp(
            std::make_shared<ZunoAppLogger>(QStringLiteral("ZunoCam"), warmUpLogs.path()),
            std::move(dependencies));
        bool seen = false;
        warmUp.onFrame = [&](const QImage &) {
            std::lock_guard guard(lock);
            seen = true;
            arrived.notify_all();
        };
        ASSERT_TRUE(warmUp.start(std::nullopt));
        std::unique_lock guard(lock);
        ASSERT_TRUE(arrived.wait_for(guard, 10s, [&] { return seen; }));
    }
    const int threadsBefore = threadCount();
    {
        CameraCaptureService::Dependencies dependencies;
        dependencies.devices = std::make_shared<CameraSystemDevices>();
        CameraCaptureService service(logger, std::move(dependencies));
        service.onFrame = [&, frames](const QImage &frame) {
            EXPECT_EQ(frame.size(), QSize(1280, 720));
            if (destroyed)
                ++framesAfterDestruction;
            std::lock_guard guard(lock);
            ++*frames;
            arrived.notify_all();
        };
        ASSERT_TRUE(service.start(std::nullopt));
        std::unique_lock guard(lock);
        ASSERT_TRUE(arrived.wait_for(guard, 10s, [&] { return *frames >= 3; }));
        EXPECT_GT(threadCount(), threadsBefore);
    }
    destroyed = true;
    const int delivered = *frames;
    // Joined: every thread the service started has ended, and the callback, with what it holds, is
    // gone with the service; so no frame can follow.
    EXPECT_EQ(threadCount(), threadsBefore);
    EXPECT_EQ(frames.use_count(), 1);
    EXPECT_GE(delivered, 3);
    EXPECT_EQ(*frames, delivered);
    EXPECT_EQ(framesAfterDestruction, 0);
    // The started line was written; no stopped line (the owner did not stop).
    const auto entries = logger->recentEntries(10, ZunoLogLevel::debug);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].message, QStringLiteral("Camera capture started on device: ZunoCam Test Pattern"));
}

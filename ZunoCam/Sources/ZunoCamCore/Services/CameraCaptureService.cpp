#include "CameraCaptureService.h"

#include "CameraFaceDetector.h"
#include "CameraSystemDevices.h"
#include "CameraVideoRecorder.h"
#include "SelfiePersonSegmenter.h"
#include "ZunoAppLogger.h"

#include <chrono>

namespace {

const QString kCameraCategory = QStringLiteral("camera");
const QString kPortraitCategory = QStringLiteral("portrait");

// The studio's recorder behind the frame road's recorder interface.
class VideoRecorderAdapter : public CameraCaptureService::FrameRecorder {
public:
    explicit VideoRecorderAdapter(std::shared_ptr<CameraVideoRecorder> recorder)
        : m_recorder(std::move(recorder))
    {
    }
    bool isRecording() const override { return m_recorder->isRecording(); }
    bool append(const CameraRecorderFrame &frame) override { return m_recorder->append(frame); }

private:
    std::shared_ptr<CameraVideoRecorder> m_recorder;
};

double millisecondsSince(std::chrono::steady_clock::time_point &mark)
{
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double, std::milli>(now - mark).count();
    mark = now;
    return elapsed;
}

} // namespace

CameraCaptureService::Dependencies CameraCaptureService::defaultDependencies()
{
    Dependencies dependencies;
    dependencies.devices = std::make_shared<CameraSystemDevices>();
    dependencies.segmenter = std::make_unique<SelfiePersonSegmenter>();
    auto detector = std::make_shared<CameraFaceDetector>();
    dependencies.faceDetector = [detector](const CameraPixelBuffer &frame) {
        const CameraFaceDetection detection = detector->detect(
            NeuralImageView { frame.constBits(), frame.width(), frame.height(), frame.bytesPerRow() });
        return FaceDetection { detection.succeeded, detection.face };
    };
    return dependencies;
}

CameraCaptureService::CameraCaptureService(std::shared_ptr<ZunoAppLogger> logger)
    : CameraCaptureService(std::move(logger), defaultDependencies())
{
}

CameraCaptureService::CameraCaptureService(std::shared_ptr<ZunoAppLogger> logger, Dependencies dependencies)
    : m_logger(std::move(logger))
    , m_devices(dependencies.devices ? dependencies.devices : std::make_shared<CameraSystemDevices>())
    , m_portraitEngine(
          std::make_unique<PortraitSegmentationEngine>(*m_logger, std::move(dependencies.segmenter)))
    , m_faceDetector(std::move(dependencies.faceDetector))
    , m_queue(kQueueLabel)
    , m_sessionQueue(kQueueLabel + QStringLiteral(".session"))
{
}

CameraCaptureService::~CameraCaptureService()
{
    // The input's capture thread feeds the queue and the queue's tasks use the input and the engines:
    // stop the capture first, then drain and join the queue, before any member goes. A start or stop
    // still waiting on the session thread runs first (it may be opening a device).
    m_sessionQueue.stop();
    m_shuttingDown = true;
    std::shared_ptr<CameraFrameSource> input;
    {
        std::lock_guard lock(m_sessionLock);
        input = m_input;
    }
    if (input)
        input->stop();
    m_queue.stop();
    std::lock_guard lock(m_sessionLock);
    if (m_input)
        m_input->stop(); // a start task that ran meanwhile did nothing, but be sure
}

QList<CameraDeviceDescriptor> CameraCaptureService::availableCameras()
{
    return CameraSystemDevices().devices();
}

bool CameraCaptureService::start(const std::optional<QString> &deviceID)
{
    m_lastStartFailure.reset();
    const CameraAuthorizationStatus status = m_devices->authorizationStatus(deviceID);
    if (status == CameraAuthorizationStatus::restricted || status == CameraAuthorizationStatus::denied) {
        m_logger->warn(
            QStringLiteral("Camera capture start denied by Linux privacy authorization (status=%1).")
                .arg(static_cast<int>(status)),
            kCameraCategory);
        m_lastStartFailure = StartFailure { StartFailure::Kind::accessDenied, {} };
        return false;
    }

    std::optional<CameraDeviceDescriptor> device;
    for (const CameraDeviceDescriptor &candidate : m_devices->devices()) {
        if (!deviceID || candidate.id == *deviceID) {
            device = candidate;
            break;
        }
    }
    if (!device) {
        m_logger->warn(QStringLiteral("Camera capture start aborted: no matching video device available."),
            kCameraCategory);
        m_lastStartFailure = StartFailure { StartFailure::Kind::noMatchingCamera, {} };
        return false;
    }

    std::unique_lock lock(m_sessionLock);
    const bool live = m_requestedRunning;
    const bool sameCamera = m_input && m_input->descriptor().id == device->id;
    // The camera already delivering (or about to be started) is kept: a second open of it would find
    // it busy.
    const bool keep = live && sameCamera && (m_input->isRunning() || !m_running);
    if (!keep) {
        // A stopped session's input, or this camera when it stopped delivering, is closed first so
        // that it can be opened again.
        const bool closedFirst = m_input && (!live || sameCamera);
        if (closedFirst)
            m_input->stop();
        // Another camera is opened before anything is switched: one that cannot be opened leaves a
        // running session on the camera it has.
        std::shared_ptr<CameraFrameSource> source = m_devices->makeSource(*device);
        QString error;
        if (!source)
            error = QStringLiteral("The camera is no longer available.");
        if (!source || !source->open(error)) {
            lock.unlock();
            m_logger->error(QStringLiteral("Failed to attach camera input (%1): %2").arg(device->name, error),
                kCameraCategory);
            m_lastStartFailure = StartFailure { StartFailure::Kind::openFailed, error };
            return false;
        }
        if (m_input && !closedFirst)
            m_input->stop();
        // While the session runs the switch is live; before its start task ran, that task starts it.
        if (live && m_running)
            source->start(makeSink());
        m_input = std::move(source);
    }
    if (live)
        return true; // a camera switch takes effect live
    m_requestedRunning = true;
    lock.unlock();
    const QString name = device->name;
    m_queue.async([this, name] { startRunning(name); });
    return true;
}

void CameraCaptureService::startAsync(const std::optional<QString> &deviceID, StartCompletion done)
{
    m_sessionQueue.async([this, deviceID, done = std::move(done)] {
        const bool started = start(deviceID);
        if (done)
            done(started, m_lastStartFailure);
    });
}

void CameraCaptureService::stopAsync()
{
    m_sessionQueue.async([this] { stop(); });
}

void CameraCaptureService::startRunning(const QString &deviceName)
{
    if (m_shuttingDown)
        return;
    std::unique_lock lock(m_sessionLock);
    if (!m_input)
        return;
    if (!m_input->start(makeSink())) {
        const QString name = m_input->descriptor().name;
        lock.unlock();
        m_logger->error(
            QStringLiteral("Failed to attach camera input (%1): the device could not be reopened.").arg(name),
            kCameraCategory);
        return;
    }
    m_running = true;
    lock.unlock();
    m_logger->info(QStringLiteral("Camera capture started on device: ") + deviceName, kCameraCategory);
}

void CameraCaptureService::stop()
{
    m_portraitEngine->reset();
    {
        std::lock_guard lock(m_sessionLock);
        m_requestedRunning = false;
    }
    m_queue.async([this] { stopRunning(); });
}

void CameraCaptureService::stopRunning()
{
    std::unique_lock lock(m_sessionLock);
    if (!m_running)
        return;
    if (m_input)
        m_input->stop();
    m_running = false;
    lock.unlock();
    m_mailbox.clear();
    m_logger->info(QStringLiteral("Camera capture stopped."), kCameraCategory);
}

void CameraCaptureService::updateAdjustments(const CameraAdjustments &adjustments)
{
    PortraitBackgroundMode oldMode;
    {
        std::lock_guard lock(m_lock);
        oldMode = m_adjustments.portraitBackgroundMode;
        m_adjustments = adjustments;
    }
    const PortraitBackgroundMode newMode = adjustments.portraitBackgroundMode;
    if (newMode == oldMode)
        return;
    m_logger->info(QStringLiteral("AI Portrait background mode changed: %1 -> %2")
                       .arg(rawValue(oldMode), rawValue(newMode)),
        kPortraitCategory);
    if (newMode == PortraitBackgroundMode::off)
        m_portraitEngine->reset();
}

void CameraCaptureService::attachVideoRecorder(std::shared_ptr<CameraVideoRecorder> recorder)
{
    attachFrameRecorder(recorder ? std::make_shared<VideoRecorderAdapter>(std::move(recorder)) : nullptr);
}

void CameraCaptureService::attachFrameRecorder(std::shared_ptr<FrameRecorder> recorder)
{
    std::shared_ptr<FrameRecorder> previous;
    std::lock_guard lock(m_lock);
    previous = std::exchange(m_recorder, std::move(recorder)); // released after the lock
}

std::uint64_t CameraCaptureService::droppedFrames() const
{
    return m_mailbox.droppedFrames();
}

void CameraCaptureService::setFrameTimingObserver(std::function<void(const FrameTimings &)> observer)
{
    m_timingObserver = std::move(observer);
}

CameraFrameSource::Sink CameraCaptureService::makeSink()
{
    return [this](CameraFrameSample &&sample) {
        if (m_mailbox.put(std::move(sample)))
            m_queue.async([this] { deliverNextFrame(); });
    };
}

void CameraCaptureService::deliverNextFrame()
{
    if (m_shuttingDown)
        return;
    if (auto sample = m_mailbox.take())
        processFrame(*sample);
}

CameraPixelBuffer &CameraCaptureService::nextOutput()
{
    for (CameraPixelBuffer &buffer : m_outputs) {
        if (buffer.isNull() || buffer.isDetached())
            return buffer;
    }
    // Every buffer is still held: the oldest slot lets go of its picture and takes a new one.
    CameraPixelBuffer &buffer = m_outputs[m_nextOutput];
    m_nextOutput = (m_nextOutput + 1) % m_outputs.size();
    return buffer;
}

void CameraCaptureService::processFrame(const CameraFrameSample &sample)
{
    // A sample without a picture the chain can take is dropped; the counter does not move.
    const CameraPixelBuffer &image = sample.image;
    if (image.isNull() || image.format() != CameraPixelBuffer::Format::BGRA8)
        return;

    auto mark = std::chrono::steady_clock::now();
    const auto started = mark;
    FrameTimings timings;

    CameraAdjustments adjustments;
    std::shared_ptr<FrameRecorder> recorder;
    {
        std::lock_guard lock(m_lock);
        adjustments = m_adjustments;
        recorder = m_recorder;
    }

    ++m_frameCounter;
    if (adjustments.autoFaceFraming && m_frameCounter % kFaceDetectionInterval == 0 && m_faceDetector) {
        const FaceDetection detection = m_faceDetector(image);
        if (detection.succeeded)
            m_latestFaceRect = detection.face;
        timings.faceDetectionRan = true;
    }
    timings.faceDetection = millisecondsSince(mark);

    const CameraPixelBuffer styled = m_portraitEngine->apply(image, adjustments.portraitBackgroundMode);
    timings.portrait = millisecondsSince(mark);

    const auto framing = m_faceSmoother.update(
        adjustments.autoFaceFraming ? m_latestFaceRect : std::nullopt, kFaceSmoothing);
    timings.framing = millisecondsSince(mark);

    CameraPixelBuffer &output = nextOutput();
    CameraColorFilterEngine::process(styled, adjustments, QPointF(framing.centerX, framing.centerY),
        framing.zoom, output, m_colorWorkspace);
    timings.colour = millisecondsSince(mark);

    if (recorder && recorder->isRecording()) {
        recorder->append(CameraRecorderFrame { output.constBits(), output.width(), output.height(),
            output.bytesPerRow(), sample.presentationTime });
    }
    timings.recording = millisecondsSince(mark);

    if (onFrame) {
        const QImage frame = output.toQImage();
        if (!frame.isNull())
            onFrame(frame);
    }
    timings.delivery = millisecondsSince(mark);
    timings.total = std::chrono::duration<double, std::milli>(mark - started).count();
    if (m_timingObserver)
        m_timingObserver(timings);
}

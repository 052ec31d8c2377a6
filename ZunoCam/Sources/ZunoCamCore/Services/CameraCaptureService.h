#pragma once

#include "CameraAdjustments.h"
#include "CameraColorFilterEngine.h"
#include "CameraDeviceDescriptor.h"
#include "CameraDeviceDirectory.h"
#include "CameraFrameMailbox.h"
#include "CameraRecorderFrame.h"
#include "FaceFramingSmoother.h"
#include "PersonSegmenter.h"
#include "PortraitSegmentationEngine.h"
#include "ZunoSerialQueue.h"

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class CameraVideoRecorder;
class ZunoAppLogger;

// Owns the live camera and runs every frame through the picture chain on the video queue
// ("com.quarnwell.zunocam.video"): face detection on every 6th frame while framing is on, portrait
// background, face-framing smoother, colour pipeline, the recorder while it records, and finally
// `onFrame`. Log lines use the category "camera" (and "portrait" for background mode changes).
//
// Threading: start, stop, updateAdjustments and attach* run on the owner's thread (startAsync and
// stopAsync hand start and stop to the session thread, which then stands for it); frames, the
// started and stopped log lines and `onFrame` on the video queue. One mutex guards the adjustments
// and the recorder, another the session (input and running state); neither is held while a callback
// runs. The capture thread of the input keeps only the newest undelivered frame, so a slow frame
// drops late ones instead of queueing them. The destructor stops the input and the video queue and
// joins both before anything they use goes.
class CameraCaptureService {
public:
    using FrameCallback = std::function<void(const QImage &frame)>;

    // What one face detection gave: whether it ran, and the first face (normalised, origin bottom left).
    struct FaceDetection {
        bool succeeded = false;
        std::optional<QRectF> face;
    };
    using FaceDetector = std::function<FaceDetection(const CameraPixelBuffer &frame)>;

    // What the frame road needs of a recorder; the studio's CameraVideoRecorder is attached through
    // attachVideoRecorder, tests attach their own.
    class FrameRecorder {
    public:
        virtual ~FrameRecorder() = default;
        virtual bool isRecording() const = 0;
        virtual bool append(const CameraRecorderFrame &frame) = 0;
    };

    // The camera list, the person segmenter and the face detector; the defaults are the system's
    // cameras and the two neural models.
    struct Dependencies {
        std::shared_ptr<CameraDeviceDirectory> devices;
        std::unique_ptr<PersonSegmenter> segmenter;
        FaceDetector faceDetector;
    };

    // Milliseconds spent per stage on one frame (for tools; reported on the video queue).
    struct FrameTimings {
        bool faceDetectionRan = false;
        double faceDetection = 0;
        double portrait = 0;
        double framing = 0;
        double colour = 0;
        double recording = 0;
        double delivery = 0;
        double total = 0;
    };

    static constexpr double kFaceSmoothing = 0.14;
    static constexpr std::int64_t kFaceDetectionInterval = 6;
    static inline const QString kQueueLabel = QStringLiteral("com.quarnwell.zunocam.video");

    // The system's cameras, the selfie-segmentation model and the face detector.
    static Dependencies defaultDependencies();

    explicit CameraCaptureService(std::shared_ptr<ZunoAppLogger> logger);
    CameraCaptureService(std::shared_ptr<ZunoAppLogger> logger, Dependencies dependencies);
    ~CameraCaptureService();
    CameraCaptureService(const CameraCaptureService &) = delete;
    CameraCaptureService &operator=(const CameraCaptureService &) = delete;

    // The machine's cameras in the platform's order, the default one first. No camera is opened.
    static QList<CameraDeviceDescriptor> availableCameras();

    // Why the last start() failed.
    struct StartFailure {
        enum class Kind { noMatchingCamera, accessDenied, openFailed };
        Kind kind = Kind::noMatchingCamera;
        QString message; // the device's own message for openFailed
    };

    // Opens that camera (the default one when none is given) and starts delivering frames; true at
    // once when configured. While running, switches live to the other camera, keeping the current
    // one when the new one cannot be opened. False after a log line when it cannot start; the reason
    // is then lastStartFailure().
    bool start(const std::optional<QString> &deviceID);
    // The reason of the last failed start; none after a start that succeeded. Owner's thread.
    std::optional<StartFailure> lastStartFailure() const { return m_lastStartFailure; }
    // Forgets the portrait mask now and stops the camera on the video queue.
    void stop();

    // start() and stop() without blocking the caller: both run on the service's session thread, in
    // the order they were asked for, so a slow device open never holds the caller's thread. `done`
    // runs on the session thread after the open, with start()'s result and the failure reason.
    using StartCompletion = std::function<void(bool started, std::optional<StartFailure> failure)>;
    void startAsync(const std::optional<QString> &deviceID, StartCompletion done);
    void stopAsync();
    void updateAdjustments(const CameraAdjustments &adjustments);
    // Replaces the attached recorder (none detaches).
    void attachVideoRecorder(std::shared_ptr<CameraVideoRecorder> recorder);
    void attachFrameRecorder(std::shared_ptr<FrameRecorder> recorder);

    // Receives each processed frame on the video queue; the image shares the frame's pixels (copy it
    // to keep it past the next frame cheaply: the next frame writes into new pixels while it lives).
    // Set it before the first start.
    FrameCallback onFrame;

    // Frames the input delivered that a busier video queue replaced before they were processed.
    std::uint64_t droppedFrames() const;
    // Called on the video queue after each frame; set before the first start.
    void setFrameTimingObserver(std::function<void(const FrameTimings &)> observer);

private:
    static constexpr std::size_t kOutputBuffers = 3;

    void deliverNextFrame();
    CameraPixelBuffer &nextOutput();
    void processFrame(const CameraFrameSample &sample);
    void startRunning(const QString &deviceName);
    void stopRunning();
    CameraFrameSource::Sink makeSink();

    const std::shared_ptr<ZunoAppLogger> m_logger;
    const std::shared_ptr<CameraDeviceDirectory> m_devices;
    std::unique_ptr<PortraitSegmentationEngine> m_portraitEngine;
    FaceDetector m_faceDetector;

    std::mutex m_lock; // guards m_adjustments and m_recorder
    CameraAdjustments m_adjustments;
    std::shared_ptr<FrameRecorder> m_recorder;

    std::mutex m_sessionLock; // guards the session
    std::shared_ptr<CameraFrameSource> m_input;
    bool m_requestedRunning = false; // what the owner last asked for (start/stop)
    bool m_running = false; // whether the video queue has started the input
    std::atomic<bool> m_shuttingDown { false };
    std::optional<StartFailure> m_lastStartFailure; // owner's thread

    // Video queue only.
    FaceFramingSmoother m_faceSmoother;
    std::optional<QRectF> m_latestFaceRect;
    std::int64_t m_frameCounter = 0;
    // The picture handed on stays with its holders (the preview keeps the newest) while the next frame
    // is written into another, so steady frames reuse these and never allocate.
    std::array<CameraPixelBuffer, kOutputBuffers> m_outputs;
    std::size_t m_nextOutput = 0;
    CameraColorFilterEngine::Workspace m_colorWorkspace;
    std::function<void(const FrameTimings &)> m_timingObserver;

    CameraFrameMailbox m_mailbox;
    ZunoSerialQueue m_queue;
    // Opens and closes the device for startAsync and stopAsync; drained first by the destructor.
    ZunoSerialQueue m_sessionQueue;
};

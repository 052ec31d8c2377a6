#pragma once

#include "CameraAdjustments.h"
#include "CameraCaptureService.h"

#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class CamStudioRecorder;

// What the studio asks of the capture service. The real one is CameraCaptureService; tests give a fake.
// Called on the main thread; frames arrive on the capture service's video queue.
class CamStudioCamera {
public:
    using FrameCallback = std::function<void(const QImage &frame)>;

    virtual ~CamStudioCamera() = default;

    // Set once, before the first start.
    virtual void setOnFrame(FrameCallback callback) = 0;
    virtual void updateAdjustments(const CameraAdjustments &adjustments) = 0;
    // The recorder that receives every processed frame.
    virtual void attachRecorder(std::shared_ptr<CamStudioRecorder> recorder) = 0;
    // Whether a start opened the camera, and why not when it did not.
    using StartCompletion
        = std::function<void(bool started, std::optional<CameraCaptureService::StartFailure> failure)>;

    // Opens that camera (the default one for none) without holding the main thread; `done` then runs
    // on the main thread (a fake may run it before start returns).
    virtual void start(const std::optional<QString> &deviceID, StartCompletion done) = 0;
    // Stops and closes the camera, after any start asked for before.
    virtual void stop() = 0;
};

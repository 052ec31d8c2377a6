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
    // Opens that camera (the default one for none); false when it cannot.
    virtual bool start(const std::optional<QString> &deviceID) = 0;
    virtual void stop() = 0;
    // Why the last start failed; none after a start that succeeded.
    virtual std::optional<CameraCaptureService::StartFailure> lastStartFailure() const = 0;
};

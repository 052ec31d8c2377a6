#pragma once

#include "CamStudioCallLog.h"
#include "CamStudioCamera.h"
#include "CameraAuthorizationStatus.h"
#include "CameraDeviceDirectory.h"

#include <atomic>
#include <memory>

// A camera list given by the test.
class FakeCameraDirectory : public CameraDeviceDirectory {
public:
    explicit FakeCameraDirectory(std::shared_ptr<CamStudioCallLog> log)
        : m_log(std::move(log))
    {
    }

    QList<CameraDeviceDescriptor> devices() override;
    CameraAuthorizationStatus authorizationStatus(const std::optional<QString> &deviceID) override;
    std::shared_ptr<CameraFrameSource> makeSource(const CameraDeviceDescriptor &device) override;

    void setDevices(const QList<CameraDeviceDescriptor> &devices);
    void setAuthorizationStatus(CameraAuthorizationStatus status);

private:
    std::shared_ptr<CamStudioCallLog> m_log;
    mutable std::mutex m_lock;
    QList<CameraDeviceDescriptor> m_devices;
    CameraAuthorizationStatus m_status = CameraAuthorizationStatus::authorized;
};

// Records what the studio asks of the camera; the test delivers frames through pushFrame(), from any
// thread, as the video queue would.
class FakeStudioCamera : public CamStudioCamera {
public:
    explicit FakeStudioCamera(std::shared_ptr<CamStudioCallLog> log)
        : m_log(std::move(log))
    {
    }

    void setOnFrame(FrameCallback callback) override;
    void updateAdjustments(const CameraAdjustments &adjustments) override;
    void attachRecorder(std::shared_ptr<CamStudioRecorder> recorder) override;
    void start(const std::optional<QString> &deviceID, StartCompletion done) override;
    void stop() override;

    void pushFrame(const QImage &frame);
    void setStartSucceeds(bool succeeds) { m_startSucceeds = succeeds; }
    // Starts fail with this reason (none: starts succeed).
    void setStartFailure(const std::optional<CameraCaptureService::StartFailure> &failure);
    bool isRunning() const { return m_running; }
    CameraAdjustments adjustments() const;
    std::shared_ptr<CamStudioRecorder> recorder() const;
    std::optional<QString> startedDevice() const;

private:
    std::shared_ptr<CamStudioCallLog> m_log;
    mutable std::mutex m_lock;
    FrameCallback m_onFrame;
    CameraAdjustments m_adjustments;
    std::shared_ptr<CamStudioRecorder> m_recorder;
    std::optional<QString> m_startedDevice;
    std::optional<CameraCaptureService::StartFailure> m_failure;
    std::atomic<bool> m_startSucceeds { true };
    std::atomic<bool> m_running { false };
};

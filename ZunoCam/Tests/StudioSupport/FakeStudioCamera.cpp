#include "FakeStudioCamera.h"

QList<CameraDeviceDescriptor> FakeCameraDirectory::devices()
{
    m_log->add(QStringLiteral("devices.list"));
    std::lock_guard lock(m_lock);
    return m_devices;
}

CameraAuthorizationStatus FakeCameraDirectory::authorizationStatus(const std::optional<QString> &)
{
    std::lock_guard lock(m_lock);
    return m_status;
}

std::shared_ptr<CameraFrameSource> FakeCameraDirectory::makeSource(const CameraDeviceDescriptor &)
{
    return nullptr;
}

void FakeCameraDirectory::setDevices(const QList<CameraDeviceDescriptor> &devices)
{
    std::lock_guard lock(m_lock);
    m_devices = devices;
}

void FakeCameraDirectory::setAuthorizationStatus(CameraAuthorizationStatus status)
{
    std::lock_guard lock(m_lock);
    m_status = status;
}

void FakeStudioCamera::setOnFrame(FrameCallback callback)
{
    m_log->add(QStringLiteral("camera.setOnFrame"));
    std::lock_guard lock(m_lock);
    m_onFrame = std::move(callback);
}

void FakeStudioCamera::updateAdjustments(const CameraAdjustments &adjustments)
{
    m_log->add(QStringLiteral("camera.updateAdjustments"));
    std::lock_guard lock(m_lock);
    m_adjustments = adjustments;
}

void FakeStudioCamera::attachRecorder(std::shared_ptr<CamStudioRecorder> recorder)
{
    m_log->add(QStringLiteral("camera.attachRecorder"));
    std::lock_guard lock(m_lock);
    m_recorder = std::move(recorder);
}

void FakeStudioCamera::start(const std::optional<QString> &deviceID, StartCompletion done)
{
    m_log->add(QStringLiteral("camera.start"));
    bool started = true;
    std::optional<CameraCaptureService::StartFailure> failure;
    {
        std::lock_guard lock(m_lock);
        if (!m_startSucceeds || m_failure) {
            failure = m_failure ? m_failure
                                : CameraCaptureService::StartFailure {
                                      CameraCaptureService::StartFailure::Kind::noMatchingCamera, {}
                                  };
            started = false;
        } else {
            m_startedDevice = deviceID;
            m_running = true;
        }
    }
    // Answered at once, as a camera that opens instantly.
    if (done)
        done(started, failure);
}

void FakeStudioCamera::stop()
{
    m_log->add(QStringLiteral("camera.stop"));
    m_running = false;
}

void FakeStudioCamera::pushFrame(const QImage &frame)
{
    FrameCallback callback;
    {
        std::lock_guard lock(m_lock);
        callback = m_onFrame;
    }
    if (callback)
        callback(frame);
}

CameraAdjustments FakeStudioCamera::adjustments() const
{
    std::lock_guard lock(m_lock);
    return m_adjustments;
}

std::shared_ptr<CamStudioRecorder> FakeStudioCamera::recorder() const
{
    std::lock_guard lock(m_lock);
    return m_recorder;
}

std::optional<QString> FakeStudioCamera::startedDevice() const
{
    std::lock_guard lock(m_lock);
    return m_startedDevice;
}

void FakeStudioCamera::setStartFailure(const std::optional<CameraCaptureService::StartFailure> &failure)
{
    std::lock_guard lock(m_lock);
    m_failure = failure;
}

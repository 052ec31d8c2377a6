#pragma once

#include "CameraCaptureService.h"
#include "CameraRecordingResult.h"
#include "CameraRecordingSnapshot.h"

#include <QDateTime>
#include <QFuture>
#include <QString>

#include <functional>
#include <optional>

// What the studio asks of the MP4 recorder. The real one is CameraVideoRecorder; tests give a fake.
// As a frame recorder it is attached to the camera, which feeds it on the video queue.
class CamStudioRecorder : public CameraCaptureService::FrameRecorder {
public:
    using StatusCallback = std::function<void(const CameraRecordingSnapshot &)>;

    // Set before recording; called on the recorder's threads.
    virtual void setOnStatusChange(StatusCallback callback) = 0;
    // Returns the file's path; throws CameraRecorderError or std::filesystem::filesystem_error.
    virtual QString startRecording(const std::optional<QString> &directory, const QDateTime &date) = 0;
    // Finishes the file; the future fails with CameraRecorderError.
    virtual QFuture<CameraRecordingResult> stopRecording() = 0;
    virtual void cancelRecording() = 0;
    virtual CameraRecordingSnapshot currentSnapshot() const = 0;
    // Where recordings go when no folder is given.
    virtual QString defaultOutputDirectory() const = 0;
};

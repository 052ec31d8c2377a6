#pragma once

#include "CamStudioCallLog.h"
#include "CamStudioRecorder.h"

#include <memory>
#include <mutex>

// A recorder that writes nothing: it records what it is asked and reports what the test says.
class FakeStudioRecorder : public CamStudioRecorder {
public:
    explicit FakeStudioRecorder(std::shared_ptr<CamStudioCallLog> log)
        : m_log(std::move(log))
    {
    }

    bool isRecording() const override;
    bool append(const CameraRecorderFrame &frame) override;
    void setOnStatusChange(StatusCallback callback) override;
    QString startRecording(const std::optional<QString> &directory, const QDateTime &date) override;
    QFuture<CameraRecordingResult> stopRecording() override;
    void cancelRecording() override;
    CameraRecordingSnapshot currentSnapshot() const override;
    QString defaultOutputDirectory() const override;

    StatusCallback statusCallback() const;

private:
    std::shared_ptr<CamStudioCallLog> m_log;
    mutable std::mutex m_lock;
    StatusCallback m_onStatusChange;
    bool m_recording = false;
};

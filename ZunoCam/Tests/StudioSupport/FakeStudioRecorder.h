#pragma once

#include "CamStudioCallLog.h"
#include "CamStudioRecorder.h"
#include "CameraRecorderError.h"

#include <QPromise>

#include <memory>
#include <mutex>
#include <optional>

// A recorder that writes nothing: it records what it is asked and answers what the test says. A stop
// finishes at once by default; with holdStops(true) it stays finishing until the test finishes it.
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

    // The next start throws this.
    void failNextStart(const CameraRecorderError &error);
    void failNextStartWithFolderError();
    // What a successful stop returns.
    void setResult(const CameraRecordingResult &result);
    void setSnapshot(const CameraRecordingSnapshot &snapshot);
    void setOutputDirectory(const QString &directory);
    void holdStops(bool hold);
    // Ends a held stop.
    void finishHeldStop();
    void failHeldStop(const CameraRecorderError &error);
    bool hasHeldStop() const;
    // The recorder ends the recording itself (its encoder failed, or the room ran out): idle, with
    // the failure or the saved file kept for the next stop, reported as an idle snapshot.
    void endBySelf(const CameraRecorderError &failure);
    void endBySelf(const CameraRecordingResult &saved);
    // Sends a status snapshot as the recorder's threads would.
    void report(const CameraRecordingSnapshot &snapshot);

private:
    std::shared_ptr<CamStudioCallLog> m_log;
    mutable std::mutex m_lock;
    StatusCallback m_onStatusChange;
    bool m_recording = false;
    std::optional<CameraRecorderError> m_startFailure;
    bool m_folderFailure = false;
    std::optional<CameraRecorderError> m_keptFailure;
    std::optional<CameraRecordingResult> m_keptResult;
    CameraRecordingResult m_result { QStringLiteral("/tmp/ZunoCam-20260101-120000.mp4"), 3.0, 90 };
    CameraRecordingSnapshot m_snapshot;
    QString m_outputDirectory = QStringLiteral("/tmp");
    bool m_holdStops = false;
    std::shared_ptr<QPromise<CameraRecordingResult>> m_heldStop;
};

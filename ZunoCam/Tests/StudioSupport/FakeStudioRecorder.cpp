#include "FakeStudioRecorder.h"

#include "CameraRecorderError.h"

#include <QtConcurrent/QtConcurrent>

bool FakeStudioRecorder::isRecording() const
{
    std::lock_guard lock(m_lock);
    return m_recording;
}

bool FakeStudioRecorder::append(const CameraRecorderFrame &)
{
    return isRecording();
}

void FakeStudioRecorder::setOnStatusChange(StatusCallback callback)
{
    m_log->add(QStringLiteral("recorder.setOnStatusChange"));
    std::lock_guard lock(m_lock);
    m_onStatusChange = std::move(callback);
}

QString FakeStudioRecorder::startRecording(const std::optional<QString> &, const QDateTime &)
{
    m_log->add(QStringLiteral("recorder.start"));
    std::lock_guard lock(m_lock);
    if (m_recording)
        throw CameraRecorderError::alreadyRecording();
    m_recording = true;
    return QStringLiteral("/tmp/ZunoCam-fake.mp4");
}

QFuture<CameraRecordingResult> FakeStudioRecorder::stopRecording()
{
    m_log->add(QStringLiteral("recorder.stop"));
    std::lock_guard lock(m_lock);
    if (!m_recording)
        return QtFuture::makeExceptionalFuture<CameraRecordingResult>(CameraRecorderError::notRecording());
    m_recording = false;
    return QtFuture::makeReadyFuture(
        CameraRecordingResult { QStringLiteral("/tmp/ZunoCam-fake.mp4"), 1.0, 30 });
}

void FakeStudioRecorder::cancelRecording()
{
    m_log->add(QStringLiteral("recorder.cancel"));
    std::lock_guard lock(m_lock);
    m_recording = false;
}

CameraRecordingSnapshot FakeStudioRecorder::currentSnapshot() const
{
    return {};
}

QString FakeStudioRecorder::defaultOutputDirectory() const
{
    return QStringLiteral("/tmp");
}

FakeStudioRecorder::StatusCallback FakeStudioRecorder::statusCallback() const
{
    std::lock_guard lock(m_lock);
    return m_onStatusChange;
}

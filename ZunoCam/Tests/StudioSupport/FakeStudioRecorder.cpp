#include "FakeStudioRecorder.h"

#include <QFile>

#include <filesystem>

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
    if (m_folderFailure) {
        m_folderFailure = false;
        // As the real recorder: the library's English text, naming the folder.
        throw std::filesystem::filesystem_error("Could not create the recordings folder",
            std::filesystem::path(QFile::encodeName(m_outputDirectory).toStdString()),
            std::make_error_code(std::errc::read_only_file_system));
    }
    if (m_startFailure)
        throw *std::exchange(m_startFailure, std::nullopt);
    if (m_recording || m_heldStop)
        throw CameraRecorderError::alreadyRecording();
    m_recording = true;
    return m_result.url;
}

QFuture<CameraRecordingResult> FakeStudioRecorder::stopRecording()
{
    m_log->add(QStringLiteral("recorder.stop"));
    std::lock_guard lock(m_lock);
    if (m_keptFailure)
        return QtFuture::makeExceptionalFuture<CameraRecordingResult>(
            *std::exchange(m_keptFailure, std::nullopt));
    if (m_keptResult)
        return QtFuture::makeReadyFuture(*std::exchange(m_keptResult, std::nullopt));
    if (!m_recording)
        return QtFuture::makeExceptionalFuture<CameraRecordingResult>(CameraRecorderError::notRecording());
    m_recording = false;
    if (!m_holdStops)
        return QtFuture::makeReadyFuture(m_result);
    m_heldStop = std::make_shared<QPromise<CameraRecordingResult>>();
    m_heldStop->start();
    return m_heldStop->future();
}

void FakeStudioRecorder::cancelRecording()
{
    m_log->add(QStringLiteral("recorder.cancel"));
    std::lock_guard lock(m_lock);
    m_recording = false;
}

CameraRecordingSnapshot FakeStudioRecorder::currentSnapshot() const
{
    std::lock_guard lock(m_lock);
    return m_snapshot;
}

QString FakeStudioRecorder::defaultOutputDirectory() const
{
    std::lock_guard lock(m_lock);
    return m_outputDirectory;
}

void FakeStudioRecorder::failNextStart(const CameraRecorderError &error)
{
    std::lock_guard lock(m_lock);
    m_startFailure = error;
}

void FakeStudioRecorder::failNextStartWithFolderError()
{
    std::lock_guard lock(m_lock);
    m_folderFailure = true;
}

void FakeStudioRecorder::setResult(const CameraRecordingResult &result)
{
    std::lock_guard lock(m_lock);
    m_result = result;
}

void FakeStudioRecorder::setSnapshot(const CameraRecordingSnapshot &snapshot)
{
    std::lock_guard lock(m_lock);
    m_snapshot = snapshot;
}

void FakeStudioRecorder::setOutputDirectory(const QString &directory)
{
    std::lock_guard lock(m_lock);
    m_outputDirectory = directory;
}

void FakeStudioRecorder::holdStops(bool hold)
{
    std::lock_guard lock(m_lock);
    m_holdStops = hold;
}

void FakeStudioRecorder::finishHeldStop()
{
    std::shared_ptr<QPromise<CameraRecordingResult>> promise;
    CameraRecordingResult result;
    {
        std::lock_guard lock(m_lock);
        promise = std::exchange(m_heldStop, nullptr);
        result = m_result;
    }
    if (!promise)
        return;
    promise->addResult(result);
    promise->finish();
}

void FakeStudioRecorder::failHeldStop(const CameraRecorderError &error)
{
    std::shared_ptr<QPromise<CameraRecordingResult>> promise;
    {
        std::lock_guard lock(m_lock);
        promise = std::exchange(m_heldStop, nullptr);
    }
    if (!promise)
        return;
    promise->setException(error);
    promise->finish();
}

bool FakeStudioRecorder::hasHeldStop() const
{
    std::lock_guard lock(m_lock);
    return m_heldStop != nullptr;
}

void FakeStudioRecorder::endBySelf(const CameraRecorderError &failure)
{
    {
        std::lock_guard lock(m_lock);
        m_recording = false;
        m_keptFailure = failure;
    }
    report(CameraRecordingSnapshot::idle());
}

void FakeStudioRecorder::endBySelf(const CameraRecordingResult &saved)
{
    {
        std::lock_guard lock(m_lock);
        m_recording = false;
        m_keptResult = saved;
    }
    report(CameraRecordingSnapshot::idle());
}

void FakeStudioRecorder::report(const CameraRecordingSnapshot &snapshot)
{
    StatusCallback callback;
    {
        std::lock_guard lock(m_lock);
        callback = m_onStatusChange;
    }
    if (callback)
        callback(snapshot);
}

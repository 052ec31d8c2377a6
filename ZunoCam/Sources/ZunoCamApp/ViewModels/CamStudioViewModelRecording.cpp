// Recording control of the view model: start, stop, the recording clock, the recorder's status and
// the recordings folder.
#include "CamStudioViewModel.h"

#include "CamStudioRecorderFailureText.h"
#include "CameraRecorderError.h"
#include "ZunoAppLogger.h"
#include "ZunoDesktopServices.h"
#include "ZunoWhileAlive.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFuture>
#include <QUrl>

#include <filesystem>

void CamStudioViewModel::startVideoRecording()
{
    if (m_isRecordingVideo || m_isFinalizingVideo)
        return;
    if (!m_isCameraRunning) {
        startCameraWithPermission();
        if (!m_isCameraRunning) {
            // The camera opens off the main thread: the recording starts once it runs.
            m_recordsWhenCameraStarts = m_isCameraStarting;
            return;
        }
    }
    QString failure;
    QString logged;
    try {
        m_services.recorder->startRecording(std::nullopt, QDateTime::currentDateTime());
    } catch (const CameraRecorderError &error) {
        failure = logged = error.localizedDescription();
    } catch (const std::filesystem::filesystem_error &error) {
        // The library's text is English and names the path in brackets: say it in the studio's words.
        QString folder = QFile::decodeName(QByteArray::fromStdString(error.path1().native()));
        if (folder.isEmpty())
            folder = m_services.recorder->defaultOutputDirectory();
        failure = CamStudioRecorderFailureText::folderNotCreated(folder, error.code(), m_language);
        logged = CamStudioRecorderFailureText::folderNotCreated(folder, error.code(), ZunoLanguage::en);
    }
    if (!failure.isNull()) {
        m_services.logger->error(
            QStringLiteral("Failed to start MP4 recording: %1").arg(logged), kRecorderCategory);
        showToast(failure, true);
        return;
    }
    setRecordingFlags(true, false);
    setRecordingProgress(0, 0);
    startRecordingClockTimer();
    showToast(
        text(QStringLiteral("Recording MP4 started."), QStringLiteral("MP4 video kaydı başladı.")), false);
}

void CamStudioViewModel::startRecordingClockTimer()
{
    m_recordingTimer = m_services.clock->repeating(kRecordingClockSeconds, [this] {
        if (!m_isRecordingVideo)
            return;
        const CameraRecordingSnapshot snapshot = m_services.recorder->currentSnapshot();
        setRecordingProgress(snapshot.elapsedSeconds, snapshot.frameCount);
    });
}

void CamStudioViewModel::handleRecorderStatus(const CameraRecordingSnapshot &snapshot)
{
    setRecordingProgress(
        snapshot.isRecording ? snapshot.elapsedSeconds : m_recordingDurationSeconds, snapshot.frameCount);
    // A recorder that ended the recording by itself (its encoder could not start, the disk failed)
    // reports idle while the studio still shows a recording: end it now through the normal stop,
    // which shows the recorder's kept failure. A stale idle report of an earlier recording is told
    // apart by the recorder still recording.
    if (!snapshot.isRecording && m_isRecordingVideo && !m_isFinalizingVideo
        && !m_services.recorder->isRecording())
        stopVideoRecording();
}

void CamStudioViewModel::stopVideoRecording(std::function<void()> onFinished)
{
    if (!m_isRecordingVideo || m_isFinalizingVideo) {
        if (onFinished)
            onFinished();
        return;
    }
    m_recordingTimer.reset();
    setRecordingFlags(true, true);
    QFuture<CameraRecordingResult> stopping = m_services.recorder->stopRecording();
    zunoThenWhileAlive(
        stopping, this, [this, onFinished = std::move(onFinished)](QFuture<CameraRecordingResult> finished) {
            QString failure;
            bool recorderLogged = false;
            std::optional<CameraRecordingResult> result;
            try {
                result = finished.result();
            } catch (const CameraRecorderError &error) {
                failure = CamStudioRecorderFailureText::recordingFailed(error, m_language);
                // The recorder writes its own error line for a writer that failed.
                recorderLogged = error.errorCase() == CameraRecorderError::Case::writerFailed
                    || error.errorCase() == CameraRecorderError::Case::writerSetupFailed;
            } catch (const std::exception &error) {
                failure = QString::fromLocal8Bit(error.what());
            }
            finishStop(result, failure, recorderLogged, onFinished);
        });
}

void CamStudioViewModel::finishStop(const std::optional<CameraRecordingResult> &result,
    const QString &failure, bool recorderLogged, const std::function<void()> &onFinished)
{
    m_lastRecordingResult = result;
    if (result) {
        m_lastRecordedVideoURL = result->url;
        setRecordingProgress(result->durationSeconds, result->frameCount);
        // A recording the recorder stopped for want of room is saved, but not what the user asked for.
        showToast(CamStudioRecorderFailureText::recordingSaved(*result, m_language),
            result->ending != CameraRecordingResult::Ending::requested);
        if (m_camera.revealRecordingInFinder)
            ZunoDesktopServices::shared()->revealFile(result->url);
    } else {
        if (!recorderLogged)
            m_services.logger->error(
                QStringLiteral("Failed to stop MP4 recording: %1").arg(failure), kRecorderCategory);
        showToast(failure, true);
    }
    setRecordingFlags(false, false);
    if (onFinished)
        onFinished();
}

void CamStudioViewModel::openRecordingsFolder()
{
    const QString folder = m_services.recorder->defaultOutputDirectory();
    QDir().mkpath(folder);
    if (m_lastRecordedVideoURL && QFileInfo::exists(*m_lastRecordedVideoURL))
        ZunoDesktopServices::shared()->revealFile(*m_lastRecordedVideoURL);
    else
        ZunoDesktopServices::shared()->openUrl(QUrl::fromLocalFile(folder));
    m_services.logger->info(
        QStringLiteral("Opened ZunoCam recordings directory: %1").arg(QFileInfo(folder).fileName()),
        kRecorderCategory);
}

void CamStudioViewModel::requestQuit()
{
    QCoreApplication::quit();
}

void CamStudioViewModel::setRecordingProgress(double seconds, qint64 frames)
{
    const bool changed = m_recordingDurationSeconds != seconds || m_recordedFrameCount != frames;
    m_recordingDurationSeconds = seconds;
    m_recordedFrameCount = frames;
    if (changed)
        emit recordingChanged();
}

void CamStudioViewModel::setRecordingFlags(bool recording, bool finalizing)
{
    // Both change in one step, recording first, so (not recording, finalizing) is never seen.
    if (m_isRecordingVideo == recording && m_isFinalizingVideo == finalizing)
        return;
    m_isRecordingVideo = recording;
    m_isFinalizingVideo = finalizing;
    emit recordingChanged();
}

// Studio operations of the view model: the camera and its permission, the camera list and
// adjustments, snapshots, the laser overlay and mirror, the global hot keys and launch at login.
#include "CamStudioViewModel.h"

#include "CameraDeviceDirectory.h"
#include "ZunoAppLogger.h"
#include "ZunoAtomicFile.h"
#include "ZunoMainThread.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPointer>

namespace {

constexpr uint32_t kCommandOption = 0x900;

} // namespace

void CamStudioViewModel::startCameraWithPermission()
{
    switch (m_services.cameraDevices->authorizationStatus(m_selectedCameraID)) {
    case CameraAuthorizationStatus::authorized:
        beginCameraStart(true);
        return;
    case CameraAuthorizationStatus::notDetermined:
        m_services.system->requestCameraAccess([guard = QPointer<CamStudioViewModel>(this)](bool granted) {
            ZunoMainThread::post(nullptr, [guard, granted] {
                if (!guard)
                    return;
                if (granted) {
                    guard->refreshCameras();
                    guard->beginCameraStart(false);
                    return;
                }
                guard->m_services.logger->warn(
                    QStringLiteral("Camera permission denied by user."), kCameraCategory);
                guard->showToast(guard->text(QStringLiteral("Camera permission denied."),
                                     QStringLiteral("Kamera izni reddedildi.")),
                    true);
            });
        });
        return;
    case CameraAuthorizationStatus::denied:
    case CameraAuthorizationStatus::restricted:
        m_services.logger->warn(
            QStringLiteral("Camera preview blocked: no permission to open the camera device."),
            kCameraCategory);
        showToast(m_services.system->cameraAccessHint(m_language), true);
        return;
    }
}

void CamStudioViewModel::beginCameraStart(bool reportsFailure)
{
    if (m_isCameraStarting || m_isCameraRunning)
        return;
    setCameraStarting(true);
    // A device can take a second or more to wake up: it opens off the main thread, and the answer
    // comes back here.
    m_services.camera->start(m_selectedCameraID,
        [guard = QPointer<CamStudioViewModel>(this), reportsFailure](
            bool started, std::optional<CameraCaptureService::StartFailure> failure) {
            if (!guard)
                return;
            const bool record = std::exchange(guard->m_recordsWhenCameraStarts, false);
            guard->setCameraStarting(false);
            if (!started) {
                // Right after the permission prompt a failed start stays quiet.
                if (reportsFailure)
                    guard->reportCameraStartFailure(failure);
                return;
            }
            guard->setCameraRunning(true);
            if (record)
                guard->startVideoRecording();
        });
}

void CamStudioViewModel::reportCameraStartFailure(
    const std::optional<CameraCaptureService::StartFailure> &failure)
{
    using Kind = CameraCaptureService::StartFailure::Kind;
    if (failure && failure->kind == Kind::openFailed) {
        // The camera is there but busy or broken: say so, not that it is missing.
        m_services.logger->warn(
            QStringLiteral("Camera preview start failed: %1").arg(failure->message), kCameraCategory);
        showToast(
            text(QStringLiteral("The camera could not be opened: %1"), QStringLiteral("Kamera açılamadı: %1"))
                .arg(failure->message),
            true);
        return;
    }
    if (failure && failure->kind == Kind::accessDenied) {
        m_services.logger->warn(
            QStringLiteral("Camera preview blocked: no permission to open the camera device."),
            kCameraCategory);
        showToast(m_services.system->cameraAccessHint(m_language), true);
        return;
    }
    m_services.logger->warn(
        QStringLiteral("Camera preview start failed: no camera device detected."), kCameraCategory);
    showToast(text(QStringLiteral("No available camera detected."),
                  QStringLiteral("Kullanılabilir kamera algılanamadı.")),
        true);
}

void CamStudioViewModel::toggleCameraPreview()
{
    if (m_isCameraStarting)
        return; // the camera is still opening: a second press does nothing
    if (!m_isCameraRunning) {
        startCameraWithPermission();
        return;
    }
    if (m_isRecordingVideo) {
        // The camera keeps running until the recording is finished.
        stopVideoRecording([guard = QPointer<CamStudioViewModel>(this)] {
            if (!guard)
                return;
            guard->m_services.camera->stop();
            guard->setCameraRunning(false);
        });
        return;
    }
    m_services.camera->stop();
    setCameraRunning(false);
}

void CamStudioViewModel::refreshCameras()
{
    const QList<CameraDeviceDescriptor> cameras = m_services.cameraDevices->devices();
    std::optional<QString> selected;
    if (m_selectedCameraID
        && std::any_of(cameras.begin(), cameras.end(),
            [this](const CameraDeviceDescriptor &camera) { return camera.id == *m_selectedCameraID; }))
        selected = m_selectedCameraID;
    else if (!cameras.isEmpty())
        selected = cameras.front().id;
    const bool listChanged = !(m_availableCameras == cameras);
    m_availableCameras = cameras;
    const bool selectionChanged = m_selectedCameraID != selected;
    m_selectedCameraID = selected;
    if (listChanged || selectionChanged)
        emit camerasChanged();
}

void CamStudioViewModel::applyCameraAdjustments()
{
    m_services.camera->updateAdjustments(m_camera);
    persist();
}

void CamStudioViewModel::resetCameraAdjustments()
{
    setCamera(CameraAdjustments {});
    applyCameraAdjustments();
    m_services.logger->info(QStringLiteral("Camera studio adjustments reset to defaults."), kCameraCategory);
}

void CamStudioViewModel::saveSnapshotPNG()
{
    if (m_latestCameraFrame.isNull()) {
        showToast(text(QStringLiteral("Start camera preview first to capture a snapshot."),
                      QStringLiteral("Fotoğraf çekmek için önce kamera önizlemesini başlatın.")),
            true);
        return;
    }
    // The frame of this moment, whatever arrives while the dialog is open.
    const QImage frame = m_latestCameraFrame;
    const std::optional<QString> path
        = m_services.system->chooseSnapshotFile(QStringLiteral("ZunoCam-Snapshot.png"));
    if (!path || path->isEmpty())
        return;

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(frame)) {
        m_services.logger->error(QStringLiteral("Failed to encode snapshot PNG."), kCameraCategory);
        showToast(text(QStringLiteral("The snapshot could not be encoded as PNG."),
                      QStringLiteral("Fotoğraf PNG olarak kodlanamadı.")),
            true);
        return;
    }
    QString failure;
    if (!ZunoAtomicFile::write(*path, bytes, &failure)) {
        m_services.logger->error(
            QStringLiteral("Failed to save snapshot PNG: %1").arg(failure), kCameraCategory);
        showToast(failure, true);
        return;
    }
    m_services.logger->info(
        QStringLiteral("Saved snapshot PNG: %1").arg(QFileInfo(*path).fileName()), kCameraCategory);
    showToast(text(QStringLiteral("Saved graded snapshot PNG."),
                  QStringLiteral("Renk ayarlı fotoğraf kaydedildi.")),
        false);
}

void CamStudioViewModel::toggleLaserOverlay()
{
    if (m_isLaserOverlayVisible) {
        if (m_laserController)
            m_laserController->hide();
        setLaserOverlayVisible(false);
        m_services.logger->info(QStringLiteral("Presentation laser overlay dismissed."), kPresenterCategory);
        return;
    }
    if (!m_laserController && m_services.panels.makeLaserOverlay) {
        m_laserController
            = m_services.panels.makeLaserOverlay(*this, [guard = QPointer<CamStudioViewModel>(this)] {
                  if (!guard)
                      return;
                  guard->setLaserOverlayVisible(false);
                  guard->m_services.logger->info(
                      QStringLiteral("Presentation laser overlay dismissed via ESC."), kPresenterCategory);
              });
    }
    const std::optional<CamTextPair> failure = m_laserController
        ? m_laserController->show(m_overlayMode)
        : std::optional<CamTextPair>(CamTextPair { QStringLiteral("no overlay panel is available"),
            QStringLiteral("kullanılabilir bir sunum paneli yok") });
    if (failure) {
        // Only an overlay that really shows counts as visible.
        m_services.logger->warn(
            QStringLiteral("Presentation laser overlay could not be shown: %1").arg(failure->en),
            kPresenterCategory);
        showToast(text(QStringLiteral("The presentation overlay could not be opened: %1"),
                      QStringLiteral("Sunum katmanı açılamadı: %1"))
                      .arg(text(failure->en, failure->tr)),
            true);
        return;
    }
    setLaserOverlayVisible(true);
    m_services.logger->info(
        QStringLiteral("Presentation laser overlay activated (mode=%1).").arg(rawValue(m_overlayMode)),
        kPresenterCategory);
    showToast(text(QStringLiteral("Presentation overlay active — press ESC to exit."),
                  QStringLiteral("Sunum katmanı aktif — çıkmak için ESC’ye basın.")),
        false);
}

void CamStudioViewModel::setOverlayMode(PresentationOverlayMode mode)
{
    if (m_overlayMode != mode) {
        m_overlayMode = mode;
        emit overlayModeChanged();
    }
    persist();
    m_services.logger->info(
        QStringLiteral("Presentation overlay mode changed to %1.").arg(rawValue(mode)), kPresenterCategory);
    if (m_isLaserOverlayVisible && m_laserController)
        m_laserController->setMode(mode);
}

void CamStudioViewModel::toggleFloatingMirror()
{
    if (m_isFloatingMirrorVisible) {
        hideFloatingMirror();
        return;
    }
    if (!m_mirrorController && m_services.panels.makeMirrorPanel)
        m_mirrorController = m_services.panels.makeMirrorPanel(*this);
    if (!m_isCameraRunning)
        toggleCameraPreview();
    // Shown even while the camera start waits for permission or has failed.
    if (m_mirrorController)
        m_mirrorController->show();
    setFloatingMirrorVisible(true);
}

void CamStudioViewModel::hideFloatingMirror()
{
    if (m_mirrorController)
        m_mirrorController->orderOut();
    setFloatingMirrorVisible(false);
}

void CamStudioViewModel::toggleTeleprompterOverlay()
{
    if (m_isTeleprompterVisible)
        hideTeleprompterOverlay();
    else
        showTeleprompterOverlay();
}

void CamStudioViewModel::registerHotkeys()
{
    struct Hotkey {
        uint32_t keyCode;
        void (CamStudioViewModel::*action)();
    };
    const Hotkey hotkeys[] { { 0x11, &CamStudioViewModel::toggleTeleprompterOverlay },
        { 0x25, &CamStudioViewModel::toggleLaserOverlay },
        { 0x2E, &CamStudioViewModel::toggleFloatingMirror } };
    for (const Hotkey &hotkey : hotkeys) {
        const ZunoHotkeyDescriptor descriptor(hotkey.keyCode, kCommandOption);
        const auto registered = m_services.hotkeys->registerHotkey(
            descriptor, [guard = QPointer<CamStudioViewModel>(this), action = hotkey.action] {
                if (guard)
                    (guard.data()->*action)();
            });
        // A refused combination stays unusable; the log says which, so a dead shortcut can be explained.
        if (!registered)
            m_services.logger->warn(
                QStringLiteral("Global hot key %1 could not be registered; another application may hold it.")
                    .arg(descriptor.shortcutText()),
                kLifecycleCategory);
    }
}

void CamStudioViewModel::toggleLaunchAtLogin(bool wanted)
{
    const bool done = m_services.system->setLaunchAtLoginEnabled(wanted);
    const bool enabled = m_services.system->isLaunchAtLoginEnabled();
    if (m_launchAtLogin != enabled) {
        m_launchAtLogin = enabled;
        emit launchAtLoginChanged();
    }
    if (!done)
        showToast(
            text(QStringLiteral(
                     "Launch at Login could not be changed: the autostart entry could not be written."),
                QStringLiteral("Açılışta Başlat değiştirilemedi: otomatik başlatma girdisi yazılamadı.")),
            true);
}

void CamStudioViewModel::setCameraStarting(bool starting)
{
    if (m_isCameraStarting != starting) {
        m_isCameraStarting = starting;
        emit cameraRunningChanged();
    }
}

void CamStudioViewModel::setCameraRunning(bool running)
{
    if (m_isCameraRunning != running) {
        m_isCameraRunning = running;
        emit cameraRunningChanged();
    }
}

void CamStudioViewModel::setLaserOverlayVisible(bool visible)
{
    if (m_isLaserOverlayVisible != visible) {
        m_isLaserOverlayVisible = visible;
        emit presentationChanged();
    }
}

void CamStudioViewModel::setFloatingMirrorVisible(bool visible)
{
    if (m_isFloatingMirrorVisible != visible) {
        m_isFloatingMirrorVisible = visible;
        emit presentationChanged();
    }
}

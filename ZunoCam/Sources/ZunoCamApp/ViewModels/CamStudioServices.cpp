#include "CamStudioServices.h"

#include "CameraCaptureService.h"
#include "CameraDeviceDirectory.h"
#include "CameraSystemDevices.h"
#include "CameraVideoRecorder.h"
#include "TeleprompterRemoteServer.h"
#include "VoiceActivityMonitorService.h"
#include "ZunoAppLogger.h"
#include "ZunoGlobalHotkeyManager.h"
#include "ZunoLaunchAtLogin.h"
#include "ZunoMainThread.h"
#include "ZunoPermissionCenter.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

namespace {

class ScriptStoreAdapter : public CamStudioDocumentStore {
public:
    explicit ScriptStoreAdapter(std::unique_ptr<CamScriptStore> store)
        : m_store(std::move(store))
    {
    }
    CamPersistedPayload load() override { return m_store->load(); }
    CamScriptStore::SaveResult save(const CamPersistedPayload &payload) override
    {
        return m_store->save(payload);
    }
    void setMessageHandler(CamScriptStore::MessageHandler handler) override
    {
        m_store->setMessageHandler(std::move(handler));
    }

private:
    std::unique_ptr<CamScriptStore> m_store;
};

class RecorderAdapter : public CamStudioRecorder {
public:
    explicit RecorderAdapter(std::shared_ptr<ZunoAppLogger> logger)
        : m_recorder(std::move(logger))
    {
    }
    bool isRecording() const override { return m_recorder.isRecording(); }
    bool append(const CameraRecorderFrame &frame) override { return m_recorder.append(frame); }
    void setOnStatusChange(StatusCallback callback) override
    {
        m_recorder.setOnStatusChange(std::move(callback));
    }
    QString startRecording(const std::optional<QString> &directory, const QDateTime &date) override
    {
        return m_recorder.startRecording(directory, date);
    }
    QFuture<CameraRecordingResult> stopRecording() override { return m_recorder.stopRecording(); }
    void cancelRecording() override { m_recorder.cancelRecording(); }
    CameraRecordingSnapshot currentSnapshot() const override { return m_recorder.currentSnapshot(); }
    QString defaultOutputDirectory() const override { return CameraVideoRecorder::defaultOutputDirectory(); }

private:
    CameraVideoRecorder m_recorder;
};

class CaptureAdapter : public CamStudioCamera {
public:
    CaptureAdapter(std::shared_ptr<ZunoAppLogger> logger, std::shared_ptr<CameraDeviceDirectory> devices)
        : m_service(std::move(logger), dependencies(std::move(devices)))
    {
    }
    void setOnFrame(FrameCallback callback) override { m_service.onFrame = std::move(callback); }
    void updateAdjustments(const CameraAdjustments &adjustments) override
    {
        m_service.updateAdjustments(adjustments);
    }
    void attachRecorder(std::shared_ptr<CamStudioRecorder> recorder) override
    {
        m_service.attachFrameRecorder(std::move(recorder));
    }
    void start(const std::optional<QString> &deviceID, StartCompletion done) override
    {
        // The device opens on the service's session thread; the answer hops back to the main thread.
        m_service.startAsync(deviceID,
            [done = std::move(done)](
                bool started, std::optional<CameraCaptureService::StartFailure> failure) {
                ZunoMainThread::post(nullptr, [done, started, failure] { done(started, failure); });
            });
    }
    void stop() override { m_service.stopAsync(); }

private:
    static CameraCaptureService::Dependencies dependencies(std::shared_ptr<CameraDeviceDirectory> devices)
    {
        CameraCaptureService::Dependencies result = CameraCaptureService::defaultDependencies();
        result.devices = std::move(devices);
        return result;
    }

    CameraCaptureService m_service;
};

class RemoteAdapter : public CamStudioRemote {
public:
    RemoteAdapter(std::shared_ptr<ZunoAppLogger> logger, TeleprompterRemoteServer::Options options)
        : m_server(std::move(logger), options)
    {
    }
    QString start(quint16 port) override { return m_server.start(port); }
    void stop(bool silent) override { m_server.stop(silent); }
    bool isRunning() const override { return m_server.isRunning(); }
    QString addressFor(quint16 port) const override { return m_server.addressFor(port); }
    void setStateProvider(TeleprompterRemoteServer::StateProvider provider) override
    {
        m_server.setStateProvider(std::move(provider));
    }
    void setCommandHandler(TeleprompterRemoteServer::CommandHandler handler) override
    {
        m_server.setCommandHandler(std::move(handler));
    }
    void setOnEvent(TeleprompterRemoteServer::EventHandler handler) override
    {
        m_server.setOnEvent(std::move(handler));
    }
    void publishState(const TeleprompterRemoteState &state) override { m_server.publishState(state); }

private:
    TeleprompterRemoteServer m_server;
};

class DesktopSystem : public CamStudioSystem {
public:
    ZunoMediaAuthorizationStatus microphoneAuthorizationStatus() override
    {
        return ZunoPermissionCenter::microphoneAuthorizationStatus();
    }
    void requestMicrophoneAccess(std::function<void(bool)> completion) override
    {
        completion(ZunoPermissionCenter::microphoneAuthorizationStatus()
            == ZunoMediaAuthorizationStatus::authorized);
    }
    void requestCameraAccess(std::function<void(bool)> completion) override
    {
        completion(ZunoPermissionCenter::cameraAccess().status == ZunoMediaAuthorizationStatus::authorized);
    }
    QString cameraAccessHint(ZunoLanguage language) override
    {
        return ZunoPermissionCenter::cameraAccessHint(ZunoPermissionCenter::cameraAccess(), language);
    }
    std::optional<QString> chooseSnapshotFile(const QString &proposedName) override
    {
        QFileDialog dialog(QApplication::activeWindow());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(QStringLiteral("PNG (*.png)"));
        dialog.setDefaultSuffix(QStringLiteral("png"));
        dialog.setWindowModality(Qt::WindowModal);
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        dialog.setDirectory(pictures);
        dialog.selectFile(QDir(pictures).filePath(proposedName));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const QString path = dialog.selectedFiles().constFirst();
        return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
    }
    bool isLaunchAtLoginEnabled() override { return ZunoLaunchAtLogin::isEnabled(); }
    bool setLaunchAtLoginEnabled(bool enabled) override { return ZunoLaunchAtLogin::setEnabled(enabled); }
};

class HotkeyManagerAdapter : public CamStudioHotkeys {
public:
    explicit HotkeyManagerAdapter(std::shared_ptr<ZunoAppLogger> logger)
        : m_manager(std::move(logger))
    {
    }

    std::optional<uint32_t> registerHotkey(
        const ZunoHotkeyDescriptor &descriptor, std::function<void()> action) override
    {
        return m_manager.registerHotkey(descriptor, std::move(action));
    }

private:
    ZunoGlobalHotkeyManager m_manager;
};

} // namespace

CamStudioServices::CamStudioServices() = default;
CamStudioServices::CamStudioServices(CamStudioServices &&) noexcept = default;
CamStudioServices &CamStudioServices::operator=(CamStudioServices &&) noexcept = default;
CamStudioServices::~CamStudioServices()
{
    // The camera first, so no frame reaches a recording being finished; the recorder then finishes a
    // recording still running.
    camera.reset();
    recorder.reset();
    remote.reset();
    voiceMonitor.reset();
    hotkeys.reset();
}

CamStudioServices CamStudioServices::standard()
{
    CamStudioServices services;
    services.logger = ZunoAppLogger::shared(QStringLiteral("ZunoCam"));
    services.store = documentStore(std::make_unique<CamScriptStore>());
    services.cameraDevices = std::make_shared<CameraSystemDevices>();
    services.camera = captureCamera(services.logger, services.cameraDevices);
    services.recorder = std::make_shared<RecorderAdapter>(services.logger);
    services.remote = remoteServer(services.logger);
    services.voiceMonitor = std::make_unique<VoiceActivityMonitorService>();
    services.hotkeys = globalHotkeys(services.logger);
    services.system = desktopSystem();
    services.clock = CamStudioClock::system();
    return services;
}

std::unique_ptr<CamStudioDocumentStore> CamStudioServices::documentStore(
    std::unique_ptr<CamScriptStore> store)
{
    return std::make_unique<ScriptStoreAdapter>(std::move(store));
}

std::unique_ptr<CamStudioSystem> CamStudioServices::desktopSystem()
{
    return std::make_unique<DesktopSystem>();
}

std::unique_ptr<CamStudioCamera> CamStudioServices::captureCamera(
    std::shared_ptr<ZunoAppLogger> logger, std::shared_ptr<CameraDeviceDirectory> devices)
{
    return std::make_unique<CaptureAdapter>(std::move(logger), std::move(devices));
}

std::unique_ptr<CamStudioHotkeys> CamStudioServices::globalHotkeys(std::shared_ptr<ZunoAppLogger> logger)
{
    return std::make_unique<HotkeyManagerAdapter>(std::move(logger));
}

std::unique_ptr<CamStudioRemote> CamStudioServices::remoteServer(
    std::shared_ptr<ZunoAppLogger> logger, TeleprompterRemoteServer::Options options)
{
    return std::make_unique<RemoteAdapter>(std::move(logger), options);
}

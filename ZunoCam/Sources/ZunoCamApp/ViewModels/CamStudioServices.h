#pragma once

#include "CamStudioCamera.h"
#include "CamStudioClock.h"
#include "CamStudioDocumentStore.h"
#include "CamStudioHotkeys.h"
#include "CamStudioPanels.h"
#include "CamStudioRecorder.h"
#include "CamStudioRemote.h"
#include "CamStudioSystem.h"

#include <memory>

class CameraDeviceDirectory;
class VoiceActivityMonitorService;
class ZunoAppLogger;

// Everything the studio view model owns and drives, handed to it whole at construction. standard()
// builds the real services; tests and tools put fakes in the members they need to watch. The members'
// destructors stop and join their own threads.
struct CamStudioServices {
    CamStudioServices();
    CamStudioServices(CamStudioServices &&) noexcept;
    CamStudioServices &operator=(CamStudioServices &&) noexcept;
    ~CamStudioServices();

    std::shared_ptr<ZunoAppLogger> logger;
    std::unique_ptr<CamStudioDocumentStore> store;
    // The camera list (start-up and refresh read it) and the camera that opens them.
    std::shared_ptr<CameraDeviceDirectory> cameraDevices;
    std::unique_ptr<CamStudioCamera> camera;
    std::shared_ptr<CamStudioRecorder> recorder;
    std::unique_ptr<CamStudioRemote> remote;
    std::unique_ptr<VoiceActivityMonitorService> voiceMonitor;
    std::unique_ptr<CamStudioHotkeys> hotkeys;
    std::unique_ptr<CamStudioSystem> system;
    std::unique_ptr<CamStudioClock> clock;
    CamStudioPanelFactory panels;

    // The real services, made in this order: the "ZunoCam" logger, the document store in its default
    // folder, the system's cameras with the capture service, the recorder, the remote server, the
    // voice monitor, the hot keys; then the desktop's answers and the system clock. The overlay panels
    // are views: the application adds their factory (ZunoCamStartup::services). Needs a QApplication.
    static CamStudioServices standard();

    // Real adapters over existing objects, for callers that build part of the bundle themselves.
    static std::unique_ptr<CamStudioDocumentStore> documentStore(std::unique_ptr<CamScriptStore> store);
    static std::unique_ptr<CamStudioSystem> desktopSystem();
    static std::unique_ptr<CamStudioHotkeys> globalHotkeys(std::shared_ptr<ZunoAppLogger> logger = nullptr);
    // The capture service over a camera list, opening and closing devices off the main thread.
    static std::unique_ptr<CamStudioCamera> captureCamera(
        std::shared_ptr<ZunoAppLogger> logger, std::shared_ptr<CameraDeviceDirectory> devices);
    // The real LAN remote server (loopback only with the option: tests and local demos).
    static std::unique_ptr<CamStudioRemote> remoteServer(
        std::shared_ptr<ZunoAppLogger> logger, TeleprompterRemoteServer::Options options = {});
};

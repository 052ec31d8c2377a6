#pragma once

#include "CamStudioCallLog.h"
#include "CamStudioServices.h"

#include <QString>

#include <memory>

class CamStudioVirtualClock;
class CountingDocumentStore;
class FakeCameraDirectory;
class FakeMicrophone;
class FakeLaserOverlay;
class FakeMirrorPanel;
class FakeNotchPanel;
class FakeStudioHotkeys;
class FakeStudioCamera;
class FakeStudioRecorder;
class FakeStudioRemote;
class FakeStudioSystem;
class VoiceActivityMonitorService;
class ZunoAppLogger;

// A service bundle of fakes over a folder of the caller's (the document and the log live there), with
// a virtual clock, plus pointers to each fake for the test to drive. The pointers stay valid while the
// view model that took `services` lives. Hot keys are the real manager (without a display they are
// reachable through ZunoHotkeyBus only), refusing what the test names.
struct CamStudioFakeServices {
    // `cameras` lists that many cameras, "cam-1" ("Camera 1") onwards.
    static CamStudioFakeServices make(const QString &directory, int cameras = 1);

    CamStudioServices services;
    std::shared_ptr<CamStudioCallLog> log;
    std::shared_ptr<ZunoAppLogger> logger;
    CountingDocumentStore *store = nullptr;
    FakeCameraDirectory *cameraDevices = nullptr;
    FakeStudioCamera *camera = nullptr;
    FakeStudioRecorder *recorder = nullptr;
    FakeStudioRemote *remote = nullptr;
    FakeStudioSystem *system = nullptr;
    CamStudioVirtualClock *clock = nullptr;
    FakeStudioHotkeys *hotkeys = nullptr;
    VoiceActivityMonitorService *voiceMonitor = nullptr;
    std::shared_ptr<FakeMicrophone> microphone;
    // The notch panel the factory made, once the teleprompter was first shown.
    std::shared_ptr<FakeNotchPanel *> notchPanel;
    std::shared_ptr<FakeLaserOverlay *> laserOverlay;
    std::shared_ptr<FakeMirrorPanel *> mirrorPanel;
};

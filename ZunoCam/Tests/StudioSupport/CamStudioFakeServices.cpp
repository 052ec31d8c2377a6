#include "CamStudioFakeServices.h"

#include "CamStudioVirtualClock.h"
#include "CountingDocumentStore.h"
#include "FakeMicrophone.h"
#include "FakeNotchPanel.h"
#include "FakeStudioCamera.h"
#include "FakeStudioHotkeys.h"
#include "FakeStudioPanels.h"
#include "FakeStudioRecorder.h"
#include "FakeStudioRemote.h"
#include "FakeStudioSystem.h"
#include "VoiceActivityMonitorService.h"
#include "ZunoAppLogger.h"

#include <QDir>

CamStudioFakeServices CamStudioFakeServices::make(const QString &directory, int cameras)
{
    CamStudioFakeServices fakes;
    fakes.log = std::make_shared<CamStudioCallLog>();
    fakes.logger = std::make_shared<ZunoAppLogger>(
        QStringLiteral("ZunoCam"), QDir(directory).filePath(QStringLiteral("logs")));
    CamStudioServices &services = fakes.services;
    services.logger = fakes.logger;

    auto store = std::make_unique<CountingDocumentStore>(
        QDir(directory).filePath(QStringLiteral("ZunoCam")), fakes.log);
    fakes.store = store.get();
    services.store = std::move(store);

    auto devices = std::make_shared<FakeCameraDirectory>(fakes.log);
    QList<CameraDeviceDescriptor> list;
    for (int index = 1; index <= cameras; ++index)
        list.append({ QStringLiteral("cam-%1").arg(index), QStringLiteral("Camera %1").arg(index) });
    devices->setDevices(list);
    fakes.cameraDevices = devices.get();
    services.cameraDevices = devices;

    auto camera = std::make_unique<FakeStudioCamera>(fakes.log);
    fakes.camera = camera.get();
    services.camera = std::move(camera);

    auto recorder = std::make_shared<FakeStudioRecorder>(fakes.log);
    fakes.recorder = recorder.get();
    services.recorder = recorder;

    auto remote = std::make_unique<FakeStudioRemote>(fakes.log);
    fakes.remote = remote.get();
    services.remote = std::move(remote);

    fakes.microphone = std::make_shared<FakeMicrophone>(fakes.log);
    services.voiceMonitor = std::make_unique<VoiceActivityMonitorService>(fakes.microphone->inputFactory());
    fakes.voiceMonitor = services.voiceMonitor.get();
    auto hotkeys = std::make_unique<FakeStudioHotkeys>(CamStudioServices::globalHotkeys());
    fakes.hotkeys = hotkeys.get();
    services.hotkeys = std::move(hotkeys);

    auto system = std::make_unique<FakeStudioSystem>();
    fakes.system = system.get();
    services.system = std::move(system);

    auto clock = std::make_unique<CamStudioVirtualClock>();
    fakes.clock = clock.get();
    services.clock = std::move(clock);

    fakes.notchPanel = std::make_shared<FakeNotchPanel *>(nullptr);
    services.panels.makeNotchPanel = [log = fakes.log, made = fakes.notchPanel](CamStudioViewModel &) {
        auto panel = std::make_unique<FakeNotchPanel>(log);
        *made = panel.get();
        return std::unique_ptr<CamNotchPanel>(std::move(panel));
    };
    fakes.laserOverlay = std::make_shared<FakeLaserOverlay *>(nullptr);
    services.panels.makeLaserOverlay = [log = fakes.log, made = fakes.laserOverlay](
                                           CamStudioViewModel &, std::function<void()> onDismiss) {
        auto overlay = std::make_unique<FakeLaserOverlay>(log, std::move(onDismiss));
        *made = overlay.get();
        return std::unique_ptr<CamLaserOverlay>(std::move(overlay));
    };
    fakes.mirrorPanel = std::make_shared<FakeMirrorPanel *>(nullptr);
    services.panels.makeMirrorPanel = [log = fakes.log, made = fakes.mirrorPanel](CamStudioViewModel &) {
        auto panel = std::make_unique<FakeMirrorPanel>(log);
        *made = panel.get();
        return std::unique_ptr<CamMirrorPanel>(std::move(panel));
    };
    return fakes;
}

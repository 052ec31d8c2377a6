// Camera operations: starting with the permission, the preview toggle, the camera list, resetting the
// adjustments and PNG snapshots.
#include "StudioTestFixture.h"

#include "FakeStudioRecorder.h"

#include <QImageReader>

namespace {

using Kind = CameraCaptureService::StartFailure::Kind;

QImage testFrame(int width = 16, int height = 9)
{
    QImage frame(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            frame.setPixelColor(x, y, QColor(x * 13 % 256, y * 29 % 256, (x + y) % 256));
    return frame;
}

} // namespace

TEST_F(StudioTest, CameraStartFollowsAuthorizationAndTellsWhyItFailed)
{
    struct Case {
        const char *name;
        CameraAuthorizationStatus status;
        std::optional<CameraCaptureService::StartFailure> failure;
        bool accessGranted;
        bool running;
        QString line; // last warn line of "camera", empty for none
        QString toast; // empty for none
    };
    const QString blocked
        = QStringLiteral("Camera preview blocked: no permission to open the camera device.");
    const Case cases[] {
        { "authorized", CameraAuthorizationStatus::authorized, std::nullopt, true, true, {}, {} },
        { "no camera", CameraAuthorizationStatus::authorized,
            CameraCaptureService::StartFailure { Kind::noMatchingCamera, {} }, true, false,
            QStringLiteral("Camera preview start failed: no camera device detected."),
            QStringLiteral("No available camera detected.") },
        { "busy camera", CameraAuthorizationStatus::authorized,
            CameraCaptureService::StartFailure {
                Kind::openFailed, QStringLiteral("Device or resource busy") },
            true, false, QStringLiteral("Camera preview start failed: Device or resource busy"),
            QStringLiteral("The camera could not be opened: Device or resource busy") },
        { "denied", CameraAuthorizationStatus::denied, std::nullopt, true, false, blocked,
            QStringLiteral("Camera hint") },
        { "restricted", CameraAuthorizationStatus::restricted, std::nullopt, true, false, blocked,
            QStringLiteral("Camera hint") },
        { "asked and granted", CameraAuthorizationStatus::notDetermined, std::nullopt, true, true, {}, {} },
        { "asked, granted, start fails silently", CameraAuthorizationStatus::notDetermined,
            CameraCaptureService::StartFailure { Kind::noMatchingCamera, {} }, true, false, {}, {} },
        { "asked and refused", CameraAuthorizationStatus::notDetermined, std::nullopt, false, false,
            QStringLiteral("Camera permission denied by user."),
            QStringLiteral("Camera permission denied.") },
    };
    for (const Case &c : cases) {
        fakes = {};
        makeFakes(2);
        fakes.cameraDevices->setAuthorizationStatus(c.status);
        fakes.camera->setStartFailure(c.failure);
        fakes.system->setCameraRequestGrants(c.accessGranted);
        start();
        vm->startCameraWithPermission();
        QCoreApplication::processEvents();
        EXPECT_EQ(vm->isCameraRunning(), c.running) << c.name;
        const QStringList warnings = messages(QStringLiteral("camera"), ZunoLogLevel::warn);
        EXPECT_EQ(warnings.value(warnings.size() - 1), c.line) << c.name;
        EXPECT_EQ(vm->toastMessage().value_or(QString()), c.toast) << c.name;
        if (!c.toast.isEmpty()) {
            EXPECT_TRUE(vm->toastIsError()) << c.name;
        }
        if (c.running) {
            EXPECT_EQ(fakes.camera->startedDevice(), QStringLiteral("cam-1")) << c.name;
        }
        vm.reset();
    }
}

TEST_F(StudioTest, CameraGrantRefreshesTheListBeforeStarting)
{
    makeFakes(1);
    fakes.cameraDevices->setAuthorizationStatus(CameraAuthorizationStatus::notDetermined);
    start();
    fakes.cameraDevices->setDevices({ { QStringLiteral("cam-9"), QStringLiteral("Camera 9") } });
    vm->startCameraWithPermission();
    QCoreApplication::processEvents();
    EXPECT_TRUE(vm->isCameraRunning());
    EXPECT_EQ(fakes.camera->startedDevice(), QStringLiteral("cam-9"));
}

TEST_F(StudioTest, PreviewToggleWhileRecordingFinishesTheRecordingFirst)
{
    start();
    vm->toggleCameraPreview();
    ASSERT_TRUE(vm->isCameraRunning());
    fakes.recorder->holdStops(true);
    vm->startVideoRecording();
    ASSERT_TRUE(vm->isRecordingVideo());

    vm->toggleCameraPreview();
    EXPECT_TRUE(vm->isFinalizingVideo());
    EXPECT_TRUE(vm->isCameraRunning()) << "the camera runs until the file is finished";
    EXPECT_TRUE(fakes.camera->isRunning());
    fakes.recorder->finishHeldStop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !vm->isCameraRunning(); }, kWait));
    EXPECT_FALSE(vm->isRecordingVideo());
    const QStringList calls = fakes.log->calls();
    EXPECT_LT(
        calls.indexOf(QStringLiteral("recorder.stop")), calls.lastIndexOf(QStringLiteral("camera.stop")));
    EXPECT_FALSE(fakes.camera->isRunning());
}

TEST_F(StudioTest, RefreshKeepsAListedSelectionAndReplacesAnUnpluggedOne)
{
    start(3);
    vm->setSelectedCameraID(QStringLiteral("cam-2"));
    fakes.cameraDevices->setDevices({ { QStringLiteral("cam-3"), QStringLiteral("Camera 3") },
        { QStringLiteral("cam-2"), QStringLiteral("Camera 2") } });
    vm->refreshCameras();
    EXPECT_EQ(vm->selectedCameraID(), QStringLiteral("cam-2"));
    EXPECT_EQ(vm->availableCameras().size(), 2);

    fakes.cameraDevices->setDevices({ { QStringLiteral("cam-3"), QStringLiteral("Camera 3") } });
    vm->refreshCameras();
    EXPECT_EQ(vm->selectedCameraID(), QStringLiteral("cam-3"));

    fakes.cameraDevices->setDevices({});
    vm->refreshCameras();
    EXPECT_FALSE(vm->selectedCameraID().has_value());
}

TEST_F(StudioTest, ResetRestoresTheDefaultsWithOneSaveAndNoToast)
{
    start();
    CameraAdjustments changed = vm->camera();
    changed.saturation = 1.6;
    changed.contrast = 0.7;
    changed.vignetteIntensity = 0.9;
    changed.digitalZoom = 2.5;
    changed.lowerThirdName = QStringLiteral("Someone");
    vm->setCamera(changed);
    vm->resetCameraAdjustments();
    EXPECT_EQ(vm->camera().saturation, 1.05);
    EXPECT_EQ(vm->camera().contrast, 1.02);
    EXPECT_EQ(vm->camera().vignetteIntensity, 0.15);
    EXPECT_EQ(vm->camera().digitalZoom, 1.0);
    EXPECT_EQ(vm->camera(), CameraAdjustments {});
    EXPECT_EQ(fakes.camera->adjustments(), CameraAdjustments {});
    flush();
    EXPECT_EQ(fakes.store->saves(), 1);
    EXPECT_FALSE(vm->toastMessage().has_value());
    EXPECT_EQ(messages(QStringLiteral("camera")).last(),
        QStringLiteral("Camera studio adjustments reset to defaults."));
}

TEST_F(StudioTest, SnapshotCasesFromNoFrameToASavedPNG)
{
    struct Case {
        const char *name;
        QImage frame; // null: no frame yet
        std::optional<QString> file; // relative to the folder; none: the dialog is cancelled
        QString toast;
        bool error;
        QString line; // the last line of "camera" at info or above, empty for none
    };
    const Case cases[] {
        { "no frame", QImage(), QStringLiteral("shot.png"),
            QStringLiteral("Start camera preview first to capture a snapshot."), true, {} },
        { "cancelled", testFrame(), std::nullopt, {}, false, {} },
        // libpng refuses rows wider than a million pixels.
        { "cannot encode", testFrame(1'000'001, 1), QStringLiteral("wide.png"),
            QStringLiteral("The snapshot could not be encoded as PNG."), true,
            QStringLiteral("Failed to encode snapshot PNG.") },
        { "missing folder", testFrame(), QStringLiteral("missing/shot.png"), QStringLiteral("*"), true,
            QStringLiteral("Failed to save snapshot PNG: *") },
        { "saved", testFrame(), QStringLiteral("shot.png"), QStringLiteral("Saved graded snapshot PNG."),
            false, QStringLiteral("Saved snapshot PNG: shot.png") },
    };
    for (const Case &c : cases) {
        fakes = {};
        makeFakes();
        fakes.system->setSnapshotFile(
            c.file ? std::optional<QString>(QDir(folder()).filePath(*c.file)) : std::nullopt);
        start();
        if (!c.frame.isNull()) {
            fakes.camera->pushFrame(c.frame);
            ASSERT_TRUE(QTest::qWaitFor([&] { return !vm->latestCameraFrame().isNull(); }, kWait));
        }
        vm->saveSnapshotPNG();
        const QString toast = vm->toastMessage().value_or(QString());
        if (c.toast == QLatin1String("*")) {
            EXPECT_FALSE(toast.isEmpty()) << c.name << ": the write failure's reason alone";
        } else {
            EXPECT_EQ(toast, c.toast) << c.name;
        }
        if (!c.toast.isEmpty()) {
            EXPECT_EQ(vm->toastIsError(), c.error) << c.name;
        }
        const QStringList lines = messages(QStringLiteral("camera"), ZunoLogLevel::info);
        const QString line = lines.value(lines.size() - 1);
        if (c.line.endsWith(QLatin1Char('*'))) {
            EXPECT_EQ(line, c.line.chopped(1) + toast) << c.name;
        } else {
            EXPECT_EQ(line, c.line) << c.name;
        }
        if (c.file && !c.frame.isNull()) {
            EXPECT_EQ(fakes.system->proposedSnapshotName(), QStringLiteral("ZunoCam-Snapshot.png"));
        }
        vm.reset();
    }
    QImage saved(QDir(folder()).filePath(QStringLiteral("shot.png")));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_ARGB32), testFrame());
    EXPECT_FALSE(QFileInfo::exists(QDir(folder()).filePath(QStringLiteral("wide.png"))));
}

TEST_F(StudioTest, SnapshotAfterTheCameraStopsSavesTheLastFrame)
{
    makeFakes();
    fakes.system->setSnapshotFile(QDir(folder()).filePath(QStringLiteral("last.png")));
    start();
    vm->toggleCameraPreview();
    fakes.camera->pushFrame(testFrame());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !vm->latestCameraFrame().isNull(); }, kWait));
    vm->toggleCameraPreview();
    ASSERT_FALSE(vm->isCameraRunning());
    vm->saveSnapshotPNG();
    EXPECT_EQ(
        QImage(QDir(folder()).filePath(QStringLiteral("last.png"))).convertToFormat(QImage::Format_ARGB32),
        testFrame());
}
